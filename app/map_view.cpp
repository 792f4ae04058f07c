#include "app/map_view.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QThreadPool>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <vector>

#include "app/patch_document.h"
#include "app/settings.h"
#include "app/widgets.h"
#include "codecs/file_ids.h"
#include "gamefiles/radarcol.h"
#include "io/binary_io.h"

namespace {
const QEvent::Type kTilesDrawn = static_cast<QEvent::Type>(QEvent::registerEventType());

qint64 KeyOf(int tx, int ty) { return (static_cast<qint64>(ty) << 32) | static_cast<quint32>(tx); }

// Moves of less than this many pixels between press and release are a click.
constexpr int kClickSlack = 3;
}  // namespace

// What the pool's threads hand back: the drawn tiles, for the view while it lives.
struct MapView::Shared {
    struct Tile {
        unsigned generation;
        qint64 key;
        QImage image;
    };
    std::mutex mutex;
    MapView* view = nullptr;
    std::atomic<unsigned> generation{0};
    std::vector<Tile> drawn;
};

MapView::MapView(QWidget* parent) : QAbstractScrollArea(parent), shared_(std::make_shared<Shared>()) {
    setObjectName(QStringLiteral("MapView"));
    shared_->view = this;
    // About 40 MB of tiles: several screens at any zoom.
    tiles_.setMaxCost(600);
    viewport()->setMouseTracking(true);
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    horizontalScrollBar()->setSingleStep(32);
    verticalScrollBar()->setSingleStep(32);
}

MapView::~MapView() {
    // A thread that finishes a tile after this posts nothing.
    std::lock_guard lock(shared_->mutex);
    shared_->view = nullptr;
}

void MapView::SetRadar(std::shared_ptr<const MapRadar> radar) {
    const bool resized = !radar_ || !radar || radar->Width() != radar_->Width();
    radar_ = std::move(radar);
    shared_->generation = ++generation_;
    tiles_.clear();
    asked_.clear();
    if (resized) {
        frame_ = QImage();
        Fit();
    }
    UpdateScrollBars();
    Request();
    viewport()->update();
}

double MapView::FitZoom() const {
    if (!radar_) return 1;
    return std::min(std::max(viewport()->width(), 1) / static_cast<double>(radar_->Width()),
                    std::max(viewport()->height(), 1) / static_cast<double>(radar_->Height()));
}

void MapView::Fit() { SetZoom(FitZoom()); }

void MapView::SetZoom(double zoom, QPointF anchor) {
    zoom = std::clamp(zoom, std::min(FitZoom(), 1.0), kMaxZoom);
    fitted_ = zoom == FitZoom();
    if (zoom == zoom_ || !radar_) {
        zoom_ = zoom;
        return;
    }
    const QPointF cell = (anchor + QPointF(Origin())) / zoom_;
    zoom_ = zoom;
    shared_->generation = ++generation_;
    tiles_.clear();
    asked_.clear();
    UpdateScrollBars();
    horizontalScrollBar()->setValue(static_cast<int>(std::lround(cell.x() * zoom_ - anchor.x())));
    verticalScrollBar()->setValue(static_cast<int>(std::lround(cell.y() * zoom_ - anchor.y())));
    Request();
    viewport()->update();
}

void MapView::CentreOn(QPoint cell) {
    horizontalScrollBar()->setValue(static_cast<int>(std::lround((cell.x() + 0.5) * zoom_)) - viewport()->width() / 2);
    verticalScrollBar()->setValue(static_cast<int>(std::lround((cell.y() + 0.5) * zoom_)) - viewport()->height() / 2);
}

QSize MapView::PictureSize() const {
    if (!radar_) return {};
    return {static_cast<int>(std::ceil(radar_->Width() * zoom_)), static_cast<int>(std::ceil(radar_->Height() * zoom_))};
}

QPoint MapView::Origin() const {
    const QSize picture = PictureSize(), shown = viewport()->size();
    // A picture smaller than the viewport stands in its middle.
    return {picture.width() < shown.width() ? -(shown.width() - picture.width()) / 2 : horizontalScrollBar()->value(),
            picture.height() < shown.height() ? -(shown.height() - picture.height()) / 2 : verticalScrollBar()->value()};
}

void MapView::UpdateScrollBars() {
    const QSize picture = PictureSize(), shown = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, picture.width() - shown.width()));
    verticalScrollBar()->setRange(0, std::max(0, picture.height() - shown.height()));
    horizontalScrollBar()->setPageStep(shown.width());
    verticalScrollBar()->setPageStep(shown.height());
}

