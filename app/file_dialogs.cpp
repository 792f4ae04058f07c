#include "app/file_dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>
#include <QStringList>

#include "app/prompts.h"
#include "app/settings.h"

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

namespace {
const char* FolderKey(Folder purpose) {
    switch (purpose) {
        case Folder::Patches: return kPatchesFolderKey;
        case Folder::GameFiles: return kGameFilesFolderKey;
        case Folder::Pictures: return kPicturesFolderKey;
        case Folder::RawBlocks: break;
    }
    return kRawBlocksFolderKey;
}

QString Remember(Folder purpose, const QString& path) {
    if (!path.isEmpty()) OpenSettingsStore()->setValue(FolderKey(purpose), QFileInfo(path).absolutePath());
    return path;
}
}  // namespace

QString StartFolder(QWidget* owner, Folder purpose) {
    const QString last = OpenSettingsStore()->value(FolderKey(purpose)).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    for (const QObject* o = owner; o; o = o->parent()) {
        const QString patch = o->property(kPatchPathProperty).toString();
        if (!patch.isEmpty() && QFileInfo(patch).absoluteDir().exists()) return QFileInfo(patch).absolutePath();
    }
    return QDir::homePath();
}

namespace {
QString WithAllFiles(const QString& filter) {
    const QString filters = ToQtFilter(filter);
    return (filters.isEmpty() ? filters : filters + QStringLiteral(";;")) + QStringLiteral("All files (*)");
}
}  // namespace

QString ShowOpenDialog(QWidget* owner, const QString& filter, const QString& title, Folder purpose) {
    return Remember(purpose,
                    CurrentPrompts().OpenFile(owner, WithAllFiles(filter), title, StartFolder(owner, purpose)));
}

QString ShowSaveDialog(QWidget* owner, const QString& filter, const QString& title, Folder purpose,
                       const QString& suffix, const QString& name) {
    return Remember(purpose, CurrentPrompts().SaveFile(owner, WithAllFiles(filter), title,
                                                       QDir(StartFolder(owner, purpose)).filePath(name), suffix));
}

QString ShowFolderDialog(QWidget* owner, const QString& title, Folder purpose, FolderUse use) {
    return Remember(purpose, CurrentPrompts().ChooseFolder(owner, title, StartFolder(owner, purpose), use));
}

QString FormFilter(Form form, const char* label) {
    const QString pattern = QString::fromUtf8(EntryOf(form).filter.data(), static_cast<qsizetype>(EntryOf(form).filter.size()));
    return QStringLiteral("%1 (%2) |%2").arg(QString::fromLatin1(label), pattern);
}
