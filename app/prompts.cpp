#include "app/prompts.h"

#include <QPushButton>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <QMessageBox>
#include <QRegularExpression>

namespace {
// "PNG picture (*.png)" gives "png"; "" for a pattern such as "*.*".
QString SuffixOfFilter(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The file or folder chosen in the dialog, or "" when it was cancelled.
QString Chosen(QFileDialog& dialog) {
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                  : QString();
}

// A folder dialog that also takes a name not made yet, in a folder that is
// there: Qt's own refuses it as "Directory not found".
class NewFolderDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    QString Chosen() const { return chosen_; }
    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return;
        chosen_ = files.first();
        const QFileInfo chosen(chosen_);
        if (!chosen.exists() && !chosen.isSymLink() && chosen.absoluteDir().exists()) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }

private:
    QString chosen_;
};

class DialogPrompts final : public Prompts {
public:
    QString OpenFile(QWidget* owner, const QString& filter, const QString& title, const QString& dir) override {
        QFileDialog dialog(owner, title, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return Chosen(dialog);
    }
    QString SaveFile(QWidget* owner, const QString& filter, const QString& title, const QString& path,
                     const QString& defaultSuffix) override {
        QFileDialog dialog(owner, title, path, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
            const QString suffix = SuffixOfFilter(chosen);
            if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
        });
        return Chosen(dialog);
    }
    QString ChooseFolder(QWidget* owner, const QString& title, const QString& dir, FolderUse use) override {
        NewFolderDialog dialog(owner, title, dir);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        if (use == FolderUse::kExisting) return Chosen(dialog);
        return dialog.exec() == QDialog::Accepted ? dialog.Chosen() : QString();
    }
    void Message(QWidget* owner, const QString& text, const QString& title) override {
        QMessageBox::information(owner, title, text, QMessageBox::Ok);
    }
    bool Confirm(QWidget* owner, const QString& text, const QString& title, const QString& yes) override {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Cancel, owner);
        QPushButton* accept = box.addButton(yes, QMessageBox::AcceptRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return box.clickedButton() == accept;
    }
    SaveChoice AskSaveChanges(QWidget* owner, const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                        owner);
        box.setDefaultButton(QMessageBox::Save);
        box.button(QMessageBox::Save)->setText(QStringLiteral("&Save"));
        box.button(QMessageBox::Discard)->setText(QStringLiteral("&Discard"));
        const auto answer = box.exec();
        if (answer == QMessageBox::Save) return SaveChoice::Save;
        return answer == QMessageBox::Discard ? SaveChoice::Discard : SaveChoice::Cancel;
    }
    QString Input(QWidget* owner, const QString& prompt, const QString& title, const QString& text,
                  const QString& hint) override {
        QDialog dialog(owner);
        dialog.setObjectName(QStringLiteral("frmInput"));
        dialog.setWindowTitle(title);
        auto* layout = new QVBoxLayout(&dialog);
        auto* label = new QLabel(prompt, &dialog);
        auto* box = new QLineEdit(text, &dialog);
        box->setObjectName(QStringLiteral("txtInput"));
        label->setBuddy(box);
        auto* note = new QLabel(hint, &dialog);
        note->setObjectName(QStringLiteral("lblHint"));
        note->setWordWrap(true);
        note->setEnabled(false);  // drawn as a note, not as a field
        note->setVisible(!hint.isEmpty());
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        for (QWidget* w : {static_cast<QWidget*>(label), static_cast<QWidget*>(box), static_cast<QWidget*>(note),
                           static_cast<QWidget*>(buttons)})
            layout->addWidget(w);
        // Wide enough for the title, which the window manager draws larger
        // and in bold beside its buttons and would otherwise cut.
        QFont titleFont = dialog.font();
        titleFont.setBold(true);
        titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
        dialog.setMinimumWidth(std::max(360, QFontMetrics(titleFont).horizontalAdvance(title) + 240));
        return dialog.exec() == QDialog::Accepted ? box->text() : QString();
    }
    std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial, const QString& title) override {
        const QColor chosen = QColorDialog::getColor(initial, owner, title);
        return chosen.isValid() ? std::optional(chosen) : std::nullopt;
    }
    int Exec(QDialog* dialog) override { return dialog->exec(); }
};

DialogPrompts gDialogPrompts;
Prompts* gPrompts = &gDialogPrompts;
}  // namespace

Prompts& CurrentPrompts() { return *gPrompts; }

void SetPrompts(Prompts* prompts) { gPrompts = prompts ? prompts : &gDialogPrompts; }
