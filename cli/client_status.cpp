#include "cli/client_status.h"

#include <array>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/line_writer.h"
#include "gamefiles/client_states.h"
#include "io/binary_io.h"
#include "io/counted.h"
#include "patch/file_types.h"
#include "patch/settle_duplicates.h"

namespace {
using TypeCounts = std::array<std::int64_t, kBlockStates>;
using Counts = std::array<TypeCounts, Patch::kFileIds>;

std::string TypeName(int fileId) {
    const std::string& name = FileTypes()[static_cast<std::size_t>(fileId)].name;
    return name.empty() ? "File ID " + std::to_string(fileId) : name;
}

// Judges the settled patch's blocks against the client folder the command
// was given, counting states per type, and says on `err` which files the
// folder lacks for the types whose blocks are unknown.
Status JudgeAgainstClient(const CliArgs& args, const Patch& patch, Counts& counts, std::ostream& err,
                          const JudgedFn& each) {
    const Result<ClientFolder> folder = ClientFolder::Open(args.words[1]);
    if (!folder) return folder.error();
    Status judged = JudgePatch(patch, *folder, args.clientVerdata,
                               [&](std::uint8_t fileId, std::size_t slot, const JudgedBlock& j) {
                                   ++counts[fileId][static_cast<std::size_t>(j.state)];
                                   each(fileId, slot, j);
                               });
    if (!judged) return judged;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const std::int64_t unknown = counts[static_cast<std::size_t>(f)][static_cast<std::size_t>(BlockState::kUnknown)];
        const std::vector<std::string> missing = folder->MissingFiles(static_cast<std::uint8_t>(f));
        if (unknown == 0 || missing.empty()) continue;
        err << "palindra-cli: The client folder lacks " << missing[0] << (missing.size() > 1 ? " and " + missing[1] : "")
            << ": " << Counted(unknown, TypeName(f) + " block") << " " << ForCount(unknown, "is", "are")
            << " unknown.\n";
    }
    return {};
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

int StatusCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 2) return kUsage;
    Patch patch;
    if (Status done = session.Load(args.words[0], patch); !done) return Fail(err, done.error());
    SettleDuplicates(patch);
    Counts counts{};
    Json blocks = Json::array();
    std::optional<LineWriter> lines;
    if (!session.json) lines.emplace(out);
    const Status judged =
        JudgeAgainstClient(args, patch, counts, err, [&](std::uint8_t fileId, std::size_t slot, const JudgedBlock& j) {
            const std::int32_t number = patch[fileId].blocks[slot].number;
            if (lines) {
                lines->Line(StateName(j.state), {fileId, number});
                return;
            }
            Json block = {{"state", StateName(j.state)}, {"fileId", fileId}, {"block", number}};
            if (!j.fitted.Fits()) block["why"] = j.fitted.why;
            blocks.push_back(std::move(block));
        });
    if (!judged) return Fail(err, judged.error());
    Json types = Json::array();
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const TypeCounts& c = counts[static_cast<std::size_t>(f)];
        if (patch[static_cast<std::uint8_t>(f)].LiveCount() == 0) continue;
        if (lines) {
            lines->Flush();
            out << TypeName(f) << ": " << CountsText(c) << "\n";
            continue;
        }
        Json type = {{"fileId", f}, {"name", TypeName(f)}};
        for (std::size_t s = 0; s < kBlockStates; ++s) type[StateName(static_cast<BlockState>(s))] = c[s];
        types.push_back(std::move(type));
    }
    if (!lines) PrintJson(out, {{"blocks", std::move(blocks)}, {"counts", std::move(types)}});
    return kOk;
}

int PruneCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 2) return kUsage;
    if (!session.Holding() && !IsExistingFile(args.words[0]))
        return Fail(err, "Cannot find the patch '" + args.words[0] + "'.");
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    SettleDuplicates(patch);
    Counts counts{};
    std::vector<std::pair<std::uint8_t, std::size_t>> same;
    const Status judged =
        JudgeAgainstClient(args, patch, counts, err, [&](std::uint8_t fileId, std::size_t slot, const JudgedBlock& j) {
            if (j.state == BlockState::kSame) same.emplace_back(fileId, slot);
        });
    if (!judged) return Fail(err, judged.error());
    for (const auto& [fileId, slot] : same) patch.MarkRemoved(fileId, slot);
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    std::string perType;
    Json types = Json::array();
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const std::int64_t removed = counts[static_cast<std::size_t>(f)][static_cast<std::size_t>(BlockState::kSame)];
        if (removed == 0) continue;
        perType += (perType.empty() ? ": " : ", ") + TypeName(f) + " " + std::to_string(removed);
        types.push_back({{"fileId", f}, {"name", TypeName(f)}, {"removed", removed}});
    }
    const auto total = static_cast<std::int64_t>(same.size());
    session.Report(out, "Removed " + Counted(total, "block") + " the client already has" + perType + ".\n",
                   {{"removed", total}, {"types", std::move(types)}});
    return kOk;
}
