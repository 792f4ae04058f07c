#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"

BlockFacts MultiFacts(ByteView block) {
    const BlockType& type = *BlockTypeOf(kMultis, 0);
    const RecordLayout& layout = LayoutOf(type, block);
    BlockFacts f;
    f.heading = "Multi components";
    const std::size_t count = RecordsHeld(type, layout, block.size());
    f.lines.push_back("Components: " + std::to_string(count));
    f.lines.push_back("Component size: " + std::to_string(layout.size) + " bytes");
    if (!FitsLayout(type, layout, block.size()))
        NoteProblem(f, HoldsBytes(block.size()) + "a whole number of neither 12- nor 16-byte components.");
    f.table.columns = FieldColumns(layout);
    for (std::size_t i = 0; i < count; ++i)
        f.table.rows.push_back(FieldCells(layout, block.subspan(RecordOffset(type, layout, i), layout.size)));
    return f;
}
