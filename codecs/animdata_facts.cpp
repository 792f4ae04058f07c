#include "codecs/block_facts.h"
#include "codecs/facts_text.h"

BlockFacts AnimdataFacts(std::int32_t blockNumber, ByteView block) {
    constexpr std::size_t kHeader = 4, kRecords = 8, kRecord = 68, kOffsets = 64;
    BlockFacts f;
    f.heading = "Animation records";
    f.table.columns = {"Record", "Frames", "Interval", "Start", "Unknown", "Frame offsets"};
    if (block.size() != kHeader + kRecords * kRecord)
        NoteProblem(f, HoldsBytes(block.size()) + "not the 548 of an animdata group.");
    if (block.size() >= kHeader) f.lines.push_back("Header: " + HexText(GetLE32(block.data()), 8));
    for (std::size_t i = 0; i < kRecords && kHeader + kRecord * (i + 1) <= block.size(); ++i) {
        const std::uint8_t* r = block.data() + kHeader + kRecord * i;
        const std::uint8_t frames = r[kOffsets + 1];
        const std::int64_t id = 8 * static_cast<std::int64_t>(blockNumber) + static_cast<std::int64_t>(i);
        if (frames > kOffsets)
            NoteProblem(f, "Record " + std::to_string(id) + " claims " + std::to_string(frames) +
                               " frames; a record holds at most 64.");
        std::string offsets;
        for (std::size_t k = 0; k < frames && k < kOffsets; ++k)
            offsets += (k ? " " : "") + std::to_string(static_cast<std::int8_t>(r[k]));
        f.table.rows.push_back({std::to_string(id), std::to_string(frames), std::to_string(r[kOffsets + 2]),
                                std::to_string(r[kOffsets + 3]), std::to_string(r[kOffsets]), offsets});
    }
    f.lines.push_back("Records: " + std::to_string(f.table.rows.size()));
    return f;
}
