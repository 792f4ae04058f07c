#include "codecs/sha256.h"

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {
constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotate(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::array<std::uint32_t, 8>& h, const std::uint8_t* chunk) {
    std::array<std::uint32_t, 64> w{};
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t{chunk[4 * i]} << 24 | std::uint32_t{chunk[4 * i + 1]} << 16 |
               std::uint32_t{chunk[4 * i + 2]} << 8 | chunk[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, k] = h;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1 = k + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        const std::uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        k = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> add = {a, b, c, d, e, f, g, k};
    for (int i = 0; i < 8; ++i) h[i] += add[i];
}

#if defined(__x86_64__)
// The processor's SHA instructions, where it has them: several times faster
// than the rounds above on the whole chunks of a large file.
bool HasShaInstructions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 29)) != 0 && __get_cpuid(1, &a, &b, &c, &d) &&
           (c & bit_SSE4_1) != 0 && (c & bit_SSSE3) != 0;
}

__attribute__((target("sha,sse4.1,ssse3"))) void CompressWithShaInstructions(std::array<std::uint32_t, 8>& h,
                                                                             const std::uint8_t* chunks,
                                                                             std::size_t count) {
    const __m128i bigEndian = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    // The state as the instructions hold it: ABEF and CDGH.
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[0])), 0xB1);
    __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&h[4])), 0x1B);
    __m128i abef = _mm_alignr_epi8(abcd, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, abcd, 0xF0);
    for (; count > 0; --count, chunks += 64) {
        const __m128i savedAbef = abef, savedCdgh = cdgh;
        __m128i w[4];  // the last four groups of four message words
        for (int i = 0; i < 16; ++i) {
            __m128i& m = w[i % 4];
            if (i < 4) {
                m = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chunks + 16 * i)), bigEndian);
            } else {
                const __m128i& last = w[(i + 3) % 4];
                const __m128i sum = _mm_add_epi32(_mm_sha256msg1_epu32(m, w[(i + 1) % 4]),
                                                  _mm_alignr_epi8(last, w[(i + 2) % 4], 4));
                m = _mm_sha256msg2_epu32(sum, last);
            }
            __m128i k = _mm_add_epi32(m, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRound[4 * i])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, k);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(k, 0x0E));
        }
        abef = _mm_add_epi32(abef, savedAbef);
        cdgh = _mm_add_epi32(cdgh, savedCdgh);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[0]), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&h[4]), _mm_alignr_epi8(dchg, feba, 8));
}
#endif

// Whole chunks; the padded tail always takes the portable rounds, so every
// digest runs through both where the processor has the instructions.
void CompressChunks(std::array<std::uint32_t, 8>& h, const std::uint8_t* chunks, std::size_t count) {
#if defined(__x86_64__)
    static const bool instructions = HasShaInstructions();
    if (instructions) {
        CompressWithShaInstructions(h, chunks, count);
        return;
    }
#endif
    for (std::size_t i = 0; i < count; ++i) Compress(h, chunks + 64 * i);
}
}  // namespace

Sha256::Sha256()
    : h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Update(ByteView bytes) {
    if (bytes.empty()) return;  // an empty view may hold no pointer at all
    length_ += bytes.size();
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(bytes.size(), pending_.size() - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, bytes.data(), take);
        pendingSize_ += take;
        bytes = bytes.subspan(take);
        if (pendingSize_ < pending_.size()) return;
        Compress(h_, pending_.data());
        pendingSize_ = 0;
    }
    const std::size_t whole = bytes.size() / 64 * 64;
    CompressChunks(h_, bytes.data(), whole / 64);
    std::memcpy(pending_.data(), bytes.data() + whole, bytes.size() - whole);
    pendingSize_ = bytes.size() - whole;
}

std::string Sha256::Hex() {
    // The tail, a 1 bit, zeros, and the length in bits: one or two chunks.
    std::array<std::uint8_t, 128> tail{};
    std::memcpy(tail.data(), pending_.data(), pendingSize_);
    tail[pendingSize_] = 0x80;
    const std::size_t end = pendingSize_ < 56 ? 64 : 128;
    const std::uint64_t bits = length_ * 8;
    for (int i = 0; i < 8; ++i) tail[end - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
    for (std::size_t at = 0; at < end; at += 64) Compress(h_, tail.data() + at);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const std::uint32_t word : h_)
        for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(word >> shift) & 15];
    return out;
}

std::string Sha256Hex(ByteView bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return hash.Hex();
}
