// Patch project files: whatever the reader accepts or recovers, writing it
// and reading it back gives the same blocks.
#include "fuzz_support.h"
#include "patch/patch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in = ScratchFile("in.uop", data, size);
    Patch patch;
    if (RecoverPatchFile(in, patch).error.empty()) FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(patch));
    if (!ReadPatchFile(in, patch, true, 0, 255, 0, 400000).empty()) return 0;
    FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(patch));
    return 0;
}
