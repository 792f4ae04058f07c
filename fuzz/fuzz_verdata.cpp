// Verdata files: whatever the reader accepts, write -> read -> write gives
// the same bytes, and saved as a patch and opened again the same blocks.
#include "fuzz_support.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in = ScratchFile("in.mul", data, size);
    Patch patch;
    if (!ReadVerdata(in, patch)) return 0;
    Patch numbered;  // a patch project file holds the block numbers from 0 up
    FUZZ_CHECK(ReadVerdata(in, numbered, {.firstBlock = 0}).has_value());
    FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(numbered));
    const std::string a = ScratchFile("a.mul", nullptr, 0), b = ScratchFile("b.mul", nullptr, 0);
    FUZZ_CHECK(WriteVerdata(a, patch).has_value());
    Patch back;
    FUZZ_CHECK(ReadVerdata(a, back).has_value());
    FUZZ_CHECK(WriteVerdata(b, Patch{}, in).has_value());  // the file as a merge base
    FUZZ_CHECK(WriteVerdata(b, back).has_value());
    const Result<Bytes> first = ReadWholeFile(a), second = ReadWholeFile(b);
    FUZZ_CHECK(first && second && *first == *second);
    return 0;
}
