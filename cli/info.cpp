#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "gamefiles/forms/data_layout.h"
#include "patch/settle_duplicates.h"

namespace {
// The name column of a type without a name holds a dash.
std::string NameColumn(int fileId) {
    const auto id = static_cast<std::uint8_t>(fileId);
    return FileTypes()[id].name.empty() ? "-" : TypeName(id);
}
}  // namespace

CommandResult Info(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    Patch patch;
    if (Status done = session.Load(args.Text("PATCH.uop"), patch); !done) return done.error();
    std::array<std::int64_t, Patch::kFileIds> superseded{};
    for (const RemovedMark& m : SettleDuplicates(patch)) ++superseded[m.fileId];
    Json types = Json::array();
    std::int64_t totalLive = 0, totalBytes = 0;
    if (!session.json) out << "ID   Name       Live  Superseded  Without data  Bytes\n";
    for (int f = 0; f < Patch::kFileIds; ++f) {
        std::int64_t live = 0, empty = 0, bytes = 0;
        patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
            ++live;
            if (b.bytes.empty()) ++empty;
            bytes += static_cast<std::int64_t>(b.bytes.size());
        });
        if (live == 0 && superseded[f] == 0) continue;
        totalLive += live;
        totalBytes += bytes;
        if (session.json) {
            types.push_back({{"fileId", f}, {"name", NameColumn(f)}, {"live", live}, {"superseded", superseded[f]},
                          {"withoutData", empty}, {"bytes", bytes}});
            continue;
        }
        char line[128];
        std::snprintf(line, sizeof line, "%-4d %-10s %5lld %11lld %13lld  %lld\n", f, NameColumn(f).c_str(),
                      static_cast<long long>(live), static_cast<long long>(superseded[f]),
                      static_cast<long long>(empty), static_cast<long long>(bytes));
        out << line;
    }
    if (session.json)
        PrintJson(out, {{"types", types}, {"live", totalLive}, {"bytes", totalBytes}});
    else out << "Total: " << totalLive << " live blocks, " << totalBytes << " bytes.\n";
    return kDone;
}

namespace {
// How files of a type are read, in words.
std::string Layout(std::size_t fileId, const FileTypeEntry& t) {
    if (fileId == kFiles) return "whole client files: 0 client, 1 readme, 2 map";
    if (fileId == kTiledata) {
        const auto group = [](const TiledataLayout& l) {
            return std::to_string(l.landGroup) + "-byte land groups, then " + std::to_string(l.staticGroup) +
                   "-byte static groups";
        };
        return "groups, no index: " + std::to_string(kTiledataLandGroups) + " " + group(kTiledataOlder) + ", or " +
               group(kTiledataNewer);
    }
    if (t.fixedBlockSize > 0) return "fixed " + std::to_string(t.fixedBlockSize) + "-byte blocks, no index";
    return "indexed";
}

Json LayoutJson(std::size_t fileId, const FileTypeEntry& t) {
    const char* layout = fileId == kFiles      ? "files"
                         : fileId == kTiledata ? "groups"
                         : t.fixedBlockSize > 0       ? "fixed"
                                                     : "indexed";
    Json type{{"fileId", fileId},
              {"name", t.name},
              {"layout", layout},
              {"fixedBlockSize", std::string(layout) == "fixed" ? t.fixedBlockSize : 0},
              {"usualHighestBlock", t.highestBlock}};
    if (fileId == kTiledata) {
        Json groups = Json::array();
        for (const TiledataLayout& l : {kTiledataOlder, kTiledataNewer})
            groups.push_back({{"land", l.landGroup}, {"static", l.staticGroup}});
        type["groups"] = groups;
    }
    return type;
}
}  // namespace

CommandResult Types(const CommandArgs&, std::ostream& out, std::ostream&, CliSession& session) {
    Json types = Json::array();
    for (std::size_t f = 0; f < FileTypes().size(); ++f) {
        const FileTypeEntry& t = FileTypes()[f];
        if (t.name.empty()) continue;
        if (session.json) types.push_back(LayoutJson(f, t));
        else out << f << ' ' << t.name << ' ' << Layout(f, t) << "; usually blocks 0-" << t.highestBlock << '\n';
    }
    if (session.json) PrintJson(out, {{"types", types}});
    return kDone;
}
