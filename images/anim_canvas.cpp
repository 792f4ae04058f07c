#include "images/anim_canvas.h"

#include <QPainter>

#include "codecs/anim_pictures.h"
#include "images/frame_pictures.h"

QRect AnimFrameBox(const AnimFrame& frame) {
    if (frame.width == 0 || frame.height == 0) return {};
    return {-frame.centreX, -(frame.centreY + frame.height), frame.width, frame.height};
}

QRect AnimCanvasBox(const Animation& animation) {
    QRect box;
    for (const AnimFrame& frame : animation.frames) box |= AnimFrameBox(frame);
    return box;
}

QImage AnimCanvasFrame(const Animation& animation, std::size_t index, const QRect& box) {
    if (box.isEmpty() || index >= animation.frames.size()) return {};
    QImage canvas(box.size(), QImage::Format_ARGB32);
    if (canvas.isNull()) return canvas;
    canvas.fill(Qt::transparent);
    const AnimFrame& frame = animation.frames[index];
    const QImage cells = FrameImage(FrameToPicture(frame, animation.palette));
    if (!cells.isNull()) QPainter(&canvas).drawImage(AnimFrameBox(frame).topLeft() - box.topLeft(), cells);
    return canvas;
}

QImage AnimPlayedFrame(const Animation& animation, std::size_t index, const QRect& canvas) {
    constexpr std::int64_t kLargestCanvas = 2048 * 2048;
    QRect box = std::int64_t{canvas.width()} * canvas.height() > kLargestCanvas ? AnimFrameBox(animation.frames[index])
                                                                                : canvas;
    if (box.isEmpty()) box = QRect(0, 0, 1, 1);  // frames without pixels keep the view open
    return AnimCanvasFrame(animation, index, box);
}
