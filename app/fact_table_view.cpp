#include "app/fact_table_view.h"

#include <QApplication>
#include <algorithm>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QValidator>

#include "app/fact_table_model.h"
#include "codecs/block_fields.h"

// The editor of a cell: the room left in a name ("12 left") and, for text
// that does not fit, "refused" at the cell's right end, the reason in its tooltip.
class CellEdit : public QLineEdit {
public:
    CellEdit(QWidget* parent, int nameBytes) : QLineEdit(parent), nameBytes_(nameBytes) {
        setObjectName(QStringLiteral("txtCell"));
        if (nameBytes_ > 0) setMaxLength(nameBytes_);
        connect(this, &QLineEdit::textChanged, this, [this] { Note(); });
    }
    // The reason the text is refused; "" when it fits.
    void SetRefusal(const QString& refusal) {
        if (refusal == property("refusal").toString()) return;
        setProperty("refusal", refusal);
        setToolTip(refusal);
        setStyleSheet(refusal.isEmpty() ? QString() : QStringLiteral("background: #f8d7da;"));
        Note();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QLineEdit::paintEvent(event);
        const QString note = property("note").toString();
        if (note.isEmpty()) return;
        QPainter painter(this);
        painter.setPen(property("refusal").toString().isEmpty() ? palette().color(QPalette::PlaceholderText)
                                                                : QColor(0xB0, 0x00, 0x20));
        painter.drawText(rect().adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, note);
    }

private:
    void Note() {
        QString note;
        if (!property("refusal").toString().isEmpty()) note = QStringLiteral("refused");
        else if (nameBytes_ > 0) note = QStringLiteral("%1 left").arg(nameBytes_ - text().size());
        setProperty("note", note);
        setTextMargins(0, 0, note.isEmpty() ? 0 : fontMetrics().horizontalAdvance(note) + 8, 0);
        update();
    }
    int nameBytes_;
};

namespace {
// Text the cell's field does not take is Intermediate: Enter and Tab keep
// the editor open on it.
class CellValidator : public QValidator {
public:
    CellValidator(CellEdit* edit, const FactTableModel& model, const QModelIndex& index)
        : QValidator(edit), edit_(edit), model_(model), index_(index) {}
    State validate(QString& text, int&) const override {
        const QString refusal = model_.Check(index_, text);
        edit_->SetRefusal(refusal);
        return refusal.isEmpty() ? Acceptable : Intermediate;
    }

private:
    CellEdit* edit_;
    const FactTableModel& model_;
    QPersistentModelIndex index_;
};

class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(QObject* parent, FactTableModel& model) : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const BlockField* field = model_.FieldOf(index.column());
        const bool name = field && field->kind == FieldKind::kName && field->width > 0;
        auto* edit = new CellEdit(parent, name ? static_cast<int>(field->width) : 0);
        edit->setFrame(false);
        edit->setValidator(new CellValidator(edit, model_, index));
        return edit;
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex&) const override {
        // A name's editor is wide enough for its whole field and the room left.
        const auto* edit = static_cast<CellEdit*>(editor);
        QRect rect = option.rect;
        if (edit->maxLength() < QLineEdit().maxLength())
            rect.setWidth(std::max(rect.width(), edit->fontMetrics().averageCharWidth() * (edit->maxLength() + 8)));
        editor->setGeometry(rect);
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<CellEdit*>(editor)->setText(index.data().toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        const QString text = static_cast<CellEdit*>(editor)->text();
        if (text != index.data().toString()) model_.setData(index, text);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        // Enter or Tab on refused text: the reason shows beside the cell.
        if (auto* edit = dynamic_cast<CellEdit*>(object); edit && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const QString refusal = edit->property("refusal").toString();
            if (!refusal.isEmpty() &&
                (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab))
                QToolTip::showText(edit->mapToGlobal(edit->rect().bottomLeft()), refusal, edit);
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    FactTableModel& model_;
};

bool IsCopyOrPaste(QKeyEvent* key) { return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste); }
}  // namespace

FactTableView::FactTableView(QWidget* parent, FactTableModel* model) : QTableView(parent), model_(model) {
    setModel(model);
    setItemDelegate(new CellDelegate(this, *model));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
}

void FactTableView::CopyCells() {
    const QString text = model_->CopyText(selectionModel()->selectedIndexes());
    if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void FactTableView::PasteCells() {
    QModelIndexList selected = selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end());
    const QModelIndex at = selected.isEmpty() ? currentIndex() : selected.first();
    model_->Paste(at, QGuiApplication::clipboard()->text(), selected);
}

bool FactTableView::event(QEvent* event) {
    // Ctrl+C and Ctrl+V belong to the table, not to the window's actions.
    if (event->type() == QEvent::ShortcutOverride && IsCopyOrPaste(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void FactTableView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) return CopyCells();
    if (event->matches(QKeySequence::Paste)) return PasteCells();
    QTableView::keyPressEvent(event);
}

void FactTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    // Enter commits and moves down, as in a spreadsheet.
    if (hint != QAbstractItemDelegate::SubmitModelCache) return;
    const QModelIndex below = model_->index(currentIndex().row() + 1, currentIndex().column());
    if (below.isValid()) setCurrentIndex(below);
}
