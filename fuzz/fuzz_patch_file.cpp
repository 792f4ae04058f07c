// Patch project files: whatever the reader accepts or recovers, writing it
// and reading it back gives the same blocks; and the blocks read keep their
// bytes when the file is rewritten in place and truncated afterwards.
#include "fuzz_support.h"
#include "patch/patch_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in = ScratchFile("in.uop", data, size);
    if (const Result<Recovery> recovered = RecoverPatchFile(in)) FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(recovered->patch));
    Patch patch;
    if (!ReadPatchFile(in, patch, {.lastBlock = 400000})) return 0;
    FUZZ_CHECK(SavedAndOpenedAgainIsTheSame(patch));

    std::vector<Bytes> before;
    for (int f = 0; f < Patch::kFileIds; ++f)
        for (const PatchBlock& b : patch[static_cast<std::uint8_t>(f)].blocks) before.emplace_back(b.bytes.begin(), b.bytes.end());
    std::vector<std::uint8_t> inverted(data, data + size);
    for (std::uint8_t& b : inverted) b = static_cast<std::uint8_t>(~b);
    ScratchFile("in.uop", inverted.data(), inverted.size());
    ScratchFile("in.uop", nullptr, 0);
    std::size_t i = 0;
    for (int f = 0; f < Patch::kFileIds; ++f)
        for (const PatchBlock& b : patch[static_cast<std::uint8_t>(f)].blocks) FUZZ_CHECK(b.bytes == before[i++]);
    return 0;
}
