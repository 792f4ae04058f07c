// The animation decoder, and the encoder's round trip. Decoded as far as it
// goes, a block gives frames of at most the largest size, numbered in
// order, and a reason for each frame left out. A block that decodes
// encodes (or is refused with a reason) and decodes again to the same frames
// and palette; what the encoder wrote it writes again byte for byte; the
// frames' pictures build the same pictures again.
#include <algorithm>

#include "codecs/anim_frames.h"
#include "codecs/anim_pictures.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const AnimDecoding partly = DecodeAnimationFrames(ByteView(data, size));
    FUZZ_CHECK(partly.numbers.size() == partly.animation.frames.size());
    FUZZ_CHECK(partly.Undecodable() || partly.count == partly.numbers.size() + partly.damage.size());
    for (std::size_t i = 0; i < partly.numbers.size(); ++i) {
        const AnimFrame& f = partly.animation.frames[i];
        FUZZ_CHECK(std::max(f.width, f.height) <= kLargestAnimFrameSide && partly.numbers[i] < partly.count);
        FUZZ_CHECK(i == 0 || partly.numbers[i - 1] < partly.numbers[i]);
    }
    Result<Animation> decoded = DecodeAnimation(ByteView(data, size));
    FUZZ_CHECK(decoded.has_value() == partly.damage.empty());
    if (!decoded) return 0;
    Animation& first = *decoded;
    for (const AnimFrame& f : first.frames) FUZZ_CHECK(f.cells.size() == std::size_t{f.width} * f.height);
    const Result<Bytes> block = EncodeAnimation(first);
    if (!block) {
        FUZZ_CHECK(block.error().message.rfind("Frame ", 0) == 0);
        return 0;
    }
    const Result<Animation> second = DecodeAnimation(*block);
    FUZZ_CHECK(second.has_value());
    for (AnimFrame& f : first.frames) f.cellsOutside = 0;  // the encoder writes none
    FUZZ_CHECK(*second == first);
    const Result<Bytes> again = EncodeAnimation(*second);
    FUZZ_CHECK(again && *again == *block);
    // Pictures of four bytes a cell: only for blocks of a real animation's size, to keep the runs quick.
    std::size_t cells = 0;
    for (const AnimFrame& f : second->frames) cells += f.cells.size();
    if (cells > (std::size_t{1} << 20)) return 0;
    std::vector<FramePicture> pictures;
    for (const AnimFrame& f : second->frames)
        pictures.push_back({"frame", FrameToPicture(f, second->palette), f.centreX, f.centreY});
    const Result<Animation> built = AnimationFromPictures(pictures, second->palette);
    FUZZ_CHECK(built.has_value());
    for (std::size_t i = 0; i < pictures.size(); ++i)
        FUZZ_CHECK(FrameToPicture(built->frames[i], built->palette).rgba == pictures[i].picture.rgba);
    return 0;
}
