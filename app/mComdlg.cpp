#include "app/mComdlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include "app/prompts.h"

QString ToQtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (pattern.isEmpty()) continue;
        // Qt takes the patterns from the last parentheses of each filter.
        const qsizetype open = description.lastIndexOf('(');
        if (open >= 0 && description.endsWith(')')) description = description.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(description, QString(pattern).replace(';', ' '));
    }
    return filters.join(QStringLiteral(";;"));
}

QString EnsureExtension(QString path, const QString& extension) {
    if (path.endsWith(QChar(0))) path.chop(1);
    const QString wanted = QStringLiteral(".") + extension;
    if (!path.endsWith(wanted, Qt::CaseInsensitive)) path += wanted;
    return path;
}

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString ShowOpenDialog(QWidget* owner, const QString& filter, const QString& title, const QString& initialDir) {
    const QString path = CurrentPrompts().OpenFile(owner, ToQtFilter(filter), title, initialDir);
    QDir::setCurrent(ProgramFolder());
    return path;
}

QString ShowSaveDialog(QWidget* owner, const QString& filter, const QString& title, const QString& initialDir,
                       const QString& suffix) {
    return CurrentPrompts().SaveFile(owner, ToQtFilter(filter), title, initialDir, suffix);
}
