// zlib streams (RFC 1950: header, deflate data, Adler-32 trailer) as the
// game's data packages hold them.
#pragma once

#include <cstdint>
#include <functional>

#include "io/bytes.h"
#include "io/result.h"

// Hands out the next piece of input; an empty view means there is no more.
using InputPull = std::function<ByteView()>;

// Inflates one zlib stream into exactly `size` bytes: the stream must end,
// its Adler-32 verified, after exactly that much output. Input after the end
// of the stream is not read. Or what is wrong with the stream.
Result<Bytes> InflateExact(const InputPull& pull, std::size_t size);

// The same for a stream held whole (bytes after its end are ignored), by
// the faster whole-buffer decoder.
Result<Bytes> InflateWhole(ByteView stream, std::size_t size);

// A whole zlib stream of `data`.
Bytes Deflate(ByteView data);

// The Adler-32 checksum of `data`, as zlib streams end in.
std::uint32_t Adler32(ByteView data);

// The CRC-32 of `data`: a quick check that bytes read
// back are the bytes written.
std::uint32_t Crc32(ByteView data);
