#include "cli/picture_commands.h"

#include <ostream>

#include "cli/apply.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "codecs/bitmap.h"
#include "patch/FileTypes.h"
#include "patch/save_file.h"

int GumpToBmpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.size() != 3 || !ParseInt(args[1], 0, INT32_MAX, block)) return kUsage;
    Patch patch;
    const PatchBlock* gump = nullptr;
    if (std::string e = ReadLiveBlock(args[0], kGumpFileId, block, args[1], "gump", patch, gump); !e.empty())
        return Fail(err, e);
    std::string e;
    const QImage picture = GumpPicture(*gump, e);
    if (!e.empty()) return Fail(err, "Gump block " + args[1] + " does not decode: " + e);
    if (e = OverwritesInput(args[2], args[0], "the patch"); !e.empty()) return Fail(err, e);
    if (e = SavePicture(picture, args[2]); !e.empty()) return Fail(err, e);
    session.Report(out,
                   "Wrote " + std::to_string(picture.width()) + "x" + std::to_string(picture.height()) + " pixels to " +
                       args[2] + ".\n",
                   {{"written", args[2]}, {"width", picture.width()}, {"height", picture.height()}});
    return kOk;
}

int BmpToGumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.size() != 3 || !ParseInt(args[1], 0, 65535, block)) return kUsage;
    Patch patch;
    if (std::string e = session.LoadForWriting(args[0], patch); !e.empty()) return Fail(err, e);
    std::string e;
    const QImage picture = LoadPicture(args[2], e);
    if (e.empty()) e = ImportGumpFromBmp(patch, static_cast<std::int32_t>(block), picture);
    if (!e.empty()) return Fail(err, e);
    if (e = session.Save(args[0], std::move(patch)); !e.empty()) return Fail(err, e);
    session.Report(out,
                   "Gump block " + std::to_string(block) + " is now " + std::to_string(picture.width()) + "x" +
                       std::to_string(picture.height()) + " pixels.\n",
                   {{"block", block}, {"width", picture.width()}, {"height", picture.height()}});
    return kOk;
}

int ApplyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    return Apply(args, out, err, session);
}
