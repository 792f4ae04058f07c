#include "app/prompts.h"

#include <QPushButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {
// "PNG picture (*.png)" gives "png"; "" for a pattern such as "*.*".
QString SuffixOfFilter(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

class DialogPrompts final : public Prompts {
public:
    QString OpenFile(QWidget* owner, const QString& filter, const QString& title, const QString& dir) override {
        QFileDialog dialog(owner, title, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                      : QString();
    }
    QString SaveFile(QWidget* owner, const QString& filter, const QString& title, const QString& dir,
                     const QString& defaultSuffix) override {
        QFileDialog dialog(owner, title, dir, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
            const QString suffix = SuffixOfFilter(chosen);
            if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
        });
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                      : QString();
    }
    QString Folder(QWidget* owner, const QString& title, const QString& dir) override {
        return QFileDialog::getExistingDirectory(owner, title, dir);
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
        const auto answer = QMessageBox::warning(owner, title, text,
                                                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                                 QMessageBox::Save);
        if (answer == QMessageBox::Save) return SaveChoice::Save;
        return answer == QMessageBox::Discard ? SaveChoice::Discard : SaveChoice::Cancel;
    }
    QString Input(QWidget* owner, const QString& prompt, const QString& title, const QString& text) override {
        bool ok = false;
        const QString s = QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, text, &ok);
        return ok ? s : QString();
    }
    int Exec(QDialog* dialog) override { return dialog->exec(); }
};

DialogPrompts gDialogPrompts;
Prompts* gPrompts = &gDialogPrompts;
}  // namespace

Prompts& CurrentPrompts() { return *gPrompts; }

void SetPrompts(Prompts* prompts) { gPrompts = prompts ? prompts : &gDialogPrompts; }
