#include "cli/picture_commands.h"

#include <ostream>
#include <string_view>
#include <utility>

#include "cli/apply.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "images/bitmap.h"
#include "patch/file_types.h"
#include "io/save_file.h"

Run PictureRun(const CommandDeclaration& command) {
    static constexpr std::pair<std::string_view, Run> kRuns[] = {
        {"gump-to-bmp", GumpToBmp}, {"bmp-to-gump", BmpToGump}, {"anim-to-png", AnimToPng},
        {"png-to-anim", PngToAnim}, {"save-block", SaveBlock}, {"load-block", LoadBlock}, {"apply", Apply},
    };
    for (const auto& [name, run] : kRuns)
        if (name == command.name) return run;
    return nullptr;
}

CommandResult GumpToBmp(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &number = args.Text("BLOCK"), &target = args.Text("OUT.bmp");
    Patch patch;
    const Result<const PatchBlock*> gump = ReadLiveBlock(path, kGumps, args.Number("BLOCK"), number, "gump", patch);
    if (!gump) return gump.error();
    const Result<QImage> picture = GumpPicture(**gump);
    if (!picture) return Error("Gump block " + number + " does not decode: " + picture.error().message);
    if (Status done = RefuseOverwriting(target, path, "the patch"); !done) return done.error();
    if (Status done = SavePicture(*picture, target); !done) return done.error();
    session.Report(out,
                   "Wrote " + std::to_string(picture->width()) + "x" + std::to_string(picture->height()) +
                       " pixels to " + target + ".\n",
                   {{"written", target}, {"width", picture->width()}, {"height", picture->height()}});
    return kDone;
}

CommandResult BmpToGump(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const std::int64_t block = args.Number("BLOCK");
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    const Result<QImage> picture = LoadPicture(args.Text("IN.bmp"));
    if (!picture) return picture.error();
    if (Status done = ImportGumpFromBmp(patch, static_cast<std::int32_t>(block), *picture); !done) return done.error();
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out,
                   "Gump block " + std::to_string(block) + " is now " + std::to_string(picture->width()) + "x" +
                       std::to_string(picture->height()) + " pixels.\n",
                   {{"block", block}, {"width", picture->width()}, {"height", picture->height()}});
    return kDone;
}
