// The picture area of the information panel: the zoom buttons, the picture's
// size and the picture itself in a scroll area. Transparent cells are drawn
// over a light checkerboard; the picture itself keeps them. A second picture
// or a player can sit beside it in the panel, drawn the same way.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QScrollArea;
class QToolButton;

// A picture and the area it is drawn in.
struct FitArea {
    QSize picture, area;
};

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent);

    // The picture as the block holds it: what "Save to Bmp" writes.
    const QImage& Picture() const { return picture_; }
    std::optional<QRgb> Transparent() const { return transparent_; }
    // Cells of colour `transparent`, and cells a picture with alpha leaves
    // clear, are transparent.
    void SetPicture(const QImage& picture, std::optional<QRgb> transparent = std::nullopt);
    void Clear();
    // The picture with its transparent cells clear: what Copy hands out.
    QImage Visible() const;

    // The zoom: 0 fits the picture to the visible area (whole steps when it
    // is enlarged, smooth when it must shrink), else 1, 2, 4 or 8 screen
    // pixels a picture pixel; kept with the settings.
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    // To the next scale above or below the one drawn now.
    void ZoomIn() { Step(+1); }
    void ZoomOut() { Step(-1); }
    // Screen pixels a picture pixel as drawn now.
    double Scale() const;
    // A picture drawn beside this one: Fit fits both at one scale to the
    // room each has. None: this picture alone.
    void SetFitPartner(std::function<std::optional<FitArea>()> partner) { partner_ = std::move(partner); }
    // Fits again, after the partner's picture or area changed.
    void Refit();
    // The picture as the view draws it.
    QImage Shown() const;

signals:
    // The picture was drawn afresh: another picture, zoom or area.
    void Redrawn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double FitScale() const;
    void Step(int direction);
    void Redraw();

    QImage picture_;
    std::optional<QRgb> transparent_;
    int zoom_ = 0;
    std::function<std::optional<FitArea>()> partner_;
    QScrollArea* scroll_;
    QLabel* picInfo_;
    QLabel* lblSize_;
    std::array<QToolButton*, 5> zoomButtons_{};
};

// `picture` with the cells of colour `transparent` clear.
QImage ClearedCells(const QImage& picture, std::optional<QRgb> transparent);
// `cells` at `scale` screen pixels a cell over the checkerboard, as the view
// draws its picture.
QImage DrawnCells(const QImage& cells, double scale);
