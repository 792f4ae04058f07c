// A FactTable shown in a QTableView: cells are handed out as the view asks for
// them, so a table of thousands of rows costs no more than the visible ones.
// The table of a block of the patch whose type has fields is edited in
// place: each change of cells, typed or pasted, is one named step of the
// document; what does not fit its field is refused and the cell marked with
// the reason.
#pragma once

#include <QAbstractTableModel>
#include <optional>

#include "codecs/block_facts.h"
#include "io/bytes.h"
#include "io/result.h"
#include "patch/block_tree.h"

class PatchDocument;
struct BlockField;

class FactTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // A table of the same columns replaces the one shown in place, so that
    // the view keeps its current cell across an edit.
    void SetTable(FactTable table);
    // The same table of the client's block: cells that differ from it are
    // marked (bold, tinted, the client's value in the tooltip). None: no marks.
    void SetClientTable(std::optional<FactTable> client);
    // True when cell (row, column) differs from the client's.
    bool Differs(int row, int column) const;

    // The table is block `id` of `document`; none: read-only.
    void SetBlock(PatchDocument* document, std::optional<BlockId> id);
    // Whether cells can be changed, and if not for a block of fields, why.
    bool IsEditable() const { return document_ && id_ && readOnly_.isEmpty(); }
    const QString& ReadOnlyReason() const { return readOnly_; }
    // The field a column shows; nullptr for the others (an item's number).
    const BlockField* FieldOf(int column) const;
    int ColumnOf(std::string_view field) const;
    // Why `text` would be refused in that cell; "" when it fits.
    QString Check(const QModelIndex& index, const QString& text) const;
    // Sets cells to texts as one step; "" when done, else why it was refused.
    QString SetCells(const std::vector<std::pair<QModelIndex, QString>>& cells);
    // The cells of the rectangle the indexes span as tab-separated lines.
    QString CopyText(const QModelIndexList& cells) const;
    // Tab-separated text pasted with its first cell at `at`; one value fills
    // every cell of `selection`. One step; "" when done, else why refused.
    QString Paste(const QModelIndex& at, const QString& text, const QModelIndexList& selection = {});
    // The last refusal; "" after a step.
    const QString& Refusal() const { return refusal_; }

    // Rows of houses and statics: added before row `at` (at the end when it
    // is the row count), removed, moved to `to`. "" when done, else why not.
    bool RowsVary() const;
    QString InsertRow(int at);
    QString RemoveRow(int at);
    QString MoveRow(int at, int to);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void Refused(const QString& reason);

private:
    ByteView Block() const;
    // Runs the block's new bytes as step `name`; a refusal is marked on `cell`.
    QString Commit(const std::string& name, const Result<Bytes>& bytes, const QModelIndex& cell = {});

    FactTable table_;
    std::optional<FactTable> client_;
    PatchDocument* document_ = nullptr;
    std::optional<BlockId> id_;
    QString readOnly_;
    QString refusal_;
    QPersistentModelIndex refused_;  // the cell the refusal is marked on
};
