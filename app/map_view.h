// The whole map at a glance: map 0 in radar colours with the patch's blocks
// on it. MapView draws the picture in tiles in the thread pool at any zoom
// from the whole facet down to single cells and never waits for them;
// MapWindow (View -> Map) puts it beside its zoom actions and the "With the
// patch" toggle, follows the document and turns clicks and a dragged range
// into blocks.
#pragma once

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <set>

#include "gamefiles/map_radar.h"
#include "patch/block_tree.h"

class PatchDocument;
class QCheckBox;
class QLabel;
class QRubberBand;
struct Settings;

class MapView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);
    ~MapView() override;

    // Draws `radar` from now on (nullptr: nothing); the zoom stays unless
    // the map's size changed, which fits it again.
    void SetRadar(std::shared_ptr<const MapRadar> radar);
    const MapRadar* Radar() const { return radar_.get(); }

    // Screen pixels a cell: at most 32, at least what fits the whole map.
    double Zoom() const { return zoom_; }
    // Zooms keeping the cell under `anchor` (viewport pixels) where it is.
    void SetZoom(double zoom, QPointF anchor);
    void SetZoom(double zoom) { SetZoom(zoom, QRectF(viewport()->rect()).center()); }
    void ZoomIn() { SetZoom(zoom_ * kStep); }
    void ZoomOut() { SetZoom(zoom_ / kStep); }
    void Fit();
    double FitZoom() const;
    // Scrolls so that cell `cell` is at the viewport's centre.
    void CentreOn(QPoint cell);

    // The cell shown at viewport pixel `pos`; none off the map.
    std::optional<QPoint> CellAt(QPoint pos) const;
    // The viewport pixel that shows the centre of cell `cell`.
    QPoint PixelOf(QPoint cell) const;
    // "Cell 1200, 800 - block 76900 (0x12C64) - patch: map and statics".
    QString HoverText(QPoint cell) const;
    // Whether every tile the viewport shows is drawn.
    bool Drawn() const;

    static constexpr double kStep = 1.25;
    static constexpr double kMaxZoom = 32;
    static constexpr int kTile = 256;

signals:
    void Hovered(const QString& text);
    // A click (not a drag) on a cell.
    void CellClicked(QPoint cell);
    // Shift and a drag: the cells of the rubber band.
    void RangeChosen(QRect cells);
    // Every tile the viewport shows is drawn.
    void TilesDrawn();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Shared;
    // The picture's size at the zoom, in pixels.
    QSize PictureSize() const;
    // Picture pixel of viewport pixel (0, 0).
    QPoint Origin() const;
    void UpdateScrollBars();
    // Asks the pool for the tiles the viewport shows that are neither drawn nor asked for.
    void Request();
    void TakeDrawn();

    std::shared_ptr<const MapRadar> radar_;
    std::shared_ptr<Shared> shared_;
    double zoom_ = 1;
    bool fitted_ = true;  // the zoom fits the whole map: it follows the window's size
    unsigned generation_ = 0;  // of the zoom and the radar: tiles of another are stale
    QCache<qint64, QImage> tiles_;
    std::set<qint64> asked_;
    // What the viewport last showed, and where: stretched under tiles not yet drawn.
    QImage frame_;
    double frameZoom_ = 0;
    QPoint frameOrigin_;
    // A press: where, with the scroll position then; a drag with Shift draws a band.
    std::optional<QPoint> pressed_;
    QPoint pressedScroll_;
    bool dragged_ = false;
    QRubberBand* band_ = nullptr;
};

class MapWindow : public QWidget {
    Q_OBJECT
public:
    MapWindow(QWidget* parent, PatchDocument& document, const Settings& settings);

    MapView* View() const { return view_; }
    // Opens the client's map again, as the settings and the toggle say now.
    void Reload();
    // Adds the client's map blocks of the cells `cells` and their statics
    // blocks to the patch as one undoable step; blocks the patch has stay.
    void AddClientBlocks(QRect cells);

signals:
    // A click on a block: the patch's block to select (`inPatch`), or the
    // client's map block to show.
    void BlockWanted(BlockId id, bool inPatch);
    void Reported(const QString& text);

private:
    void Clicked(QPoint cell);

    PatchDocument& document_;
    const Settings& settings_;
    MapView* view_;
    QCheckBox* chkWithPatch_;
    QLabel* lblHover_;
    QLabel* lblProblem_;
};