std::optional<QPoint> MapView::CellAt(QPoint pos) const {
    if (!radar_) return std::nullopt;
    const QPoint p = pos + Origin();
    const QSize picture = PictureSize();
    if (p.x() < 0 || p.y() < 0 || p.x() >= picture.width() || p.y() >= picture.height()) return std::nullopt;
    // As PictureAxis::Zoomed draws it: the cell at the pixel's centre.
    const QPoint cell(static_cast<int>(std::floor((p.x() + 0.5) / zoom_)), static_cast<int>(std::floor((p.y() + 0.5) / zoom_)));
    if (cell.x() >= radar_->Width() || cell.y() >= radar_->Height()) return std::nullopt;
    return cell;
}

QPoint MapView::PixelOf(QPoint cell) const {
    return QPoint(static_cast<int>(std::floor((cell.x() + 0.5) * zoom_)), static_cast<int>(std::floor((cell.y() + 0.5) * zoom_))) -
           Origin();
}

QString MapView::HoverText(QPoint cell) const {
    const std::int32_t n = MapBlockOfCell(cell.x(), cell.y());
    static const char* const kMarks[] = {"not in the patch", "patch: map", "patch: statics", "patch: map and statics"};
    const MapPatchLayer* layer = radar_ ? radar_->Layer() : nullptr;
    return QStringLiteral("Cell %1, %2 - block %3 (0x%4) - %5")
        .arg(cell.x())
        .arg(cell.y())
        .arg(n)
        .arg(QString::number(n, 16).toUpper().rightJustified(5, QLatin1Char('0')))
        .arg(QLatin1String(kMarks[layer ? layer->Mark(n) : 0]));
}

bool MapView::Drawn() const {
    if (!radar_) return true;
    const QRect visible = QRect(Origin(), viewport()->size()) & QRect(QPoint(), PictureSize());
    for (int ty = visible.top() / kTile; ty <= visible.bottom() / kTile; ++ty)
        for (int tx = visible.left() / kTile; tx <= visible.right() / kTile; ++tx)
            if (!tiles_.contains(KeyOf(tx, ty))) return false;
    return true;
}

void MapView::Request() {
    if (!radar_) return;
    const QSize picture = PictureSize();
    const QRect visible = QRect(Origin(), viewport()->size()) & QRect(QPoint(), picture);
    if (visible.isEmpty()) return;
    // The tiles nearest the middle first.
    std::vector<std::pair<double, QPoint>> wanted;
    const QPointF middle = QRectF(visible).center();
    for (int ty = visible.top() / kTile; ty <= visible.bottom() / kTile; ++ty)
        for (int tx = visible.left() / kTile; tx <= visible.right() / kTile; ++tx)
            if (!tiles_.contains(KeyOf(tx, ty)) && !asked_.count(KeyOf(tx, ty))) {
                const QPointF d = QPointF((tx + 0.5) * kTile, (ty + 0.5) * kTile) - middle;
                wanted.emplace_back(d.x() * d.x() + d.y() * d.y(), QPoint(tx, ty));
            }
    std::sort(wanted.begin(), wanted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [distance, tile] : wanted) {
        asked_.insert(KeyOf(tile.x(), tile.y()));
        const int w = std::min(kTile, picture.width() - tile.x() * kTile);
        const int h = std::min(kTile, picture.height() - tile.y() * kTile);
        QThreadPool::globalInstance()->start([shared = shared_, radar = radar_, zoom = zoom_, generation = generation_,
                                              tile, w, h] {
            // A tile of a zoom or a map no longer shown is not drawn.
            if (shared->generation != generation) return;
            QImage image(w, h, QImage::Format_RGB888);
            const PictureAxis xs = PictureAxis::Zoomed(std::int64_t{tile.x()} * kTile, w, zoom, radar->Width());
            const PictureAxis ys = PictureAxis::Zoomed(std::int64_t{tile.y()} * kTile, h, zoom, radar->Height());
            // A file that changed under the drawing leaves black cells, drawn again with the next change.
            (void)radar->Draw(xs, ys, image.bits(), static_cast<std::size_t>(image.bytesPerLine()));
            std::lock_guard lock(shared->mutex);
            if (!shared->view) return;
            shared->drawn.push_back({generation, KeyOf(tile.x(), tile.y()), std::move(image)});
            QCoreApplication::postEvent(shared->view, new QEvent(kTilesDrawn));
        });
    }
}

void MapView::TakeDrawn() {
    std::vector<Shared::Tile> drawn;
    {
        std::lock_guard lock(shared_->mutex);
        drawn.swap(shared_->drawn);
    }
    if (drawn.empty()) return;
    for (Shared::Tile& tile : drawn) {
        if (tile.generation != generation_) continue;
        asked_.erase(tile.key);
        tiles_.insert(tile.key, new QImage(std::move(tile.image)));
    }
    viewport()->update();
    if (Drawn()) emit TilesDrawn();
}

