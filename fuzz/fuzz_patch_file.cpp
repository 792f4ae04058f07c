// Patch project files: whatever the reader accepts, writing it and reading
// it back gives the same blocks.
#include "fuzz_support.h"
#include "patch/patch_file.h"

namespace {
bool SameBlocks(const Patch& a, const Patch& b) {
    for (int f = 0; f < Patch::kFileIds; ++f) {
        std::vector<const PatchBlock*> x, y;
        a.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& p) { x.push_back(&p); });
        b.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& p) { y.push_back(&p); });
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (x[i]->BlockNumber != y[i]->BlockNumber || x[i]->Length != y[i]->Length || x[i]->FlagA != y[i]->FlagA ||
                x[i]->FlagB != y[i]->FlagB || x[i]->ByteArray != y[i]->ByteArray)
                return false;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in = ScratchFile("in.uop", data, size);
    Patch patch;
    if (!ReadPatchFile(in, patch, true, 0, 255, 0, 400000).empty()) return 0;
    const std::string out = ScratchFile("out.uop", nullptr, 0);
    FUZZ_CHECK(WritePatchFile(out, patch).empty());
    Patch back;
    FUZZ_CHECK(ReadPatchFile(out, back, true, 0, 255, INT32_MIN, INT32_MAX).empty());
    FUZZ_CHECK(SameBlocks(patch, back));
    return 0;
}
