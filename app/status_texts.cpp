#include "app/status_texts.h"

#include <QStringList>

#include "gamefiles/import.h"
#include "patch/file_types.h"
#include "patch/patch.h"
#include "io/counted.h"

QString Blocks(std::int64_t n) { return QString::fromStdString(Counted(n, "block")); }

QString Destination(const Patch& blocks) {
    QStringList names;
    for (int f = 0; f < Patch::kFileIds; ++f)
        if (blocks[static_cast<std::uint8_t>(f)].LiveCount() > 0)
            names << QString::fromStdString(FileTypes()[static_cast<std::size_t>(f)].name);
    if (names.size() == 1 && !names[0].isEmpty()) return names[0];
    return QStringLiteral("%1 file types").arg(names.size());
}

QString LeftOut(const ImportResult& result) {
    const QString more = QString::fromStdString(DescribeLeftOut(result)).trimmed();
    return more.isEmpty() ? QString() : QStringLiteral(". ") + QString(more).replace(QLatin1Char('\n'), QLatin1Char(' '));
}