bool MapView::event(QEvent* event) {
    if (event->type() == kTilesDrawn) {
        TakeDrawn();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void MapView::paintEvent(QPaintEvent*) {
    QImage canvas(viewport()->size(), QImage::Format_RGB32);
    canvas.fill(palette().color(QPalette::Dark));
    if (radar_) {
        QPainter p(&canvas);
        const QPoint origin = Origin();
        const bool drawn = Drawn();
        // Until its tiles come, what was shown before stands stretched in their place.
        if (!drawn && !frame_.isNull() && frameZoom_ > 0) {
            const double stretch = zoom_ / frameZoom_;
            p.drawImage(QRectF(QPointF(frameOrigin_) * stretch - QPointF(origin), QSizeF(frame_.size()) * stretch), frame_);
        }
        const QRect visible = QRect(origin, viewport()->size()) & QRect(QPoint(), PictureSize());
        for (int ty = visible.top() / kTile; !visible.isEmpty() && ty <= visible.bottom() / kTile; ++ty)
            for (int tx = visible.left() / kTile; tx <= visible.right() / kTile; ++tx)
                if (const QImage* tile = tiles_.object(KeyOf(tx, ty)))
                    p.drawImage(QPoint(tx * kTile, ty * kTile) - origin, *tile);
        if (drawn) {
            frame_ = canvas;
            frameZoom_ = zoom_;
            frameOrigin_ = origin;
        }
    }
    QPainter(viewport()).drawImage(0, 0, canvas);
}

void MapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // A fitted map stays fitted, and the whole map whole.
    if (radar_ && (fitted_ || zoom_ < FitZoom())) Fit();
    UpdateScrollBars();
    Request();
}

void MapView::scrollContentsBy(int, int) {
    Request();
    viewport()->update();
}

void MapView::wheelEvent(QWheelEvent* event) {
    SetZoom(zoom_ * std::pow(kStep, event->angleDelta().y() / 120.0), event->position());
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    pressed_ = event->position().toPoint();
    pressedScroll_ = {horizontalScrollBar()->value(), verticalScrollBar()->value()};
    dragged_ = false;
    if (event->modifiers() & Qt::ShiftModifier) {
        band_->setGeometry(QRect(*pressed_, QSize()));
        band_->show();
    }
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (const std::optional<QPoint> cell = CellAt(pos)) emit Hovered(HoverText(*cell));
    else emit Hovered(QString());
    if (!pressed_) return;
    if ((pos - *pressed_).manhattanLength() >= kClickSlack) dragged_ = true;
    if (band_->isVisible()) {
        band_->setGeometry(QRect(*pressed_, pos).normalized());
        return;
    }
    horizontalScrollBar()->setValue(pressedScroll_.x() - (pos.x() - pressed_->x()));
    verticalScrollBar()->setValue(pressedScroll_.y() - (pos.y() - pressed_->y()));
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    const QPoint from = *pressed_, to = event->position().toPoint();
    pressed_.reset();
    if (band_->isVisible()) {
        band_->hide();
        // Corners off the map count from its nearest cell.
        const QRect picture = QRect(QPoint(), PictureSize()).translated(-Origin());
        const auto inside = [&](QPoint p) {
            return QPoint(std::clamp(p.x(), picture.left(), picture.right()), std::clamp(p.y(), picture.top(), picture.bottom()));
        };
        const std::optional<QPoint> a = CellAt(inside(from)), b = CellAt(inside(to));
        if (a && b) emit RangeChosen(QRect(*a, *b).normalized());
        return;
    }
    if (dragged_) return;
    if (const std::optional<QPoint> cell = CellAt(to)) emit CellClicked(*cell);
}

MapWindow::MapWindow(QWidget* parent, PatchDocument& document, const Settings& settings)
    : QWidget(parent, Qt::Window), document_(document), settings_(settings) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Map - Palindra"));
    resize(900, 640);
    view_ = new MapView(this);
    auto* bar = Named(new QToolBar(this), "tbMap");
    auto action = [&](const char* name, const QString& text, const QList<QKeySequence>& keys, auto run) {
        QAction* a = bar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, view_, run);
    };
    action("actMapZoomIn", QStringLiteral("Zoom &In"), {QKeySequence::ZoomIn, QKeySequence(QStringLiteral("Ctrl+="))},
           [this] { view_->ZoomIn(); });
    action("actMapZoomOut", QStringLiteral("Zoom &Out"), {QKeySequence::ZoomOut}, [this] { view_->ZoomOut(); });
    action("actMapFit", QStringLiteral("&Fit"), {QKeySequence(QStringLiteral("Ctrl+0"))}, [this] { view_->Fit(); });
    action("actMapOneToOne", QStringLiteral("1:1"), {QKeySequence(QStringLiteral("Ctrl+1"))}, [this] { view_->SetZoom(1); });
    bar->addSeparator();
    chkWithPatch_ = Named(new QCheckBox(QStringLiteral("With the &patch"), bar), "chkWithPatch");
    chkWithPatch_->setChecked(true);
    chkWithPatch_->setToolTip(QStringLiteral("The patch's map and statics blocks replace the client's and are outlined"));
    bar->addWidget(chkWithPatch_);
    lblProblem_ = Named(new QLabel(this), "lblMapProblem");
    lblProblem_->setWordWrap(true);
    lblProblem_->hide();
    lblHover_ = Named(new QLabel(this), "lblHover");
    lblHover_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* hint = new QLabel(QStringLiteral("Drag: pan. Wheel: zoom. Click: the block. Shift+drag: add the client's blocks."), this);
    hint->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(bar);
    layout->addWidget(lblProblem_);
    layout->addWidget(view_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(8, 0, 8, 0);
    bottom->addWidget(lblHover_, 1);
    bottom->addWidget(hint);
    layout->addLayout(bottom);

    connect(chkWithPatch_, &QCheckBox::toggled, this, &MapWindow::Reload);
    connect(&document_, &PatchDocument::BlocksChanged, this, [this] {
        if (chkWithPatch_->isChecked()) Reload();
    });
    connect(view_, &MapView::Hovered, lblHover_, &QLabel::setText);
    connect(view_, &MapView::CellClicked, this, &MapWindow::Clicked);
    connect(view_, &MapView::RangeChosen, this, &MapWindow::AddClientBlocks);
    Reload();
}

