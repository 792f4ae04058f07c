// The block decoders of the information panel and the WAV writer.
#include "codecs/block_facts.h"
#include "codecs/file_ids.h"
#include "codecs/wav.h"
#include "fuzz_support.h"

namespace {
void Check(const BlockFacts& f) {
    FUZZ_CHECK(f.picture.cells.size() == static_cast<std::size_t>(f.picture.width) * f.picture.height);
    for (const auto& row : f.table.rows) FUZZ_CHECK(row.size() == f.table.columns.size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteView block(data, size);
    for (std::uint8_t fileId : {kStatics, kSound, kTexmaps, kMultis, kSkills, kAnimdata, kHues})
        Check(*DescribeBlockData(fileId, 3, block));
    Check(TiledataFacts(5, block));
    Check(TiledataFacts(600, block));
    if (const Result<Bytes> wav = SoundToWav(block)) FUZZ_CHECK(wav->size() == 44 + ((size - kSoundHeaderSize) & ~std::size_t{1}));
    return 0;
}
