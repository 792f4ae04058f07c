// Animation frames to and from 32-bit pictures, one picture a frame, each of
// its frame's own size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codecs/anim_frames.h"
#include "codecs/picture_colors.h"

// A picture to become a frame: its name for messages, and its centre where
// one was given.
struct FramePicture {
    std::string name;
    RgbaPicture picture;
    std::optional<std::int16_t> centreX;
    std::optional<std::int16_t> centreY;
};

// The frame's picture: alpha 0 (and black) where no run covers, else opaque
// in its palette colour (Color16To32).
RgbaPicture FrameToPicture(const AnimFrame& frame, const AnimPalette& palette);

// Builds frames from pictures. A pixel with alpha below 128 is transparent;
// any other takes its colour in 16 bits (Color32To16). The palette is
// `palette` when it holds every colour the pictures use (a colour held twice
// takes its first entry), else the pictures' colours in order of first
// appearance, the rest 0; more than 256 colours are refused. A centre not
// given is x = width / 2, y = 0: the anchor (centre x, centre y + height) is
// then the middle of the picture's bottom edge. Or why not, naming the
// picture at fault.
Result<Animation> AnimationFromPictures(std::span<const FramePicture> pictures,
                                        const std::optional<AnimPalette>& palette);
