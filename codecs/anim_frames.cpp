#include "codecs/anim_frames.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "codecs/color_grid.h"
#include "io/counted.h"

namespace {
constexpr std::uint32_t kEndOfFrame = 0x7FFF7FFF;
constexpr std::uint64_t kPaletteBytes = 512;
constexpr std::uint64_t kOffsetTable = kPaletteBytes + 4;  // after the frame count
constexpr std::uint64_t kFrameHeader = 8;
constexpr std::int32_t kLongestRun = 0xFFF;
constexpr std::int32_t kNearestOffset = -512, kFarthestOffset = 511;
// A run of a frame of at most that width is shorter than the 4,095 cells
// whose header could read as the end mark.
static_assert(kLargestAnimFrameSide < kLongestRun);

std::int32_t Signed10(std::uint32_t v) {
    v &= 0x3FF;
    return static_cast<std::int32_t>(v) - (v & 0x200 ? 0x400 : 0);
}

std::string FrameName(std::size_t index) { return "Frame " + std::to_string(index); }

std::string TooLarge(const std::string& name, const AnimFrame& frame) {
    const std::string largest = std::to_string(kLargestAnimFrameSide);
    return name + " is " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
           " pixels, larger than the " + largest + " x " + largest + " a frame may be.";
}

// The runs the encoder writes: each longest stretch of covered cells in a
// row, cut every 4,095 cells, rows from the top, left to right. `visit`
// takes the first cell's x and y and the length, and returns false to stop.
template <class Visit>
void ForEachRun(const AnimFrame& frame, Visit visit) {
    const std::size_t w = frame.width;
    for (std::int32_t y = 0; y < frame.height; ++y) {
        const std::int16_t* row = frame.cells.data() + static_cast<std::size_t>(y) * w;
        for (std::int32_t x = 0; x < frame.width;) {
            if (row[x] == kAnimTransparent) {
                ++x;
                continue;
            }
            const std::int32_t first = x;
            while (x < frame.width && row[x] != kAnimTransparent && x - first < kLongestRun) ++x;
            if (!visit(first, y, x - first)) return;
        }
    }
}

// The header of a run whose first cell is at x, y; its offsets are checked
// by CheckAnimFrame.
std::uint32_t RunHeader(const AnimFrame& frame, std::int32_t x, std::int32_t y, std::int32_t length) {
    const auto dx = static_cast<std::uint32_t>(x - frame.centreX),
               dy = static_cast<std::uint32_t>(y - frame.centreY - frame.height);
    return static_cast<std::uint32_t>(length) | ((dy & 0x3FF) << 12) | ((dx & 0x3FF) << 22);
}

void Append(Bytes& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Where a frame's bytes end (after its end mark, else at the end of the
// block), and why it does not decode ("" when it does).
struct FrameRead {
    std::uint64_t end = 0;
    std::string damage;
};

// Reads the frame at `start` (its header lies within the block) up to its
// end mark into `frame`. Runs may reach outside
// the frame's box (a centre far off, a damaged offset); such cells cannot
// show in a width x height frame, so they are counted and left out rather
// than growing the box, which would move every other cell. A frame too
// large to be real is only walked to its end, and refused.
FrameRead DecodeFrame(ByteView block, std::uint64_t start, const std::string& name, AnimFrame& frame) {
    const std::uint8_t* h = &block[start];
    frame.centreX = static_cast<std::int16_t>(GetLE16(h));
    frame.centreY = static_cast<std::int16_t>(GetLE16(h + 2));
    frame.width = GetLE16(h + 4);
    frame.height = GetLE16(h + 6);
    const bool tooLarge = std::max(frame.width, frame.height) > kLargestAnimFrameSide;
    if (!tooLarge) frame.cells.assign(std::size_t{frame.width} * frame.height, kAnimTransparent);
    const std::int64_t w = frame.width, anchorY = std::int64_t{frame.centreY} + frame.height;
    const FrameRead noEnd{block.size(), name + " runs past the end of the block without its end mark."};
    for (std::uint64_t p = start + kFrameHeader;;) {
        if (p + 4 > block.size()) return noEnd;
        const std::uint32_t header = GetLE32(&block[p]);
        p += 4;
        if (header == kEndOfFrame) return {p, tooLarge ? TooLarge(name, frame) : ""};
        const std::int64_t length = header & kLongestRun;
        if (p + static_cast<std::uint64_t>(length) > block.size()) return noEnd;
        const std::int64_t x = frame.centreX + Signed10(header >> 22), y = anchorY + Signed10(header >> 12);
        const std::int64_t from = std::clamp<std::int64_t>(x, 0, w), to = std::clamp<std::int64_t>(x + length, 0, w);
        p += static_cast<std::uint64_t>(length);
        if (tooLarge) continue;
        if (y < 0 || y >= frame.height || from >= to) {
            frame.cellsOutside += length;
        } else {
            frame.cellsOutside += length - (to - from);
            const std::uint8_t* run = block.data() + p - length;
            std::copy(run + (from - x), run + (to - x), frame.cells.begin() + y * w + from);
        }
    }
}

// Where a frame starts, or why it cannot start there.
struct FrameStart {
    std::uint64_t at = 0;
    std::string damage;
};

// Where each frame starts; a start inside the palette and offsets or too
// near the end of the block for the frame's header is damage.
Result<std::vector<FrameStart>> FrameStarts(ByteView block) {
    const std::uint64_t size = block.size();
    const std::uint64_t count = GetLE32(&block[kPaletteBytes]);
    if (count > (size - kOffsetTable) / 4)
        return Error("The animation block claims " + std::to_string(count) + " frames; its " + std::to_string(size) +
                     " bytes hold offsets for " + std::to_string((size - kOffsetTable) / 4) + ".");
    const std::uint64_t tableEnd = kOffsetTable + 4 * count;
    std::vector<FrameStart> starts(count);
    for (std::size_t i = 0; i < count; ++i) {
        FrameStart& s = starts[i];
        s.at = kPaletteBytes + GetLE32(&block[kOffsetTable + 4 * i]);
        if (s.at < tableEnd)
            s.damage = FrameName(i) + " starts at byte " + std::to_string(s.at) + ", inside the palette and offsets.";
        else if (s.at + kFrameHeader > size)
            s.damage = FrameName(i) + " starts at byte " + std::to_string(s.at) + ", past the end of the block's " +
                       std::to_string(size) + " bytes.";
    }
    return starts;
}

// The frames of a block whose offsets were read: each decoded or with the
// reason it is not. Frames are read in the order they lie in the block: a
// frame sharing another's bytes is a copy of it, one starting inside
// another's runs is damage. So each byte is read once, however many
// offsets there are.
Status DecodeFrames(ByteView block, const std::vector<FrameStart>& starts, std::vector<AnimFrame>& frames,
                    std::vector<std::string>& damage) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (starts[i].damage.empty()) order.push_back(i);
        else damage[i] = starts[i].damage;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return starts[l].at < starts[r].at; });
    // Refused before any frame is allocated.
    std::int64_t cells = 0;
    for (const std::size_t i : order) {
        const std::uint8_t* h = &block[starts[i].at];
        if (std::max(GetLE16(h + 4), GetLE16(h + 6)) <= kLargestAnimFrameSide)
            cells += std::int64_t{GetLE16(h + 4)} * GetLE16(h + 6);
        if (cells > kMaxPictureCells)
            return Error("The animation's frames claim more than " + std::to_string(kMaxPictureCells) +
                         " cells together: the block is damaged.");
    }
    std::uint64_t end = 0;
    std::size_t previous = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t i = order[k];
        if (k > 0 && starts[i].at == starts[previous].at) {
            frames[i] = frames[previous];
            if (!damage[previous].empty())
                damage[i] = FrameName(i) + " shares the bytes of frame " + std::to_string(previous) + ", which does not decode.";
            continue;
        }
        if (starts[i].at < end) {
            damage[i] = FrameName(i) + " starts inside the runs of frame " + std::to_string(previous) + ".";
            continue;
        }
        FrameRead read = DecodeFrame(block, starts[i].at, FrameName(i), frames[i]);
        end = read.end;
        damage[i] = std::move(read.damage);
        previous = i;
    }
    return {};
}
}  // namespace

