// The filter line above the block tree. A block number (decimal, or 0x
// hexadecimal) selects that block in the current file type, else in the
// first that holds it; Enter moves on to the next file type holding it. Any
// other text shows only the file types whose name contains it. Escape goes
// back to the tree.
#pragma once

#include <QLineEdit>
#include <optional>

#include "patch/block_tree.h"

class BlockTreeModel;
class QTreeView;

class FilterLine : public QLineEdit {
    Q_OBJECT
public:
    FilterLine(QTreeView* tree, BlockTreeModel* model, QWidget* parent);

    // Narrows the tree and goes to the number; `next` to the next file type.
    void Apply(bool next = false);

signals:
    // The block the line asks for; the window selects it.
    void Wanted(BlockId id);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<std::int32_t> Number() const;
    void Narrow();

    QTreeView* tree_;
    BlockTreeModel* model_;
};
