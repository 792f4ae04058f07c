// The information panel: a heading and up to five lines of facts about the
// clicked node (lblInfo1..5), what the block's data holds (lblFacts, a table
// in tblFacts, a Play button for sounds), what is wrong with a damaged block
// (lblProblem), and the pictures row with the block's picture (an
// animation's player below it) and beside it the client's block.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <optional>

#include "patch/block_tree.h"

class AnimPlayer;
class ClientSideView;
class FactTableModel;
class PatchDocument;
class PictureView;
class QLabel;
class QPushButton;
class QTableView;
struct BlockFacts;
struct BlockPicture;
struct PatchBlock;
struct Settings;

class InfoPanel : public QWidget {
    Q_OBJECT
public:
    InfoPanel(QWidget* parent, const PatchDocument& document, const Settings& settings);

    // Fills the panel for a block node, or a file-type node with this text.
    void ShowNode(BlockId id, const QString& text);
    // Fills the panel for a block the patch lacks, as the client has it (the
    // animation player steps to the client's blocks too).
    void ShowClientBlock(BlockId id);

    PictureView& View() const { return *view_; }
    AnimPlayer& Player() const { return *player_; }
    // The picture shown: what "Save to Bmp" writes.
    const QImage& Picture() const;
    const FactTableModel& Facts() const { return *facts_; }

    // "In the client:" for the shown block, afresh (the client folder or its
    // states may have changed).
    void ShowClientSide();
    const ClientSideView& ClientSide() const { return *clientSide_; }

signals:
    // The Play button of a sound block.
    void PlayRequested();

private:
    void Clear();
    void Preview(BlockId id, const PatchBlock& block);
    void ShowFacts(const BlockFacts& facts);
    void ShowPicture(const BlockPicture& picture);
    // Says what is wrong with the block, in red.
    void ShowProblem(const std::string& problem);
    // Gives the room below the facts to the table and the pictures shown.
    void FitRows();

    const PatchDocument& document_;
    const Settings& settings_;
    QLabel* lblHeading_;
    std::array<QLabel*, 5> lblInfo_{};
    QLabel* lblFacts_;
    QLabel* lblProblem_;
    QTableView* tblFacts_;
    FactTableModel* facts_;
    QPushButton* cmdPlay_;
    PictureView* view_;
    AnimPlayer* player_;  // under the picture of an anim block
    ClientSideView* clientSide_;
    std::optional<BlockId> node_;  // the node shown
    bool clientOnly_ = false;      // it is the client's block, not the patch's
    class QBoxLayout* pictures_;  // the pictures row
    // Takes the room below the facts when neither a table nor a picture does.
    QWidget* filler_;
};
