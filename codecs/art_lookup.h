// What drawings of houses and map blocks read: blocks of art, tiledata and
// statics by number, from wherever the caller finds them (a patch over a
// client's folder), and what that source lacks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "io/bytes.h"

class ArtLookup {
public:
    virtual ~ArtLookup() = default;
    // Block n of art, tiledata or statics; empty when there is no data.
    // Valid until the next call.
    virtual ByteView Block(std::uint8_t fileId, std::int32_t n) = 0;
    // What the source lacks, for a note under a drawing: the file type it
    // concerns (art for the folder as a whole) and the text.
    using Lack = std::pair<std::uint8_t, std::string>;
    virtual const std::vector<Lack>& Lacking() const = 0;

    // The tiledata height of item `item`; 0 when its record is missing.
    std::int32_t ItemHeight(std::int32_t item);
};
