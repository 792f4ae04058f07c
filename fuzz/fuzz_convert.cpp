// Converting random sources of each type, data files or a package, into the
// other form: a conversion fails or writes files that convert back without a
// damaged entry and with no more blocks than it wrote.
#include <cstdio>

#include "codecs/file_ids.h"
#include "fuzz_support.h"
#include "gamefiles/convert.h"
#include "io/binary_io.h"

namespace {
// A path in the scratch folder where no file is.
std::string Free(const char* slot) {
    const std::string path = ScratchFile(slot, nullptr, 0);
    std::remove(path.c_str());
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::uint8_t kinds[] = {kArt, kGumps, kMap, kSound, kMultis};
    const std::uint8_t fileId = kinds[data[0] % 5];
    const bool fromPackage = (data[0] / 5) % 2 == 1;
    ConvertOptions options;
    options.fileId = fileId;
    options.skipDamaged = (data[1] & 1) != 0;
    options.compression = static_cast<EntryCompression>((data[1] >> 1) & 3);
    options.packageVersion = (data[1] & 8) != 0 ? 4u : 5u;
    const bool indexed = fileId != kMap;
    // The index's length; a map file has none.
    const std::size_t split = indexed ? std::min<std::size_t>(size - 4, GetLE16(data + 2)) : 0;

    std::vector<std::string> there, back;
    if (fromPackage) {
        there = {ScratchFile("s.uop", data + 4, size - 4), Free("t.mul")};
        if (indexed) there.push_back(Free("t.idx"));
        back = {there[1]};
        if (indexed) back.push_back(there[2]);
        back.push_back(Free("b.uop"));
    } else {
        there = {ScratchFile("s.mul", data + 4 + split, size - 4 - split)};
        if (indexed) there.push_back(ScratchFile("s.idx", data + 4, split));
        there.push_back(Free("t.uop"));
        back = {there.back(), Free("b.mul")};
        if (indexed) back.push_back(Free("b.idx"));
    }
    const Result<ConvertReport> converted = Convert(there, options);
    // A package of no entry is no package of the type to convert back.
    if (!converted || converted->files[0].written == 0) return 0;
    options.skipDamaged = false;
    const Result<ConvertReport> again = Convert(back, options);
    FUZZ_CHECK(again);
    FUZZ_CHECK(again->files[0].leftOut == 0 && again->files[0].written <= converted->files[0].written);
    return 0;
}
