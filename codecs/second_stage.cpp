#include "codecs/second_stage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <span>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {
constexpr std::uint32_t kLengthMask = 0x8E2C9A3D;
constexpr std::size_t kCountTable = 256 * 4;

// Byte values with a count above 0, most frequent first, ties by value.
std::vector<std::uint8_t> SymbolOrder(const std::array<std::int64_t, 256>& count) {
    std::vector<std::uint8_t> order;
    for (int v = 0; v < 256; ++v)
        if (count[static_cast<std::size_t>(v)] > 0) order.push_back(static_cast<std::uint8_t>(v));
    std::stable_sort(order.begin(), order.end(), [&](std::uint8_t a, std::uint8_t b) { return count[a] > count[b]; });
    return order;
}

// Move-to-front coding of the bytes in place.
void MoveToFront(std::span<std::uint8_t> s) {
    std::array<std::uint8_t, 256> q;
    std::iota(q.begin(), q.end(), 0);
    for (std::uint8_t& b : s) {
        const auto x = static_cast<std::uint8_t>(std::find(q.begin(), q.end(), b) - q.begin());
        std::memmove(q.data() + 1, q.data(), x);
        q[0] = b;
        b = x;
    }
}

// The count table at `s`: each value's count, which together must be `n`.
Result<std::array<std::int64_t, 256>> ReadCounts(const std::uint8_t* s, std::uint32_t n) {
    std::array<std::int64_t, 256> count{};
    std::int64_t total = 0;
    for (std::size_t v = 0; v < 256; ++v) {
        count[v] = static_cast<std::int32_t>(GetLE32(s + 4 * v));
        if (count[v] < 0) return Error("the second-stage stream has a negative count");
        total += count[v];
    }
    if (total != n)
        return Error("the second-stage counts add up to " + std::to_string(total) + ", not " + std::to_string(n));
    return count;
}

// The byte values in a list in which the decoder takes an entry out and puts
// it back elsewhere, the entries between moving one place.
class PlainList {
public:
    explicit PlainList(std::array<std::uint8_t, 256>& entries) : e_(entries) {}
    std::uint8_t Front() const { return e_[0]; }
    // Takes entry `at` out and puts it in front; gives it.
    std::uint8_t ToFront(std::size_t at) {
        const std::uint8_t v = e_[at];
        std::memmove(e_.data() + 1, e_.data(), at);
        e_[0] = v;
        return v;
    }
    // A move of the front entry to `to`, made ready before the entry is known.
    struct Move {};
    static Move MoveTo(std::size_t) { return {}; }
    // Takes the front entry out and puts it at `to`.
    void FromFront(std::size_t to, Move = {}) {
        const std::uint8_t v = e_[0];
        std::memmove(e_.data(), e_.data() + 1, to);
        e_[to] = v;
    }
    // Takes the front entry out of the `length` entries for good.
    void DropFront(std::size_t length) { std::memmove(e_.data(), e_.data() + 1, length - 1); }

private:
    std::array<std::uint8_t, 256>& e_;
};

#if defined(__x86_64__)
// The same list with its first 16 entries in a register, where a move among
// them is one byte shuffle instead of a move call per byte: the ranks of
// most streams are small.
constexpr std::size_t kHead = 16;
using Shuffles = std::array<std::array<std::uint8_t, kHead>, kHead>;
// Per rank: the lanes' sources for the entry moved to the front, and for the front entry moved back.
alignas(16) constexpr Shuffles kToFront = [] {
    Shuffles t{};
    for (std::size_t at = 0; at < kHead; ++at)
        for (std::size_t i = 0; i < kHead; ++i) t[at][i] = static_cast<std::uint8_t>(i == 0 ? at : i <= at ? i - 1 : i);
    return t;
}();
alignas(16) constexpr Shuffles kFromFront = [] {
    Shuffles t{};
    for (std::size_t to = 0; to < kHead; ++to)
        for (std::size_t i = 0; i < kHead; ++i) t[to][i] = static_cast<std::uint8_t>(i < to ? i + 1 : i == to ? 0 : i);
    return t;
}();

bool HasShuffles() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_SSSE3) != 0;
}

