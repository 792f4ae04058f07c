#include "cli/cli_json.h"

#include <ostream>


void PrintJson(std::ostream& out, const Json& document) { out << JsonText(document); }

void PrintBlocksJson(std::ostream& out, const std::vector<VerdataEntry>& entries) {
    Json blocks = Json::array();
    for (const VerdataEntry& e : entries)
        blocks.push_back({{"fileId", e.fileId}, {"block", e.blockNumber}, {"length", e.length},
                                  {"flagA", e.flagA}, {"flagB", e.flagB}});
    PrintJson(out, {{"blocks", blocks}});
}

Json ResultJson(const ImportReport& r) {
    Json result = {{"added", r.added}, {"withoutData", r.absent}, {"damaged", r.damaged}, {"leftOut", r.leftOut}};
    if (!r.belowZero.empty()) {
        Json below = Json::array();
        for (const auto& [fileId, block] : r.belowZero) below.push_back({{"fileId", fileId}, {"block", block}});
        result["belowZero"] = std::move(below);
    }
    return result;
}

namespace {
Json SideJson(const BlockSide& s) {
    return {{"length", s.length}, {"flagA", s.flagA}, {"flagB", s.flagB}, {"sha256", s.sha256}};
}
}  // namespace

Json DifferenceJson(const BlockDifference& d) {
    Json o{{"kind", KindName(d.kind)}, {"fileId", d.fileId}, {"block", d.block}};
    if (d.kind != BlockDifference::kAdded) o["a"] = SideJson(d.a);
    if (d.kind != BlockDifference::kRemoved) o["b"] = SideJson(d.b);
    return o;
}
