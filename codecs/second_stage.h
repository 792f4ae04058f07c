// The second stage of packed entries: a "next occurrence" rank code of the
// payload, followed by move-to-front coding of the whole, behind a length
// word. Packages apply zlib on top of it.
#pragma once

#include "io/bytes.h"
#include "io/result.h"

// Largest payload the stage may claim to hold.
inline constexpr std::uint32_t kSecondStageMaxPayload = 64u << 20;

// The payload of `stream` (length word, then the coded bytes, decoded in
// place), or what does not add up.
Result<Bytes> UndoSecondStage(Bytes stream);

// The stream for `payload`, padded with one zero byte per distinct value.
Bytes ApplySecondStage(ByteView payload);
