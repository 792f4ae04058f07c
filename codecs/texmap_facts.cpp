#include "codecs/block_facts.h"
#include "codecs/facts_text.h"

BlockFacts TexmapFacts(ByteView block) {
    BlockFacts f;
    f.heading = "Texture";
    const std::int32_t side = block.size() == 2 * 64 * 64 ? 64 : block.size() == 2 * 128 * 128 ? 128 : 0;
    if (side == 0) {
        NoteProblem(f, HoldsBytes(block.size()) + "not the 8192 of a 64x64 texture or the 32768 of a 128x128 one.");
        return f;
    }
    f.lines.push_back("Size: " + std::to_string(side) + "x" + std::to_string(side));
    f.picture = {side, side, std::vector<std::uint16_t>(static_cast<std::size_t>(side * side))};
    for (std::size_t i = 0; i < f.picture.cells.size(); ++i) f.picture.cells[i] = GetLE16(block.data() + 2 * i);
    return f;
}
