#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"

FactTable MapCellsTable(ByteView block) {
    const BlockType& type = *BlockTypeOf(kMap, 0);
    const RecordLayout& layout = type.layouts[0];
    FactTable table;
    table.columns = {"Cell"};
    for (std::string& c : FieldColumns(layout)) table.columns.push_back(std::move(c));
    for (std::size_t i = 0; i < RecordsHeld(type, layout, block.size()); ++i) {
        table.rows.push_back({std::to_string(i % 8) + "," + std::to_string(i / 8)});
        for (std::string& cell : FieldCells(layout, block.subspan(RecordOffset(type, layout, i), layout.size)))
            table.rows.back().push_back(std::move(cell));
    }
    return table;
}
