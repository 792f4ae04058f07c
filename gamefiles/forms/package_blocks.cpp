#include "gamefiles/forms/package_blocks.h"

#include <algorithm>

#include "patch/file_types.h"
#include "io/read_budget.h"

namespace {
constexpr char kHousingName[] = "build/multicollection/housing.bin";
}  // namespace

ShippedShape ShippedShapeOf(std::uint8_t fileId) {
    switch (fileId) {
    case kMultis: return {4, kZlibEntry};
    case kGumps:
    case kSound: return {4, kStoredEntry};
    default: return {5, kStoredEntry};
    }
}

std::vector<std::string> EntriesBeyondBlocks(std::uint8_t fileId) {
    if (fileId == kMultis) return {kHousingName};
    return {};
}

std::vector<const PackageEntry*> EntriesByIndex(const Package& package, const LegacyScheme& scheme) {
    std::vector<const PackageEntry*> byIndex;
    // Names are tried until every entry was found: most packages end long
    // before the scheme's last index.
    std::vector<bool> found(package.Entries().size());
    std::size_t unfound = found.size();
    for (std::uint32_t i = 0; i <= scheme.lastIndex && unfound > 0; ++i)
        for (const std::string& format : scheme.formats)
            if (const PackageEntry* e = package.Find(PackageNameHash(LegacyName(format, i)))) {
                byIndex.resize(i + 1, nullptr);
                byIndex[i] = e;
                const auto at = static_cast<std::size_t>(e - package.Entries().data());
                unfound -= !found[at];
                found[at] = true;
                break;
            }
    return byIndex;
}

std::vector<std::string> KnownEntryNames(const Package& package) {
    std::vector<std::string> names(package.Entries().size());
    auto name = [&](const std::string& text) {
        if (const PackageEntry* e = package.Find(PackageNameHash(text)))
            names[static_cast<std::size_t>(e - package.Entries().data())] = text;
    };
    if (package.Entries().empty()) return names;
    name(kHousingName);
    for (const LegacyScheme& s : LegacySchemes())
        for (std::uint32_t i = 0; i <= s.lastIndex; ++i)
            for (const std::string& format : s.formats) name(LegacyName(format, i));
    return names;
}

namespace {
// Whether one of the scheme's names names an entry: the first found ends the search.
bool NamesAnEntry(const Package& package, const LegacyScheme& scheme) {
    if (package.Entries().empty()) return false;
    for (std::uint32_t i = 0; i <= scheme.lastIndex; ++i)
        for (const std::string& format : scheme.formats)
            if (package.Find(PackageNameHash(LegacyName(format, i)))) return true;
    return false;
}
}  // namespace

std::optional<std::uint8_t> FileIdOfPackage(const std::string& path, std::optional<std::uint8_t> likely) {
    Package package;
    if (!package.Open(path)) return std::nullopt;
    // A scheme that names nothing is hashed through to its last index: the likely one goes first.
    if (likely)
        if (const LegacyScheme* s = SchemeOfFileId(*likely); s && NamesAnEntry(package, *s)) return likely;
    for (const LegacyScheme& s : LegacySchemes())
        if (s.fileId >= 0 && NamesAnEntry(package, s)) return static_cast<std::uint8_t>(s.fileId);
    return std::nullopt;
}

Result<Bytes> MultiRecordToBlock(ByteView record) {
    if (record.size() < 8) return Error("the multi record is shorter than its 8-byte head");
    const std::uint32_t tiles = GetLE32(record.data() + 4);
    if (tiles > (record.size() - 8) / 14) return Error("the multi record claims more tiles than it holds");
    Bytes out;
    out.reserve(static_cast<std::size_t>(tiles) * kMultiRowSize);
    std::size_t at = 8;
    for (std::uint32_t t = 0; t < tiles; ++t) {
        if (record.size() - at < 14) return Error("a multi tile runs past the end of the record");
        const std::uint8_t* p = record.data() + at;
        const std::uint16_t flags = GetLE16(p + 8);
        const std::uint32_t ids = GetLE32(p + 10);
        if (ids > (record.size() - at - 14) / 4) return Error("a multi tile's id list runs past the end of the record");
        std::uint8_t row[kMultiRowSize] = {};
        std::copy(p, p + 8, row);  // item, x, y, z
        PutLE32(row + 8, (flags & 0x0001) ? 0 : 1);
        PutLE32(row + 12, (flags & 0x0100) ? 1 : 0);
        out.insert(out.end(), row, row + kMultiRowSize);
        at += 14 + static_cast<std::size_t>(ids) * 4;
    }
    return out;
}

