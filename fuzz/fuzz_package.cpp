// A game data package: the structure, every entry's decoding (zlib and the
// second stage) and the multi records; other input goes straight to the
// second stage and the multi conversion.
#include "codecs/second_stage.h"
#include "fuzz_support.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!StartsLikePackage(ByteView(data, size))) {
        if (const Result<Bytes> payload = UndoSecondStage(Bytes(data, data + size))) FUZZ_CHECK(payload->size() + 1028 <= size);
        (void)MultiRecordToBlock(ByteView(data, size));
        return 0;
    }
    Package package;
    if (!package.Open(ScratchFile("p.uop", data, size))) return 0;
    for (const PackageEntry& e : package.Entries()) {
        FUZZ_CHECK(package.Find(e.hash) == &e);
        const Result<Bytes> payload = package.Read(e);
        if (!payload) continue;
        if (e.flag != 3) FUZZ_CHECK(payload->size() == e.decodedSize);
        (void)MultiRecordToBlock(*payload);
    }
    return 0;
}