class ShuffledList {
public:
    explicit ShuffledList(std::array<std::uint8_t, 256>& entries) : head_(Load(entries)), e_(entries) {}
    std::uint8_t Front() const { return static_cast<std::uint8_t>(_mm_cvtsi128_si32(head_)); }
    __attribute__((target("ssse3"))) std::uint8_t ToFront(std::size_t at) {
        head_ = at < kHead ? _mm_shuffle_epi8(head_, Lanes(kToFront[at])) : FarToFront(head_, e_, at);
        return Front();
    }
    // The lanes' sources, when the move stays within the head.
    struct Move {
        __m128i lanes;
    };
    static Move MoveTo(std::size_t to) { return {to < kHead ? Lanes(kFromFront[to]) : _mm_setzero_si128()}; }
    __attribute__((target("ssse3"))) void FromFront(std::size_t to, Move move) {
        head_ = to < kHead ? _mm_shuffle_epi8(head_, move.lanes) : FarFromFront(head_, e_, to);
    }
    void DropFront(std::size_t length) { head_ = FarDropFront(head_, e_, length); }

private:
    using Entries = std::array<std::uint8_t, 256>;
    static __m128i Lanes(const std::array<std::uint8_t, kHead>& a) { return _mm_load_si128(reinterpret_cast<const __m128i*>(a.data())); }
    static __m128i Load(const Entries& e) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(e.data())); }
    static void Store(Entries& e, __m128i head) { _mm_storeu_si128(reinterpret_cast<__m128i*>(e.data()), head); }
    // The moves past the head, out of line: the head lives in a register
    // across them only as their argument and result.
    __attribute__((noinline)) static __m128i FarToFront(__m128i head, Entries& e, std::size_t at) {
        Store(e, head);
        PlainList(e).ToFront(at);
        return Load(e);
    }
    __attribute__((noinline)) static __m128i FarFromFront(__m128i head, Entries& e, std::size_t to) {
        Store(e, head);
        PlainList(e).FromFront(to);
        return Load(e);
    }
    __attribute__((noinline)) static __m128i FarDropFront(__m128i head, Entries& e, std::size_t length) {
        Store(e, head);
        PlainList(e).DropFront(length);
        return Load(e);
    }

    __m128i head_;
    Entries& e_;  // the first 16 stale while head_ holds them
};
#endif

template <class List>
void UndoMoveToFront(std::span<std::uint8_t> s) {
    std::array<std::uint8_t, 256> entries;
    std::iota(entries.begin(), entries.end(), 0);
    List q(entries);
    for (std::uint8_t& b : s) b = q.ToFront(b);
}

// Past a symbol's last occurrence: no rank follows.
constexpr std::uint16_t kLast = 256;

// Where each symbol's segment of ranks stands in the stream, each symbol's
// rank to come, and the list of symbols its first ranks make.
struct Segments {
    std::array<std::uint8_t, 256> first{};
    std::array<std::size_t, 256> next{}, end{};
    // Read a step ahead: a symbol is then one load away from its rank, not three.
    std::array<std::uint16_t, 256> coming{};
    std::size_t symbols = 0;

    void Advance(const std::uint8_t* r, std::uint8_t sym) { coming[sym] = next[sym] < end[sym] ? r[next[sym]++] : kLast; }
};

Result<Segments> SegmentsOf(const std::uint8_t* r, const std::array<std::int64_t, 256>& count) {
    const std::vector<std::uint8_t> order = SymbolOrder(count);
    Segments s;
    s.symbols = order.size();
    std::array<bool, 256> placed{};
    std::size_t at = 0;
    for (std::uint8_t sym : order) {
        const std::uint8_t rank = r[at];
        if (rank >= s.symbols || placed[rank]) return Error("the second-stage ranks are not a permutation");
        placed[rank] = true;
        s.first[rank] = sym;
        s.next[sym] = at + 1;
        at += static_cast<std::size_t>(count[sym]);
        s.end[sym] = at;
        s.Advance(r, sym);
    }
    return s;
}

// Fills `out` from the ranks `r`: each symbol in turn is the list's front,
// and goes back to the place its next rank gives. The failure, or null.
template <class List>
const char* Unrank(std::span<std::uint8_t> out, const std::uint8_t* r, Segments& s) {
    List active(s.first);  // the symbols by the position of their next occurrence
    // Each symbol's coming move: one load away from the symbol.
    std::array<typename List::Move, 256> moves;
    for (std::size_t v = 0; v < moves.size(); ++v) moves[v] = List::MoveTo(s.coming[v]);
    std::size_t length = s.symbols;
    for (std::uint8_t& o : out) {
        if (length == 0) return "the second-stage stream runs out of symbols";
        const std::uint8_t sym = active.Front();
        o = sym;
        const std::size_t g = s.coming[sym];
        if (g < length) {
            const typename List::Move move = moves[sym];
            s.Advance(r, sym);
            moves[sym] = List::MoveTo(s.coming[sym]);
            active.FromFront(g, move);
        } else if (g == kLast) {
            active.DropFront(length--);
        } else {
            return "the second-stage stream has a gap past its symbols";
        }
    }
    return nullptr;
}

