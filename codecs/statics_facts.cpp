#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"
#include "io/counted.h"

BlockFacts StaticsFacts(ByteView block) {
    const BlockType& type = *BlockTypeOf(kStatics, 0);
    const RecordLayout& layout = type.layouts[0];
    const BlockField& x = *FindField(layout, "x");
    const BlockField& y = *FindField(layout, "y");
    BlockFacts f;
    f.heading = "Statics";
    f.table.columns = FieldColumns(layout);
    const std::size_t count = RecordsHeld(type, layout, block.size());
    f.lines.push_back("Count: " + std::to_string(count));
    if (const std::size_t rest = block.size() % layout.size; rest != 0)
        NoteProblem(f, HoldsBytes(block.size()) + "not a whole number of 7-byte statics; " +
                           Counted(static_cast<std::int64_t>(rest), "byte") + " " +
                           std::string(ForCount(static_cast<std::int64_t>(rest), "is", "are")) + " left over.");
    for (std::size_t i = 0; i < count; ++i) {
        const ByteView s = block.subspan(RecordOffset(type, layout, i), layout.size);
        if (FieldNumber(x, s) >= 8 || FieldNumber(y, s) >= 8)
            NoteProblem(f, "Static " + std::to_string(i) + " lies outside the block's 8x8 cells (" + FieldText(x, s) +
                               "," + FieldText(y, s) + ").");
        f.table.rows.push_back(FieldCells(layout, s));
    }
    return f;
}
