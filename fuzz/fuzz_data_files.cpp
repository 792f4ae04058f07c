// An index and data file pair through DataFile, indexed and cut without index,
// and the import of a block range from it read as what it is, saved as a patch and opened again.
#include "fuzz_support.h"
#include "gamefiles/block_source.h"
#include "gamefiles/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t split = std::min<std::size_t>(size - 4, GetLE16(data));
    const std::uint8_t kinds[] = {4, 32, 30, 0};  // indexed art, hues, tiledata, map
    const std::uint8_t fileId = kinds[data[3] % 4];
    const std::string idx = ScratchFile("f.idx", data + 4, split);
    const std::string mul = ScratchFile("f.mul", data + 4 + split, size - 4 - split);

    for (const bool indexed : {true, false}) {
        DataFile file;
        const std::string err = indexed ? file.Open(idx, mul, 0)
                                        : file.OpenCut(mul, {data[2] % 8, 1 + data[2] / 8, 1 + data[2] % 16});
        if (!err.empty()) continue;
        const std::int64_t count = std::min<std::int64_t>(file.Count(), 2000);
        for (std::int64_t n = -1; n <= count; ++n) {
            const LoadedBlock b = file.Load(static_cast<std::int32_t>(n));
            FUZZ_CHECK(b.length <= 0 || b.damaged || b.bytes.size() == static_cast<std::size_t>(b.length));
            FUZZ_CHECK(!b.damaged || b.bytes.empty());
        }
    }
    Patch patch;
    const ImportResult r = ImportFromFiles(patch, fileId, mul, idx, 0, 300, data[2] % 2);
    FUZZ_CHECK(r.added == patch.LiveCount());
    if (r.error.empty()) FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(patch));
    return 0;
}
