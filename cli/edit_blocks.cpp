#include "cli/edit_blocks.h"

#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "io/counted.h"
#include "patch/settle_duplicates.h"

int Remove(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::uint8_t fileId = 0;
    std::int64_t from = 0, to = 0;
    if (args.words.size() != 3 || !ReadFileIdArgument(args.words[1], fileId, session.usage)) return kUsage;
    if (!ParseRange(args.words[2], 0, INT32_MAX, from, to)) {
        if (!ReadNumberArgument(args.words[2], "BLOCK", 0, INT32_MAX, from, session.usage)) return kUsage;
        to = from;
    }
    if (from > to) {
        session.usage = "the range " + args.words[2] + " selects nothing";
        return kUsage;
    }
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    SettleDuplicates(patch);
    std::int64_t removed = 0;
    PatchFileEntry& entry = patch[fileId];
    for (std::size_t slot = 0; slot < entry.blocks.size(); ++slot) {
        const std::int32_t n = entry.blocks[slot].number;
        if (n < from || n > to) continue;
        patch.MarkRemoved(fileId, slot);
        ++removed;
    }
    if (removed == 0)
        return Fail(err, "'" + args.words[0] + "' has no block " + args.words[2] + " of file ID " + std::to_string(fileId) + ".");
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out, "Removed " + Counted(removed, "block") + " of file ID " + std::to_string(fileId) + ".\n",
                   {{"fileId", fileId}, {"removed", removed}});
    return kOk;
}

int SetFlags(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::uint8_t fileId = 0;
    std::int64_t block = 0, flagA = 0, flagB = 0;
    if (args.words.size() != 5 || !ReadFileIdArgument(args.words[1], fileId, session.usage) ||
        !ReadNumberArgument(args.words[2], "BLOCK", 0, INT32_MAX, block, session.usage) ||
        !ReadNumberArgument(args.words[3], "FLAGA", -32768, 65535, flagA, session.usage) ||
        !ReadNumberArgument(args.words[4], "FLAGB", -32768, 65535, flagB, session.usage))
        return kUsage;
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const auto slot = patch.FindLiveBlock(fileId, static_cast<std::int32_t>(block));
    if (!slot)
        return Fail(err, "'" + args.words[0] + "' has no block " + args.words[2] + " of file ID " + std::to_string(fileId) + ".");
    PatchBlock& b = patch[fileId].blocks[*slot];
    b.flagA = static_cast<std::int16_t>(static_cast<std::uint16_t>(flagA));
    b.flagB = static_cast<std::int16_t>(static_cast<std::uint16_t>(flagB));
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out,
                   "Block " + std::to_string(block) + " of file ID " + std::to_string(fileId) + " has flags " +
                       std::to_string(flagA) + " " + std::to_string(flagB) + ".\n",
                   {{"fileId", fileId}, {"block", block}, {"flagA", b.flagA}, {"flagB", b.flagB}});
    return kOk;
}
