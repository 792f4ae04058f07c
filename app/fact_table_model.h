// A FactTable shown in a QTableView: cells are handed out as the view asks for
// them, so a table of thousands of rows costs no more than the visible ones.
#pragma once

#include <QAbstractTableModel>
#include <optional>

#include "codecs/block_facts.h"

class FactTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetTable(FactTable table);
    // The same table of the client's block: cells that differ from it are
    // marked (bold, tinted, the client's value in the tooltip). None: no marks.
    void SetClientTable(std::optional<FactTable> client);
    // True when cell (row, column) differs from the client's.
    bool Differs(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    FactTable table_;
    std::optional<FactTable> client_;
};
