#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/hues.h"

BlockFacts HueFacts(std::int32_t blockNumber, ByteView block) {
    constexpr std::size_t kEntries = 8, kStride = 152, kEntrySize = 88, kColors = 32;
    BlockFacts f;
    f.heading = "Hue entries";
    f.table.columns = {"Hue", "Name", "Word 1", "Word 2"};
    if (block.size() != kVerdataHuesBlockSize)
        NoteProblem(f, HoldsBytes(block.size()) + "not the 1220 of a hue block.");
    // An entry cut off after its colours still shows them.
    std::size_t whole = 0, coloured = 0;
    while (whole < kEntries && 4 + kStride * whole + kEntrySize <= block.size()) ++whole;
    while (coloured < kEntries && 4 + kStride * coloured + 2 * kColors <= block.size()) ++coloured;
    f.lines.push_back("Entries: " + std::to_string(whole));
    if (coloured == 0) return f;

    f.picture = {static_cast<std::int32_t>(kColors), static_cast<std::int32_t>(coloured), {}};
    for (std::size_t i = 0; i < coloured; ++i) {
        const std::uint8_t* entry = block.data() + 4 + kStride * i;
        for (std::size_t c = 0; c < kColors; ++c) f.picture.cells.push_back(GetLE16(entry + 2 * c));
    }
    for (std::size_t i = 0; i < whole; ++i) {
        const std::uint8_t* entry = block.data() + 4 + kStride * i;
        const std::int64_t hue = 8 * static_cast<std::int64_t>(blockNumber) + static_cast<std::int64_t>(i);
        f.table.rows.push_back({std::to_string(hue), FixedText(block, 4 + kStride * i + 68, 20).text,
                                HexText(GetLE16(entry + 64), 4), HexText(GetLE16(entry + 66), 4)});
    }
    return f;
}
