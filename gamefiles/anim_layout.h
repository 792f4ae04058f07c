// Where a body's animations lie among the animation blocks (file ID 6): each
// body holds its actions one after another, each action five directions.
// Bodies below 200 have 22 actions (110 blocks) from block 0, bodies 200 to
// 399 have 13 (65 blocks) from block 22,000, bodies from 400 on have 35
// (175 blocks) from block 35,000.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

inline constexpr std::int32_t kAnimDirections = 5;

struct AnimName {
    std::int32_t body = 0;
    std::int32_t action = 0;
    std::int32_t direction = 0;
    bool operator==(const AnimName&) const = default;
};

// The actions a body has: 22, 13 or 35; 0 for a negative body.
std::int32_t AnimActionsOf(std::int32_t body);

// The body, action and direction of an animation block; none for a negative
// block number.
std::optional<AnimName> AnimBlockName(std::int32_t block);

// The block of a body's action and direction; none when the body has no such
// action or direction, or the number would not fit a block number.
std::optional<std::int32_t> AnimBlockNumber(const AnimName& name);

// The steps between an animation's neighbours.
enum class AnimAxis { kDirection, kAction };

// The nearest block beyond `block` in `step`'s direction (+1 or -1) along
// `axis` that `held` says is there: another direction of the same body and
// action, or another action of the same body, in the same direction where
// that is held, else in its nearest held direction. None when there is none.
std::optional<std::int32_t> NeighbourAnimBlock(std::int32_t block, AnimAxis axis, int step,
                                               const std::function<bool(std::int32_t)>& held);
