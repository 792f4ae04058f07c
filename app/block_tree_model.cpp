#include "app/block_tree_model.h"

#include <algorithm>

#include "app/client_comparison.h"
#include "app/icons.h"
#include "app/patch_document.h"

namespace {
// An index's internal id names its parent: 0 for the file types, the file
// type's position + 1 for its children, with kBelowLots for the blocks below
// its "LOTS" node.
constexpr quintptr kBelowLots = quintptr(1) << 16;
}  // namespace

BlockTreeModel::BlockTreeModel(const PatchDocument& document, QObject* parent)
    : QAbstractItemModel(parent), document_(document) {
    plan_ = Plan();
    fetched_.assign(plan_.size(), 0);
}

std::vector<FileTypeNode> BlockTreeModel::Plan() const {
    std::vector<FileTypeNode> plan = PlanTree(document_.patch(), FileTypes());
    if (stateFilter_ && comparison_)
        for (FileTypeNode& file : plan)
            std::erase_if(file.blocks, [&](std::int32_t n) { return comparison_->StateOf({file.fileId, n}) != stateFilter_; });
    return plan;
}

void BlockTreeModel::SetStateFilter(std::optional<BlockState> state) {
    if (state == stateFilter_) return;
    stateFilter_ = state;
    Update();
}

void BlockTreeModel::Update() {
    std::vector<FileTypeNode> fresh = Plan();
    for (std::size_t f = 0; f < plan_.size(); ++f) {
        FileTypeNode& node = plan_[f];
        const QModelIndex fileNode = createIndex(static_cast<int>(f), 0, quintptr(0));
        if (node.lots != fresh[f].lots) {
            // The children change kind: they all go and the new ones come.
            if (const int rows = rowCount(fileNode); rows > 0) {
                beginRemoveRows(fileNode, 0, rows - 1);
                node.blocks.clear();
                node.lots = false;
                endRemoveRows();
            }
            fetched_[f] = 0;
            const int rows = fresh[f].lots ? 1 : static_cast<int>(fresh[f].blocks.size());
            if (rows > 0) beginInsertRows(fileNode, 0, rows - 1);
            node = std::move(fresh[f]);
            if (rows > 0) endInsertRows();
            continue;
        }
        if (node.lots && !fetched_[f]) {  // the view holds none of its blocks yet
            node.blocks = std::move(fresh[f].blocks);
            const QModelIndex lots = index(0, 0, fileNode);
            emit dataChanged(lots, lots);
            continue;
        }
        const QModelIndex parent = node.lots ? index(0, 0, fileNode) : fileNode;
        UpdateRows(parent, node.blocks, std::move(fresh[f].blocks));
        // A settled number is shown in decimal until the next change.
        if (const int rows = BlockRows(f); rows > 0) emit dataChanged(index(0, 0, parent), index(rows - 1, 0, parent));
        emit dataChanged(fileNode, fileNode);
    }
}

void BlockTreeModel::UpdateRows(const QModelIndex& parent, std::vector<std::int32_t>& rows,
                                std::vector<std::int32_t>&& fresh) {
    // Runs of rows that go, as [first, last] positions in `rows`.
    std::vector<std::pair<std::size_t, std::size_t>> gone;
    for (std::size_t i = 0, j = 0; i < rows.size();) {
        while (j < fresh.size() && fresh[j] < rows[i]) ++j;
        if (j < fresh.size() && fresh[j] == rows[i]) {
            ++i;
            continue;
        }
        if (!gone.empty() && gone.back().second + 1 == i) gone.back().second = i;
        else gone.emplace_back(i, i);
        ++i;
    }
    // Many scattered runs cost more one by one than all rows at once.
    constexpr std::size_t kMostRuns = 256;
    if (gone.size() > kMostRuns) gone.assign(1, {0, rows.size() - 1});
    for (auto run = gone.rbegin(); run != gone.rend(); ++run) {
        beginRemoveRows(parent, static_cast<int>(run->first), static_cast<int>(run->second));
        rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(run->first),
                   rows.begin() + static_cast<std::ptrdiff_t>(run->second) + 1);
        endRemoveRows();
    }
    // What is left is in `fresh` too, in the same order: the rest comes in runs.
    for (std::size_t i = 0; i < fresh.size();) {
        if (i < rows.size() && rows[i] == fresh[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < fresh.size() && (i >= rows.size() || fresh[end] != rows[i])) ++end;
        beginInsertRows(parent, static_cast<int>(i), static_cast<int>(end) - 1);
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(i), fresh.begin() + static_cast<std::ptrdiff_t>(i),
                    fresh.begin() + static_cast<std::ptrdiff_t>(end));
        endInsertRows();
        i = end;
    }
}

std::size_t BlockTreeModel::PlanBytes() const {
    std::size_t bytes = plan_.capacity() * sizeof(FileTypeNode) + fetched_.capacity();
    for (const FileTypeNode& f : plan_) bytes += f.blocks.capacity() * sizeof(std::int32_t);
    return bytes;
}

BlockTreeModel::Node BlockTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid()) return {};
    const quintptr id = index.internalId();
    if (id == 0) return {Kind::FileType, static_cast<std::size_t>(index.row()), index.row()};
    const std::size_t file = (id & ~kBelowLots) - 1;
    if (id & kBelowLots) return {Kind::Block, file, index.row()};
    return {plan_[file].lots ? Kind::Lots : Kind::Block, file, index.row()};
}

std::int32_t BlockTreeModel::BlockRows(std::size_t file) const {
    return static_cast<std::int32_t>(plan_[file].blocks.size());
}

