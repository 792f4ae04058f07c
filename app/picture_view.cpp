#include "app/picture_view.h"

#include <QAction>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/settings.h"

namespace {
constexpr std::array<int, 5> kZooms = {0, 1, 2, 4, 8};
const QString kFitKey = QStringLiteral("Ctrl+9"), kActualKey = QStringLiteral("Ctrl+0");

// Light squares behind transparent cells, as image editors draw them.
void PaintCheckerboard(QImage& canvas) {
    constexpr int kSquare = 8;
    QPainter painter(&canvas);
    painter.fillRect(canvas.rect(), QColor(0xFF, 0xFF, 0xFF));
    for (int y = 0; y < canvas.height(); y += kSquare)
        for (int x = (y / kSquare % 2) * kSquare; x < canvas.width(); x += 2 * kSquare)
            painter.fillRect(x, y, kSquare, kSquare, QColor(0xD8, 0xD8, 0xD8));
}
}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PictureView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* zoomRow = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const char* captions[] = {"Fit", "1\u00D7", "2\u00D7", "4\u00D7", "8\u00D7"};
    const QString steps = QStringLiteral("%1 and %2 step the zoom")
                              .arg(QKeySequence(QKeySequence::ZoomIn).toString(QKeySequence::NativeText),
                                   QKeySequence(QKeySequence::ZoomOut).toString(QKeySequence::NativeText));
    const QString tips[] = {QStringLiteral("Fit the pictures to the panel (%1)").arg(kFitKey),
                            QStringLiteral("Actual size (%1)").arg(kActualKey),
                            QStringLiteral("Each pixel 2 \u00D7 2 (%1)").arg(steps),
                            QStringLiteral("Each pixel 4 \u00D7 4 (%1)").arg(steps),
                            QStringLiteral("Each pixel 8 \u00D7 8 (%1)").arg(steps)};
    for (std::size_t i = 0; i < kZooms.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(i == 0 ? QStringLiteral("cmdZoomFit") : QStringLiteral("cmdZoom%1").arg(kZooms[i]));
        b->setText(QString::fromUtf8(captions[i]));
        b->setToolTip(tips[i]);
        b->setCheckable(true);
        b->setAutoRaise(true);
        group->addButton(b);
        zoomRow->addWidget(b);
        const int zoom = kZooms[i];
        connect(b, &QToolButton::clicked, this, [this, zoom] { SetZoom(zoom); });
        zoomButtons_[i] = b;
    }
    lblSize_ = new QLabel(this);
    lblSize_->setObjectName(QStringLiteral("lblPictureSize"));
    zoomRow->addSpacing(8);
    zoomRow->addWidget(lblSize_);
    zoomRow->addStretch(1);
    layout->addLayout(zoomRow);
    struct Key {
        const char* name;
        QKeySequence key;
        std::function<void()> run;
    };
    for (const Key& k : {Key{"actZoomIn", QKeySequence::ZoomIn, [this] { ZoomIn(); }},
                         Key{"actZoomOut", QKeySequence::ZoomOut, [this] { ZoomOut(); }},
                         Key{"actZoomActual", QKeySequence(kActualKey), [this] { SetZoom(1); }},
                         Key{"actZoomFit", QKeySequence(kFitKey), [this] { SetZoom(0); }}}) {
        auto* a = new QAction(QString::fromLatin1(k.name), this);
        a->setObjectName(QString::fromLatin1(k.name));
        a->setShortcut(k.key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, k.run);
        addAction(a);
    }
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->viewport()->installEventFilter(this);
    picInfo_ = new QLabel(scroll_);
    picInfo_->setObjectName(QStringLiteral("picInfo"));
    picInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setWidget(picInfo_);
    scroll_->setWidgetResizable(false);
    layout->addWidget(scroll_, 1);
    const int stored = OpenSettingsStore()->value(kZoomKey, 0).toInt();
    zoom_ = std::find(kZooms.begin(), kZooms.end(), stored) != kZooms.end() ? stored : 0;
    Redraw();
}

