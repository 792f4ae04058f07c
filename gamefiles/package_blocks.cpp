#include "gamefiles/package_blocks.h"

#include <algorithm>

#include "patch/file_types.h"
#include "io/read_budget.h"

namespace {
constexpr char kHousingName[] = "build/multicollection/housing.bin";
}  // namespace

std::vector<const PackageEntry*> EntriesByIndex(const Package& package, const LegacyScheme& scheme) {
    std::vector<const PackageEntry*> byIndex;
    if (package.Entries().empty()) return byIndex;
    for (std::uint32_t i = 0; i <= scheme.lastIndex; ++i)
        for (const std::string& format : scheme.formats)
            if (const PackageEntry* e = package.Find(PackageNameHash(LegacyName(format, i)))) {
                byIndex.resize(i + 1, nullptr);
                byIndex[i] = e;
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

int FileIdOfPackage(const std::string& path) {
    Package package;
    if (!package.Open(path).empty()) return -1;
    for (const LegacyScheme& s : LegacySchemes())
        if (s.fileId >= 0 && !EntriesByIndex(package, s).empty()) return s.fileId;
    return -1;
}

std::string MultiRecordToBlock(ByteView record, Bytes& block) {
    if (record.size() < 8) return "the multi record is shorter than its 8-byte head";
    const std::uint32_t tiles = GetLE32(record.data() + 4);
    if (tiles > (record.size() - 8) / 14) return "the multi record claims more tiles than it holds";
    Bytes out;
    out.reserve(static_cast<std::size_t>(tiles) * 16);
    std::size_t at = 8;
    for (std::uint32_t t = 0; t < tiles; ++t) {
        if (record.size() - at < 14) return "a multi tile runs past the end of the record";
        const std::uint8_t* p = record.data() + at;
        const std::uint16_t flags = GetLE16(p + 8);
        const std::uint32_t ids = GetLE32(p + 10);
        if (ids > (record.size() - at - 14) / 4) return "a multi tile's id list runs past the end of the record";
        std::uint8_t row[16] = {};
        std::copy(p, p + 8, row);  // item, x, y, z
        PutLE32(row + 8, (flags & 0x0001) ? 0 : 1);
        PutLE32(row + 12, (flags & 0x0100) ? 1 : 0);
        out.insert(out.end(), row, row + 16);
        at += 14 + static_cast<std::size_t>(ids) * 4;
    }
    block = std::move(out);
    return "";
}

std::string PackageBlocks::Open(const std::string& path, std::uint8_t fileId) {
    fileId_ = fileId;
    byIndex_.clear();
    highest_ = -1;
    chunkIndex_ = -1;
    const LegacyScheme* scheme = SchemeOfFileId(fileId);
    if (!scheme) return "File ID " + std::to_string(fileId) + " cannot be imported from a game data package.";
    if (std::string e = package_.Open(path); !e.empty()) return e;
    byIndex_ = EntriesByIndex(package_, *scheme);
    if (byIndex_.empty()) {
        for (const LegacyScheme& other : LegacySchemes())
            if (&other != scheme && !EntriesByIndex(package_, other).empty())
                return path + " is a game data package of " + other.kind + ", not of " + scheme->kind + ".";
        return path + " holds no legacy blocks.";
    }
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
    return "";
}

std::string PackageBlocks::Reserve(std::int32_t first, std::int32_t last) const {
    // A map chunk holds many blocks; other entries one each.
    const std::int32_t per = fileId_ == kMap ? kMapBlocksPerChunk : 1;
    const std::int32_t low = std::max(first, 0), high = std::min(last, highest_);
    std::int64_t declared = 0;
    for (std::int32_t i = low / per; high >= low && i <= high / per; ++i)
        if (const PackageEntry* e = byIndex_[static_cast<std::size_t>(i)]) declared += e->decodedSize;
    return ReadBudget(package_.Path(), package_.Size(), ReadBudget::kPackageFactor).Take(declared);
}

std::string PackageBlocks::Load(std::int32_t n, std::int32_t& length, Bytes& data, std::int16_t& flagA,
                                std::int16_t& flagB) {
    length = -1;
    flagA = flagB = 0;
    if (n < 0 || n > highest_) return "";
    if (fileId_ == kMap) {
        const std::int32_t k = n / kMapBlocksPerChunk;
        if (!byIndex_[static_cast<std::size_t>(k)]) return "";
        if (k != chunkIndex_) {
            chunkIndex_ = k;
            chunk_.clear();
            chunkError_ = package_.Read(*byIndex_[static_cast<std::size_t>(k)], chunk_);
            if (!chunkError_.empty()) chunkError_ = "map chunk " + std::to_string(k) + ": " + chunkError_;
        }
        if (!chunkError_.empty()) return chunkError_;
        const std::size_t at = static_cast<std::size_t>(n % kMapBlocksPerChunk) * kMapBlockSize;
        if (at + kMapBlockSize > chunk_.size()) return "";
        data.assign(chunk_.begin() + static_cast<std::ptrdiff_t>(at),
                    chunk_.begin() + static_cast<std::ptrdiff_t>(at + kMapBlockSize));
        length = kMapBlockSize;
        flagA = flagB = -1;  // what the fixed-size reader of the map file gives
        return "";
    }
    const PackageEntry* entry = byIndex_[static_cast<std::size_t>(n)];
    if (!entry) return "";
    Bytes payload;
    std::string e = package_.Read(*entry, payload);
    if (e.empty()) e = ToBlock(n, payload, length, data, flagA, flagB);
    if (!e.empty()) {
        length = -1;
        flagA = flagB = 0;
        return "entry " + std::to_string(n) + ": " + e;
    }
    return "";
}

std::string PackageBlocks::ToBlock(std::int32_t n, Bytes& payload, std::int32_t& length, Bytes& data,
                                   std::int16_t& flagA, std::int16_t& flagB) const {
    Bytes block;
    if (fileId_ == kGumps) {
        if (payload.size() < 8) return "the gump entry is shorter than its width and height";
        const auto width = static_cast<std::int32_t>(GetLE32(payload.data()));
        const auto height = static_cast<std::int32_t>(GetLE32(payload.data() + 4));
        if (width > 0xFFFF || height > 0xFFFF) return "the gump is larger than 65535 pixels";
        if (width <= 0 || height <= 0 || payload.size() == 8) return "";  // a placeholder without a picture
        payload.erase(payload.begin(), payload.begin() + 8);
        block = std::move(payload);
        flagA = static_cast<std::int16_t>(height);
        flagB = static_cast<std::int16_t>(width);
    } else if (fileId_ == kMultis) {
        if (std::string e = MultiRecordToBlock(payload, block); !e.empty()) return e;
    } else {
        block = std::move(payload);
        if (fileId_ == kSound) {
            flagA = static_cast<std::int16_t>((n + 1) & 0xFFFF);
            flagB = static_cast<std::int16_t>((n + 1) >> 16);
        }
    }
    if (block.empty()) {
        flagA = flagB = 0;
        return "";
    }
    length = static_cast<std::int32_t>(block.size());
    data = std::move(block);
    return "";
}
