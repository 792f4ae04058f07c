// PNG pictures made row by row (8-bit RGB or RGBA, deflated as the rows
// come), so that pictures too large to hold whole need only a row and the
// deflater's window; the rest goes out through the sink at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "io/bytes.h"
#include "io/result.h"

class PngStream {
public:
    using Sink = std::function<void(ByteView)>;
    // Starts a picture of width x height pixels (each at least 1), with an
    // alpha channel when `alpha`.
    PngStream(std::uint32_t width, std::uint32_t height, Sink sink, bool alpha = false);
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;
    ~PngStream();

    // The next `rows` rows, 3 bytes a pixel (4 with alpha), `stride` bytes apart.
    void AddRows(const std::uint8_t* pixels, std::uint32_t rows, std::size_t stride);
    // Ends the picture; fails when it was given another number of rows.
    Status Finish();

private:
    struct Deflater;
    void Deflate(ByteView in, bool last);
    void Chunk(const char* type, ByteView data);

    std::uint32_t width_, height_, rows_ = 0;
    std::size_t pixelBytes_;
    Sink sink_;
    std::unique_ptr<Deflater> deflater_;
    Bytes pending_;  // deflated bytes not yet put in a chunk
};
