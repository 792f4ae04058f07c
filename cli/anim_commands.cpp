// anim-to-png and png-to-anim: an animation block to and from a folder of
// frame pictures (see images/frame_folder.h).
#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/picture_commands.h"
#include "codecs/anim_frames.h"
#include "gamefiles/anim_layout.h"
#include "images/frame_files.h"
#include "io/counted.h"

namespace {
// "block 110 (body 1, action 0, direction 0)", and the four in `result`.
std::string NameBlock(std::int64_t block, Json& result) {
    const AnimName name = AnimBlockName(static_cast<std::int32_t>(block)).value_or(AnimName{});
    result.update({{"block", block}, {"body", name.body}, {"action", name.action}, {"direction", name.direction}});
    return "block " + std::to_string(block) + " (body " + std::to_string(name.body) + ", action " +
           std::to_string(name.action) + ", direction " + std::to_string(name.direction) + ")";
}
}  // namespace

CommandResult AnimToPng(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string &number = args.Text("BLOCK"), &folder = args.Text("DIR");
    const std::int64_t block = args.Number("BLOCK");
    Patch patch;
    const Result<const PatchBlock*> anim = ReadLiveBlock(args.Text("PATCH.uop"), kAnim, block, number, "anim", patch);
    if (!anim) return anim.error();
    const AnimDecoding decoding = DecodeAnimationFrames((*anim)->bytes);
    if (decoding.Undecodable()) return Error("Anim block " + number + " does not decode: " + DamageText(decoding));
    if (Status done = SaveFrameFolder(folder, decoding); !done) return done.error();
    const std::vector<AnimFrame>& frames = decoding.animation.frames;
    std::int64_t outside = 0;
    for (const AnimFrame& frame : frames) outside += frame.cellsOutside;
    const auto leftOut = static_cast<std::int64_t>(decoding.count - frames.size());
    Json result{{"written", folder}, {"frames", frames.size()}, {"pixelsLeftOut", outside}, {"framesLeftOut", leftOut}};
    const std::string name = NameBlock(block, result);
    session.Report(out, "Wrote " + Counted(static_cast<std::int64_t>(frames.size()), "frame") + " of anim " + name +
                            " to " + folder + ".\n", result);
    if (outside > 0 && !session.json)
        err << "palindra-cli: " << Counted(outside, "pixel") << " of the block's runs "
            << ForCount(outside, "lies", "lie") << " outside their frame and " << ForCount(outside, "is", "are")
            << " left out of the pictures.\n";
    if (leftOut > 0 && !session.json)
        err << "palindra-cli: " << Counted(leftOut, "frame") << " of the block " << ForCount(leftOut, "does", "do")
            << " not decode and " << ForCount(leftOut, "is", "are") << " left out: " << DamageText(decoding) << "\n";
    return kDone;
}

CommandResult PngToAnim(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const std::int64_t block = args.Number("BLOCK");
    const Result<FramesBuilt> built = BuildFromFrameFolder(args.Text("DIR"));
    if (!built) return built.error();
    const Bytes& bytes = built->block;

    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    const auto number = static_cast<std::int32_t>(block);
    // A block built anew keeps the flags of the one it replaces.
    const PatchBlock* old = patch.LiveBlock(kAnim, number);
    const std::int16_t flagA = old ? old->flagA : 0, flagB = old ? old->flagB : 0;
    patch.RemoveBlock(kAnim, number);
    patch.Append(kAnim, number, bytes, flagA, flagB);
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();

    const bool kept = built->paletteFromJson;
    const auto count = static_cast<std::int64_t>(built->frames);
    const auto size = static_cast<std::int64_t>(bytes.size());
    Json result{{"frames", count}, {"bytes", size}, {"palette", kept ? "frames.json" : "pictures"}};
    const std::string name = NameBlock(block, result);
    session.Report(out,
                   "Anim " + name + " now holds " + Counted(count, "frame") + " (" + Counted(size, "byte") +
                       "), its palette " + (kept ? "from frames.json" : "made of the pictures' colours") + ".\n",
                   result);
    return kDone;
}
