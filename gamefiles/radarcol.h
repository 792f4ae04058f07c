// radarcol.mul: 65536 16-bit colours, one per tile number, for the map preview.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/result.h"

// The 32-bit forms of the file's 65536 colours. A file shorter than 131072
// bytes gives what it holds; the rest are 0.
Result<std::vector<std::int32_t>> ReadRadarColors(const std::string& path);