Result<SourceBlock> BlockOfPayload(std::uint8_t fileId, std::int32_t n, Bytes payload) {
    SourceBlock block;
    Bytes bytes;
    if (fileId == kGumps) {
        if (payload.size() < 8) return Error("the gump entry is shorter than its width and height");
        const auto width = static_cast<std::int32_t>(GetLE32(payload.data()));
        const auto height = static_cast<std::int32_t>(GetLE32(payload.data() + 4));
        if (width > 0xFFFF || height > 0xFFFF) return Error("the gump is larger than 65535 pixels");
        if (width <= 0 || height <= 0 || payload.size() == 8) return block;  // a placeholder without a picture
        bytes.assign(payload.begin() + 8, payload.end());
        block.flagA = static_cast<std::int16_t>(height);
        block.flagB = static_cast<std::int16_t>(width);
    } else if (fileId == kMultis) {
        Result<Bytes> rows = MultiRecordToBlock(payload);
        if (!rows) return rows.error();
        bytes = std::move(*rows);
    } else {
        bytes = std::move(payload);
        if (fileId == kSound) {
            block.flagA = static_cast<std::int16_t>((n + 1) & 0xFFFF);
            block.flagB = static_cast<std::int16_t>((n + 1) >> 16);
        }
    }
    if (bytes.empty()) return SourceBlock{};
    block.length = static_cast<std::int32_t>(bytes.size());
    block.bytes = BlockBytes::CopyOf(bytes);
    return block;
}

Bytes PayloadOfBlock(std::uint8_t fileId, std::int32_t n, ByteView bytes, std::int16_t flagA, std::int16_t flagB) {
    if (fileId == kMultis) return MultiBlockToRecord(n, bytes);
    const std::size_t prefix = fileId == kGumps ? 8 : 0;
    Bytes payload(prefix + bytes.size());
    if (fileId == kGumps) {
        PutLE32(&payload[0], static_cast<std::uint16_t>(flagB));  // width
        PutLE32(&payload[4], static_cast<std::uint16_t>(flagA));  // height
    }
    std::copy(bytes.begin(), bytes.end(), payload.begin() + static_cast<std::ptrdiff_t>(prefix));
    return payload;
}

Bytes MultiBlockToRecord(std::int32_t id, ByteView rows) {
    const std::size_t tiles = rows.size() / kMultiRowSize;
    Bytes out(8 + tiles * 14);
    PutLE32(out.data(), static_cast<std::uint32_t>(id));
    PutLE32(out.data() + 4, static_cast<std::uint32_t>(tiles));
    for (std::size_t t = 0; t < tiles; ++t) {
        const std::uint8_t* row = rows.data() + t * kMultiRowSize;
        std::uint8_t* tile = out.data() + 8 + t * 14;
        std::copy(row, row + 8, tile);  // item, x, y, z
        PutLE16(tile + 8, static_cast<std::uint16_t>((GetLE32(row + 8) == 0 ? 0x0001 : 0) |
                                                     (GetLE32(row + 12) != 0 ? 0x0100 : 0)));
    }
    return out;
}

Status PackageBlocks::Open(const std::string& path, std::uint8_t fileId) {
    fileId_ = fileId;
    byIndex_.clear();
    highest_ = -1;
    chunkIndex_ = -1;
    const LegacyScheme* scheme = SchemeOfFileId(fileId);
    if (!scheme) return Error("File ID " + std::to_string(fileId) + " cannot be imported from a game data package.");
    if (Status opened = package_.Open(path); !opened) return opened;
    byIndex_ = EntriesByIndex(package_, *scheme);
    if (byIndex_.empty()) {
        for (const LegacyScheme& other : LegacySchemes())
            if (&other != scheme && !EntriesByIndex(package_, other).empty())
                return Error(path + " is a game data package of " + other.kind + ", not of " + scheme->kind + ".");
        return Error(path + " holds no legacy blocks.");
    }
    budget_ = ReadBudget(package_.Path(), package_.Size(), ReadBudget::kPackageFactor);
    spent_.reset();
    taken_.assign(byIndex_.size(), false);
    const auto last = static_cast<std::int32_t>(byIndex_.size()) - 1;
    if (fileId != kMap) {
        highest_ = last;
    } else {
        const PackageEntry& e = *byIndex_.back();
        const std::int32_t blocks =
            e.flag == 3 ? kMapBlocksPerChunk
                        : std::min<std::int32_t>(kMapBlocksPerChunk, static_cast<std::int32_t>(e.decodedSize / kMapBlockSize));
        highest_ = last * kMapBlocksPerChunk + std::max(blocks, 1) - 1;
    }
    return {};
}

