// An animation's frames on one canvas: each frame is placed by its anchor
// (centre x, centre y + height), so a figure stands still while its frames
// change. The canvas is the union of the frames' boxes around the anchor.
#pragma once

#include <QImage>
#include <QRect>
#include <cstddef>

#include "codecs/anim_frames.h"

// The frame's box with the anchor at 0, 0; empty for a frame without pixels.
QRect AnimFrameBox(const AnimFrame& frame);

// The union of the frames' boxes; empty when no frame has pixels.
QRect AnimCanvasBox(const Animation& animation);

// Frame `index` on a canvas covering `box` (anchor at 0, 0), clear where no
// run covers; a null image when memory runs out or the box is empty.
QImage AnimCanvasFrame(const Animation& animation, std::size_t index, const QRect& box);

// Frame `index` as a player draws it, ten times a second: on the canvas
// `canvas` (AnimCanvasBox), or in its own box where centres far apart make
// the canvas too large to draw afresh each time; a frame without pixels as
// one clear pixel.
QImage AnimPlayedFrame(const Animation& animation, std::size_t index, const QRect& canvas);
