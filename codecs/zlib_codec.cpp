#include "codecs/zlib_codec.h"

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

Bytes Deflate(ByteView data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_DEFAULT_COMPRESSION);
    out.resize(size);
    return out;
}

std::uint32_t Adler32(ByteView data) {
    return static_cast<std::uint32_t>(adler32(adler32(0, nullptr, 0), data.data(), static_cast<uInt>(data.size())));
}
