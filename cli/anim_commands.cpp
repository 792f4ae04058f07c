// anim-to-png and png-to-anim: an animation block to and from a folder of
// frame pictures (see cli/frame_folder.h).
#include <filesystem>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/frame_folder.h"
#include "cli/picture_commands.h"
#include "codecs/anim_frames.h"
#include "gamefiles/anim_layout.h"
#include "images/frame_pictures.h"
#include "io/counted.h"
#include "io/save_file.h"

namespace {
// Files saved into a folder readied for them. Unless kept, they are removed
// again when it goes, and the folder too when it was made for them.
class NewFiles {
public:
    NewFiles(std::string folder, bool made) : folder_(std::move(folder)), made_(made) {}
    NewFiles(const NewFiles&) = delete;
    NewFiles& operator=(const NewFiles&) = delete;
    ~NewFiles() {
        if (kept_) return;
        std::error_code ec;
        for (const std::string& path : saved_) std::filesystem::remove(path, ec);
        if (made_) std::filesystem::remove(folder_, ec);  // only while empty
    }
    Status Save(const std::string& name, const Bytes& bytes) {
        const std::string path = (std::filesystem::path(folder_) / name).string();
        SaveFile file;
        if (Status opened = file.Open(path); !opened) return opened;
        file.Write(bytes);
        if (Status done = file.Commit(); !done) return done;
        saved_.push_back(path);
        return {};
    }
    void Keep() { kept_ = true; }

private:
    std::string folder_;
    bool made_;
    bool kept_ = false;
    std::vector<std::string> saved_;
};

// "block 110 (body 1, action 0, direction 0)", and the four in `result`.
std::string NameBlock(std::int64_t block, Json& result) {
    const AnimName name = AnimBlockName(static_cast<std::int32_t>(block)).value_or(AnimName{});
    result.update({{"block", block}, {"body", name.body}, {"action", name.action}, {"direction", name.direction}});
    return "block " + std::to_string(block) + " (body " + std::to_string(name.body) + ", action " +
           std::to_string(name.action) + ", direction " + std::to_string(name.direction) + ")";
}
}  // namespace

int AnimToPngCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ParseInt(args.words[1], 0, INT32_MAX, block)) return kUsage;
    const std::string& folder = args.words[2];
    Patch patch;
    const Result<const PatchBlock*> anim = ReadLiveBlock(args.words[0], kAnim, block, args.words[1], "anim", patch);
    if (!anim) return Fail(err, anim.error());
    const Result<Animation> animation = DecodeAnimation((*anim)->bytes);
    if (!animation) return Fail(err, "Anim block " + args.words[1] + " does not decode: " + animation.error().message);
    const Result<bool> made = MakeFrameFolder(folder);
    if (!made) return Fail(err, made.error());
    NewFiles saved(folder, *made);
    const std::vector<AnimFrame>& frames = animation->frames;
    std::vector<std::string> files;
    std::int64_t outside = 0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        files.push_back(FrameFileName(i, frames.size()));
        const Result<Bytes> png = FramePng(SavedPicture(frames[i], animation->palette));
        if (!png) return Fail(err, "Frame " + std::to_string(i) + ": " + png.error().message);
        if (Status done = saved.Save(files.back(), *png); !done) return Fail(err, done.error());
        outside += frames[i].cellsOutside;
    }
    const std::string json = FramesJsonText(*animation, files);
    if (Status done = saved.Save(kFramesJson, Bytes(json.begin(), json.end())); !done) return Fail(err, done.error());
    saved.Keep();
    Json result{{"written", folder}, {"frames", frames.size()}, {"pixelsLeftOut", outside}};
    const std::string name = NameBlock(block, result);
    session.Report(out, "Wrote " + Counted(static_cast<std::int64_t>(frames.size()), "frame") + " of anim " + name +
                            " to " + folder + ".\n", result);
    if (outside > 0 && !session.json)
        err << "palindra-cli: " << Counted(outside, "pixel") << " of the block's runs "
            << ForCount(outside, "lies", "lie") << " outside their frame and " << ForCount(outside, "is", "are")
            << " left out of the pictures.\n";
    return kOk;
}

int PngToAnimCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ParseInt(args.words[1], 0, INT32_MAX, block)) return kUsage;
    const Result<FrameFolder> folder = ReadFrameFolder(args.words[2]);
    if (!folder) return Fail(err, folder.error());
    std::vector<RgbaPicture> pictures;
    for (const std::string& file : folder->files) {
        Result<RgbaPicture> picture = LoadFramePicture((std::filesystem::path(args.words[2]) / file).string());
        if (!picture) return Fail(err, picture.error());
        pictures.push_back(std::move(*picture));
    }
    const Result<Animation> animation =
        AnimationFromPictures(FramePictures(*folder, std::move(pictures)), folder->palette);
    if (!animation) return Fail(err, animation.error());
    const Result<Bytes> bytes = EncodeAnimation(*animation);
    if (!bytes) return Fail(err, bytes.error());

    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const auto number = static_cast<std::int32_t>(block);
    // A block built anew keeps the flags of the one it replaces.
    const PatchBlock* old = patch.LiveBlock(kAnim, number);
    const std::int16_t flagA = old ? old->flagA : 0, flagB = old ? old->flagB : 0;
    patch.RemoveBlock(kAnim, number);
    patch.Append(kAnim, number, *bytes, flagA, flagB);
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());

    const bool kept = folder->palette && animation->palette == *folder->palette;
    const auto count = static_cast<std::int64_t>(animation->frames.size());
    const auto size = static_cast<std::int64_t>(bytes->size());
    Json result{{"frames", count}, {"bytes", size}, {"palette", kept ? "frames.json" : "pictures"}};
    const std::string name = NameBlock(block, result);
    session.Report(out,
                   "Anim " + name + " now holds " + Counted(count, "frame") + " (" + Counted(size, "byte") +
                       "), its palette " + (kept ? "from frames.json" : "made of the pictures' colours") + ".\n",
                   result);
    return kOk;
}
