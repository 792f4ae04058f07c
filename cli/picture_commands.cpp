#include "cli/picture_commands.h"

#include <ostream>

#include "cli/apply.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "images/bitmap.h"
#include "patch/file_types.h"
#include "io/save_file.h"

int GumpToBmpCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ParseInt(args.words[1], 0, INT32_MAX, block)) return kUsage;
    Patch patch;
    const PatchBlock* gump = nullptr;
    if (std::string e = ReadLiveBlock(args.words[0], kGumps, block, args.words[1], "gump", patch, gump); !e.empty())
        return Fail(err, e);
    std::string e;
    const QImage picture = GumpPicture(*gump, e);
    if (!e.empty()) return Fail(err, "Gump block " + args.words[1] + " does not decode: " + e);
    if (e = OverwritesInput(args.words[2], args.words[0], "the patch"); !e.empty()) return Fail(err, e);
    if (e = SavePicture(picture, args.words[2]); !e.empty()) return Fail(err, e);
    session.Report(out,
                   "Wrote " + std::to_string(picture.width()) + "x" + std::to_string(picture.height()) + " pixels to " +
                       args.words[2] + ".\n",
                   {{"written", args.words[2]}, {"width", picture.width()}, {"height", picture.height()}});
    return kOk;
}

int BmpToGumpCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ParseInt(args.words[1], 0, 65535, block)) return kUsage;
    Patch patch;
    if (std::string e = session.LoadForWriting(args.words[0], patch); !e.empty()) return Fail(err, e);
    std::string e;
    const QImage picture = LoadPicture(args.words[2], e);
    if (e.empty()) e = ImportGumpFromBmp(patch, static_cast<std::int32_t>(block), picture);
    if (!e.empty()) return Fail(err, e);
    if (e = session.Save(args.words[0], std::move(patch)); !e.empty()) return Fail(err, e);
    session.Report(out,
                   "Gump block " + std::to_string(block) + " is now " + std::to_string(picture.width()) + "x" +
                       std::to_string(picture.height()) + " pixels.\n",
                   {{"block", block}, {"width", picture.width()}, {"height", picture.height()}});
    return kOk;
}

int ApplyCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    return Apply(args, out, err, session);
}
