// Sound files (WAV, FLAC, Ogg Vorbis) decoded from memory into the samples
// of a sound block: 16-bit mono at 22,050 Hz.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/bytes.h"
#include "io/result.h"

// The form of a sound file's samples.
struct SoundFormat {
    std::int32_t rate = 0;
    std::int32_t channels = 0;
    std::string sampleFormat;  // "8-bit", "24-bit", "32-bit float", ...; "" for 16-bit
};

// "converted from 44,100 Hz stereo 8-bit": the parts of `from` that differ
// from a sound block's 22,050 Hz mono 16-bit, in that order; "" when none do.
std::string ConversionNote(const SoundFormat& from);

struct DecodedSound {
    std::vector<std::int16_t> samples;  // mono, 22,050 Hz
    std::string converted;              // the ConversionNote of the file's form
};

// The most samples a sound file may give or hold (about 100 minutes at
// 22,050 Hz): more comes from a damaged or hostile file, not a game sound.
inline constexpr std::int64_t kMaxSoundSamples = std::int64_t{1} << 27;

// Decodes a WAV, FLAC or Ogg Vorbis file held in memory; other rates,
// channel counts and sample formats are mixed to mono, resampled and
// rounded to 16 bits. `name` names the file in messages. Refused: another
// kind of file, one that does not decode, a rate that cannot be converted,
// more than kMaxSoundSamples.
Result<DecodedSound> DecodeSoundFile(ByteView file, const std::string& name);
