// Baking into a game data package: the input describes a package (its kind,
// version, table size, entries with every compression flag, empty slots)
// and a patch. The bake succeeds; the package it writes reads back as the
// client's with the patch over it, but the blocks reported as left out, and
// every entry the patch does not touch is stored as it was.
#include <filesystem>
#include <map>

#include "codecs/file_ids.h"
#include "fuzz_support.h"
#include "gamefiles/bake.h"
#include "gamefiles/block_fit.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "io/binary_io.h"

namespace fs = std::filesystem;

namespace {
struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t Next() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    int Pick(int n) { return Next() % n; }
    Bytes Some(std::size_t most) {
        Bytes b(static_cast<std::size_t>(Pick(static_cast<int>(most) + 1)));
        for (auto& x : b) x = Next();
        return b;
    }
};

struct Kind {
    std::uint8_t fileId;
    const char* name;
};
constexpr Kind kKinds[] = {{kArt, "artLegacyMUL.uop"}, {kGumps, "gumpartLegacyMUL.uop"}, {kSound, "soundLegacyMUL.uop"},
                           {kMultis, "MultiCollection.uop"}, {kMap, "map0LegacyMUL.uop"}};

Bytes Payload(Input& in, std::uint8_t fileId, std::uint32_t index) {
    if (fileId == kMap) {
        Bytes chunk(std::size_t{kMapBlocksPerChunk} * kMapBlockSize, 0);
        const Bytes some = in.Some(64);
        std::copy(some.begin(), some.end(), chunk.begin());
        return chunk;
    }
    if (fileId == kMultis) return MultiBlockToRecord(static_cast<std::int32_t>(index), Bytes(16 * std::size_t{in.Next() % 3u}, in.Next()));
    Bytes payload = in.Some(24);
    if (fileId == kGumps) payload.insert(payload.begin(), {std::uint8_t(1 + in.Pick(9)), 0, 0, 0, std::uint8_t(1 + in.Pick(9)), 0, 0, 0});
    return payload;
}

Bytes Stored(const Bytes& file, const PackageEntry& e) {
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(e.offset),
                 file.begin() + static_cast<std::ptrdiff_t>(e.offset + e.headerLength + e.storedSize));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path home = fs::path(ScratchFile("bake-home", nullptr, 0)).parent_path() / "bake";
    const fs::path client = home / "client", out = home / "out";
    fs::remove_all(home);
    fs::create_directories(client);
    Input in{data, size};
    const Kind kind = kKinds[in.Pick(std::size(kKinds))];
    const std::string path = (client / kind.name).string();
    PackageWriter writer;
    FUZZ_CHECK(writer.Open(path, in.Pick(2) ? 4 : 5, 1 + in.Pick(4)));
    const int entries = kind.fileId == kMap ? 1 : 1 + in.Pick(10);
    for (int i = 0; i < entries; ++i) {
        if (in.Pick(4) == 0) writer.AddEmptySlot();
        if (i > 0 && in.Pick(5) == 0) continue;  // no entry for block i
        const std::uint16_t flags[] = {0, 1, 3};
        writer.Add(LegacyName(SchemeOfFileId(kind.fileId)->formats[0], static_cast<std::uint32_t>(i)),
                   Payload(in, kind.fileId, static_cast<std::uint32_t>(i)), flags[in.Pick(3)]);
    }
    FUZZ_CHECK(writer.Commit());

    Patch patch;
    for (int n = 1 + in.Pick(6); n > 0; --n) {
        const int number = kind.fileId == kMap ? in.Pick(8) * 600 : in.Pick(entries + 3);
        Bytes bytes = kind.fileId == kMap && in.Pick(4) ? Bytes(kMapBlockSize, in.Next()) : in.Some(40);
        if (kind.fileId == kMultis && in.Pick(3)) bytes.resize(bytes.size() / 16 * 16);
        const auto flagA = static_cast<std::int16_t>(in.Pick(3)), flagB = static_cast<std::int16_t>(in.Pick(3));
        patch.Append(kind.fileId, number, std::move(bytes), flagA, flagB);
    }
    const Result<BakeReport> report = Bake(patch, client.string(), out.string());
    FUZZ_CHECK(report);

    // The package as written, or the client's where the bake changed nothing.
    const fs::path written = fs::exists(out / kind.name) ? out : client;
    Package a, b;
    FUZZ_CHECK(a.Open(path) && b.Open((written / kind.name).string()));
    std::map<std::int32_t, const PatchBlock*> mine;
    patch.ForEachLive(kind.fileId, [&](const PatchBlock& p) { mine[p.number] = &p; });
    // A patch that removes every entry leaves an empty package.
    if (b.Entries().empty()) {
        const std::vector<const PackageEntry*> had = EntriesByIndex(a, *SchemeOfFileId(kind.fileId));
        for (std::size_t i = 0; i < had.size(); ++i)
            FUZZ_CHECK(!had[i] || (mine.count(static_cast<std::int32_t>(i)) && mine[static_cast<std::int32_t>(i)]->bytes.empty()));
        return 0;
    }
    const Result<ClientFolder> before = ClientFolder::Open(client.string()), after = ClientFolder::Open(written.string());
    FUZZ_CHECK(before && after);
    ClientBlocks was, is;
    FUZZ_CHECK(was.Open(*before, kind.fileId, Form::kPackage, false));
    FUZZ_CHECK(is.Open(*after, kind.fileId, Form::kPackage, false));
    for (std::int32_t n = 0; n <= std::max(was.Highest(), is.Highest()); ++n) {
        const auto patched = mine.find(n);
        const bool leftOut = std::any_of(report->leftOut.begin(), report->leftOut.end(),
                                         [&](const LeftOutBlock& b) { return b.block == n; });
        if (patched != mine.end() && !leftOut) {
            FUZZ_CHECK(JudgeBlock(kind.fileId, Form::kPackage, n, BlockData::Of(*patched->second), is.Block(n)).state ==
                       BlockState::kSame);
            continue;
        }
        const ClientBlock old = was.Block(n);
        const Bytes expected(old.bytes.begin(), old.bytes.end());
        const std::pair flags(old.flagA, old.flagB);
        const ClientBlock now = is.Block(n);
        FUZZ_CHECK(Bytes(now.bytes.begin(), now.bytes.end()) == expected);
        FUZZ_CHECK(expected.empty() || !FlagsCount(kind.fileId, Form::kPackage) || std::pair(now.flagA, now.flagB) == flags);
    }
    const Result<Bytes> x = ReadWholeFile(path), y = ReadWholeFile((written / kind.name).string());
    FUZZ_CHECK(x && y);
    const std::vector<const PackageEntry*> byIndex = EntriesByIndex(a, *SchemeOfFileId(kind.fileId));
    for (std::size_t i = 0; i < byIndex.size(); ++i) {
        const bool touched = std::any_of(mine.begin(), mine.end(), [&](const auto& m) {
            return static_cast<std::size_t>(kind.fileId == kMap ? m.first / kMapBlocksPerChunk : m.first) == i;
        });
        if (!byIndex[i] || touched) continue;
        const PackageEntry* e = b.Find(byIndex[i]->hash);
        FUZZ_CHECK(e && e->flag == byIndex[i]->flag && Stored(*y, *e) == Stored(*x, *byIndex[i]));
    }
    return 0;
}
