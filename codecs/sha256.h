// SHA-256 of a block's bytes, as lowercase hexadecimal: how diff and verify
// tell blocks apart without printing them.
#pragma once

#include <string>

#include "io/bytes.h"

std::string Sha256Hex(ByteView bytes);
