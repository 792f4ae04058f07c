#include "app/fact_table_model.h"

#include <QColor>
#include <QFont>

void FactTableModel::SetTable(FactTable table) {
    beginResetModel();
    table_ = std::move(table);
    client_.reset();
    endResetModel();
}

void FactTableModel::SetClientTable(std::optional<FactTable> client) {
    client_ = std::move(client);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

namespace {
const std::string* Cell(const FactTable& table, int row, int column) {
    if (row < 0 || static_cast<std::size_t>(row) >= table.rows.size()) return nullptr;
    const auto& cells = table.rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? &cells[static_cast<std::size_t>(column)] : nullptr;
}
}  // namespace

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

QVariant FactTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role != Qt::DisplayRole) {
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
