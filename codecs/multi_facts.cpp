#include "codecs/block_facts.h"
#include "codecs/facts_text.h"

namespace {
// Where both sizes divide the block, 16-byte rows end in a word of 0 or 1.
std::size_t ComponentSize(ByteView block) {
    const bool by12 = block.size() % 12 == 0, by16 = block.size() % 16 == 0;
    if (by16 && !by12) return 16;
    if (!by16) return 12;
    for (std::size_t at = 12; at < block.size(); at += 16)
        if (GetLE32(block.data() + at) > 1) return 12;
    return 16;
}

std::string Signed16(const std::uint8_t* p) { return std::to_string(static_cast<std::int16_t>(GetLE16(p))); }
}  // namespace

BlockFacts MultiFacts(ByteView block) {
    BlockFacts f;
    f.heading = "Multi components";
    const std::size_t size = ComponentSize(block), count = block.size() / size;
    f.lines.push_back("Components: " + std::to_string(count));
    f.lines.push_back("Component size: " + std::to_string(size) + " bytes");
    if (block.size() % size != 0)
        NoteProblem(f, HoldsBytes(block.size()) + "a whole number of neither 12- nor 16-byte components.");
    f.table.columns = {"Item", "X", "Y", "Z", "Flags"};
    if (size == 16) f.table.columns.push_back("Extra");
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* c = block.data() + size * i;
        f.table.rows.push_back({HexText(GetLE16(c), 4), Signed16(c + 2), Signed16(c + 4), Signed16(c + 6),
                                HexText(GetLE32(c + 8), 8)});
        if (size == 16) f.table.rows.back().push_back(HexText(GetLE32(c + 12), 8));
    }
    return f;
}
