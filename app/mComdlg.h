// The open and save file dialogs that every command uses. Filters are written
// as description and pattern pairs joined by "|", e.g. "Datafile (*.dat) |*.dat".
#pragma once

#include <QString>

class QWidget;

// The chosen full path, or "" when cancelled. Afterwards the program's own
// folder is the current directory again, wherever the user browsed.
QString ShowOpenDialog(QWidget* owner, const QString& filter, const QString& title, const QString& initialDir);

// The chosen full path, or "". The dialog asks before overwriting and adds
// `suffix` (or the chosen filter's extension) to a name typed without one.
QString ShowSaveDialog(QWidget* owner, const QString& filter, const QString& title, const QString& initialDir,
                       const QString& suffix);

// The "|"-separated pairs as Qt's name filters ("Datafile (*.dat)").
QString ToQtFilter(const QString& filter);

// Appends "." + extension unless the path already ends in it (in any case);
// a trailing NUL character is dropped first.
QString EnsureExtension(QString path, const QString& extension);

// The folder the program's executable lives in; file dialogs start there.
QString ProgramFolder();
