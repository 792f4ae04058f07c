#include "gamefiles/forms/package.h"

#include <algorithm>
#include <array>
#include <set>
#include <sstream>

#include "codecs/second_stage.h"
#include "codecs/zlib_codec.h"

namespace {
constexpr std::uint64_t kHeaderSize = 40;
constexpr std::uint64_t kTableHeaderSize = 12;
constexpr std::uint64_t kSlotSize = 34;
constexpr std::uint64_t kSlotsPerRead = 1024;
// Deflate cannot expand data more than about 1032 times.
constexpr std::uint64_t kMaxInflateRatio = 1032;

std::string Hex(std::uint64_t v) {
    std::ostringstream s;
    s << "0x" << std::hex << std::uppercase << v;
    return s.str();
}
}  // namespace

bool IsPackageFile(const std::string& path) {
    InputFile f;
    std::array<std::uint8_t, 4> magic{};
    return f.Open(path) && f.Fills(0, magic) && GetLE32(magic.data()) == kPackageMagic;
}

Error Package::Refuse(std::uint64_t offset, const std::string& what) {
    Error refused(file_.Path() + " is not a usable game data package: " + what + " at offset " +
                  std::to_string(offset) + " (" + Hex(offset) + ").");
    file_.Close();
    entries_.clear();
    byHash_.clear();
    tables_.clear();
    return refused;
}

Status Package::Open(const std::string& path) {
    file_.Close();
    entries_.clear();
    byHash_.clear();
    tables_.clear();
    if (Status opened = file_.Open(path); !opened) return opened;
    const auto size = static_cast<std::uint64_t>(file_.Size());
    std::array<std::uint8_t, kHeaderSize> header{};
    if (size < kHeaderSize || !file_.Fills(0, header)) return Refuse(0, "the file is shorter than the 40-byte header");
    if (GetLE32(&header[0]) != kPackageMagic) return Refuse(0, "the magic \"MYP\\0\" is missing");
    version_ = GetLE32(&header[4]);
    capacity_ = GetLE32(&header[20]);
    if (version_ != 4 && version_ != 5) return Refuse(4, "unknown version " + std::to_string(version_));
    if (Status read = ReadTables(GetLE64(&header[12])); !read) return read;
    return IndexByHash();
}

// Follows the chain of tables from the header's link.
Status Package::ReadTables(std::uint64_t first) {
    const auto size = static_cast<std::uint64_t>(file_.Size());
    std::set<std::uint64_t> visited;
    std::uint64_t link = 12;
    for (std::uint64_t table = first; table != 0;) {
        if (table < kHeaderSize || size < kTableHeaderSize || table > size - kTableHeaderSize)
            return Refuse(link, "the table offset " + std::to_string(table) + " lies outside the file");
        if (!visited.insert(table).second)
            return Refuse(link, "the table chain loops back to the table at " + std::to_string(table));
        if (Status read = ReadTable(table); !read) return read;
        std::array<std::uint8_t, 8> next{};
        if (!file_.Fills(static_cast<std::int64_t>(table + 4), next)) return Refuse(table, "a read failed");
        link = table + 4;
        table = GetLE64(next.data());
    }
    return {};
}

// Orders the entries by name hash, each hash once.
Status Package::IndexByHash() {
    byHash_.resize(entries_.size());
    for (std::uint32_t i = 0; i < byHash_.size(); ++i) byHash_[i] = i;
    std::sort(byHash_.begin(), byHash_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return entries_[a].hash != entries_[b].hash ? entries_[a].hash < entries_[b].hash : a < b;
    });
    for (std::size_t i = 1; i < byHash_.size(); ++i)
        if (entries_[byHash_[i]].hash == entries_[byHash_[i - 1]].hash)
            return Refuse(entries_[byHash_[i]].slotOffset + 20,
                          "the name hash " + Hex(entries_[byHash_[i]].hash) + " occurs twice");
    return {};
}

