// Every question the program asks the user goes through this interface, so
// that tests can script the answers and never wait on a modal window.
#pragma once

#include <QColor>
#include <QString>
#include <optional>

class QDialog;
class QWidget;

enum class SaveChoice { Save, Discard, Cancel };

// What a folder is chosen for: to read from (it must exist), or to write
// into, where a name not made yet is taken and left to the command to make.
enum class FolderUse { kExisting, kNewOrExisting };

class Prompts {
public:
    virtual ~Prompts() = default;
    // The chosen path, or "" when cancelled. `filter` is in Qt's form.
    virtual QString OpenFile(QWidget* owner, const QString& filter, const QString& title, const QString& dir) = 0;
    // `path` is the folder and the suggested name. `defaultSuffix` is added
    // to a name typed without extension; choosing another filter makes that
    // filter's extension the default.
    virtual QString SaveFile(QWidget* owner, const QString& filter, const QString& title, const QString& path,
                             const QString& defaultSuffix) = 0;
    // A folder, existing or made in the dialog (or, for kNewOrExisting, named
    // anew in an existing folder); "" when cancelled.
    virtual QString ChooseFolder(QWidget* owner, const QString& title, const QString& dir, FolderUse use) = 0;
    // An information message box with an OK button.
    virtual void Message(QWidget* owner, const QString& text, const QString& title) = 0;
    // The text input box, `hint` in a line below the box; "" when cancelled.
    virtual QString Input(QWidget* owner, const QString& prompt, const QString& title, const QString& text,
                          const QString& hint) = 0;
    // A question answered by a button named `yes` or by Cancel; true for `yes`.
    virtual bool Confirm(QWidget* owner, const QString& text, const QString& title, const QString& yes) = 0;
    // Save / Discard / Cancel for changes that would otherwise be lost; Alt+S
    // and Alt+D pick the first two.
    virtual SaveChoice AskSaveChanges(QWidget* owner, const QString& text, const QString& title) = 0;
    // A colour chosen in the colour picker, starting at `initial`; none when cancelled.
    virtual std::optional<QColor> ChooseColor(QWidget* owner, const QColor& initial, const QString& title) = 0;
    // Shows a modal dialog until it closes; returns its result code.
    virtual int Exec(QDialog* dialog) = 0;
};

// The prompts in use: the real dialogs unless a test installed others.
Prompts& CurrentPrompts();
// Installs `prompts` (not owned); nullptr restores the real dialogs.
void SetPrompts(Prompts* prompts);
