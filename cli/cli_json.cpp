#include "cli/cli_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <ostream>

#include "cli/cli_support.h"

void PrintJson(std::ostream& out, const QJsonObject& document) {
    out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

int PrintBlocksJson(std::ostream& out, const std::vector<VerdataEntry>& entries) {
    QJsonArray blocks;
    for (const VerdataEntry& e : entries)
        blocks.append(QJsonObject{{"fileId", e.fileId}, {"block", e.blockNumber}, {"length", e.length},
                                  {"flagA", e.flagA}, {"flagB", e.flagB}});
    PrintJson(out, {{"blocks", blocks}});
    return kOk;
}

QJsonObject ResultJson(const ImportResult& r) {
    return {{"added", static_cast<qint64>(r.added)}, {"withoutData", static_cast<qint64>(r.absent)},
            {"damaged", static_cast<qint64>(r.damaged)}, {"leftOut", static_cast<qint64>(r.leftOut)}};
}

namespace {
QJsonObject SideJson(const BlockSide& s) {
    return {{"length", s.length}, {"flagA", s.flagA}, {"flagB", s.flagB}, {"sha256", QString::fromStdString(s.sha256)}};
}
}  // namespace

QJsonObject DifferenceJson(const BlockDifference& d) {
    QJsonObject o{{"kind", KindName(d.kind)}, {"fileId", d.fileId}, {"block", d.block}};
    if (d.kind != BlockDifference::kAdded) o["a"] = SideJson(d.a);
    if (d.kind != BlockDifference::kRemoved) o["b"] = SideJson(d.b);
    return o;
}
