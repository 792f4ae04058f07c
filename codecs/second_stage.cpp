#include "codecs/second_stage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <span>

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

// Move-to-front coding of the bytes in place, and its undoing.
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

void UndoMoveToFront(std::span<std::uint8_t> s) {
    std::array<std::uint8_t, 256> q;
    std::iota(q.begin(), q.end(), 0);
    for (std::uint8_t& b : s) {
        const std::uint8_t v = q[b];
        std::memmove(q.data() + 1, q.data(), b);
        q[0] = v;
        b = v;
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
}  // namespace

Result<Bytes> UndoSecondStage(Bytes stream) {
    if (stream.size() < 4 + kCountTable) return Error("the second-stage stream is shorter than its count table");
    const std::uint32_t n = GetLE32(stream.data()) ^ kLengthMask;
    if (n > kSecondStageMaxPayload) return Error("the second-stage stream claims " + std::to_string(n) + " bytes");
    const std::uint8_t* s = stream.data() + 4;
    const std::size_t sSize = stream.size() - 4;
    UndoMoveToFront(std::span(stream).subspan(4));
    const Result<std::array<std::int64_t, 256>> counted = ReadCounts(s, n);
    if (!counted) return counted.error();
    const std::array<std::int64_t, 256>& count = *counted;
    if (sSize - kCountTable < n) return Error("the second-stage stream is shorter than its counts");

    const std::uint8_t* r = s + kCountTable;
    const std::vector<std::uint8_t> order = SymbolOrder(count);
    const std::size_t k = order.size();
    std::array<std::uint8_t, 256> active{};
    std::array<bool, 256> placed{};
    std::array<std::size_t, 256> next{}, end{};
    std::size_t at = 0;
    for (std::uint8_t sym : order) {
        const std::uint8_t rank = r[at];
        if (rank >= k || placed[rank]) return Error("the second-stage ranks are not a permutation");
        placed[rank] = true;
        active[rank] = sym;
        next[sym] = at + 1;
        at += static_cast<std::size_t>(count[sym]);
        end[sym] = at;
    }

    Bytes out(n);
    std::size_t length = k;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (length == 0) return Error("the second-stage stream runs out of symbols");
        const std::uint8_t sym = active[0];
        out[i] = sym;
        if (next[sym] < end[sym]) {
            const std::uint8_t g = r[next[sym]++];
            if (g >= length) return Error("the second-stage stream has a gap past its symbols");
            std::memmove(active.data(), active.data() + 1, g);
            active[g] = sym;
        } else {
            std::memmove(active.data(), active.data() + 1, --length);
        }
    }
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