AnimDecoding DecodeAnimationFrames(ByteView block) {
    AnimDecoding d;
    if (block.size() < kOffsetTable) {
        d.damage = {"The block holds " + std::to_string(block.size()) +
                    " bytes, fewer than the 516 of an animation's palette and frame count."};
        return d;
    }
    Animation& a = d.animation;
    for (std::size_t i = 0; i < a.palette.size(); ++i) a.palette[i] = GetLE16(&block[2 * i]) & 0x7FFF;
    const Result<std::vector<FrameStart>> starts = FrameStarts(block);
    if (!starts) {
        d.damage = {starts.error().message};
        return d;
    }
    d.count = starts->size();
    std::vector<AnimFrame> frames(d.count);
    std::vector<std::string> damage(d.count);
    if (Status decoded = DecodeFrames(block, *starts, frames, damage); !decoded) {
        d.damage = {decoded.error().message};
        return d;
    }
    for (std::size_t i = 0; i < d.count; ++i) {
        if (!damage[i].empty()) {
            d.damage.push_back(std::move(damage[i]));
            continue;
        }
        a.frames.push_back(std::move(frames[i]));
        d.numbers.push_back(i);
    }
    return d;
}

std::string DamageText(const AnimDecoding& decoding) {
    constexpr std::size_t kShown = 3;
    std::string text;
    for (std::size_t i = 0; i < decoding.damage.size() && i < kShown; ++i)
        text += (i > 0 ? " " : "") + decoding.damage[i];
    const auto more = static_cast<std::int64_t>(decoding.damage.size()) - static_cast<std::int64_t>(kShown);
    if (more > 0) text += " " + Counted(more, "more frame") + " " + std::string(ForCount(more, "does", "do")) + " not decode either.";
    return text;
}

