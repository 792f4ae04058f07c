#include "app/anim_player.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/picture_view.h"
#include "codecs/file_ids.h"
#include "gamefiles/anim_layout.h"
#include "gamefiles/block_names.h"
#include "images/anim_canvas.h"

namespace {
constexpr int kFrameInterval = 100;  // milliseconds: ten frames a second
}  // namespace

AnimPlayer::AnimPlayer(QWidget* parent, PictureView& view, std::function<bool(std::int32_t)> held)
    : QWidget(parent), view_(view), held_(std::move(held)) {
    setObjectName(QStringLiteral("AnimPlayer"));
    timer_ = new QTimer(this);
    timer_->setInterval(kFrameInterval);
    connect(timer_, &QTimer::timeout, this, [this] { Step(+1); });

    const QString back = QStringLiteral("\u25C0"), next = QStringLiteral("\u25B6");
    back_ = Make("actFrameBack", QStringLiteral("Previous frame"), back, "Ctrl+,");
    play_ = Make("actPlayPause", QStringLiteral("Play or pause"), QStringLiteral("Play"), "Ctrl+Shift+P");
    next_ = Make("actFrameNext", QStringLiteral("Next frame"), next, "Ctrl+.");
    directionBack_ = Make("actDirectionBack", QStringLiteral("Previous direction"), back + QStringLiteral(" Direction"),
                          "Alt+Left");
    directionNext_ = Make("actDirectionNext", QStringLiteral("Next direction"), QStringLiteral("Direction ") + next,
                          "Alt+Right");
    actionBack_ = Make("actActionBack", QStringLiteral("Previous action"), back + QStringLiteral(" Action"), "Alt+Up");
    actionNext_ = Make("actActionNext", QStringLiteral("Next action"), QStringLiteral("Action ") + next, "Alt+Down");
    connect(back_, &QAction::triggered, this, &AnimPlayer::StepBack);
    connect(next_, &QAction::triggered, this, &AnimPlayer::StepForward);
    connect(play_, &QAction::triggered, this, [this] { IsPlaying() ? Pause() : Play(); });
    struct Neighbour {
        QAction* action;
        AnimAxis axis;
        int step;
    };
    for (const Neighbour& n : {Neighbour{directionBack_, AnimAxis::kDirection, -1},
                               Neighbour{directionNext_, AnimAxis::kDirection, +1},
                               Neighbour{actionBack_, AnimAxis::kAction, -1},
                               Neighbour{actionNext_, AnimAxis::kAction, +1}})
        connect(n.action, &QAction::triggered, this, [this, n] {
            if (const auto to = NeighbourAnimBlock(block_, n.axis, n.step, held_)) emit Wanted(*to);
        });

    auto button = [this](QAction* action) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("cmd") + action->objectName().mid(3));
        b->setDefaultAction(action);
        return b;
    };
    lblFrame_ = new QLabel(this);
    lblFrame_->setObjectName(QStringLiteral("lblFrame"));
    lblAnimName_ = new QLabel(this);
    lblAnimName_->setObjectName(QStringLiteral("lblAnimName"));
    auto* frames = new QHBoxLayout;
    frames->addWidget(button(back_));
    frames->addWidget(button(play_));
    frames->addWidget(button(next_));
    frames->addSpacing(8);
    frames->addWidget(lblFrame_);
    frames->addStretch(1);
    auto* names = new QHBoxLayout;
    names->addWidget(lblAnimName_);
    names->addSpacing(8);
    names->addWidget(button(directionBack_));
    names->addWidget(button(directionNext_));
    names->addWidget(button(actionBack_));
    names->addWidget(button(actionNext_));
    names->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(frames);
    layout->addLayout(names);
    Stop();
}

QAction* AnimPlayer::Make(const char* name, const QString& text, const QString& caption, const char* key) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setIconText(caption);
    a->setShortcut(QKeySequence(QString::fromLatin1(key)));
    a->setToolTip(QStringLiteral("%1 (%2)").arg(text, a->shortcut().toString(QKeySequence::NativeText)));
    addAction(a);
    return a;
}

bool AnimPlayer::IsPlaying() const { return timer_->isActive(); }

std::string AnimPlayer::Load(std::int32_t block, ByteView bytes) {
    Stop();
    block_ = block;
    lblAnimName_->setText(QString::fromStdString(BlockName(kAnim, block_, {}, {})));
    UpdateSteps();
    show();
    AnimDecoding decoded = DecodeAnimationFrames(bytes);
    animation_ = std::move(decoded.animation);
    numbers_ = std::move(decoded.numbers);
    count_ = decoded.count;
    box_ = AnimCanvasBox(animation_);
    ShowFrame(0);
    if (Frames() > 1) Play();
    return DamageText(decoded);
}

void AnimPlayer::Stop() {
    Pause();
    hide();
    animation_ = {};
    numbers_.clear();
    count_ = 0;
    box_ = {};
    frame_ = 0;
    for (QAction* a : actions()) a->setEnabled(false);
}

void AnimPlayer::Play() {
    if (Frames() < 2) return;
    timer_->start();
    play_->setIconText(QStringLiteral("Pause"));
}

void AnimPlayer::Pause() {
    timer_->stop();
    play_->setIconText(QStringLiteral("Play"));
}

void AnimPlayer::Step(int by) {
    if (Frames() == 0) return;
    const auto count = static_cast<std::int64_t>(Frames());
    ShowFrame(static_cast<std::size_t>(((static_cast<std::int64_t>(frame_) + by) % count + count) % count));
}

void AnimPlayer::ShowFrame(std::size_t index) {
    frame_ = index;
    for (QAction* a : {play_, back_, next_}) a->setEnabled(Frames() > 1);
    // Counted as the block counts them, frames that do not decode included.
    lblFrame_->setText(count_ == 0    ? QStringLiteral("No frames")
                       : Frames() == 0 ? QStringLiteral("No frame decodes")
                                       : QStringLiteral("Frame %1 of %2").arg(numbers_[index] + 1).arg(count_));
    if (Frames() == 0) return;
    view_.SetPicture(AnimPlayedFrame(animation_, index, box_));
    emit FrameShown(numbers_[index]);
}

void AnimPlayer::UpdateSteps() {
    directionBack_->setEnabled(NeighbourAnimBlock(block_, AnimAxis::kDirection, -1, held_).has_value());
    directionNext_->setEnabled(NeighbourAnimBlock(block_, AnimAxis::kDirection, +1, held_).has_value());
    actionBack_->setEnabled(NeighbourAnimBlock(block_, AnimAxis::kAction, -1, held_).has_value());
    actionNext_->setEnabled(NeighbourAnimBlock(block_, AnimAxis::kAction, +1, held_).has_value());
}