Status Package::ReadTable(std::uint64_t table) {
    const auto size = static_cast<std::uint64_t>(file_.Size());
    std::array<std::uint8_t, 4> countBytes{};
    if (!file_.Fills(static_cast<std::int64_t>(table), countBytes)) return Refuse(table, "a read failed");
    const std::uint64_t slots = GetLE32(countBytes.data());
    if (slots > (size - table - kTableHeaderSize) / kSlotSize)
        return Refuse(table, std::to_string(slots) + " slots run past the end of the file");
    tables_.push_back({table, static_cast<std::uint32_t>(slots)});

    std::vector<std::uint8_t> raw;
    for (std::uint64_t first = 0; first < slots; first += kSlotsPerRead) {
        const std::uint64_t count = std::min(kSlotsPerRead, slots - first);
        const std::uint64_t at = table + kTableHeaderSize + first * kSlotSize;
        raw.resize(count * kSlotSize);
        if (!file_.Fills(static_cast<std::int64_t>(at), raw)) return Refuse(at, "a read failed");
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* p = raw.data() + i * kSlotSize;
            PackageEntry e;
            e.slotOffset = at + i * kSlotSize;
            e.offset = GetLE64(p);
            if (e.offset == 0) continue;  // empty slot, also inside the counted range
            e.headerLength = GetLE32(p + 8);
            e.storedSize = GetLE32(p + 12);
            e.decodedSize = GetLE32(p + 16);
            e.hash = GetLE64(p + 20);
            e.flag = GetLE16(p + 32);
            if (e.offset < kHeaderSize || e.offset > size ||
                static_cast<std::uint64_t>(e.headerLength) + e.storedSize > size - e.offset)
                return Refuse(e.slotOffset, "the entry at " + std::to_string(e.offset) + " runs past the end of the file");
            if (e.decodedSize > kPackageMaxEntry)
                return Refuse(e.slotOffset + 16, "a decoded size of " + std::to_string(e.decodedSize) + " bytes is over 64 MiB");
            if (e.flag == 0 && e.storedSize != e.decodedSize)
                return Refuse(e.slotOffset + 12, "a stored entry's stored and decoded sizes differ");
            entries_.push_back(e);
        }
    }
    return {};
}

const PackageEntry* Package::Find(std::uint64_t hash) const {
    const auto it = std::lower_bound(byHash_.begin(), byHash_.end(), hash,
                                     [&](std::uint32_t i, std::uint64_t h) { return entries_[i].hash < h; });
    return it != byHash_.end() && entries_[*it].hash == hash ? &entries_[*it] : nullptr;
}

Result<Bytes> Package::Read(const PackageEntry& entry) const {
    const Error readFailed("a read failed");
    const auto start = static_cast<std::int64_t>(entry.offset + entry.headerLength);
    if (entry.flag == 0) {
        Bytes stored(entry.storedSize);
        if (!file_.Fills(start, stored)) return readFailed;
        return stored;
    }
    if (entry.flag != 1 && entry.flag != 3) return Error("unsupported compression flag " + std::to_string(entry.flag));
    if (entry.decodedSize > kMaxInflateRatio * entry.storedSize)
        return Error("the zlib stream is too short for " + std::to_string(entry.decodedSize) + " bytes");

    // The stored bytes are pulled in pieces: only the decoded size is held whole.
    std::array<std::uint8_t, 65536> piece;  // filled by each read; not cleared
    std::int64_t at = start;
    const std::int64_t end = start + entry.storedSize;
    bool failed = false;
    const InputPull pull = [&]() -> ByteView {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(end - at, piece.size()));
        if (want == 0) return {};
        const Result<std::size_t> got = file_.ReadAt(at, std::span(piece.data(), want));
        if (!got || *got == 0) {
            failed = true;
            return {};
        }
        at += static_cast<std::int64_t>(*got);
        return ByteView(piece.data(), *got);
    };
    Result<Bytes> inflated = InflateExact(pull, entry.decodedSize);
    if (failed) return readFailed;
    if (!inflated || entry.flag == 1) return inflated;
    return UndoSecondStage(std::move(*inflated));
}
