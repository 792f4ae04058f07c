#include "cli/cli_json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <ostream>

#include "cli/cli_support.h"

void PrintJson(std::ostream& out, const QJsonObject& document) {
    out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
}

int PrintBlocksJson(std::ostream& out, const Patch& patch) {
    QJsonArray blocks;
    for (int f = 0; f < Patch::kFileIds; ++f)
        patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
            blocks.append(QJsonObject{{"fileId", b.FileID}, {"block", b.BlockNumber}, {"length", b.Length},
                                      {"flagA", b.FlagA}, {"flagB", b.FlagB}});
        });
    PrintJson(out, {{"blocks", blocks}});
    return kOk;
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
