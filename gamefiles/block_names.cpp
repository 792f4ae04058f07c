#include "gamefiles/block_names.h"

#include <cstdio>

#include "codecs/block_facts.h"
#include "codecs/file_ids.h"
#include "gamefiles/anim_layout.h"
#include "gamefiles/forms/data_layout.h"

namespace {
constexpr std::size_t kFirstNames = 3;

std::string Hex4(std::int64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(v));
    return text;
}

std::string Quoted(const std::string& name) { return name.empty() ? "" : " '" + name + "'"; }

// The name of land tile or static item `id` in the client's tiledata.
std::string TiledataName(bool land, std::int32_t id, const TiledataGroupFn& tiledata) {
    if (!tiledata) return "";
    const std::int32_t group = (land ? 0 : kTiledataLandGroups) + id / kTiledataGroupRecords;
    const Bytes bytes = tiledata(group);
    const std::vector<std::string> names = TiledataNames(group, bytes);
    const auto record = static_cast<std::size_t>(id % kTiledataGroupRecords);
    return record < names.size() ? names[record] : "";
}
}  // namespace

std::string BlockName(std::uint8_t fileId, std::int32_t n, ByteView block, const TiledataGroupFn& tiledata) {
    if (n < 0) return "";
    switch (fileId) {
        case kArt:
            if (n >= kArtStaticBase) return "Item " + Hex4(n - kArtStaticBase) + Quoted(TiledataName(false, n - kArtStaticBase, tiledata));
            return "Land tile " + Hex4(n) + Quoted(TiledataName(true, n, tiledata));
        case kTiledata: {
            const bool land = n < kTiledataLandGroups;
            const std::int64_t first = std::int64_t{land ? n : n - kTiledataLandGroups} * kTiledataGroupRecords;
            std::string text = (land ? "Land tiles " : "Items ") + Hex4(first) + "-" + Hex4(first + kTiledataGroupRecords - 1);
            std::size_t shown = 0;
            for (const std::string& name : TiledataNames(n, block)) {
                if (name.empty() || shown == kFirstNames) continue;
                text += (shown++ == 0 ? ": '" : ", '") + name + "'";
            }
            return text;
        }
        case kAnim:
            if (const std::optional<AnimName> name = AnimBlockName(n))
                return "Body " + std::to_string(name->body) + ", action " + std::to_string(name->action) +
                       ", direction " + std::to_string(name->direction);
            return "";
        default: return "";
    }
}
