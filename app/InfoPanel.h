// The information panel: a heading, five lines of facts and the preview
// picture (picInfo) of the clicked node; below them what the block's data
// holds (lblFacts, a table in tblFacts, a Play button for sounds) and, for a
// damaged block, what is wrong with it (lblProblem).
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <optional>

#include "patch/block_tree.h"

class ClientSideView;
class FactTableModel;
class PatchDocument;
class QLabel;
class QPushButton;
class QTableView;
struct BlockFacts;
struct Settings;

class InfoPanel : public QWidget {
    Q_OBJECT
public:
    InfoPanel(QWidget* parent, const PatchDocument& document, const Settings& settings);

    // Fills the panel for a block node, or a file-type node with this text.
    void ShowNode(BlockId id, const QString& text);

    // The picture the box holds: what "Save to Bmp" writes.
    const QImage& Picture() const { return picture_; }
    // Cells of colour `transparent` are drawn over a checkerboard; the
    // picture itself keeps them.
    void SetPicture(const QImage& picture, std::optional<QRgb> transparent = std::nullopt);
    void ClearPicture();

    // The zoom of the picture: 0 fits it to the panel, else 1, 2, 4 or 8
    // screen pixels a picture pixel; kept with the settings.
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom);
    void ZoomIn();
    void ZoomOut();
    // The picture as the panel draws it.
    QImage Shown() const;
    // The patch changed: the next click on a gump draws it afresh.
    void Forget() { lastPicture_.reset(); }

    const FactTableModel& Facts() const { return *facts_; }

    // "In the client:" for the shown block, afresh (the client folder or the
    // zoom may have changed).
    void ShowClientSide();
    const ClientSideView& ClientSide() const { return *clientSide_; }

signals:
    // The Play button of a sound block.
    void PlayRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Redraw();
    QSize ShownSize() const;
    void Preview(BlockId id, const struct PatchBlock& block);
    void ShowFacts(const BlockFacts& facts);
    void ClearFacts();

    const PatchDocument& document_;
    const Settings& settings_;
    QLabel* lblHeading_;
    std::array<QLabel*, 5> lblInfo_{};
    QLabel* picInfo_;
    QLabel* lblFacts_;
    QLabel* lblProblem_;
    QTableView* tblFacts_;
    FactTableModel* facts_;
    QPushButton* cmdPlay_;
    QImage picture_;
    std::optional<QRgb> transparent_;
    int zoom_ = 0;
    class QScrollArea* scroll_;
    std::array<class QToolButton*, 5> zoomButtons_{};
    std::optional<BlockId> lastPicture_;
    std::optional<BlockId> node_;
    ClientSideView* clientSide_;
};