#if defined(__x86_64__)
__attribute__((target("ssse3"), flatten)) void UndoMoveToFrontShuffled(std::span<std::uint8_t> s) {
    UndoMoveToFront<ShuffledList>(s);
}
__attribute__((target("ssse3"), flatten)) const char* UnrankShuffled(std::span<std::uint8_t> out, const std::uint8_t* r,
                                                                     Segments& s) {
    return Unrank<ShuffledList>(out, r, s);
}
#endif
}  // namespace

Result<Bytes> UndoSecondStage(Bytes stream) {
    if (stream.size() < 4 + kCountTable) return Error("the second-stage stream is shorter than its count table");
    const std::uint32_t n = GetLE32(stream.data()) ^ kLengthMask;
    if (n > kSecondStageMaxPayload) return Error("the second-stage stream claims " + std::to_string(n) + " bytes");
    const std::uint8_t* s = stream.data() + 4;
    const std::size_t sSize = stream.size() - 4;
#if defined(__x86_64__)
    static const bool shuffles = HasShuffles();
    if (shuffles)
        UndoMoveToFrontShuffled(std::span(stream).subspan(4));
    else
#endif
        UndoMoveToFront<PlainList>(std::span(stream).subspan(4));
    const Result<std::array<std::int64_t, 256>> counted = ReadCounts(s, n);
    if (!counted) return counted.error();
    if (sSize - kCountTable < n) return Error("the second-stage stream is shorter than its counts");
    const std::uint8_t* r = s + kCountTable;
    Result<Segments> segments = SegmentsOf(r, *counted);
    if (!segments) return segments.error();
    Bytes out(n);
#if defined(__x86_64__)
    const char* failed = shuffles ? UnrankShuffled(out, r, *segments) : Unrank<PlainList>(out, r, *segments);
#else
    const char* failed = Unrank<PlainList>(out, r, *segments);
#endif
    if (failed) return Error(failed);
    return out;
}

Bytes ApplySecondStage(ByteView payload) {
    std::array<std::int64_t, 256> count{};
    for (std::uint8_t b : payload) ++count[b];
    const std::vector<std::uint8_t> order = SymbolOrder(count);

    // Backwards: the position of a symbol in the list of symbols seen (most
    // recent first) is the number of distinct values before its next occurrence.
    std::vector<std::uint8_t> gaps(payload.size(), 0);
    std::vector<std::uint8_t> seen;
    for (std::size_t i = payload.size(); i-- > 0;) {
        const std::uint8_t b = payload[i];
        auto it = std::find(seen.begin(), seen.end(), b);
        if (it != seen.end()) {
            gaps[i] = static_cast<std::uint8_t>(it - seen.begin());
            seen.erase(it);
        }
        seen.insert(seen.begin(), b);
    }
    std::array<std::uint8_t, 256> rank{};
    for (std::size_t i = 0; i < seen.size(); ++i) rank[seen[i]] = static_cast<std::uint8_t>(i);

    // Each symbol's segment: its rank, then the gap after each of its occurrences but the last.
    std::array<std::vector<std::uint8_t>, 256> segment;
    for (std::uint8_t sym : order) segment[sym].push_back(rank[sym]);
    std::array<std::int64_t, 256> left = count;
    for (std::size_t i = 0; i < payload.size(); ++i)
        if (--left[payload[i]] > 0) segment[payload[i]].push_back(gaps[i]);

    Bytes s(4 + kCountTable);
    PutLE32(s.data(), static_cast<std::uint32_t>(payload.size()) ^ kLengthMask);
    for (std::size_t v = 0; v < 256; ++v) PutLE32(s.data() + 4 + 4 * v, static_cast<std::uint32_t>(count[v]));
    for (std::uint8_t sym : order) s.insert(s.end(), segment[sym].begin(), segment[sym].end());
    s.resize(s.size() + std::max<std::size_t>(order.size(), 1), 0);
    MoveToFront(std::span(s).subspan(4));
    return s;
}
