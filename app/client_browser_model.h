// What the client folder holds, one type at a time: a row for each block the
// client has (an animation's: one per body and action), in number order,
// with the client's name for it and the tree's mark when the patch holds
// it. The blocks are read as status and bake read them: the type's package
// where there is one, else its data files with the client's verdata.mul
// over them.
//
// The filter line's words, any of them together:
//   1234, 0x4D2         that block (an animation's entry holding it)
//   0x4000-0x40FF       the blocks in the range
//   item 0x0E75         an item's art (art), the statics blocks holding it
//                       (statics) or its tiledata group (tiledata)
//   patch, !patch       only the blocks the patch holds, does not hold
//   empty               the entries without data too
//   other words         names holding every word (a tiledata group: any of its 32)
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/client_thumbnails.h"
#include "gamefiles/block_fit.h"
#include "gamefiles/client_blocks.h"
#include "patch/block_tree.h"

class ClientComparison;
class PatchDocument;
class QMimeData;

// A choice of the view: a file type, or the part of one (art's land tiles
// and items), with its picture grid or list.
struct ClientBrowserType {
    std::uint8_t fileId;
    std::int32_t first, last;  // the block numbers it shows
    const char* label;
    bool pictures;
};
const std::vector<ClientBrowserType>& ClientBrowserTypes();

class ClientBrowserModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        NumberRole = Qt::UserRole,  // int: the entry's block number
        MarkRole,                   // QIcon: the tree's mark, when the patch holds the block
    };
    static constexpr char kMimeType[] = "application/x-palindra-client-blocks";

    ClientBrowserModel(const PatchDocument& document, QObject* parent = nullptr);

    // Marks the blocks the patch holds with their state against the client.
    void SetComparison(const ClientComparison* comparison) { comparison_ = comparison; }
    // Opens the client folder ("" for none) and lists the type chosen.
    void SetClient(const std::string& folder, bool withVerdata,
                   std::shared_ptr<const std::vector<std::int32_t>> radarColors = {});
    // Chooses a type by its place in ClientBrowserTypes().
    void SetType(int type);
    const ClientBrowserType& Type() const { return ClientBrowserTypes()[static_cast<std::size_t>(type_)]; }
    // Where the type's blocks come from, or why there are none.
    const QString& Source() const { return source_; }
    bool HasFolder() const { return folder_ != nullptr; }

    void SetFilter(const QString& text);
    const QString& Filter() const { return filter_; }

    std::int32_t NumberAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The row of an entry; -1 when it is not listed.
    int RowOf(std::int32_t number) const;
    // The client's blocks an entry stands for: an animation's five
    // directions, any other entry itself.
    std::vector<std::int32_t> BlocksOf(std::int32_t entry) const;
    // The reader of the type's blocks, on the window's thread; none without
    // the type's files.
    ClientBlocks* Reader() { return reader_.get(); }
    ClientThumbnails& Thumbnails() { return thumbnails_; }
    // Whether the client has data for an entry.
    bool Present(std::int32_t entry) const;

    // The comparison's states changed: the marks are drawn afresh (and,
    // under "patch" or "!patch", the rows follow the patch).
    void MarksChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // The file type and the block numbers a drag from the view carries.
    static std::optional<std::pair<std::uint8_t, std::vector<std::int32_t>>> Dragged(const QMimeData* data);

private:
    void Reload();
    void LoadNames();
    void LoadOwnNames();
    void Refilter();
    // The entry's name in the game; "" for types without names.
    QString NameOf(std::int32_t entry) const;
    // What a list row tells beside the name (a sound's length, a statics
    // block's item count), and a house's tooltip: its footprint.
    QString DetailOf(std::int32_t entry) const;
    // Whether the entry's name holds `word` (lower case).
    bool NameHolds(std::int32_t entry, const QString& word) const;
    // Whether a statics block holds an item of these numbers.
    bool HoldsItem(std::int32_t entry, const std::vector<std::pair<std::int64_t, std::int64_t>>& items);
    // A statics row's picture: the radar colours of its cells, and its mark beside them.
    QImage StaticsIcon(std::int32_t entry, const std::optional<BlockState>& state) const;

    const PatchDocument& document_;
    const ClientComparison* comparison_ = nullptr;
    std::string folderPath_;
    bool withVerdata_ = true;
    std::shared_ptr<const std::vector<std::int32_t>> radarColors_;
    std::shared_ptr<const ClientFolder> folder_;
    int type_ = 0;
    std::unique_ptr<ClientBlocks> reader_;
    QString source_, filter_;
    std::vector<std::int32_t> entries_;  // every entry of the type, present or not
    std::vector<char> present_;          // by block number: the entry has data
    std::vector<std::int32_t> rows_;     // the entries listed
    // The client's tiledata names, land tiles and items, by id.
    std::vector<QString> landNames_, itemNames_;
    // The names the blocks of the type hold themselves (sounds, skills), by block.
    std::vector<QString> ownNames_;
    // The item numbers of every statics block, end to end, and where each
    // block's start: read at the first "item" word and kept with the type.
    std::vector<std::uint16_t> staticItems_;
    std::vector<std::uint32_t> staticStarts_;
    mutable QHash<std::int32_t, QString> details_;
    ClientThumbnails thumbnails_;
};
