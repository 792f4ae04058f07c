// Sound blocks: a 40-byte header whose first bytes are the zero-terminated
// name, then 16-bit mono samples at 22,050 Hz.
#pragma once

#include <cstddef>

#include "io/bytes.h"
#include "io/result.h"

inline constexpr std::size_t kSoundHeaderSize = 40;
inline constexpr std::uint32_t kSoundSampleRate = 22050;

// The block's samples as a WAV file (a 44-byte RIFF header, then the samples);
// a last odd byte, half a sample, is left out. Or why it cannot be made.
Result<Bytes> SoundToWav(ByteView block);
