// The panel's table view: cells of a block's fields are edited in place.
// F2 or typing starts an edit, Enter commits and moves down, Tab across,
// Escape cancels; an edit that does not fit its field stays open with the
// reason in the cell. Ctrl+C and Ctrl+V copy and paste cells as
// tab-separated text, as spreadsheets hold them.
#pragma once

#include <QTableView>

class FactTableModel;

class FactTableView : public QTableView {
    Q_OBJECT
public:
    FactTableView(QWidget* parent, FactTableModel* model);

    void CopyCells();
    void PasteCells();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    FactTableModel* model_;
};
