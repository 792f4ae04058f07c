// Helpers of the block commands of the tree's context menu.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Appends "." + extension unless the path already ends in it (in any case);
// a trailing NUL character is dropped first.
std::string EnsureExtension(std::string path, const std::string& extension);

// The block number typed at the prompt: decimal (halves to even) or "0x"
// followed by hexadecimal digits; nothing unless it lies in 0..65535.
std::optional<std::int32_t> ParseBlockNumberInput(const std::string& text);
