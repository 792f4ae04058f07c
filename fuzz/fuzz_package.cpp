// A game data package: the structure, every entry's decoding (zlib and the
// second stage) and the multi records; other input goes straight to the
// second stage and the multi conversion.
#include "codecs/second_stage.h"
#include "fuzz_support.h"
#include "gamefiles/package.h"
#include "gamefiles/package_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes block;
    if (size < 4 || GetLE32(data) != 0x0050594D) {
        Bytes stream(data, data + size), payload;
        if (UndoSecondStage(stream, payload).empty()) FUZZ_CHECK(payload.size() + 1028 <= size);
        MultiRecordToBlock(ByteView(data, size), block);
        return 0;
    }
    Package package;
    if (!package.Open(ScratchFile("p.uop", data, size)).empty()) return 0;
    for (const PackageEntry& e : package.Entries()) {
        FUZZ_CHECK(package.Find(e.hash) == &e);
        Bytes payload;
        if (!package.Read(e, payload).empty()) continue;
        if (e.flag != 3) FUZZ_CHECK(payload.size() == e.decodedSize);
        MultiRecordToBlock(payload, block);
    }
    return 0;
}
