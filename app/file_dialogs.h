// The open and save file dialogs that every command uses. Filters are written
// as description and pattern pairs joined by "|", e.g. "Datafile (*.dat) |*.dat".
#pragma once

#include <QString>

#include "app/prompts.h"
#include "gamefiles/forms/form.h"

class QWidget;

// What a file dialog is for: each remembers the folder last used for it.
enum class Folder { Patches, GameFiles, Pictures, RawBlocks };

// Where a dialog for `purpose` starts: the folder last used for it, else the
// folder of the patch the owner's main window edits, else the home folder.
QString StartFolder(QWidget* owner, Folder purpose);

// The chosen full path, or "" when cancelled; its folder is remembered for
// `purpose`. The process's working folder never changes. Every dialog offers
// "All files (*)" after the filters given.
// The filter of a file dialog for files of `form`, under the dialog's own
// `label`: "Game data package (*.uop) |*.uop".
QString FormFilter(Form form, const char* label);

QString ShowOpenDialog(QWidget* owner, const QString& filter, const QString& title, Folder purpose);

// The chosen full path, or "". The dialog suggests `name` in its start
// folder, asks before overwriting and adds `suffix` (or the chosen filter's
// extension) to a name typed without one.
QString ShowSaveDialog(QWidget* owner, const QString& filter, const QString& title, Folder purpose,
                       const QString& suffix, const QString& name);

// The chosen folder, or ""; the folder it lies in is remembered for `purpose`.
QString ShowFolderDialog(QWidget* owner, const QString& title, Folder purpose, FolderUse use = FolderUse::kExisting);

// The "|"-separated pairs as Qt's name filters ("Datafile (*.dat)").
QString ToQtFilter(const QString& filter);

// Appends "." + extension unless the path already ends in it (in any case);
// a trailing NUL character is dropped first.
QString EnsureExtension(QString path, const QString& extension);

// The property of the main window that holds the edited patch's path.
inline constexpr const char* kPatchPathProperty = "patchPath";
