#include "gamefiles/anim_layout.h"

#include <limits>

namespace {
struct BodyGroup {
    std::int32_t firstBody;
    std::int32_t firstBlock;
    std::int32_t actions;
};
// From the last group down, so the first group that starts at or before a
// body or block holds it.
constexpr BodyGroup kGroups[] = {{400, 35000, 35}, {200, 22000, 13}, {0, 0, 22}};

const BodyGroup* GroupOfBody(std::int32_t body) {
    for (const BodyGroup& g : kGroups)
        if (body >= g.firstBody) return &g;
    return nullptr;
}
}  // namespace

std::int32_t AnimActionsOf(std::int32_t body) {
    const BodyGroup* g = GroupOfBody(body);
    return g ? g->actions : 0;
}

std::optional<AnimName> AnimBlockName(std::int32_t block) {
    for (const BodyGroup& g : kGroups) {
        if (block < g.firstBlock) continue;
        const std::int32_t perBody = g.actions * kAnimDirections, within = (block - g.firstBlock) % perBody;
        return AnimName{g.firstBody + (block - g.firstBlock) / perBody, within / kAnimDirections,
                        within % kAnimDirections};
    }
    return std::nullopt;
}

std::optional<std::int32_t> AnimBlockNumber(const AnimName& name) {
    const BodyGroup* g = GroupOfBody(name.body);
    if (!g || name.action < 0 || name.action >= g->actions || name.direction < 0 || name.direction >= kAnimDirections)
        return std::nullopt;
    const std::int64_t block = g->firstBlock + std::int64_t{name.body - g->firstBody} * g->actions * kAnimDirections +
                               std::int64_t{name.action} * kAnimDirections + name.direction;
    if (block > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(block);
}

std::optional<std::int32_t> NeighbourAnimBlock(std::int32_t block, AnimAxis axis, int step,
                                               const std::function<bool(std::int32_t)>& held) {
    const std::optional<AnimName> from = AnimBlockName(block);
    if (!from || (step != 1 && step != -1)) return std::nullopt;
    // The held block of that action nearest to `from`'s direction, the lower first.
    auto inAction = [&](std::int32_t action) -> std::optional<std::int32_t> {
        for (std::int32_t distance = 0; distance < kAnimDirections; ++distance)
            for (std::int32_t d : {from->direction - distance, from->direction + distance}) {
                const std::optional<std::int32_t> n = AnimBlockNumber({from->body, action, d});
                if (n && held(*n)) return n;
            }
        return std::nullopt;
    };
    if (axis == AnimAxis::kDirection) {
        for (std::int32_t d = from->direction + step; d >= 0 && d < kAnimDirections; d += step)
            if (const auto n = AnimBlockNumber({from->body, from->action, d}); n && held(*n)) return n;
        return std::nullopt;
    }
    for (std::int32_t a = from->action + step; a >= 0 && a < AnimActionsOf(from->body); a += step)
        if (const auto n = inAction(a)) return n;
    return std::nullopt;
}
