// radarcol.mul: 65536 16-bit colours, one per tile number, for the map preview.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Fills `colors` (65536 entries) with the 32-bit forms of the file's colours.
// A file shorter than 131072 bytes loads what it holds; the rest become 0.
// On failure `colors` is left as it was.
std::string ReadRadarColors(const std::string& path, std::vector<std::int32_t>& colors);
