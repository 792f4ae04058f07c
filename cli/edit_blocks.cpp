#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "io/counted.h"
#include "patch/settle_duplicates.h"

CommandResult Remove(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const std::uint8_t fileId = args.FileId("FILEID");
    const NumberRange blocks = args.Range("BLOCK");
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    SettleDuplicates(patch);
    std::int64_t removed = 0;
    PatchFileEntry& entry = patch[fileId];
    for (std::size_t slot = 0; slot < entry.blocks.size(); ++slot) {
        const std::int32_t n = entry.blocks[slot].number;
        if (n < blocks.from || n > blocks.to) continue;
        patch.MarkRemoved(fileId, slot);
        ++removed;
    }
    if (removed == 0)
        return Error("'" + path + "' has no block " + blocks.text + " of file ID " + std::to_string(fileId) + ".");
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out, "Removed " + Counted(removed, "block") + " of file ID " + std::to_string(fileId) + ".\n",
                   {{"fileId", fileId}, {"removed", removed}});
    return kDone;
}

CommandResult SetFlags(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const std::uint8_t fileId = args.FileId("FILEID");
    const std::int64_t block = args.Number("BLOCK"), flagA = args.Number("FLAGA"), flagB = args.Number("FLAGB");
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    const auto slot = patch.FindLiveBlock(fileId, static_cast<std::int32_t>(block));
    if (!slot)
        return Error("'" + path + "' has no block " + args.Text("BLOCK") + " of file ID " + std::to_string(fileId) + ".");
    PatchBlock& b = patch[fileId].blocks[*slot];
    b.flagA = static_cast<std::int16_t>(static_cast<std::uint16_t>(flagA));
    b.flagB = static_cast<std::int16_t>(static_cast<std::uint16_t>(flagB));
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out,
                   "Block " + std::to_string(block) + " of file ID " + std::to_string(fileId) + " has flags " +
                       std::to_string(flagA) + " " + std::to_string(flagB) + ".\n",
                   {{"fileId", fileId}, {"block", block}, {"flagA", b.flagA}, {"flagB", b.flagB}});
    return kDone;
}
