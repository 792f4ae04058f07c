#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "io/counted.h"

BlockFacts StaticsFacts(ByteView block) {
    constexpr std::size_t kEntry = 7;
    BlockFacts f;
    f.heading = "Statics";
    f.table.columns = {"Item", "X", "Y", "Z", "Hue"};
    const std::size_t count = block.size() / kEntry;
    f.lines.push_back("Count: " + std::to_string(count));
    if (const std::size_t rest = block.size() % kEntry; rest != 0)
        NoteProblem(f, HoldsBytes(block.size()) + "not a whole number of 7-byte statics; " +
                           Counted(static_cast<std::int64_t>(rest), "byte") + " " +
                           std::string(ForCount(static_cast<std::int64_t>(rest), "is", "are")) + " left over.");
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* s = block.data() + kEntry * i;
        if (s[2] >= 8 || s[3] >= 8)
            NoteProblem(f, "Static " + std::to_string(i) + " lies outside the block's 8x8 cells (" +
                               std::to_string(s[2]) + "," + std::to_string(s[3]) + ").");
        f.table.rows.push_back({HexText(GetLE16(s), 4), std::to_string(s[2]), std::to_string(s[3]),
                                std::to_string(static_cast<std::int8_t>(s[4])), std::to_string(GetLE16(s + 5))});
    }
    return f;
}
