// The block tree over the document: the file types of the catalogue, each
// with its blocks sorted by number, or one "LOTS" node whose blocks are
// handed to the view only when it is expanded. Nodes carry their BlockId.
#pragma once

#include <QAbstractItemModel>
#include <optional>
#include <vector>

#include "patch/block_tree.h"

class PatchDocument;

Q_DECLARE_METATYPE(BlockId)

class BlockTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        KeyRole = Qt::UserRole,  // QString: the node's key, e.g. "F004B4660"
        BlockIdRole,             // BlockId
    };

    BlockTreeModel(const PatchDocument& document, QObject* parent = nullptr);

    // Plans the tree afresh from the document and reports what changed as
    // rows removed, inserted and changed, so that the view keeps what was
    // expanded and selected.
    void Update();

    // The node of a block or (blockNumber -1) of a file type; invalid when
    // there is none. A block below "LOTS" is fetched first.
    QModelIndex IndexOf(BlockId id);
    // What a node stands for; nothing for an invalid index.
    static std::optional<BlockId> IdOf(const QModelIndex& index);
    // True for a "LOTS" node.
    bool IsLots(const QModelIndex& index) const;
    // True when the tree lists this block (nothing is fetched).
    bool Holds(BlockId id) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Bytes the plan holds, for the benchmarks.
    std::size_t PlanBytes() const;

private:
    enum class Kind { None, FileType, Lots, Block };
    struct Node {
        Kind kind = Kind::None;
        std::size_t file = 0;  // index into plan_
        std::int32_t row = 0;
    };
    Node NodeOf(const QModelIndex& index) const;
    // Brings the block rows below `parent` from `rows` to `fresh`, both sorted.
    void UpdateRows(const QModelIndex& parent, std::vector<std::int32_t>& rows, std::vector<std::int32_t>&& fresh);
    std::int32_t BlockRows(std::size_t file) const;

    const PatchDocument& document_;
    std::vector<FileTypeNode> plan_;
    std::vector<char> fetched_;  // per file type: its "LOTS" node handed its blocks over
};