QModelIndex BlockTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || row >= rowCount(parent)) return {};
    const Node p = NodeOf(parent);
    switch (p.kind) {
        case Kind::None: return createIndex(row, 0, quintptr(0));
        case Kind::FileType: return createIndex(row, 0, quintptr(p.file + 1));
        case Kind::Lots: return createIndex(row, 0, quintptr(p.file + 1) | kBelowLots);
        case Kind::Block: break;
    }
    return {};
}

QModelIndex BlockTreeModel::parent(const QModelIndex& child) const {
    const Node n = NodeOf(child);
    if (n.kind == Kind::None || n.kind == Kind::FileType) return {};
    if (child.internalId() & kBelowLots) return createIndex(0, 0, quintptr(n.file + 1));
    return createIndex(static_cast<int>(n.file), 0, quintptr(0));
}

int BlockTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const Node n = NodeOf(parent);
    switch (n.kind) {
        case Kind::None: return static_cast<int>(plan_.size());
        case Kind::FileType: return plan_[n.file].lots ? 1 : BlockRows(n.file);
        case Kind::Lots: return fetched_[n.file] ? BlockRows(n.file) : 0;
        case Kind::Block: break;
    }
    return 0;
}

int BlockTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool BlockTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node n = NodeOf(parent);
    if (n.kind == Kind::Lots) return !plan_[n.file].blocks.empty();
    return rowCount(parent) > 0;
}

bool BlockTreeModel::canFetchMore(const QModelIndex& parent) const {
    const Node n = NodeOf(parent);
    return n.kind == Kind::Lots && !fetched_[n.file] && !plan_[n.file].blocks.empty();
}

void BlockTreeModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const Node n = NodeOf(parent);
    beginInsertRows(parent, 0, BlockRows(n.file) - 1);
    fetched_[n.file] = 1;
    endInsertRows();
}

std::optional<BlockState> BlockTreeModel::StateOf(Kind kind, BlockId id) const {
    if (kind != Kind::Block || !comparison_) return std::nullopt;
    return comparison_->StateOf(id);
}

void BlockTreeModel::MarksChanged() {
    const QList<int> roles{Qt::DecorationRole, Qt::ToolTipRole};
    for (int f = 0; f < rowCount(); ++f) {
        QModelIndex parent = index(f, 0);
        if (plan_[static_cast<std::size_t>(f)].lots) parent = index(0, 0, parent);
        if (const int rows = rowCount(parent); rows > 0) emit dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), roles);
    }
}

std::optional<BlockId> BlockTreeModel::IdOf(const QModelIndex& index) {
    const QVariant v = index.data(BlockIdRole);
    if (!v.isValid()) return std::nullopt;
    return v.value<BlockId>();
}

bool BlockTreeModel::IsLots(const QModelIndex& index) const { return NodeOf(index).kind == Kind::Lots; }

bool BlockTreeModel::Holds(BlockId id) const {
    for (const FileTypeNode& f : plan_)
        if (f.fileId == id.fileId) return std::binary_search(f.blocks.begin(), f.blocks.end(), id.blockNumber);
    return false;
}

QModelIndex BlockTreeModel::IndexOf(BlockId id) {
    for (std::size_t f = 0; f < plan_.size(); ++f) {
        if (plan_[f].fileId != id.fileId) continue;
        const QModelIndex fileNode = createIndex(static_cast<int>(f), 0, quintptr(0));
        if (!id.IsBlock()) return fileNode;
        const auto& blocks = plan_[f].blocks;
        const auto it = std::lower_bound(blocks.begin(), blocks.end(), id.blockNumber);
        if (it == blocks.end() || *it != id.blockNumber) return {};
        const int row = static_cast<int>(it - blocks.begin());
        if (!plan_[f].lots) return createIndex(row, 0, quintptr(f + 1));
        fetchMore(index(0, 0, fileNode));
        return createIndex(row, 0, quintptr(f + 1) | kBelowLots);
    }
    return {};
}

QVariant BlockTreeModel::data(const QModelIndex& index, int role) const {
    const Node n = NodeOf(index);
    if (n.kind == Kind::None) return {};
    const FileTypeNode& file = plan_[n.file];
    const std::int32_t number = n.kind == Kind::Block ? file.blocks[static_cast<std::size_t>(n.row)] : -1;
    switch (role) {
        case Qt::DisplayRole:
            switch (n.kind) {
                case Kind::FileType: return QString::fromStdString(FileTypes()[file.fileId].name);
                case Kind::Lots: return QStringLiteral("LOTS");
                default: {
                    const bool settled = document_.Settled()[file.fileId].count(number) > 0;
                    return QString::fromStdString(BlockNodeText(file.fileId, number, settled));
                }
            }
        case Qt::DecorationRole:
            if (n.kind == Kind::Lots) return {};
            if (const auto state = StateOf(n.kind, {file.fileId, number})) return ClientComparison::Mark(*state);
            return PatchIcon(n.kind == Kind::FileType ? 1 : 2);
        case Qt::ToolTipRole:
            if (StateOf(n.kind, {file.fileId, number})) return comparison_->TooltipOf({file.fileId, number});
            return {};
        case KeyRole:
            if (n.kind == Kind::Block) return QString::fromStdString(BlockKey(file.fileId, number));
            return QString::fromStdString(FileTypeKey(file.fileId) + (n.kind == Kind::Lots ? "LOTS" : ""));
        case BlockIdRole: return QVariant::fromValue(BlockId{file.fileId, number});
        default: return {};
    }
}
