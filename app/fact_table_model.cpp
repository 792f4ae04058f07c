#include "app/fact_table_model.h"

#include <QColor>
#include <QFont>
#include <algorithm>

#include "app/patch_document.h"
#include "app/table_edits.h"
#include "codecs/block_fields.h"
#include "codecs/file_ids.h"

void FactTableModel::SetTable(FactTable table) {
    if (table.columns.empty() || table.columns != table_.columns) {
        beginResetModel();
        table_ = std::move(table);
        client_.reset();
        endResetModel();
        return;
    }
    const int before = rowCount(), after = static_cast<int>(table.rows.size());
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        table_.rows.resize(table.rows.size());
        endRemoveRows();
    } else if (after > before) {
        beginInsertRows({}, before, after - 1);
        table_.rows.resize(table.rows.size(), std::vector<std::string>(table_.columns.size()));
        endInsertRows();
    }
    table_ = std::move(table);
    client_.reset();
    if (after > 0) emit dataChanged(index(0, 0), index(after - 1, columnCount() - 1));
}

void FactTableModel::SetClientTable(std::optional<FactTable> client) {
    client_ = std::move(client);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void FactTableModel::SetBlock(PatchDocument* document, std::optional<BlockId> id) {
    if (id != id_) {
        refusal_.clear();
        refused_ = QPersistentModelIndex();
    }
    document_ = document;
    id_ = id;
    readOnly_.clear();
    if (document_ && id_) readOnly_ = QString::fromStdString(TableReadOnlyReason(id_->fileId, id_->blockNumber, Block()));
}

ByteView FactTableModel::Block() const {
    const PatchBlock* block = document_ && id_ ? document_->patch().LiveBlock(id_->fileId, id_->blockNumber) : nullptr;
    return block ? ByteView(block->bytes) : ByteView();
}

const BlockField* FactTableModel::FieldOf(int column) const {
    if (!document_ || !id_ || column < 0 || column >= columnCount()) return nullptr;
    const BlockType* type = BlockTypeOf(id_->fileId, id_->blockNumber);
    return type ? FindField(LayoutOf(*type, Block()), table_.columns[static_cast<std::size_t>(column)]) : nullptr;
}

int FactTableModel::ColumnOf(std::string_view field) const {
    const auto at = std::find(table_.columns.begin(), table_.columns.end(), field);
    return at == table_.columns.end() ? -1 : static_cast<int>(at - table_.columns.begin());
}

namespace {
const std::string* Cell(const FactTable& table, int row, int column) {
    if (row < 0 || static_cast<std::size_t>(row) >= table.rows.size()) return nullptr;
    const auto& cells = table.rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? &cells[static_cast<std::size_t>(column)] : nullptr;
}

QString RefusalOf(const Result<Bytes>& bytes) {
    return bytes ? QString() : QString::fromStdString(bytes.error().message);
}
}  // namespace

QString FactTableModel::Check(const QModelIndex& index, const QString& text) const {
    if (!IsEditable()) return readOnly_;
    const std::vector<CellText> cells = {{static_cast<std::size_t>(index.row()),
                                          table_.columns[static_cast<std::size_t>(index.column())], text.toStdString()}};
    return RefusalOf(::SetCells(id_->fileId, id_->blockNumber, Block(), cells));
}

QString FactTableModel::Commit(const std::string& name, const Result<Bytes>& bytes, const QModelIndex& cell) {
    const PatchBlock* old = document_->patch().LiveBlock(id_->fileId, id_->blockNumber);
    if (!bytes || !old) {
        refusal_ = bytes ? QStringLiteral("The block is no longer in the patch.") : RefusalOf(bytes);
        const QPersistentModelIndex was = refused_;
        refused_ = cell;
        for (const QModelIndex& i : {QModelIndex(was), cell})
            if (i.isValid()) emit dataChanged(i, i);
        emit Refused(refusal_);
        return refusal_;
    }
    refusal_.clear();
    refused_ = QPersistentModelIndex();
    const ByteView now(old->bytes);
    if (std::equal(now.begin(), now.end(), bytes->begin(), bytes->end())) return {};
    PatchEdit edit;
    edit.added.Append(id_->fileId, id_->blockNumber, *bytes, old->flagA, old->flagB);
    // The document redraws the panel, this table among it, before Run returns.
    document_->Run(QString::fromStdString(name), std::move(edit));
    return {};
}

QString FactTableModel::SetCells(const std::vector<std::pair<QModelIndex, QString>>& cells) {
    if (!IsEditable()) return readOnly_;
    std::vector<CellText> texts;
    for (const auto& [index, text] : cells)
        texts.push_back({static_cast<std::size_t>(index.row()), table_.columns[static_cast<std::size_t>(index.column())],
                         text.toStdString()});
    if (texts.empty()) return {};
    const std::string name = texts.size() == 1
                                 ? "Change " + texts[0].column + " of " + RecordSubject(id_->fileId, id_->blockNumber, texts[0].row)
                                 : "Paste " + std::to_string(texts.size()) + " cells into " + BlockTitle(id_->fileId, id_->blockNumber);
    return Commit(name, ::SetCells(id_->fileId, id_->blockNumber, Block(), texts), cells[0].first);
}

QString FactTableModel::CopyText(const QModelIndexList& cells) const {
    if (cells.isEmpty()) return {};
    int top = rowCount(), left = columnCount(), bottom = -1, right = -1;
    for (const QModelIndex& i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    QStringList lines;
    for (int r = top; r <= bottom; ++r) {
        QStringList line;
        for (int c = left; c <= right; ++c) line << data(index(r, c)).toString();
        lines << line.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString FactTableModel::Paste(const QModelIndex& at, const QString& text, const QModelIndexList& selection) {
    if (!IsEditable()) return readOnly_;
    if (!at.isValid()) return QStringLiteral("Choose the cell to paste into first.");
    // Lines of a spreadsheet end in CR LF; the last line break ends the last row.
    QStringList lines = QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    std::vector<std::pair<QModelIndex, QString>> cells;
    const auto add = [&](int row, int column, const QString& value) -> QString {
        const QModelIndex cell = index(row, column);
        if (!cell.isValid())
            return QStringLiteral("The pasted cells run past the table's %1 rows and %2 columns.").arg(rowCount()).arg(columnCount());
        // A column that is no field may be pasted back as it is.
        if (value == data(cell).toString()) return {};
        if (!FieldOf(column))
            return QStringLiteral("The column \"%1\" is no field; its cells cannot be changed.")
                .arg(QString::fromStdString(table_.columns[static_cast<std::size_t>(column)]));
        cells.emplace_back(cell, value);
        return {};
    };
    QString refused;
    if (lines.size() == 1 && !lines[0].contains(QLatin1Char('\t')) && selection.size() > 1) {
        for (const QModelIndex& i : selection)
            if (refused.isEmpty()) refused = add(i.row(), i.column(), lines[0]);
    } else {
        for (int r = 0; r < lines.size() && refused.isEmpty(); ++r) {
            const QStringList values = lines[r].split(QLatin1Char('\t'));
            for (int c = 0; c < values.size() && refused.isEmpty(); ++c) refused = add(at.row() + r, at.column() + c, values[c]);
        }
    }
    if (!refused.isEmpty()) return Commit("", Error(refused.toStdString()), at);
    return SetCells(cells);
}

bool FactTableModel::RowsVary() const { return IsEditable() && ::RowsVary(id_->fileId); }

QString FactTableModel::InsertRow(int at) {
    if (!RowsVary()) return readOnly_;
    const std::string noun = id_->fileId == kMultis ? "component" : "static";
    return Commit("Add " + noun + " " + std::to_string(at) + " to " + BlockTitle(id_->fileId, id_->blockNumber),
                  InsertRecord(id_->fileId, Block(), static_cast<std::size_t>(at)));
}

QString FactTableModel::RemoveRow(int at) {
    if (!RowsVary()) return readOnly_;
    return Commit("Remove " + RecordSubject(id_->fileId, id_->blockNumber, static_cast<std::size_t>(at)),
                  RemoveRecord(id_->fileId, Block(), static_cast<std::size_t>(at)));
}

QString FactTableModel::MoveRow(int at, int to) {
    if (!RowsVary()) return readOnly_;
    return Commit("Move " + RecordSubject(id_->fileId, id_->blockNumber, static_cast<std::size_t>(at)) +
                      (to < at ? " up" : " down"),
                  MoveRecord(id_->fileId, Block(), static_cast<std::size_t>(at), static_cast<std::size_t>(to)));
}

bool FactTableModel::Differs(int row, int column) const {
    if (!client_) return false;
    const std::string *mine = Cell(table_, row, column), *theirs = Cell(*client_, row, column);
    return !theirs || (mine && *mine != *theirs);
}

int FactTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.rows.size());
}

int FactTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.columns.size());
}

