// frames.json as a user may have edited it: read, or refused with a reason.
// What it gives, written out again as anim-to-png writes it, reads back the
// same (every entry then with both centres, and a size as an empty frame).
#include "images/frame_folder.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FrameFolder read;
    if (Status parsed = ParseFramesJson("frames.json", ByteView(data, size), read); !parsed) {
        FUZZ_CHECK(parsed.error().message.rfind("'frames.json'", 0) == 0);
        return 0;
    }
    Animation animation;
    animation.palette = read.palette.value_or(AnimPalette{});
    std::vector<std::string> files;
    for (auto& [file, e] : read.entries) {
        files.push_back(file);
        animation.frames.push_back({e.centreX.value_or(0), e.centreY.value_or(0), e.width.value_or(0), 0, {}, 0});
        e = {e.centreX.value_or(0), e.centreY.value_or(0), e.width.value_or(0), std::uint16_t{0}};
    }
    const std::string text = FramesJsonText(animation, files);
    FrameFolder again;
    FUZZ_CHECK(ParseFramesJson("frames.json", ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                               again));
    FUZZ_CHECK(again.palette == animation.palette);
    FUZZ_CHECK(again.entries.size() == read.entries.size());
    for (const auto& [file, e] : read.entries) {
        const FrameEntry& back = again.entries.at(file);
        FUZZ_CHECK(back.centreX == e.centreX && back.centreY == e.centreY && back.width == e.width &&
                   back.height == e.height);
    }
    return 0;
}
