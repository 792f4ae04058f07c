#include <new>
#include <ostream>

#include "cli/block_differences.h"
#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/verdata.h"

namespace {
std::string Facts(const BlockSide& s) {
    return "length " + std::to_string(s.length) + ", flags " + std::to_string(s.flagA) + " " +
           std::to_string(s.flagB) + ", sha256 " + s.sha256;
}

// Words for added, removed, and the two sides of a change.
struct Wording {
    const char* added;
    const char* removed;
    const char* a;
    const char* b;
};

void PrintDifferences(std::ostream& out, const std::vector<BlockDifference>& differences, const Wording& words) {
    for (const BlockDifference& d : differences) {
        const char* kind = d.kind == BlockDifference::kAdded     ? words.added
                           : d.kind == BlockDifference::kRemoved ? words.removed
                                                                 : "changed";
        out << kind << ' ' << int(d.fileId) << ' ' << d.block << ": ";
        if (d.kind == BlockDifference::kAdded) out << Facts(d.b);
        else if (d.kind == BlockDifference::kRemoved) out << Facts(d.a);
        else out << words.a << ' ' << Facts(d.a) << "; " << words.b << ' ' << Facts(d.b);
        out << '\n';
    }
}

Json DifferencesJson(const std::vector<BlockDifference>& differences) {
    Json list = Json::array();
    for (const BlockDifference& d : differences) list.push_back(DifferenceJson(d));
    return list;
}

CommandResult DiffFiles(const CommandArgs& args, std::ostream& out, CliSession& session) {
    Patch a, b;
    if (Status read = ReadPatchOrVerdata(args.Text("A"), a); !read) return read.error();
    if (Status read = ReadPatchOrVerdata(args.Text("B"), b); !read) return read.error();
    const std::vector<BlockDifference> differences = DifferingBlocks(a, b);
    if (session.json) PrintJson(out, {{"equal", differences.empty()}, {"differences", DifferencesJson(differences)}});
    else PrintDifferences(out, differences, {"added", "removed", "from", "to"});
    return differences.empty() ? kDone : Finished::kDiffers;
}

// Compares as export would write: the blocks it would write, against those
// the file holds.
CommandResult VerifyFile(const CommandArgs& args, std::ostream& out, CliSession& session) {
    const std::string base = args.base.value_or("");
    if (Status there = RefuseMissingBase(base); !there) return there.error();
    Patch patch, found;
    if (Status read = session.Load(args.Text("PATCH.uop"), patch); !read) return read.error();
    Result<Patch> expected = ExpectedVerdata(patch, base);
    if (!expected) return expected.error();
    if (Status read = ReadVerdata(args.Text("VERDATA.mul"), found); !read) return read.error();
    // A second entry for one block is something export never writes.
    const std::int64_t entries = found.LiveCount();
    const std::vector<BlockDifference> differences = DifferingBlocks(*expected, found);
    const std::int64_t duplicates = entries - found.LiveCount();
    if (session.json) {
        PrintJson(out, {{"matches", differences.empty() && duplicates == 0},
                        {"duplicates", duplicates},
                        {"differences", DifferencesJson(differences)}});
    } else {
        PrintDifferences(out, differences, {"extra", "missing", "expected", "found"});
        if (duplicates > 0) out << "duplicate entries: " << duplicates << '\n';
    }
    return differences.empty() && duplicates == 0 ? kDone : Finished::kDiffers;
}

// Running out of memory leaves the answer open; it says nothing of the files.
CommandResult CannotTellWithout(CommandResult (*run)(const CommandArgs&, std::ostream&, CliSession&),
                                const CommandArgs& args, std::ostream& out, CliSession& session) {
    try {
        return run(args, out, session);
    } catch (const std::bad_alloc&) {
        return Error("There is not enough memory to compare the files.", ErrorCode::kOutOfMemory);
    }
}
}  // namespace

CommandResult Diff(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    return CannotTellWithout(DiffFiles, args, out, session);
}

CommandResult Verify(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    return CannotTellWithout(VerifyFile, args, out, session);
}
