// An index and data file pair through DataFile, indexed and cut without index,
// and the import of a block range from it read as what it is, saved as a patch and opened again.
#include "codecs/file_ids.h"
#include "fuzz_support.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t split = std::min<std::size_t>(size - 4, GetLE16(data));
    const std::uint8_t kinds[] = {kArt, kHues, kTiledata, kMap};
    const std::uint8_t fileId = kinds[data[3] % 4];
    const std::string idx = ScratchFile("f.idx", data + 4, split);
    const std::string mul = ScratchFile("f.mul", data + 4 + split, size - 4 - split);

    for (const bool indexed : {true, false}) {
        DataFile file;
        const Status opened = indexed ? file.Open(mul, idx) : file.OpenCut(mul, {data[2] % 8, 1 + data[2] / 8, 1 + data[2] % 16});
        if (!opened) continue;
        const std::int64_t count = std::min<std::int64_t>(file.Count(), 2000);
        for (std::int64_t n = -1; n <= count; ++n)
            if (const Result<LoadedBlock> b = file.Load(static_cast<std::int32_t>(n)))
                FUZZ_CHECK(b->length <= 0 ? b->bytes.empty() : b->bytes.size() == static_cast<std::size_t>(b->length));
    }
    Patch patch;
    const Result<ImportReport> r =
        ImportBlocks(patch, ImportSelection::OneType(fileId), {mul, idx}, {0, 300}, {data[2] % 2 == 1});
    FUZZ_CHECK(r ? r->added == patch.LiveCount() : patch.LiveCount() == 0);
    if (r) FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(patch));
    return 0;
}
