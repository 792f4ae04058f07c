// Beside the panel's picture: the block's name in the game (an item's
// tiledata name, an animation's body, action and direction), and "In the
// client:", which file the client's block comes from and, for types with
// pictures, the client's picture at the patch's scale, or only the cells
// where the two differ. An animation's frames follow the patch's player.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/block_picture.h"
#include "app/picture_view.h"
#include "codecs/anim_frames.h"
#include "gamefiles/block_names.h"
#include "gamefiles/client_blocks.h"

class QCheckBox;
class QLabel;
class QScrollArea;
struct Settings;

class ClientSideView : public QWidget {
    Q_OBJECT
public:
    ClientSideView(QWidget* parent, const Settings& settings);
    ~ClientSideView() override;

    // Shows the name of block `id` (the patch's data is `bytes`) and what the
    // client has for it, beside `patch` (the patch's picture, if it has one)
    // drawn at `scale` screen pixels a cell. The client's part is hidden
    // while the settings name no client folder. Without `pictureBeside` the
    // client's picture is left to the panel, which shows the client's block
    // itself.
    void Show(BlockId id, ByteView bytes, const std::optional<BlockPicture>& patch, double scale,
              bool pictureBeside = true);
    void Clear();
    // The patch's tiledata group `group` (no bytes: the patch has none):
    // art is named from it before the client's.
    void SetPatchTiledata(TiledataGroupFn patch) { patchTiledata_ = std::move(patch); }
    // Draws the client's picture at `scale` screen pixels a cell, as the
    // patch's is drawn now.
    void SetScale(double scale);
    // Of an animation: the client's frame `number` beside the patch's frame
    // `patch`, or a line saying the client's block lacks it.
    void ShowAnimFrame(std::size_t number, const std::optional<BlockPicture>& patch);
    // The client's picture and the room it has, for fitting both pictures
    // at one scale; none while no client picture is shown.
    std::optional<FitArea> FitNeeds() const;

    // Whether the client has data for block `id`; false while the settings
    // name no client folder.
    bool Holds(BlockId id);

    // The client's block last shown (none: the client has no data for it).
    const std::optional<PatchBlock>& ClientData() const { return block_; }
    // The client's picture as the view draws it (null when there is none).
    QImage Shown() const { return shown_; }

signals:
    // The client's picture or the room it has changed: Fit fits again.
    void FitChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The reader of the client's blocks of `fileId`, opened on the client
    // folder as the settings name it now; none, with the reason in `source`,
    // when the folder or the type's files do not open.
    ClientBlocks* ReaderOf(std::uint8_t fileId, QString& source);
    // The client's block `id` as a patch block; the text says where it comes from.
    std::optional<PatchBlock> ClientBlockOf(BlockId id, QString& source);
    void Redraw();

    const Settings& settings_;
    TiledataGroupFn patchTiledata_;
    QLabel* lblName_;
    QLabel* lblClient_;
    QLabel* lblClientFrame_;
    QScrollArea* scroll_;
    QLabel* picClient_;
    QCheckBox* chkDiffering_;
    // The readers of the folder they were opened on, one per file ID.
    std::string openedFolder_;
    bool openedVerdata_ = true;
    std::optional<ClientFolder> folder_;
    std::array<std::unique_ptr<ClientBlocks>, 256> readers_;
    std::optional<PatchBlock> block_;
    std::optional<BlockPicture> patch_, client_;
    // The client's animation, when the block shown is one.
    std::optional<AnimDecoding> clientAnim_;
    QRect clientAnimBox_;
    double scale_ = 1;
    QImage shown_;
};
