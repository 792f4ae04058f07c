#include "app/table_edits.h"

#include <algorithm>

#include "codecs/block_json.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"
#include "patch/block_tree.h"
#include "patch/file_types.h"
#include "patch/user_numbers.h"

namespace {
// The text SetBlockField takes for what the user typed in a cell of `field`.
std::string FieldInput(const BlockField& field, const std::string& text) {
    switch (field.kind) {
        case FieldKind::kName:
        case FieldKind::kBytes: return text;
        case FieldKind::kFlags:
        case FieldKind::kBits: {
            // Hex past the signed range and flag names go as they are.
            const auto v = ParseEditorNumber(text);
            return v && *v >= 0 ? HexText(static_cast<std::uint64_t>(*v), field.hexDigits) : text;
        }
        default: break;
    }
    std::string out, word;
    const auto flush = [&] {
        if (word.empty()) return;
        const auto v = ParseEditorNumber(word);
        out += (out.empty() ? "" : " ") + (v ? std::to_string(*v) : word);
        word.clear();
    };
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == ',') flush();
        else word += c;
    }
    flush();
    return out;
}

// A change that would make the block read in another layout (a house's
// 12-byte components as 16-byte ones) would change every other record.
Status SameLayout(const BlockType& type, ByteView before, ByteView after) {
    const RecordLayout &was = LayoutOf(type, before), &now = LayoutOf(type, after);
    if (was.size == now.size) return {};
    return Error("The block would then hold " + std::to_string(after.size()) + " bytes and read as " +
                 std::to_string(now.size) + "-byte records instead of " + std::to_string(was.size) +
                 "-byte ones; add or remove another row first.");
}

// The type of a block of varying records, fitting its layout.
Result<const BlockType*> VaryingType(std::uint8_t fileId, ByteView block) {
    const BlockType* type = BlockTypeOf(fileId, 0);
    if (!type || !RowsVary(fileId)) return Error("Rows of this block cannot be added or removed.");
    if (const std::string reason = TableReadOnlyReason(fileId, 0, block); !reason.empty()) return Error(reason);
    return type;
}

Result<Bytes> Checked(const BlockType& type, ByteView before, Bytes after) {
    if (Status same = SameLayout(type, before, after); !same) return same.error();
    return after;
}
}  // namespace

std::string TableReadOnlyReason(std::uint8_t fileId, std::int32_t blockNumber, ByteView block) {
    const BlockType* type = BlockTypeOf(fileId, blockNumber);
    if (!type) return "Blocks of this type have no fields to edit.";
    if (FitsLayout(*type, LayoutOf(*type, block), block.size())) return "";
    return "The table cannot be edited: the block holds " + std::to_string(block.size()) + " bytes; a " +
           std::string(type->type) + " block takes " + LengthsTaken(*type) + ".";
}

Result<Bytes> SetCells(std::uint8_t fileId, std::int32_t blockNumber, ByteView block, const std::vector<CellText>& cells) {
    if (const std::string reason = TableReadOnlyReason(fileId, blockNumber, block); !reason.empty()) return Error(reason);
    const BlockType& type = *BlockTypeOf(fileId, blockNumber);
    Bytes edited(block.begin(), block.end());
    for (const CellText& cell : cells) {
        const RecordLayout& layout = LayoutOf(type, edited);
        const std::size_t rows = RecordsHeld(type, layout, edited.size());
        if (cell.row >= rows)
            return Error("Row " + std::to_string(cell.row) + " lies past the table's " + std::to_string(rows) + " rows.");
        const BlockField* field = FindField(layout, cell.column);
        if (!field) return Error("\"" + cell.column + "\" is no field of the block; its cells cannot be changed.");
        Result<Bytes> set = SetBlockField(fileId, blockNumber, edited, cell.row, cell.column, FieldInput(*field, cell.text));
        if (!set) return set.error();
        edited = std::move(*set);
    }
    return Checked(type, block, std::move(edited));
}

bool RowsVary(std::uint8_t fileId) {
    const BlockType* type = BlockTypeOf(fileId, 0);
    return type && type->records == 0 && type->layouts[0].size > 0;
}

Result<Bytes> InsertRecord(std::uint8_t fileId, ByteView block, std::size_t at) {
    const Result<const BlockType*> type = VaryingType(fileId, block);
    if (!type) return type.error();
    const RecordLayout& layout = LayoutOf(**type, block);
    if (at > RecordsHeld(**type, layout, block.size())) return Error("No such row.");
    Bytes out(block.begin(), block.end());
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(RecordOffset(**type, layout, at)), layout.size, 0);
    return Checked(**type, block, std::move(out));
}

Result<Bytes> RemoveRecord(std::uint8_t fileId, ByteView block, std::size_t at) {
    const Result<const BlockType*> type = VaryingType(fileId, block);
    if (!type) return type.error();
    const RecordLayout& layout = LayoutOf(**type, block);
    if (at >= RecordsHeld(**type, layout, block.size())) return Error("No such row.");
    Bytes out(block.begin(), block.end());
    const auto from = out.begin() + static_cast<std::ptrdiff_t>(RecordOffset(**type, layout, at));
    out.erase(from, from + static_cast<std::ptrdiff_t>(layout.size));
    return Checked(**type, block, std::move(out));
}

Result<Bytes> MoveRecord(std::uint8_t fileId, ByteView block, std::size_t at, std::size_t to) {
    const Result<const BlockType*> type = VaryingType(fileId, block);
    if (!type) return type.error();
    const RecordLayout& layout = LayoutOf(**type, block);
    const std::size_t rows = RecordsHeld(**type, layout, block.size());
    if (at >= rows || to >= rows) return Error("No such row.");
    Bytes out(block.begin(), block.end());
    std::swap_ranges(out.begin() + static_cast<std::ptrdiff_t>(RecordOffset(**type, layout, at)),
                     out.begin() + static_cast<std::ptrdiff_t>(RecordOffset(**type, layout, at + 1)),
                     out.begin() + static_cast<std::ptrdiff_t>(RecordOffset(**type, layout, to)));
    return Checked(**type, block, std::move(out));
}

std::string BlockTitle(std::uint8_t fileId, std::int32_t blockNumber) {
    return FileTypes()[fileId].name + " " + BlockNodeText(fileId, blockNumber, false);
}

std::string RecordSubject(std::uint8_t fileId, std::int32_t blockNumber, std::size_t row) {
    const auto r = static_cast<std::int64_t>(row);
    switch (fileId) {
        case kTiledata:
            return blockNumber < kTiledataLandGroups
                       ? "land tile " + HexText(static_cast<std::uint64_t>(32 * std::int64_t{blockNumber} + r), 4)
                       : "item " + HexText(static_cast<std::uint64_t>(32 * (std::int64_t{blockNumber} - kTiledataLandGroups) + r), 4);
        case kHues: return "hue " + std::to_string(8 * std::int64_t{blockNumber} + r);
        case kAnimdata: return "animdata record " + std::to_string(8 * std::int64_t{blockNumber} + r);
        case kSkills: return "skill " + std::to_string(blockNumber);
        case kMultis: return "component " + std::to_string(row) + " of " + BlockTitle(fileId, blockNumber);
        case kStatics: return "static " + std::to_string(row) + " of " + BlockTitle(fileId, blockNumber);
        case kMap:
            return "cell " + std::to_string(row % 8) + "," + std::to_string(row / 8) + " of " + BlockTitle(fileId, blockNumber);
        default: return "record " + std::to_string(row) + " of " + BlockTitle(fileId, blockNumber);
    }
}
