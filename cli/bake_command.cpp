#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "gamefiles/bake.h"
#include "io/counted.h"
#include "io/save_file.h"
#include "patch/settle_duplicates.h"

namespace {
Json ReportJson(const BakeReport& report) {
    Json files = Json::array(), leftOut = Json::array();
    for (const BakedFile& f : report.files)
        files.push_back({{"name", f.name}, {"replaced", f.replaced}, {"added", f.added}, {"removed", f.removed},
                         {"leftOut", f.leftOut}, {"size", f.size}, {"sha256", f.sha256}});
    for (const LeftOutBlock& b : report.leftOut)
        leftOut.push_back({{"fileId", b.fileId}, {"block", b.block}, {"file", b.file}, {"why", b.why}});
    return {{"files", files}, {"leftOut", leftOut}, {"notes", report.notes}};
}

std::string ReportText(const BakeReport& report, const std::string& outDir) {
    std::string text;
    for (const BakedFile& f : report.files)
        text += f.name + ": replaced " + std::to_string(f.replaced) + ", added " + std::to_string(f.added) + ", removed " +
                std::to_string(f.removed) + ", left out " + std::to_string(f.leftOut) + "; " + Counted(f.size, "byte") +
                ", sha256 " + f.sha256 + "\n";
    if (report.files.empty()) return "Nothing to write: the client's files already hold what the patch gives them.\n";
    return text + "Wrote " + Counted(std::ssize(report.files), "file") + " to " + outDir + ".\n";
}
}  // namespace

CommandResult BakeCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string& outDir = args.Text("OUT_DIR");
    // The blocks' data stays in the patch file until it is written.
    Patch patch;
    PatchFileData file;
    const Result<const PatchFileData*> data = session.LoadLeavingData(args.Text("PATCH.uop"), patch, file);
    if (!data) return data.error();
    SettleDuplicates(patch);
    BakeOptions options;
    options.clientVerdata = args.clientVerdata != "ignore";
    options.compact = args.compact;
    if (session.line) session.line->Show("baking into " + outDir);
    const Result<std::unique_ptr<PreparedBake>> prepared = PrepareBake(patch, args.Text("CLIENT_DIR"), outDir, options, *data);
    if (!prepared) return prepared.error();
    // From here a stop either comes before the output is in place, or comes
    // too late: the bake is done and says so.
    const SignalsHeld held;
    if (Status committed = (*prepared)->Commit(); !committed)
        // A stop that came first ends the process as soon as it is no longer held.
        return committed.error();
    const BakeReport& report = (*prepared)->Report();
    session.Report(out, ReportText(report, outDir), ReportJson(report));
    for (const LeftOutBlock& b : report.leftOut) err << LeftOutText(b) << "\n";
    for (const std::string& note : report.notes) err << note << "\n";
    out.flush();
    err.flush();
    DropStopSignals();
    return kDone;
}
