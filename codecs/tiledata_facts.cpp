#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"

namespace {
std::size_t GroupSize(const BlockType& type, const RecordLayout& layout) {
    return type.header + type.records * layout.size;
}
}  // namespace

std::vector<std::string> TiledataNames(std::int32_t blockNumber, ByteView block) {
    const BlockType& type = *BlockTypeOf(kTiledata, blockNumber);
    const RecordLayout& layout = LayoutOf(type, block);
    const BlockField& name = *FindField(layout, "name");
    std::vector<std::string> names;
    for (std::size_t i = 0; i < RecordsHeld(type, layout, block.size()); ++i)
        names.push_back(FieldText(name, block.subspan(RecordOffset(type, layout, i), layout.size)));
    return names;
}

BlockFacts TiledataFacts(std::int32_t blockNumber, ByteView block) {
    const bool land = blockNumber < kTiledataLandGroups;
    const BlockType& type = *BlockTypeOf(kTiledata, blockNumber);
    const RecordLayout& layout = LayoutOf(type, block);
    const bool newer = &layout == &type.layouts[1];

    BlockFacts f;
    f.heading = land ? "Land tiledata" : "Static tiledata";
    f.lines.push_back(newer ? "Layout: newer (64-bit flags)" : "Layout: older (32-bit flags)");
    if (!FitsLayout(type, type.layouts[0], block.size()) && !FitsLayout(type, type.layouts[1], block.size()))
        NoteProblem(f, HoldsBytes(block.size()) + "not the " + std::to_string(GroupSize(type, type.layouts[0])) + " or " +
                           std::to_string(GroupSize(type, type.layouts[1])) + " of a " + (land ? "land" : "static") +
                           " tiledata group.");
    if (block.size() >= type.header) f.lines.push_back("Header: " + HexText(GetLE32(block.data()), 8));

    const std::int64_t first = 32 * (land ? std::int64_t{blockNumber} : std::int64_t{blockNumber} - kTiledataLandGroups);
    f.table.columns = {land ? "Tile" : "Item"};
    for (std::string& c : FieldColumns(layout)) f.table.columns.push_back(std::move(c));
    for (std::size_t i = 0; i < RecordsHeld(type, layout, block.size()); ++i) {
        std::vector<std::string> row = {HexText(static_cast<std::uint64_t>(first) + i, 4)};
        for (std::string& cell : FieldCells(layout, block.subspan(RecordOffset(type, layout, i), layout.size)))
            row.push_back(std::move(cell));
        f.table.rows.push_back(std::move(row));
    }
    f.lines.push_back("Records: " + std::to_string(f.table.rows.size()));
    return f;
}