Status PackageBlocks::Reserve(std::int32_t first, std::int32_t last) {
    // A map chunk holds many blocks; other entries one each.
    const std::int32_t per = fileId_ == kMap ? kMapBlocksPerChunk : 1;
    const std::int32_t low = std::max(first, 0), high = std::min(last, highest_);
    std::int64_t declared = 0;
    for (std::int32_t i = low / per; high >= low && i <= high / per; ++i)
        if (const PackageEntry* e = byIndex_[static_cast<std::size_t>(i)]) declared += e->decodedSize;
    return ReadBudget(package_.Path(), package_.Size(), ReadBudget::kPackageFactor).Take(declared);
}

Status PackageBlocks::Take(std::size_t index) {
    if (taken_[index] || !byIndex_[index]) return {};
    taken_[index] = true;
    Status taken = budget_.Take(byIndex_[index]->decodedSize);
    if (!taken && !spent_) spent_ = taken.error();
    return taken;
}

Status PackageBlocks::ReserveBlocks(std::span<const std::int32_t> numbers) {
    const std::int32_t per = fileId_ == kMap ? kMapBlocksPerChunk : 1;
    for (const std::int32_t n : numbers)
        if (n >= 0 && n <= highest_)
            if (Status taken = Take(static_cast<std::size_t>(n / per)); !taken) return taken;
    return {};
}

Result<SourceBlock> PackageBlocks::Load(std::int32_t n) {
    if (n < 0 || n > highest_) return SourceBlock{};
    if (fileId_ == kMap) return MapBlock(n);
    if (!byIndex_[static_cast<std::size_t>(n)]) return SourceBlock{};
    if (Status taken = Take(static_cast<std::size_t>(n)); !taken) return taken.error();
    return Decode(n);
}

Result<SourceBlock> PackageBlocks::Decode(std::int32_t n) const {
    const PackageEntry* entry = n < 0 || n > highest_ ? nullptr : byIndex_[static_cast<std::size_t>(n)];
    if (!entry) return SourceBlock{};
    Result<Bytes> payload = package_.Read(*entry);
    Result<SourceBlock> block = payload ? BlockOfPayload(fileId_, n, std::move(*payload)) : payload.error();
    if (!block) return Error("entry " + std::to_string(n) + ": " + block.error().message);
    return block;
}

// 4096 blocks share one entry: the chunk read last is kept.
Result<SourceBlock> PackageBlocks::MapBlock(std::int32_t n) {
    const std::int32_t k = n / kMapBlocksPerChunk;
    if (!byIndex_[static_cast<std::size_t>(k)]) return SourceBlock{};
    if (k != chunkIndex_) {
        if (Status taken = Take(static_cast<std::size_t>(k)); !taken) return taken.error();
        chunkIndex_ = k;
        chunk_.clear();
        chunkError_.clear();
        Result<Bytes> read = package_.Read(*byIndex_[static_cast<std::size_t>(k)]);
        if (read) chunk_ = std::move(*read);
        else chunkError_ = "map chunk " + std::to_string(k) + ": " + read.error().message;
    }
    if (!chunkError_.empty()) return Error(chunkError_);
    const std::size_t at = MapBlockInChunk(n);
    if (at + kMapBlockSize > chunk_.size()) return SourceBlock{};
    // The flags the fixed-size reader of the map file gives.
    return SourceBlock{kMapBlockSize, -1, -1, BlockBytes::CopyOf(ByteView(chunk_).subspan(at, kMapBlockSize))};
}

void PackageBlocks::Show(std::int32_t n, ShownBlock& block) {
    block = {};
    Result<SourceBlock> loaded = Load(n);
    if (!loaded) {
        block.damaged = true;
        return;
    }
    shown_ = std::move(*loaded);
    block.flagA = shown_.flagA;
    block.flagB = shown_.flagB;
    if (shown_.length > 0) block.bytes = shown_.bytes;
    // A map package holds the slots of its chunks' blocks.
    if (fileId_ == kMap && block.HasData()) block.slotSize = kMapBlockSize;
}
