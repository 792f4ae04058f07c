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
    void SetPicture(const QImage& picture);
    void ClearPicture();
    // The patch changed: the next click on a gump draws it afresh.
    void Forget() { lastPicture_.reset(); }

    const FactTableModel& Facts() const { return *facts_; }

signals:
    // The Play button of a sound block.
    void PlayRequested();

private:
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
    std::optional<BlockId> lastPicture_;
};
