// An index and data file pair through cMUL, indexed and of fixed size, and
// the import of a block range from it, saved as a patch and opened again.
#include "fuzz_support.h"
#include "gamefiles/cMUL.h"
#include "gamefiles/import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t split = std::min<std::size_t>(size - 4, GetLE16(data));
    const auto constantIndex = static_cast<std::int32_t>(data[2]) * 4;
    const std::uint8_t fileId = data[3] % 2 ? 32 : 4;
    const std::string idx = ScratchFile("f.idx", data + 4, split);
    const std::string mul = ScratchFile("f.mul", data + 4 + split, size - 4 - split);

    cMUL file;
    if (file.cOpen(idx, mul, -1, -1).empty()) {
        const std::int32_t count = std::min(file.cCount(), 2000);
        for (std::int32_t n = -1; n <= count; ++n) {
            Bytes block;
            std::int16_t a = 0, b = 0;
            const std::int32_t length = file.cLoad(n, block, a, b);
            FUZZ_CHECK(length <= 0 || block.size() == static_cast<std::size_t>(length));
        }
        file.cClose();
    }
    Patch patch;
    if (ImportMulRange(patch, idx, mul, fileId, 0, 300, 300, constantIndex).empty())
        FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(patch));
    return 0;
}
