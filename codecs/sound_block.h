// Sound blocks built from samples, and what a new one takes from the block
// it replaces.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "codecs/notes.h"
#include "codecs/wav.h"

// The 40-byte header of a sound block built from the file at `path`: that of
// `replaced`, the live block it replaces, when it holds a whole one; else
// the file's name without its folder, cut to 39 bytes (said in `notes`), and
// zeros after it.
Bytes SoundHeaderFor(std::optional<ByteView> replaced, std::string_view path, Notes& notes);

// A sound block: the 40-byte header, then the 16-bit mono 22,050 Hz samples.
Bytes SoundBlock(ByteView header, std::span<const std::int16_t> samples);

// What SoundToWav leaves out of the block, as a note: an odd last byte.
void NoteHalfSample(ByteView block, Notes& notes);
