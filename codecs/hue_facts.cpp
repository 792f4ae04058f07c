#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"
#include "codecs/hues.h"

BlockFacts HueFacts(std::int32_t blockNumber, ByteView block) {
    const BlockType& type = *BlockTypeOf(kHues, blockNumber);
    const RecordLayout& layout = type.layouts[0];
    const BlockField& colors = *FindField(layout, "colors");
    const BlockField& extra = *FindField(layout, "extra");
    BlockFacts f;
    f.heading = "Hue entries";
    f.table.columns = {"Hue"};
    for (std::string& c : FieldColumns(layout)) f.table.columns.push_back(std::move(c));
    if (block.size() != kVerdataHuesBlockSize)
        NoteProblem(f, HoldsBytes(block.size()) + "not the 1220 of a hue block.");
    // An entry is whole without the trailing bytes the patch's form adds; one
    // cut off after its colours still shows them.
    std::size_t whole = 0, coloured = 0;
    while (whole < type.records && RecordOffset(type, layout, whole) + extra.offset <= block.size()) ++whole;
    const std::size_t colorsEnd = colors.offset + colors.width * colors.count;
    while (coloured < type.records && RecordOffset(type, layout, coloured) + colorsEnd <= block.size()) ++coloured;
    f.lines.push_back("Entries: " + std::to_string(whole));
    if (coloured == 0) return f;

    f.picture = {static_cast<std::int32_t>(colors.count), static_cast<std::int32_t>(coloured), {}};
    for (std::size_t i = 0; i < coloured; ++i) {
        const ByteView entry = block.subspan(RecordOffset(type, layout, i), colorsEnd);
        for (std::size_t c = 0; c < colors.count; ++c)
            f.picture.cells.push_back(static_cast<std::uint16_t>(FieldNumber(colors, entry, c)));
    }
    for (std::size_t i = 0; i < whole; ++i) {
        const ByteView entry = block.subspan(RecordOffset(type, layout, i), extra.offset);
        const std::int64_t hue = 8 * static_cast<std::int64_t>(blockNumber) + static_cast<std::int64_t>(i);
        f.table.rows.push_back({std::to_string(hue)});
        for (std::string& cell : FieldCells(layout, entry)) f.table.rows.back().push_back(std::move(cell));
    }
    return f;
}
