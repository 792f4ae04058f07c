// An animation written to a folder of frame pictures and built from one, in
// the layout of images/frame_folder.h: what the command line and the editor
// both do with such folders.
#pragma once

#include <string>

#include "codecs/anim_frames.h"
#include "io/bytes.h"
#include "io/result.h"

// Writes each frame that decodes as a PNG picture, named after its number
// in the block, and frames.json into `folder`, readied by MakeFrameFolder's
// rules. A block of more than kMostFrameFiles frames is refused before
// anything is written. On a failure nothing
// written stays, nor the folder when it was made for them.
Status SaveFrameFolder(const std::string& folder, const AnimDecoding& decoding);

// The animation block built from a folder's pictures.
struct FramesBuilt {
    Bytes block;
    std::size_t frames = 0;
    // The palette is frames.json's, not one made of the pictures' colours.
    bool paletteFromJson = false;
};

// Builds an animation block from the folder's frame pictures in name order,
// with the centres and the palette of its frames.json where they serve; or
// why not, naming the file or frame at fault.
Result<FramesBuilt> BuildFromFrameFolder(const std::string& folder);
