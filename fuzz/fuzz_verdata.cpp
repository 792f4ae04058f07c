// Verdata files: whatever the reader accepts, write -> read -> write gives
// the same bytes, and saved as a patch and opened again the same blocks.
#include "fuzz_support.h"
#include "gamefiles/verdata.h"
#include "io/binary_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in = ScratchFile("in.mul", data, size);
    Patch patch;
    if (!ReadVerdata(in, patch, true, 0, 255, INT32_MIN, INT32_MAX).empty()) return 0;
    Patch numbered;  // a patch project file holds the block numbers from 0 up
    FUZZ_CHECK(ReadVerdata(in, numbered, true, 0, 255, 0, INT32_MAX).empty());
    FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(numbered));
    const std::string a = ScratchFile("a.mul", nullptr, 0), b = ScratchFile("b.mul", nullptr, 0);
    FUZZ_CHECK(WriteVerdata(a, "", patch).empty());
    Patch back;
    FUZZ_CHECK(ReadVerdata(a, back, true, 0, 255, INT32_MIN, INT32_MAX).empty());
    FUZZ_CHECK(WriteVerdata(b, in, Patch{}).empty());  // the file as a merge base
    FUZZ_CHECK(WriteVerdata(b, "", back).empty());
    std::vector<std::uint8_t> first, second;
    FUZZ_CHECK(ReadWholeFile(a, first).empty() && ReadWholeFile(b, second).empty());
    FUZZ_CHECK(first == second);
    return 0;
}
