// What a block stands for in the game, where the block number or the
// client's tiledata can tell: "Item 0x0E75 'backpack'" for a static's art,
// "Land tile 0x0003 'grass'", a tiledata group's range and first names, an
// animation's body, action and direction.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "io/bytes.h"

// The client's tiledata group `group` (no bytes: the client has none).
using TiledataGroupFn = std::function<Bytes(std::int32_t group)>;

// The name of block `n` of `fileId`, whose data is `block`; "" for types
// without names. Art names come from `tiledata`, a tiledata group's from
// the block itself.
std::string BlockName(std::uint8_t fileId, std::int32_t n, ByteView block, const TiledataGroupFn& tiledata);
