// The client's block N of one file type, as ClientBlocks shows it.
#pragma once

#include <string_view>

#include "gamefiles/forms/block_source.h"

// Valid until the next call of the ClientBlocks that gave it.
struct ClientBlock : ShownBlock {
    // The file whose entry decided, as spelled in the folder ("art.mul",
    // "verdata.mul", "artLegacyMUL.uop"), also for a block without data;
    // "" when no file stands for the block (a whole file the folder lacks).
    std::string_view source;
};
