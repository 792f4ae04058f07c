#include "app/prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
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
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                      : QString();
    }
    void Message(QWidget* owner, const QString& text, const QString& title) override {
        QMessageBox::information(owner, title, text, QMessageBox::Ok);
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
