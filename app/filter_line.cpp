#include "app/filter_line.h"

#include <QKeyEvent>
#include <QTreeView>

#include "app/block_tree_model.h"

FilterLine::FilterLine(QTreeView* tree, BlockTreeModel* model, QWidget* parent)
    : QLineEdit(parent), tree_(tree), model_(model) {
    setObjectName(QStringLiteral("txtFilter"));
    setPlaceholderText(QStringLiteral("Block number or file type (Ctrl+F)"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this, [this] { Apply(); });
    connect(this, &QLineEdit::returnPressed, this, [this] { Apply(true); });
}

void FilterLine::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        tree_->setFocus();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

std::optional<std::int32_t> FilterLine::Number() const {
    const QString t = text().trimmed();
    bool ok = false;
    const qlonglong n = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                                               : t.toLongLong(&ok, 10);
    if (!ok || n < 0 || n > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(n);
}

void FilterLine::Narrow() {
    const QString t = text().trimmed();
    const bool number = Number().has_value();
    int firstShown = -1;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const bool shown = number || model_->index(row, 0).data().toString().contains(t, Qt::CaseInsensitive);
        tree_->setRowHidden(row, {}, !shown);
        if (shown && firstShown < 0) firstShown = row;
    }
    // The selection stays among the nodes shown, so that Tab to the tree
    // and a block command reach the file type the user narrowed to.
    QModelIndex top = tree_->currentIndex();
    while (top.parent().isValid()) top = top.parent();
    if (!t.isEmpty() && firstShown >= 0 && (!top.isValid() || tree_->isRowHidden(top.row(), {})))
        tree_->setCurrentIndex(model_->index(firstShown, 0));
}

void FilterLine::Apply(bool next) {
    Narrow();
    const std::optional<std::int32_t> n = Number();
    if (!n) return;
    // The file types in tree order, from the current one (or the one after
    // it, for the next match) round to the one before it.
    const std::optional<BlockId> current = BlockTreeModel::IdOf(tree_->currentIndex());
    const int rows = model_->rowCount();
    const int start = current ? model_->IndexOf({current->fileId, -1}).row() + (next ? 1 : 0) : 0;
    for (int i = 0; i < rows; ++i) {
        const BlockId id{BlockTreeModel::IdOf(model_->index((start + i) % rows, 0))->fileId, *n};
        if (model_->Holds(id)) {
            emit Wanted(id);
            return;
        }
    }
}
