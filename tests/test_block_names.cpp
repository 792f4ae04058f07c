// Block names: items and land tiles named by the client's tiledata, tiledata
// groups by their range and first names, animations by body, action and
// direction.
#include <gtest/gtest.h>

#include <map>

#include "codecs/file_ids.h"
#include "gamefiles/block_names.h"
#include "test_support.h"

namespace {
// A tiledata group with these names at these records; records of 26 or 30
// bytes (land) or 37 or 41 (static), the name 2 or 13 bytes after the flags.
B Group(bool land, bool newer, const std::map<int, std::string>& names) {
    const std::size_t flags = newer ? 8 : 4, record = (land ? 22 : 33) + flags, at = flags + (land ? 2 : 13);
    B group(4 + 32 * record, 0);
    for (const auto& [i, name] : names)
        std::copy(name.begin(), name.end(), group.begin() + static_cast<std::ptrdiff_t>(4 + record * i + at));
    return group;
}
}  // namespace

TEST(BlockNames, NameWhatTheBlockNumberAndTheClientsTiledataTell) {
    const B statics = Group(false, false, {{0x15, "backpack"}}), land = Group(true, true, {{3, "grass"}});
    const TiledataGroupFn tiledata = [&](std::int32_t group) {
        return group == 512 + 0x0E75 / 32 ? statics : group == 0 ? land : B{};
    };
    const B groupNames = Group(false, true, {{0, "one"}, {2, "two"}, {5, "three"}, {6, "four"}});
    const struct {
        std::uint8_t fileId;
        std::int32_t n;
        B block;
        bool withTiledata;
        std::string name;
    } cases[] = {
        {kArt, 0x4000 + 0x0E75, {}, true, "Item 0x0E75 'backpack'"},
        {kArt, 0x4000 + 0x0E74, {}, true, "Item 0x0E74"},   // no name in the record
        {kArt, 0x4000 + 0x0E75, {}, false, "Item 0x0E75"},  // no client
        {kArt, 3, {}, true, "Land tile 0x0003 'grass'"},
        {kArt, 40, {}, true, "Land tile 0x0028"},  // the client lacks that group
        {kTiledata, 513, groupNames, false, "Items 0x0020-0x003F: 'one', 'two', 'three'"},
        {kTiledata, 1, Group(true, false, {{31, "last"}}), false, "Land tiles 0x0020-0x003F: 'last'"},
        {kAnim, 22'000 + 65 + 7, {}, false, "Body 201, action 1, direction 2"},
        {kGumps, 5, {}, true, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BlockName(c.fileId, c.n, c.block, c.withTiledata ? tiledata : TiledataGroupFn{}), c.name) << c.n;
}
