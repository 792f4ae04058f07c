#include "codecs/anim_pictures.h"

#include <algorithm>

#include "codecs/colors.h"

namespace {
constexpr std::int32_t kLargestSide = 0xFFFF;  // width and height are 16-bit
constexpr std::uint8_t kOpaque = 255;
constexpr std::uint8_t kLeastOpaque = 128;
}  // namespace

RgbaPicture FrameToPicture(const AnimFrame& frame, const AnimPalette& palette) {
    RgbaPicture picture{frame.width, frame.height, {}};
    const std::size_t pixels = std::min(frame.cells.size(), std::size_t{frame.width} * frame.height);
    picture.rgba.assign(4 * std::size_t{frame.width} * frame.height, 0);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::int16_t cell = frame.cells[i];
        if (cell < 0 || cell >= static_cast<std::int16_t>(palette.size())) continue;
        const std::int32_t colour = Color16To32(palette[static_cast<std::size_t>(cell)]);
        std::uint8_t* p = &picture.rgba[4 * i];
        p[0] = static_cast<std::uint8_t>(colour);
        p[1] = static_cast<std::uint8_t>(colour >> 8);
        p[2] = static_cast<std::uint8_t>(colour >> 16);
        p[3] = kOpaque;
    }
    return picture;
}

namespace {
// The colours the pictures use, in the order they are first met.
struct ColoursMet {
    std::vector<std::uint16_t> used;
    std::vector<std::int16_t> place = std::vector<std::int16_t>(0x8000, kAnimTransparent);
};

// One picture as a frame whose cells hold their colour's place in `met.used`.
Result<AnimFrame> PictureToFrame(const FramePicture& from, ColoursMet& met) {
    const RgbaPicture& p = from.picture;
    if (p.width < 0 || p.height < 0 || p.width > kLargestSide || p.height > kLargestSide)
        return Error(from.name + " is " + std::to_string(p.width) + " x " + std::to_string(p.height) +
                     " pixels; a frame is at most 65535 wide and high.");
    const std::size_t pixels = static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
    if (p.rgba.size() != 4 * pixels)
        return Error(from.name + " holds " + std::to_string(p.rgba.size()) + " bytes, not 4 for each of its " +
                     std::to_string(pixels) + " pixels.");
    AnimFrame frame;
    frame.width = static_cast<std::uint16_t>(p.width);
    frame.height = static_cast<std::uint16_t>(p.height);
    frame.centreX = from.centreX.value_or(static_cast<std::int16_t>(p.width / 2));
    frame.centreY = from.centreY.value_or(std::int16_t{0});
    frame.cells.assign(pixels, kAnimTransparent);
    for (std::size_t k = 0; k < pixels; ++k) {
        const std::uint8_t* px = &p.rgba[4 * k];
        if (px[3] < kLeastOpaque) continue;
        const auto colour = static_cast<std::uint16_t>(Color32To16(px[0] + 256 * px[1] + 65536 * px[2]));
        if (met.place[colour] == kAnimTransparent) {
            met.place[colour] = static_cast<std::int16_t>(met.used.size());
            met.used.push_back(colour);
        }
        frame.cells[k] = met.place[colour];
    }
    return frame;
}
}  // namespace

Result<Animation> AnimationFromPictures(std::span<const FramePicture> pictures,
                                        const std::optional<AnimPalette>& palette) {
    Animation a;
    a.frames.resize(pictures.size());
    // Until the palette is known, a cell holds its colour's place in `used`.
    ColoursMet met;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        Result<AnimFrame> frame = PictureToFrame(pictures[i], met);
        if (!frame) return frame.error();
        a.frames[i] = std::move(*frame);
    }
    const std::vector<std::uint16_t>& used = met.used;
    const std::vector<std::int16_t>& place = met.place;

    std::vector<std::int16_t> entry(used.size(), kAnimTransparent);
    if (palette) {
        for (std::size_t j = palette->size(); j-- > 0;) {
            const std::int16_t at = place[(*palette)[j] & 0x7FFF];
            if (at != kAnimTransparent) entry[static_cast<std::size_t>(at)] = static_cast<std::int16_t>(j);
        }
    }
    if (palette && std::find(entry.begin(), entry.end(), kAnimTransparent) == entry.end()) {
        a.palette = *palette;
    } else {
        if (used.size() > a.palette.size())
            return Error("The pictures use " + std::to_string(used.size()) +
                         " colours, more than the 256 a palette holds.");
        std::copy(used.begin(), used.end(), a.palette.begin());
        for (std::size_t j = 0; j < used.size(); ++j) entry[j] = static_cast<std::int16_t>(j);
    }
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        for (std::int16_t& cell : a.frames[i].cells)
            if (cell != kAnimTransparent) cell = entry[static_cast<std::size_t>(cell)];
        if (Status writable = CheckAnimFrame(a.frames[i], pictures[i].name); !writable) return writable.error();
    }
    return a;
}