void PictureView::SetPicture(const QImage& picture, std::optional<QRgb> transparent) {
    picture_ = picture;
    transparent_ = transparent;
    lblSize_->setText(picture.isNull() ? QString()
                                       : QStringLiteral("%1 \u00D7 %2 pixels").arg(picture.width()).arg(picture.height()));
    Redraw();
}

void PictureView::Clear() { SetPicture(QImage()); }

void PictureView::SetZoom(int zoom) {
    zoom_ = zoom;
    OpenSettingsStore()->setValue(kZoomKey, zoom_);
    Redraw();
}

namespace {
// The scale at which `fit.picture` fills `fit.area`; nothing without either.
std::optional<double> ScaleToFill(const FitArea& fit) {
    if (fit.picture.isEmpty() || fit.area.width() <= 0 || fit.area.height() <= 0) return std::nullopt;
    return std::min(double(fit.area.width()) / fit.picture.width(), double(fit.area.height()) / fit.picture.height());
}
}  // namespace

double PictureView::FitScale() const {
    // The whole area, as it is once the picture fits and needs no scroll bars.
    std::optional<double> scale = ScaleToFill({picture_.size(), scroll_->maximumViewportSize()});
    if (!scale) return 1;
    if (const std::optional<FitArea> beside = partner_ ? partner_() : std::nullopt)
        scale = std::min(*scale, ScaleToFill(*beside).value_or(*scale));
    // Enlarged by whole steps, so that every picture pixel is equally large.
    return *scale >= 1 ? std::floor(*scale) : *scale;
}

void PictureView::Refit() {
    if (zoom_ == 0 && !picture_.isNull()) Redraw();
}

double PictureView::Scale() const { return zoom_ == 0 ? FitScale() : zoom_; }

void PictureView::Step(int direction) {
    const double now = Scale();
    std::optional<std::pair<double, int>> best;
    for (int zoom : kZooms) {
        const double s = zoom == 0 ? FitScale() : zoom;
        if (direction > 0 ? s <= now : s >= now) continue;
        if (!best || (direction > 0 ? s < best->first : s > best->first)) best = {s, zoom};
    }
    if (best) SetZoom(best->second);
}

QImage ClearedCells(const QImage& picture, std::optional<QRgb> transparent) {
    QImage cells = picture.convertToFormat(QImage::Format_ARGB32);
    if (transparent)
        for (int y = 0; y < cells.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(cells.scanLine(y));
            for (int x = 0; x < cells.width(); ++x)
                if ((line[x] & 0xFFFFFFu) == (*transparent & 0xFFFFFFu)) line[x] = 0;
        }
    return cells;
}

QImage DrawnCells(const QImage& cells, double scale) {
    if (cells.isNull()) return {};
    const QSize size(std::max(1, int(cells.width() * scale)), std::max(1, int(cells.height() * scale)));
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull()) return canvas;
    PaintCheckerboard(canvas);
    // A shrunk picture is smoothed: dropping whole lines would hide thin ones.
    const QImage scaled =
        cells.scaled(size, Qt::IgnoreAspectRatio, scale < 1 ? Qt::SmoothTransformation : Qt::FastTransformation);
    QPainter(&canvas).drawImage(0, 0, scaled);
    return canvas;
}

QImage PictureView::Visible() const {
    if (picture_.isNull()) return {};
    return ClearedCells(picture_, transparent_);
}

QImage PictureView::Shown() const { return DrawnCells(Visible(), Scale()); }

void PictureView::Redraw() {
    for (std::size_t i = 0; i < kZooms.size(); ++i) zoomButtons_[i]->setChecked(kZooms[i] == zoom_);
    const QImage shown = Shown();
    picInfo_->setPixmap(QPixmap::fromImage(shown));
    picInfo_->resize(shown.size());
    emit Redrawn();
}

bool PictureView::eventFilter(QObject* watched, QEvent* event) {
    // A fitted picture follows the area's size whenever it changes.
    if (event->type() == QEvent::Resize && zoom_ == 0 && !picture_.isNull()) Redraw();
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0) ZoomIn();
            else if (wheel->angleDelta().y() < 0) ZoomOut();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
