#include "codecs/png_stream.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {
// A chunk of up to this much deflated data goes out at once.
constexpr std::size_t kChunkBytes = 1 << 18;
}  // namespace

struct PngStream::Deflater {
    z_stream z{};
    Deflater() {
        // The fastest level: a radar picture's long runs of one colour deflate well at any level.
        if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw std::bad_alloc();
    }
    ~Deflater() { deflateEnd(&z); }
};

PngStream::PngStream(std::uint32_t width, std::uint32_t height, Sink sink, bool alpha)
    : width_(width), height_(height), pixelBytes_(alpha ? 4 : 3), sink_(std::move(sink)),
      deflater_(std::make_unique<Deflater>()) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    sink_(kSignature);
    std::uint8_t header[13] = {};
    const auto big = [](std::uint8_t* p, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    big(header, width);
    big(header + 4, height);
    header[8] = 8;  // bits a channel
    header[9] = alpha ? 6 : 2;  // RGBA or RGB
    Chunk("IHDR", header);
}

PngStream::~PngStream() = default;

void PngStream::Chunk(const char* type, ByteView data) {
    std::uint8_t head[8];
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) head[i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0, head + 4, 4);
    // zlib takes no data (a null pointer) for "start a checksum".
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    std::uint8_t tail[4];
    for (int i = 0; i < 4; ++i) tail[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    sink_(head);
    sink_(data);
    sink_(tail);
}

void PngStream::Deflate(ByteView in, bool last) {
    z_stream& z = deflater_->z;
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    std::uint8_t out[1 << 16];
    int done = Z_OK;
    do {
        z.next_out = out;
        z.avail_out = sizeof out;
        done = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
        pending_.insert(pending_.end(), out, out + (sizeof out - z.avail_out));
        if (pending_.size() >= kChunkBytes) {
            Chunk("IDAT", pending_);
            pending_.clear();
        }
    } while (z.avail_in > 0 || (last && done != Z_STREAM_END));
}

void PngStream::AddRows(const std::uint8_t* pixels, std::uint32_t rows, std::size_t stride) {
    static constexpr std::uint8_t kNoFilter[] = {0};
    for (std::uint32_t r = 0; r < rows; ++r, ++rows_) {
        Deflate(kNoFilter, false);
        Deflate({pixels + r * stride, std::size_t{width_} * pixelBytes_}, false);
    }
}

Status PngStream::Finish() {
    if (rows_ != height_)
        return Error("The picture was given " + std::to_string(rows_) + " of its " + std::to_string(height_) + " rows.");
    Deflate({}, true);
    if (!pending_.empty()) Chunk("IDAT", pending_);
    pending_.clear();
    Chunk("IEND", {});
    return {};
}
