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
    if (args.words.size() != 3 || !ReadNumberArgument(args.words[1], "BLOCK", 0, INT32_MAX, block, session.usage))
        return kUsage;
    Patch patch;
    const Result<const PatchBlock*> gump = ReadLiveBlock(args.words[0], kGumps, block, args.words[1], "gump", patch);
    if (!gump) return Fail(err, gump.error());
    const Result<QImage> picture = GumpPicture(**gump);
    if (!picture) return Fail(err, "Gump block " + args.words[1] + " does not decode: " + picture.error().message);
    if (Status done = RefuseOverwriting(args.words[2], args.words[0], "the patch"); !done) return Fail(err, done.error());
    if (Status done = SavePicture(*picture, args.words[2]); !done) return Fail(err, done.error());
    session.Report(out,
                   "Wrote " + std::to_string(picture->width()) + "x" + std::to_string(picture->height()) +
                       " pixels to " + args.words[2] + ".\n",
                   {{"written", args.words[2]}, {"width", picture->width()}, {"height", picture->height()}});
    return kOk;
}

int BmpToGumpCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ReadNumberArgument(args.words[1], "BLOCK", 0, 65535, block, session.usage)) return kUsage;
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const Result<QImage> picture = LoadPicture(args.words[2]);
    if (!picture) return Fail(err, picture.error());
    if (Status done = ImportGumpFromBmp(patch, static_cast<std::int32_t>(block), *picture); !done)
        return Fail(err, done.error());
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out,
                   "Gump block " + std::to_string(block) + " is now " + std::to_string(picture->width()) + "x" +
                       std::to_string(picture->height()) + " pixels.\n",
                   {{"block", block}, {"width", picture->width()}, {"height", picture->height()}});
    return kOk;
}

int ApplyCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    return Apply(args, out, err, session);
}
