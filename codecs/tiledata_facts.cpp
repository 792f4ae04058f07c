#include "codecs/block_facts.h"
#include "codecs/facts_text.h"

namespace {
constexpr std::size_t kRecords = 32, kHeader = 4, kNameSize = 20;

struct Layout {
    std::size_t recordSize;
    std::size_t flagBytes;
    std::size_t GroupSize() const { return kHeader + kRecords * recordSize; }
};
// Older and newer layouts: the newer one widens the flags to 64 bits.
constexpr Layout kLand[2] = {{26, 4}, {30, 8}};
constexpr Layout kStatic[2] = {{37, 4}, {41, 8}};

std::string FlagsText(ByteView record, std::size_t flagBytes) {
    const std::uint8_t* p = record.data();
    const std::uint64_t flags = flagBytes == 8 ? GetLE32(p) | std::uint64_t{GetLE32(p + 4)} << 32 : GetLE32(p);
    return HexText(flags, 2 * static_cast<int>(flagBytes));
}

std::vector<std::string> LandRow(ByteView record, std::size_t flagBytes) {
    const std::uint8_t* r = record.data() + flagBytes;
    return {FixedText(record, flagBytes + 2, kNameSize).text, FlagsText(record, flagBytes), HexText(GetLE16(r), 4)};
}

std::vector<std::string> StaticRow(ByteView record, std::size_t flagBytes) {
    const std::uint8_t* r = record.data() + flagBytes;
    auto n = [](unsigned v) { return std::to_string(v); };
    return {FixedText(record, flagBytes + 13, kNameSize).text,
            FlagsText(record, flagBytes),
            n(r[0]), n(r[1]), n(GetLE16(r + 2)), n(r[4]), n(r[5]), HexText(GetLE16(r + 6), 4),
            n(r[8]), n(r[9]), n(r[10]), n(r[11]), n(r[12])};
}

// A length that fits neither: a longer block is read as the newer layout
// (cut short or with bytes added), a shorter one as the older.
bool IsNewer(bool land, ByteView block) { return block.size() > (land ? kLand : kStatic)[0].GroupSize(); }
}  // namespace

std::vector<std::string> TiledataNames(std::int32_t blockNumber, ByteView block) {
    const bool land = blockNumber < 512;
    const Layout& layout = (land ? kLand : kStatic)[IsNewer(land, block) ? 1 : 0];
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kRecords && kHeader + layout.recordSize * (i + 1) <= block.size(); ++i)
        names.push_back(FixedText(block.subspan(kHeader + layout.recordSize * i, layout.recordSize),
                                  layout.flagBytes + (land ? 2 : 13), kNameSize)
                            .text);
    return names;
}

BlockFacts TiledataFacts(std::int32_t blockNumber, ByteView block) {
    const bool land = blockNumber < 512;
    const Layout* layouts = land ? kLand : kStatic;
    const bool newer = IsNewer(land, block);
    const Layout& layout = layouts[newer ? 1 : 0];

    BlockFacts f;
    f.heading = land ? "Land tiledata" : "Static tiledata";
    f.lines.push_back(newer ? "Layout: newer (64-bit flags)" : "Layout: older (32-bit flags)");
    if (block.size() != layouts[0].GroupSize() && block.size() != layouts[1].GroupSize())
        NoteProblem(f, HoldsBytes(block.size()) + "not the " + std::to_string(layouts[0].GroupSize()) + " or " +
                           std::to_string(layouts[1].GroupSize()) + " of a " + (land ? "land" : "static") +
                           " tiledata group.");
    if (block.size() >= kHeader) f.lines.push_back("Header: " + HexText(GetLE32(block.data()), 8));

    const std::int64_t first = 32 * (land ? std::int64_t{blockNumber} : std::int64_t{blockNumber} - 512);
    f.table.columns = {land ? "Tile" : "Item", "Name", "Flags"};
    if (land) {
        f.table.columns.push_back("Texture");
    } else {
        for (const char* c : {"Weight", "Quality", "Misc", "Unknown 1", "Quantity", "Animation", "Unknown 2", "Hue",
                              "Stacking", "Value", "Height"})
            f.table.columns.push_back(c);
    }
    for (std::size_t i = 0; i < kRecords && kHeader + layout.recordSize * (i + 1) <= block.size(); ++i) {
        const ByteView record = block.subspan(kHeader + layout.recordSize * i, layout.recordSize);
        std::vector<std::string> row = {HexText(static_cast<std::uint64_t>(first) + i, 4)};
        for (std::string& cell : land ? LandRow(record, layout.flagBytes) : StaticRow(record, layout.flagBytes))
            row.push_back(std::move(cell));
        f.table.rows.push_back(std::move(row));
    }
    f.lines.push_back("Records: " + std::to_string(f.table.rows.size()));
    return f;
}
