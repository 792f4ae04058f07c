#include "gamefiles/block_fit.h"

#include <algorithm>

#include "codecs/hues.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/forms/package_blocks.h"
#include "patch/file_types.h"

namespace {
FittedBlock Unfitting(Unfit unfit, std::string why) {
    FittedBlock f;
    f.unfit = unfit;
    f.why = std::move(why);
    return f;
}

FittedBlock Holding(Bytes bytes) {
    FittedBlock f;
    f.held = std::move(bytes);
    f.bytes = f.held;
    return f;
}

// The size of group n in the tiledata layout other than the one whose group n is `slotSize` bytes.
std::int32_t OtherLayoutGroup(std::int32_t n, std::int32_t slotSize) {
    const bool land = n < kTiledataLandGroups;
    const TiledataLayout other =
        (land ? kTiledataOlder.landGroup : kTiledataOlder.staticGroup) == slotSize ? kTiledataNewer : kTiledataOlder;
    return land ? other.landGroup : other.staticGroup;
}

// A block for a fixed-size slot: of the map, animdata, hues and tiledata
// files, or of a map package's chunks.
FittedBlock FitSlot(std::uint8_t fileId, Form form, std::int32_t n, const BlockData& block,
                    const ClientBlock& client) {
    // Texts are made only for a block that does not fit: most blocks do.
    const std::string_view where = client.source;
    if (block.bytes.empty())
        return Unfitting(Unfit::kNoData, std::string(where) + " cannot lose a block: one without data has no place in it");
    if (client.slotSize == 0) {
        if (form != Form::kPackage)
            return Unfitting(Unfit::kPastEnd, "it lies past the end of " + std::string(where));
        return Unfitting(Unfit::kPastEnd, std::string(where) + (client.damaged ? ": the map chunk that holds it does not decode"
                                                                               : " has no map chunk that holds it"));
    }
    const auto length = static_cast<std::int64_t>(block.bytes.size());
    if (fileId == kHues) {
        if (length != static_cast<std::int64_t>(kVerdataHuesBlockSize))
            return Unfitting(Unfit::kHueSize, "a hue block is 1,220 bytes, not " + std::to_string(length));
        return Holding(HueBlockAsStored(block.bytes));
    }
    if (length != client.slotSize) {
        const std::string bytes = std::to_string(length), slot = std::to_string(client.slotSize);
        if (fileId == kTiledata && length == OtherLayoutGroup(n, client.slotSize))
            return Unfitting(Unfit::kOtherLayout, "a " + bytes + "-byte group of the other tiledata layout does not fit " +
                                                      std::string(where) + ", whose group there is " + slot + " bytes");
        return Unfitting(Unfit::kSlotSize,
                         "its " + bytes + " bytes do not fit a " + slot + "-byte slot of " + std::string(where));
    }
    FittedBlock f;
    f.bytes = block.bytes;
    return f;
}

FittedBlock FitWholeFile(std::int32_t n, const BlockData& block) {
    if (!WholeFileName(n))
        return Unfitting(Unfit::kNoWholeFile,
                         "whole files are blocks 0 (client.exe), 1 (readme.txt) and 2 (map0.mul) only");
    if (block.bytes.empty()) return Unfitting(Unfit::kNoData, "a whole file without data cannot be written");
    FittedBlock f;
    f.bytes = block.bytes;
    return f;
}

FittedBlock FitPackage(std::uint8_t fileId, std::int32_t n, const BlockData& block, const ClientBlock& client) {
    if (fileId == kMap) return FitSlot(fileId, Form::kPackage, n, block, client);
    // Readers find entries by the names of indices up to the scheme's last.
    if (const LegacyScheme* scheme = SchemeOfFileId(fileId); scheme && n > static_cast<std::int64_t>(scheme->lastIndex))
        return Unfitting(Unfit::kTooFar, std::string(client.source) + " names its entries up to index " +
                                             std::to_string(scheme->lastIndex) + " only");
    if (!block.bytes.empty() && fileId == kGumps &&
        (static_cast<std::uint16_t>(block.flagA) == 0 || static_cast<std::uint16_t>(block.flagB) == 0))
        return Unfitting(Unfit::kEmptyGump, "a gump of width " + std::to_string(static_cast<std::uint16_t>(block.flagB)) +
                                                " and height " + std::to_string(static_cast<std::uint16_t>(block.flagA)) +
                                                " reads from " + std::string(client.source) +
                                                " as a placeholder without a picture");
    if (!block.bytes.empty() && fileId == kMultis) {
        if (block.bytes.size() % kMultiRowSize != 0)
            return Unfitting(Unfit::kMultiRows,
                             "its " + std::to_string(block.bytes.size()) + " bytes are not whole 16-byte multi rows");
        // What the package's record gives back: the rows' flags as the record keeps them.
        return Holding(MultiRecordToBlock(MultiBlockToRecord(n, block.bytes)).value());
    }
    FittedBlock f;
    f.bytes = block.bytes;
    return f;
}
}  // namespace

FittedBlock FitBlock(std::uint8_t fileId, Form form, std::int32_t n, const BlockData& block,
                     const ClientBlock& client) {
    if (form == Form::kPackage) return FitPackage(fileId, n, block, client);
    if (fileId == kFiles) return FitWholeFile(n, block);
    if (FileTypes()[fileId].fixedBlockSize > 0) return FitSlot(fileId, form, n, block, client);
    if (n >= kMaxIndexEntries)
        return Unfitting(Unfit::kTooFar,
                         "its number lies past the " + std::to_string(kMaxIndexEntries) + " entries an index may grow to");
    FittedBlock f;
    f.bytes = block.bytes;
    return f;
}

bool FlagsCount(std::uint8_t fileId, Form form) {
    if (form == Form::kPackage) return fileId == kGumps;
    return IsDataFileType(fileId) && FileTypes()[fileId].fixedBlockSize <= 0;
}

const char* StateName(BlockState state) {
    switch (state) {
        case BlockState::kNew: return "new";
        case BlockState::kChanges: return "changes";
        case BlockState::kSame: return "same";
        case BlockState::kRemoves: return "removes";
        case BlockState::kUnfit: return "unfit";
        case BlockState::kUnknown: break;
    }
    return "unknown";
}

JudgedBlock JudgeBlock(std::uint8_t fileId, Form form, std::int32_t n, const BlockData& block,
                       const ClientBlock& client) {
    JudgedBlock j{BlockState::kUnknown, FitBlock(fileId, form, n, block, client)};
    const ByteView mine = j.fitted.bytes;
    if (!j.fitted.Fits()) j.state = BlockState::kUnfit;
    else if (!client.HasData()) j.state = mine.empty() ? BlockState::kSame : BlockState::kNew;
    else if (mine.empty()) j.state = BlockState::kRemoves;
    else
        j.state = std::equal(mine.begin(), mine.end(), client.bytes.begin(), client.bytes.end()) &&
                          (!FlagsCount(fileId, form) || (block.flagA == client.flagA && block.flagB == client.flagB))
                      ? BlockState::kSame
                      : BlockState::kChanges;
    return j;
}
