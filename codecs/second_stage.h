// The second stage of packed entries: a "next occurrence" rank code of the
// payload, followed by move-to-front coding of the whole, behind a length
// word. Packages apply zlib on top of it.
#pragma once

#include <string>

#include "io/bytes.h"

// Largest payload the stage may claim to hold.
inline constexpr std::uint32_t kSecondStageMaxPayload = 64u << 20;

// Decodes `stream` (length word, then the coded bytes; the coded bytes are
// changed in place) into `payload`. "" or what does not add up.
std::string UndoSecondStage(Bytes& stream, Bytes& payload);

// The stream for `payload`, padded with one zero byte per distinct value.
Bytes ApplySecondStage(ByteView payload);
