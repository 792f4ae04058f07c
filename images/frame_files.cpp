#include "images/frame_files.h"

#include <deque>
#include <filesystem>
#include <vector>

#include "codecs/anim_pictures.h"
#include "images/frame_folder.h"
#include "images/frame_pictures.h"
#include "io/save_file.h"

namespace {
// Files saved into a folder readied for them. Unless kept, they are removed
// again when it goes or a signal ends the process, and the folder too when
// it was made for them: a stopped export leaves no half a folder of frames
// that the next one would refuse.
class NewFiles {
public:
    NewFiles(std::string folder, bool made) : folder_(std::move(folder)), made_(made) {
        if (made_) armed_.emplace_back().Arm(folder_);  // armed first, removed last
        // Once for all the saves: a sweep for each would list the folder each time.
        RemoveStaleTemporaries(folder_, ".frame");
    }
    NewFiles(const NewFiles&) = delete;
    NewFiles& operator=(const NewFiles&) = delete;
    ~NewFiles() {
        if (!kept_) {
            std::error_code ec;
            for (const std::string& path : saved_) std::filesystem::remove(path, ec);
            if (made_) std::filesystem::remove(folder_, ec);  // only while empty
        }
        Disarm();
    }
    Status Save(const std::string& name, const Bytes& bytes) {
        const std::string path = (std::filesystem::path(folder_) / name).string();
        SaveFile file;
        if (Status opened = file.Open(path, StaleTemporaries::kRemovedByCaller); !opened) return opened;
        file.Write(bytes);
        // No signal between the file's arrival and its arming.
        const SignalsHeld held;
        if (Status done = file.Commit(); !done) return done;
        saved_.push_back(path);
        armed_.emplace_back().Arm(path);
        return {};
    }
    void Keep() {
        kept_ = true;
        Disarm();
    }

private:
    // The newest first: each is then the head of the armed list, found at once.
    void Disarm() {
        while (!armed_.empty()) armed_.pop_back();
    }

    std::string folder_;
    bool made_;
    bool kept_ = false;
    std::vector<std::string> saved_;
    std::deque<RemovedOnSignal> armed_;
};
}  // namespace

Status SaveFrameFolder(const std::string& folder, const AnimDecoding& decoding) {
    if (decoding.count > kMostFrameFiles)
        return Error("The block holds " + std::to_string(decoding.count) + " frames, more than the " +
                     std::to_string(kMostFrameFiles) + " a folder of frames takes; nothing was written.");
    const Result<bool> made = MakeFrameFolder(folder);
    if (!made) return made.error();
    NewFiles saved(folder, *made);
    const Animation& animation = decoding.animation;
    const std::vector<AnimFrame>& frames = animation.frames;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        files.push_back(FrameFileName(decoding.numbers[i], decoding.count));
        const Result<Bytes> png = FramePng(SavedPicture(frames[i], animation.palette));
        if (!png) return Error("Frame " + std::to_string(decoding.numbers[i]) + ": " + png.error().message, png.error().code);
        if (Status done = saved.Save(files.back(), *png); !done) return done;
    }
    const std::string json = FramesJsonText(animation, files);
    if (Status done = saved.Save(kFramesJson, Bytes(json.begin(), json.end())); !done) return done;
    saved.Keep();
    return {};
}

Result<FramesBuilt> BuildFromFrameFolder(const std::string& folder) {
    const Result<FrameFolder> read = ReadFrameFolder(folder);
    if (!read) return read.error();
    // The pictures together may hold no more pixels than a block can, so
    // memory stays bounded however many large pictures the folder holds.
    std::vector<RgbaPicture> pictures;
    std::int64_t pixels = 0;
    for (const std::string& file : read->files) {
        Result<RgbaPicture> picture = LoadFramePicture((std::filesystem::path(folder) / file).string(), pixels);
        if (!picture) return picture.error();
        pixels += std::int64_t{picture->width} * picture->height;
        pictures.push_back(std::move(*picture));
    }
    const Result<Animation> animation = AnimationFromPictures(FramePictures(*read, std::move(pictures)), read->palette);
    if (!animation) return animation.error();
    Result<Bytes> bytes = EncodeAnimation(*animation);
    if (!bytes) return bytes.error();
    return FramesBuilt{std::move(*bytes), animation->frames.size(),
                       read->palette && animation->palette == *read->palette};
}
