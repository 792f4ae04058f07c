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

namespace {
QStringList LeftOutTexts(const ImportReport& report) {
    QStringList lines;
    for (const LeftOutLine& line : DescribeLeftOut(report)) lines << QString::fromStdString(line.text);
    return lines;
}
}  // namespace

QString LeftOut(const ImportReport& report) {
    const QStringList lines = LeftOutTexts(report);
    return lines.isEmpty() ? QString() : QStringLiteral(". ") + lines.join(QLatin1Char(' '));
}

QString LeftOutLines(const ImportReport& report) { return LeftOutTexts(report).join(QLatin1Char('\n')); }