Result<Animation> DecodeAnimation(ByteView block) {
    AnimDecoding d = DecodeAnimationFrames(block);
    if (!d.damage.empty()) return Error(d.damage.front());
    return std::move(d.animation);
}

Status CheckAnimFrame(const AnimFrame& frame, const std::string& name) {
    if (std::max(frame.width, frame.height) > kLargestAnimFrameSide) return Error(TooLarge(name, frame));
    const std::size_t cells = std::size_t{frame.width} * frame.height;
    if (frame.cells.size() != cells)
        return Error(name + " holds " + std::to_string(frame.cells.size()) + " cells, not its width times height, " +
                     std::to_string(cells) + ".");
    if (std::any_of(frame.cells.begin(), frame.cells.end(),
                    [](std::int16_t c) { return c < kAnimTransparent || c > 255; }))
        return Error(name + " holds a cell that is neither a palette index nor transparent.");
    std::string problem;
    ForEachRun(frame, [&](std::int32_t x, std::int32_t y, std::int32_t) {
        const std::int32_t dx = x - frame.centreX, dy = y - frame.centreY - frame.height;
        if (std::min(dx, dy) < kNearestOffset || std::max(dx, dy) > kFarthestOffset)
            problem = name + " is larger than the run offsets can address: its cells at x " + std::to_string(x) +
                      ", y " + std::to_string(y) + " begin " + std::to_string(dx) + " columns and " +
                      std::to_string(dy) +
                      " rows from the anchor (centre x, centre y + height), where runs begin from -512 to 511.";
        return problem.empty();
    });
    return problem.empty() ? Status() : Error(problem);
}

Result<Bytes> EncodeAnimation(const Animation& animation) {
    const auto& frames = animation.frames;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (Status writable = CheckAnimFrame(frames[i], FrameName(i)); !writable) return writable.error();
    std::int64_t cells = 0;
    for (const AnimFrame& frame : frames) cells += std::int64_t{frame.width} * frame.height;
    if (cells > kMaxPictureCells)
        return Error("The frames hold " + std::to_string(cells) + " cells together, more than the " +
                     std::to_string(kMaxPictureCells) + " of an animation that decodes again.");
    const Error tooLarge("The frames need more than the 4 GiB an animation block's offsets reach.");
    if (frames.size() > (std::numeric_limits<std::uint32_t>::max() - kOffsetTable) / 4) return tooLarge;
    Bytes out;
    out.reserve(kOffsetTable + 4 * frames.size());
    for (std::uint16_t colour : animation.palette) Append(out, colour & 0x7FFFu, 2);
    Append(out, static_cast<std::uint32_t>(frames.size()), 4);
    out.resize(kOffsetTable + 4 * frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const AnimFrame& frame = frames[i];
        const std::uint64_t offset = out.size() - kPaletteBytes;
        if (offset > std::numeric_limits<std::uint32_t>::max()) return tooLarge;
        PutLE32(&out[kOffsetTable + 4 * i], static_cast<std::uint32_t>(offset));
        for (std::int32_t v : {std::int32_t{frame.centreX}, std::int32_t{frame.centreY}, std::int32_t{frame.width},
                               std::int32_t{frame.height}})
            Append(out, static_cast<std::uint32_t>(v), 2);
        ForEachRun(frame, [&](std::int32_t x, std::int32_t y, std::int32_t length) {
            Append(out, RunHeader(frame, x, y, length), 4);
            const std::int16_t* cell = frame.cells.data() + static_cast<std::size_t>(y) * frame.width + x;
            for (std::int32_t k = 0; k < length; ++k) out.push_back(static_cast<std::uint8_t>(cell[k]));
            return true;
        });
        Append(out, kEndOfFrame, 4);
    }
    return out;
}
