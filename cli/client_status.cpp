#include <array>
#include <optional>
#include <ostream>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "cli/line_writer.h"
#include "gamefiles/client_states.h"
#include "io/binary_io.h"
#include "io/counted.h"
#include "patch/file_types.h"
#include "patch/settle_duplicates.h"

namespace {
using TypeCounts = std::array<std::int64_t, kBlockStates>;
using Counts = std::array<TypeCounts, Patch::kFileIds>;


// Judges the settled patch's blocks against the client folder the command
// was given, counting states per type, and says on `err` which files the
// folder lacks for the types whose blocks are unknown.
Result<std::vector<TypeStates>> JudgeAgainstClient(const CommandArgs& args, const Patch& patch, const PatchFileData* data,
                                                   Counts& counts, std::ostream& err) {
    const Result<ClientFolder> folder = ClientFolder::Open(args.Text("CLIENT_DIR"));
    if (!folder) return folder.error();
    Result<std::vector<TypeStates>> judged = JudgePatch(patch, *folder, args.clientVerdata != "ignore", {}, data);
    if (!judged) return judged;
    for (const TypeStates& type : *judged) {
        TypeCounts& c = counts[type.fileId];
        for (const BlockState s : type.states) ++c[static_cast<std::size_t>(s)];
        const std::int64_t unknown = c[static_cast<std::size_t>(BlockState::kUnknown)];
        const std::vector<std::string> missing = folder->MissingFiles(type.fileId);
        if (unknown == 0 || missing.empty()) continue;
        err << "palindra-cli: The client folder lacks " << missing[0] << (missing.size() > 1 ? " and " + missing[1] : "")
            << ": " << Counted(unknown, TypeNameAtStart(type.fileId) + " block") << " " << ForCount(unknown, "is", "are")
            << " unknown.\n";
    }
    return judged;
}

// Reads the patch, settles it and judges it. A patch to be saved again
// (`writing`) is read whole; one only looked at leaves its data in the file.
Result<std::vector<TypeStates>> LoadAndJudge(const CommandArgs& args, CliSession& session, bool writing, Patch& patch,
                                             Counts& counts, std::ostream& err) {
    PatchFileData file;
    const PatchFileData* data = nullptr;
    if (writing) {
        if (Status done = session.LoadForWriting(args.Text("PATCH.uop"), patch); !done) return done.error();
    } else {
        const Result<const PatchFileData*> opened = session.LoadLeavingData(args.Text("PATCH.uop"), patch, file);
        if (!opened) return opened.error();
        data = *opened;
    }
    SettleDuplicates(patch);
    return JudgeAgainstClient(args, patch, data, counts, err);
}

// "new 1, changes 2": the states a type's blocks have.
std::string CountsText(const TypeCounts& counts) {
    std::string text;
    for (std::size_t s = 0; s < kBlockStates; ++s)
        if (counts[s] > 0)
            text += (text.empty() ? "" : ", ") + std::string(StateName(static_cast<BlockState>(s))) + " " +
                    std::to_string(counts[s]);
    return text;
}
}  // namespace

CommandResult StatusCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    Patch patch;
    Counts counts{};
    const Result<std::vector<TypeStates>> judged = LoadAndJudge(args, session, false, patch, counts, err);
    if (!judged) return judged.error();
    if (!session.json) {
        std::array<std::string_view, kBlockStates> names;
        for (std::size_t s = 0; s < kBlockStates; ++s) names[s] = StateName(static_cast<BlockState>(s));
        LineWriter lines(out);
        for (const TypeStates& type : *judged) {
            auto split = type.split.begin();
            for (std::size_t i = 0; i < type.blocks.size(); ++i) {
                // Where the forms do not agree, the ones that differ follow.
                const bool apart = split != type.split.end() && split->first == i;
                lines.Line(names[static_cast<std::size_t>(type.states[i])], {type.fileId, type.blocks[i].first},
                           apart ? DifferingForms((split++)->second) : std::string());
            }
        }
        lines.Flush();
        for (const TypeStates& type : *judged) out << TypeNameAtStart(type.fileId) << ": " << CountsText(counts[type.fileId]) << "\n";
        return kDone;
    }
    Json blocks = Json::array(), types = Json::array();
    for (const TypeStates& type : *judged) {
        auto unfit = type.unfit.begin();
        auto split = type.split.begin();
        for (std::size_t i = 0; i < type.blocks.size(); ++i) {
            Json block = {{"state", StateName(type.states[i])}, {"fileId", type.fileId}, {"block", type.blocks[i].first}};
            if (unfit != type.unfit.end() && unfit->first == i) block["why"] = (unfit++)->second;
            if (split != type.split.end() && split->first == i) {
                Json forms = Json::array();
                for (const FormState& f : (split++)->second) forms.push_back({{"file", f.file}, {"state", StateName(f.state)}});
                block["forms"] = std::move(forms);
            }
            blocks.push_back(std::move(block));
        }
        Json counted = {{"fileId", type.fileId}, {"name", TypeNameAtStart(type.fileId)}};
        for (std::size_t s = 0; s < kBlockStates; ++s)
            counted[StateName(static_cast<BlockState>(s))] = counts[type.fileId][s];
        types.push_back(std::move(counted));
    }
    PrintJson(out, {{"blocks", std::move(blocks)}, {"counts", std::move(types)}});
    return kDone;
}

CommandResult PruneCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    if (!session.Holding() && !IsExistingFile(path)) return Error("Cannot find the patch '" + path + "'.");
    Patch patch;
    Counts counts{};
    const Result<std::vector<TypeStates>> judged = LoadAndJudge(args, session, true, patch, counts, err);
    if (!judged) return judged.error();
    std::int64_t total = 0;
    for (const TypeStates& type : *judged)
        for (std::size_t i = 0; i < type.blocks.size(); ++i)
            if (type.states[i] == BlockState::kSame) {
                patch.MarkRemoved(type.fileId, type.blocks[i].second);
                ++total;
            }
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    std::string perType;
    Json types = Json::array();
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const std::int64_t removed = counts[static_cast<std::size_t>(f)][static_cast<std::size_t>(BlockState::kSame)];
        if (removed == 0) continue;
        perType += (perType.empty() ? ": " : ", ") + TypeNameAtStart(static_cast<std::uint8_t>(f)) + " " + std::to_string(removed);
        types.push_back({{"fileId", f}, {"name", TypeNameAtStart(static_cast<std::uint8_t>(f))}, {"removed", removed}});
    }
    session.Report(out, "Removed " + Counted(total, "block") + " the client already has" + perType + ".\n",
                   {{"removed", total}, {"types", std::move(types)}});
    return kDone;
}
