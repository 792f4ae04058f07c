// The information panel: a heading and up to five lines of facts about the
// clicked node (lblInfo1..5), what the block's data holds (lblFacts, a table
// in tblFacts, a Play button for sounds), what is wrong with a damaged block
// (lblProblem), and the pictures row with the block's picture (an
// animation's player below it) and beside it the client's block.
//
// The table of a block of fields (item data, hues, animation timings,
// houses, skills, statics, map cells) is edited in place: beside it the
// flags of the current item as check boxes by name (lstFlags), below it the
// current hue's colours as swatches that open the colour picker
// (cmdColor0..31), the buttons that add, remove and move rows of houses
// and statics, and the reason the last edit was refused (lblRefusal).
//
// A house (multi) and a map block are drawn from the client's art in the
// background (viewDrawing, what it lacks in lblDrawing): a house with its
// component table beside the drawing when chkComponents is on, its hidden
// components with chkShowHidden; a map block beside its radar square.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <optional>
#include <utility>

#include "io/bytes.h"
#include "patch/block_tree.h"

class AnimPlayer;
class BlockDrawer;
class QCheckBox;
class FactTableView;
class QListWidget;
class QListWidgetItem;
class ClientSideView;
class FactTableModel;
class PatchDocument;
class PictureView;
class QLabel;
class QPushButton;
struct BlockFacts;
struct FactTable;
struct BlockPicture;
struct PatchBlock;
struct Settings;

class InfoPanel : public QWidget {
    Q_OBJECT
public:
    InfoPanel(QWidget* parent, PatchDocument& document, const Settings& settings);

    // Fills the panel for a block node, or a file-type node with this text.
    void ShowNode(BlockId id, const QString& text);
    // Fills the panel for a block the patch lacks, as the client has it (the
    // animation player steps to the client's blocks too).
    void ShowClientBlock(BlockId id);

    PictureView& View() const { return *view_; }
    // The drawing of a house or a map block, once the background delivered it.
    PictureView& DrawingView() const { return *drawingView_; }
    BlockDrawer& Drawer() const { return *drawer_; }
    AnimPlayer& Player() const { return *player_; }
    // The picture shown: what "Save to Bmp" writes.
    const QImage& Picture() const;
    const FactTableModel& Facts() const { return *facts_; }
    FactTableModel& Facts() { return *facts_; }
    FactTableView& Table() const { return *tblFacts_; }

    // "In the client:" for the shown block, afresh (the client folder or its
    // states may have changed).
    void ShowClientSide();
    const ClientSideView& ClientSide() const { return *clientSide_; }

signals:
    // The Play button of a sound block.
    void PlayRequested();
    // "Add to patch" of a block only the client has: it is in the patch now.
    void ClientBlockAdded(BlockId id);
    // A drawing made in the background arrived: Picture() may hold one now.
    void PictureArrived();

private:
    // `again`: the same node is shown afresh after a change; the table stays
    // in place, its current cell and the focus with it.
    void Clear(bool again = false);
    void ShowTable(const FactTable& table);
    // The flags, colours and row buttons follow the table's current row.
    void UpdateRowEditors();
    void FlagToggled(QListWidgetItem* item);
    void ChooseColor(int k);
    void RowCommand(int command);
    void AddClientBlock();
    void Preview(BlockId id, const PatchBlock& block);
    void ShowFacts(const BlockFacts& facts);
    void ShowPicture(const BlockPicture& picture);
    // Says what is wrong with the block, in red.
    void ShowProblem(const std::string& problem);
    // Gives the room below the facts to the table and the pictures shown.
    void FitRows();
    // ShowClientSide without drawing afresh.
    void ShowClient();
    // Asks the background to draw a house or a map block from art.
    void RequestDrawing(BlockId id, ByteView bytes);
    // The table beside the drawing (a house), or in its row above the pictures.
    void PlaceTable(bool beside);

    PatchDocument& document_;
    const Settings& settings_;
    QLabel* lblHeading_;
    std::array<QLabel*, 5> lblInfo_{};
    QLabel* lblFacts_;
    QLabel* lblProblem_;
    QWidget* tableRow_;  // the table and the flags beside it
    FactTableView* tblFacts_;
    FactTableModel* facts_;
    QListWidget* lstFlags_;
    QWidget* swatches_;
    std::array<QPushButton*, 32> cmdColors_{};
    QWidget* rowButtons_;
    QLabel* lblRefusal_;
    QPushButton* cmdPlay_;
    QPushButton* cmdAddClientBlock_;
    PictureView* view_;
    BlockDrawer* drawer_;
    QWidget* drawingBar_;  // the house's toggles
    QCheckBox* chkComponents_;
    QCheckBox* chkShowHidden_;
    QLabel* lblDrawing_;
    PictureView* drawingView_;
    std::optional<std::pair<BlockId, Bytes>> drawn_;  // the block drawn last
    AnimPlayer* player_;  // under the picture of an anim block
    ClientSideView* clientSide_;
    std::optional<BlockId> node_;  // the node shown
    bool clientOnly_ = false;      // it is the client's block, not the patch's
    class QBoxLayout* pictures_;  // the pictures row
    // Takes the room below the facts when neither a table nor a picture does.
    QWidget* filler_;
};