void MapWindow::Reload() {
    auto say = [this](const QString& problem) {
        lblProblem_->setText(problem);
        lblProblem_->setVisible(!problem.isEmpty());
    };
    if (settings_.ClientFolder.empty()) {
        view_->SetRadar(nullptr);
        say(QStringLiteral("Choose the client folder in Settings first: the map is drawn from its files."));
        return;
    }
    say(QString());
    std::vector<std::int32_t> colors = settings_.RadarColors;
    if (!IsExistingFile(settings_.RadarcolPath)) {
        const std::string radarcol = RadarcolIn(settings_.ClientFolder);
        Result<std::vector<std::int32_t>> read = radarcol.empty() ? Error("") : ReadRadarColors(radarcol);
        if (read) colors = std::move(*read);
        else say(QStringLiteral("No radar colours: neither the settings nor the client folder name a radarcol.mul."));
    }
    std::shared_ptr<const MapPatchLayer> layer;
    if (chkWithPatch_->isChecked()) layer = std::make_shared<const MapPatchLayer>(document_.patch());
    Result<std::shared_ptr<MapRadar>> radar =
        MapRadar::Open(settings_.ClientFolder, settings_.ClientVerdata, std::move(colors), std::move(layer));
    if (!radar) {
        view_->SetRadar(nullptr);
        say(QString::fromStdString(radar.error().message));
        return;
    }
    view_->SetRadar(std::move(*radar));
}

void MapWindow::Clicked(QPoint cell) {
    const std::int32_t n = MapBlockOfCell(cell.x(), cell.y());
    for (std::uint8_t fileId : {kMap, kStatics})
        if (document_.patch().LiveBlock(fileId, n)) {
            emit BlockWanted({fileId, n}, true);
            return;
        }
    emit BlockWanted({kMap, n}, false);
}

void MapWindow::AddClientBlocks(QRect cells) {
    if (settings_.ClientFolder.empty()) return;
    Result<ClientMapBlocks> read =
        ReadClientMapBlocks(settings_.ClientFolder, settings_.ClientVerdata, document_.patch(), cells.left() / kCellsPerBlockSide,
                            cells.right() / kCellsPerBlockSide, cells.top() / kCellsPerBlockSide,
                            cells.bottom() / kCellsPerBlockSide);
    if (!read) {
        emit Reported(QString::fromStdString(read.error().message));
        return;
    }
    const QString kept = read->kept > 0 ? QStringLiteral("; %1 the patch holds stay as they are").arg(read->kept) : QString();
    if (read->map + read->statics == 0) {
        emit Reported(QStringLiteral("Nothing to add: the client has no other map or statics blocks there") + kept + ".");
        return;
    }
    const std::int64_t map = read->map, statics = read->statics;
    PatchEdit edit;
    edit.added = std::move(read->added);
    if (document_.Run(QStringLiteral("Add the client's map blocks"), std::move(edit)))
        emit Reported(QStringLiteral("Added %1 map and %2 statics blocks of the client").arg(map).arg(statics) + kept + ".");
}
