// A FactTable shown in a QTableView: cells are handed out as the view asks for
// them, so a table of thousands of rows costs no more than the visible ones.
#pragma once

#include <QAbstractTableModel>

#include "codecs/block_facts.h"

class FactTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetTable(FactTable table);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    FactTable table_;
};
