// SHA-256 of a block's bytes, as lowercase hexadecimal: how diff and verify
// tell blocks apart without printing them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "io/bytes.h"

std::string Sha256Hex(ByteView bytes);

// The same over bytes that arrive in pieces, such as a file read a window
// at a time.
class Sha256 {
public:
    Sha256();
    void Update(ByteView bytes);
    // The digest of everything given; the object is spent.
    std::string Hex();

private:
    std::array<std::uint32_t, 8> h_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingSize_ = 0;
    std::uint64_t length_ = 0;
};
