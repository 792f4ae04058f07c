// The player of animation blocks in the information panel: the block's
// frames one after another in the panel's picture view at a steady rate,
// each placed by its anchor on one canvas so that the figure stands still;
// play and pause, a step either way and the frame's number. Below, the
// block's body, action and direction, with steps to the neighbouring
// directions and actions the patch or the client holds.
#pragma once

#include <QRect>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecs/anim_frames.h"
#include "io/bytes.h"

class PictureView;
class QAction;
class QLabel;
class QTimer;

class AnimPlayer : public QWidget {
    Q_OBJECT
public:
    // `held` tells which anim blocks there are to step to.
    AnimPlayer(QWidget* parent, PictureView& view, std::function<bool(std::int32_t)> held);

    // Shows anim block `block` and plays the frames that decode from the
    // first; returns why the others do not ("" for a whole block).
    std::string Load(std::int32_t block, ByteView bytes);
    // Stops and hides the player.
    void Stop();
    // Offers the steps to the neighbours `held` tells of now.
    void UpdateSteps();

    std::size_t Frame() const { return frame_; }
    std::size_t Frames() const { return animation_.frames.size(); }
    // The number in the block of the frame shown.
    std::size_t FrameNumber() const { return frame_ < numbers_.size() ? numbers_[frame_] : 0; }
    bool IsPlaying() const;
    // The canvas the frames share, with the anchor at 0, 0.
    QRect Canvas() const { return box_; }

    void Play();
    void Pause();
    void StepForward() { Step(+1); }
    void StepBack() { Step(-1); }

signals:
    // The neighbouring anim block the user stepped to.
    void Wanted(int block);
    // Frame `number` of the block is shown now.
    void FrameShown(std::size_t number);

private:
    void Step(int by);
    void ShowFrame(std::size_t index);
    // An action named `text`, shown on its button as `caption`, on `key`.
    QAction* Make(const char* name, const QString& text, const QString& caption, const char* key);

    PictureView& view_;
    std::function<bool(std::int32_t)> held_;
    QTimer* timer_;
    QLabel* lblFrame_;
    QLabel* lblAnimName_;
    QAction *play_, *back_, *next_;
    QAction *directionBack_, *directionNext_, *actionBack_, *actionNext_;
    std::int32_t block_ = -1;
    Animation animation_;  // the frames that decode
    std::vector<std::size_t> numbers_;  // their numbers in the block
    std::size_t count_ = 0;             // the frames the block holds
    QRect box_;
    std::size_t frame_ = 0;
};