Qt::ItemFlags FactTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (IsEditable() && FieldOf(index.column())) flags |= Qt::ItemIsEditable;
    return flags;
}

bool FactTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid()) return false;
    return SetCells({{index, value.toString()}}).isEmpty();
}

QVariant FactTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        if (index == refused_) {
            if (role == Qt::BackgroundRole) return QColor(0xD0, 0x30, 0x30, 0x50);
            if (role == Qt::ToolTipRole) return refusal_;
        }
        if (!Differs(index.row(), index.column())) return {};
        // Bold as well as tinted, so that no colour has to be told apart.
        const std::string* theirs = Cell(*client_, index.row(), index.column());
        switch (role) {
            case Qt::FontRole: {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            case Qt::BackgroundRole: return QColor(0xE6, 0x9F, 0x00, 0x60);
            case Qt::ToolTipRole:
                return theirs ? QStringLiteral("In the client: %1").arg(QString::fromStdString(*theirs))
                              : QStringLiteral("The client has no such row");
            default: return {};
        }
    }
    const auto& row = table_.rows[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    return column < row.size() ? QString::fromStdString(row[column]) : QString();
}

QVariant FactTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section;
    const auto column = static_cast<std::size_t>(section);
    return column < table_.columns.size() ? QString::fromStdString(table_.columns[column]) : QString();
}
