#include "codecs/zlib_codec.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <string>

Result<Bytes> InflateExact(const InputPull& pull, std::size_t size) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return Error("the zlib decoder cannot start");
    // The output grows as the stream proves it, up to `size`.
    Bytes result(std::min<std::size_t>(size, 1 << 16));
    std::uint8_t spare = 0;  // catches output beyond `size`
    z.next_out = result.data();
    z.avail_out = static_cast<uInt>(result.size());
    std::string error;
    bool ended = false;
    while (!ended && error.empty()) {
        if (z.avail_in == 0) {
            const ByteView piece = pull();
            if (piece.empty()) {
                error = "the zlib stream ends early";
                break;
            }
            z.next_in = const_cast<Bytef*>(piece.data());
            z.avail_in = static_cast<uInt>(piece.size());
        }
        if (z.avail_out == 0 && z.next_out != &spare) {
            const std::size_t produced = result.size();
            if (produced < size) {
                result.resize(std::min(size, 2 * produced));
                z.next_out = result.data() + produced;
                z.avail_out = static_cast<uInt>(result.size() - produced);
            } else {
                z.next_out = &spare;
                z.avail_out = 1;
            }
        }
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (z.next_out == &spare + 1) error = "the zlib stream decodes to more than " + std::to_string(size) + " bytes";
        else if (rc == Z_STREAM_END) ended = true;
        else if (rc == Z_DATA_ERROR) error = std::string("the zlib stream is damaged (") + (z.msg ? z.msg : "bad data") + ")";
        else if (rc != Z_OK && rc != Z_BUF_ERROR) error = "the zlib decoder failed";
    }
    if (ended && z.total_out != size)
        error = "the zlib stream decodes to " + std::to_string(z.total_out) + " bytes, not " + std::to_string(size);
    inflateEnd(&z);
    if (!error.empty()) return Error(error);
    return result;
}

namespace {
// zlib's default level, which the client's own packages use.
constexpr int kLevel = 6;

// Each thread keeps one decoder and one encoder: they cost more to make than small entries to code.
struct Coders {
    libdeflate_decompressor* decoder = libdeflate_alloc_decompressor();
    libdeflate_compressor* encoder = libdeflate_alloc_compressor(kLevel);
    ~Coders() {
        libdeflate_free_decompressor(decoder);
        libdeflate_free_compressor(encoder);
    }
};
Coders& ThreadCoders() {
    thread_local Coders coders;
    return coders;
}
}  // namespace

Result<Bytes> InflateWhole(ByteView stream, std::size_t size) {
    libdeflate_decompressor* decoder = ThreadCoders().decoder;
    if (!decoder) return Error("the zlib decoder cannot start");
    // One byte more than expected tells a stream that decodes to more.
    Bytes out(size + 1);
    std::size_t read = 0, produced = 0;
    switch (libdeflate_zlib_decompress_ex(decoder, stream.data(), stream.size(), out.data(), out.size(), &read, &produced)) {
    case LIBDEFLATE_SUCCESS: break;
    case LIBDEFLATE_INSUFFICIENT_SPACE: return Error("the zlib stream decodes to more than " + std::to_string(size) + " bytes");
    case LIBDEFLATE_BAD_DATA: return Error("the zlib stream is damaged or ends early");
    default: return Error("the zlib decoder failed");
    }
    if (produced != size) return Error("the zlib stream decodes to " + std::to_string(produced) + " bytes, not " + std::to_string(size));
    out.resize(size);
    return out;
}

Bytes Deflate(ByteView data) {
    libdeflate_compressor* encoder = ThreadCoders().encoder;
    Bytes out(libdeflate_zlib_compress_bound(encoder, data.size()));
    out.resize(libdeflate_zlib_compress(encoder, data.data(), data.size(), out.data(), out.size()));
    return out;
}

std::uint32_t Adler32(ByteView data) { return libdeflate_adler32(1, data.data(), data.size()); }

std::uint32_t Crc32(ByteView data) { return libdeflate_crc32(0, data.data(), data.size()); }
