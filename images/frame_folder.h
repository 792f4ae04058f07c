// An animation's frames as a folder of pictures: frame-000.png,
// frame-001.png, ... (with as many digits as the last number needs, at least
// three, so that name order is frame order) and frames.json:
//   {"frames": [{"centreX", "centreY", "file"}], "palette": [256 numbers]}
// A frame without pixels (0 wide or high) is a picture of one transparent
// pixel whose entry also gives the frame's "width" and "height".
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "codecs/anim_pictures.h"
#include "io/bytes.h"
#include "io/result.h"

inline constexpr const char* kFramesJson = "frames.json";
// The most frames a folder holds: real blocks hold a few dozen, and a block
// of thousands is damage that would take hours to write out.
inline constexpr std::size_t kMostFrameFiles = 4096;

// The name of frame `index` of `count`.
std::string FrameFileName(std::size_t index, std::size_t count);

// The picture frame `frame` is saved as (FrameToPicture; one transparent pixel
// for an empty frame).
RgbaPicture SavedPicture(const AnimFrame& frame, const AnimPalette& palette);

// frames.json for the animation's frames saved under `files`.
std::string FramesJsonText(const Animation& animation, const std::vector<std::string>& files);

// Readies `folder` to take an animation's pictures: creates it (and its
// parents) when missing; refuses anything but a folder, and a folder that
// already holds frame-*.png or frames.json, whatever they are. Whether it
// was created.
Result<bool> MakeFrameFolder(const std::string& folder);

// A frames.json entry.
struct FrameEntry {
    std::optional<std::int16_t> centreX, centreY;
    std::optional<std::uint16_t> width, height;
};

// What a folder of frames holds.
struct FrameFolder {
    std::vector<std::string> files;  // its frame-*.png in name order, numbers by value
    // frames.json's palette and entries, by file name.
    std::optional<AnimPalette> palette;
    std::map<std::string, FrameEntry> entries;
};

// Lists the folder's frame pictures and reads its frames.json when there is
// one; refuses a folder without frame pictures and a frames.json that is not
// laid out as above, saying where.
Result<FrameFolder> ReadFrameFolder(const std::string& folder);

// Takes the palette and the entries of frames.json's `text` (read from
// `path`) into `folder`, or says what is amiss.
Status ParseFramesJson(const std::string& path, ByteView text, FrameFolder& folder);

// The folder's pictures, `pictures[i]` read from files[i], ready to become
// frames: with their centres, and an empty frame's pixel as the empty frame.
std::vector<FramePicture> FramePictures(const FrameFolder& folder, std::vector<RgbaPicture>&& pictures);
