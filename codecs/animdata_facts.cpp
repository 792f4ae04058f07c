#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"

BlockFacts AnimdataFacts(std::int32_t blockNumber, ByteView block) {
    const BlockType& type = *BlockTypeOf(kAnimdata, blockNumber);
    const RecordLayout& layout = type.layouts[0];
    const BlockField& frames = *FindField(layout, "frames");
    const BlockField& frameCount = *FindField(layout, "frameCount");
    BlockFacts f;
    f.heading = "Animation records";
    f.table.columns = {"Record"};
    for (std::string& c : FieldColumns(layout, {"frames"})) f.table.columns.push_back(std::move(c));
    f.table.columns.emplace_back(frames.name);
    if (!FitsLayout(type, layout, block.size()))
        NoteProblem(f, HoldsBytes(block.size()) + "not the " + LengthsTaken(type) + " of an animdata group.");
    if (block.size() >= type.header) f.lines.push_back("Header: " + HexText(GetLE32(block.data()), 8));
    for (std::size_t i = 0; i < RecordsHeld(type, layout, block.size()); ++i) {
        const ByteView record = block.subspan(RecordOffset(type, layout, i), layout.size);
        const std::uint64_t count = FieldNumber(frameCount, record);
        const std::int64_t id = 8 * static_cast<std::int64_t>(blockNumber) + static_cast<std::int64_t>(i);
        if (count > frames.count)
            NoteProblem(f, "Record " + std::to_string(id) + " claims " + std::to_string(count) +
                               " frames; a record holds at most " + std::to_string(frames.count) + ".");
        // Only the offsets of the frames the record has.
        std::string offsets;
        for (std::size_t k = 0; k < count && k < frames.count; ++k)
            offsets += (k ? " " : "") + std::to_string(static_cast<std::int64_t>(FieldNumber(frames, record, k)));
        f.table.rows.push_back({std::to_string(id)});
        for (std::string& cell : FieldCells(layout, record, {"frames"})) f.table.rows.back().push_back(std::move(cell));
        f.table.rows.back().push_back(std::move(offsets));
    }
    f.lines.push_back("Records: " + std::to_string(f.table.rows.size()));
    return f;
}
