// What the client has and what a patch block does to it: the client folder,
// its blocks in every form, the client's verdata over them, fitting and states.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "codecs/file_ids.h"
#include "codecs/hues.h"
#include "gamefiles/block_fit.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/client_folder.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/verdata.h"
#include "test_support.h"

namespace {
B Filled(std::size_t n, std::uint8_t seed) {
    B b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 13 + i / 251);
    return b;
}

// n bytes of b from `at`, then `zeros` zero bytes.
B Part(const B& b, std::size_t at, std::size_t n, std::size_t zeros = 0) {
    B out(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
    out.resize(n + zeros);
    return out;
}

void WritePackage(const std::string& path, std::uint8_t fileId, const std::vector<B>& payloads) {
    PackageWriter w;
    ASSERT_TRUE(Ok(w.Open(path, 5, 4)));
    for (std::uint32_t i = 0; i < payloads.size(); ++i) w.Add(LegacyName(SchemeOfFileId(fileId)->formats[0], i), payloads[i], 1);
    ASSERT_TRUE(Ok(w.Commit()));
}
}  // namespace

TEST(ClientFolder, FindsUsualNamesInAnyCaseAndRefusesClashesAndEntriesThatAreNoFiles) {
    TempDir dir;
    for (const char* name : {"ART.MUL", "artIdx.mul", "Gumpart.mul", "ReadMe.txt", "gumpartlegacymul.UOP", "other.mul"})
        WriteText(dir / name, "x");
    const Result<ClientFolder> folder = ClientFolder::Open(dir.path());
    ASSERT_TRUE(Ok(folder));
    EXPECT_EQ(folder->Files(kArt).index->name, "artIdx.mul");
    EXPECT_EQ(std::tuple(folder->ShownForm(kArt), folder->ShownForm(kGumps), folder->ShownForm(kStatics)),
              std::tuple(std::optional(Form::kIndexed), std::optional(Form::kPackage), std::optional<Form>()));
    // Half a pair is no data-file form; the messages name the other half.
    EXPECT_EQ(std::pair(folder->Has(kGumps, Form::kIndexed), folder->MissingFiles(kGumps)),
              std::pair(false, std::vector<std::string>{"gumpidx.mul"}));
    ClientBlocks half;
    EXPECT_EQ(Why(half.Open(*folder, kGumps, Form::kIndexed, true)),
              "The client folder '" + dir.path().string() + "' lacks gumpidx.mul.");
    EXPECT_EQ(std::tuple(folder->SpellingOf("readme.txt"), folder->SpellingOf("client.exe"), folder->WholeFile(1)->name),
              std::tuple("ReadMe.txt", "client.exe", "ReadMe.txt"));

    WriteText(dir / "art.mul", "y");
    const std::string clash = Why(ClientFolder::Open(dir.path()));
    EXPECT_TRUE(Has(clash, "'ART.MUL'") && Has(clash, "'art.mul'")) << clash;
    std::filesystem::remove(dir / "art.mul");
    std::filesystem::create_symlink(dir / "other.mul", dir / "HUES.mul");  // a link to a file is followed
    EXPECT_TRUE(Ok(ClientFolder::Open(dir.path())));
    std::filesystem::create_directory(dir / "anim.idx");
    EXPECT_EQ(Why(ClientFolder::Open(dir.path())),
              "'" + (dir / "anim.idx") + "' is not a regular file, though it bears the name of a client file.");
}

// Every state and every reason a block does not fit, against data files
// (with and without the client's verdata), fixed-size and grouped files,
// hues, whole files and packages.
TEST(ClientBlocks, JudgeEveryPatchBlockAgainstWhatTheClientHasInEachForm) {
    TempDir old, pkg;
    // Art: data, absent, offset < 0, data past the end; block 4 past the index.
    WriteText(old / "Art.MUL", "AAAAxx");
    WriteFileBytes(old / "ARTIDX.mul", IndexBytes({{0, 4, 0x00020001}, {-1, -1, -1}, {-5, 4, 0}, {2, 10, 0}}));
    const B map = Filled(2 * 196 + 100, 1), hues = Filled(2 * 708, 2), older = Filled(512 * 836 + 1188, 3),
            newer = Filled(512 * 964 + 1316, 4), client = Filled(70, 5);
    WriteFileBytes(old / "MAP0.mul", map);  // ends inside slot 2
    WriteFileBytes(old / "hues.mul", hues);
    WriteFileBytes(old / "tiledata.mul", older);
    WriteFileBytes(old / "ReadMe.txt", client);
    HuesBlock otherGroup;
    std::copy_n(Filled(708, 9).begin(), 708, otherGroup.begin());
    const VerdataHuesBlock otherHues = ToVerdataHues(otherGroup);
    const B mapOver = Filled(196, 6), ownHues = HuesToVerdataBytes(hues);  // hue group 0 with a header of 0
    ASSERT_TRUE(Ok(WriteVerdata(old / "verdata.mul", PatchOf({{kArt, 1, {'V', 'V'}, 7, 8}, {kArt, 0, {}},
                                                                {kMap, 1, mapOver}, {kMap, 0, B(100, 1)},
                                                                {kHues, 0, B(otherHues.begin(), otherHues.end())}}))));
    // Packages beside a gump pair, which they win over.
    B gump = {2, 0, 0, 0, 3, 0, 0, 0, 'G', 'G', 'G', 'G'};
    WritePackage(pkg / "gumpartLegacyMUL.uop", kGumps, {gump});
    WriteText(pkg / "gumpart.mul", "ZZZZ");
    WriteFileBytes(pkg / "gumpidx.mul", IndexBytes({{0, 4, 0x00020003}}));
    const B chunk = Filled(3 * 196, 7);
    WritePackage(pkg / "Map0LegacyMUL.uop", kMap, {chunk});
    // Multi 0: one tile with bit 0x0100 and an id list.
    WritePackage(pkg / "MultiCollection.uop", kMultis, {HexBytes("00 00 00 00 01 00 00 00 05 00 01 00 02 00 03 00 00 01 01 00 00 00 4D 00 00 00")});
    WriteFileBytes(pkg / "tiledata.mul", newer);
    const B row = HexBytes("05 00 01 00 02 00 03 00 05 00 00 00 09 00 00 00");  // flag 5 and extra 9 read back as 1 and 1

    struct Case {
        TempDir* dir;
        bool verdata;
        std::uint8_t fileId;
        std::int32_t n;
        B bytes;
        std::int16_t flagA, flagB;
        BlockState state;
        std::string source;
        Unfit unfit = Unfit::kFits;
    };
    const B slot0 = Part(map, 0, 196), land0 = Part(older, 0, 836), static0 = Part(newer, 512 * 964, 1316);
    const auto S = [](const char* text) { return B(text, text + std::strlen(text)); };
    const std::vector<Case> cases = {
        {&old, false, kArt, 0, S("AAAA"), 1, 2, BlockState::kSame, "Art.MUL"},
        {&old, false, kArt, 0, S("AAAA"), 1, 3, BlockState::kChanges, "Art.MUL"},  // the index keeps flags
        {&old, false, kArt, 0, {}, 0, 0, BlockState::kRemoves, "Art.MUL"},
        {&old, false, kArt, 1, {}, 0, 0, BlockState::kSame, "Art.MUL"},
        {&old, false, kArt, 2, S("Q"), 0, 0, BlockState::kNew, "Art.MUL"},
        {&old, false, kArt, 3, S("Q"), 0, 0, BlockState::kNew, "Art.MUL"},
        {&old, false, kArt, 4, S("Q"), 0, 0, BlockState::kNew, "Art.MUL"},
        {&old, true, kArt, 0, S("AAAA"), 1, 2, BlockState::kNew, "verdata.mul"},
        {&old, true, kArt, 1, S("VV"), 7, 8, BlockState::kSame, "verdata.mul"},
        {&old, true, kMap, 0, slot0, 5, 5, BlockState::kSame, "MAP0.mul"},  // no flags; the unfit verdata block is not applied
        {&old, true, kMap, 1, mapOver, 0, 0, BlockState::kSame, "verdata.mul"},
        {&old, false, kMap, 2, Part(map, 392, 100, 96), 0, 0, BlockState::kChanges, "MAP0.mul"},
        {&old, false, kMap, 3, slot0, 0, 0, BlockState::kUnfit, "MAP0.mul", Unfit::kPastEnd},
        {&old, false, kMap, 0, B(100, 1), 0, 0, BlockState::kUnfit, "MAP0.mul", Unfit::kSlotSize},
        {&old, false, kMap, 0, {}, 0, 0, BlockState::kUnfit, "MAP0.mul", Unfit::kNoData},
        {&old, false, kTiledata, 0, land0, 0, 0, BlockState::kSame, "tiledata.mul"},
        {&old, false, kTiledata, 0, B(964, 0), 0, 0, BlockState::kUnfit, "tiledata.mul", Unfit::kOtherLayout},
        {&old, false, kHues, 0, ownHues, 0, 0, BlockState::kSame, "hues.mul"},  // the client's header stays
        {&old, true, kHues, 0, ownHues, 0, 0, BlockState::kChanges, "verdata.mul"},
        {&old, false, kHues, 1, Part(hues, 708, 708), 0, 0, BlockState::kUnfit, "hues.mul", Unfit::kHueSize},
        {&old, true, kFiles, 1, client, 0, 0, BlockState::kSame, "ReadMe.txt"},
        {&old, false, kFiles, 0, S("exe"), 0, 0, BlockState::kNew, ""},
        {&old, false, kFiles, 3, S("exe"), 0, 0, BlockState::kUnfit, "", Unfit::kNoWholeFile},
        {&pkg, true, kGumps, 0, S("GGGG"), 3, 2, BlockState::kSame, "gumpartLegacyMUL.uop"},
        {&pkg, true, kGumps, 0, S("GGGG"), 3, 5, BlockState::kChanges, "gumpartLegacyMUL.uop"},
        {&pkg, true, kGumps, 1, S("GGGG"), 3, 0, BlockState::kUnfit, "gumpartLegacyMUL.uop", Unfit::kEmptyGump},
        {&pkg, true, kMap, 2, Part(chunk, 392, 196), 0, 0, BlockState::kSame, "Map0LegacyMUL.uop"},
        {&pkg, true, kMap, 3, Part(chunk, 392, 196), 0, 0, BlockState::kUnfit, "Map0LegacyMUL.uop", Unfit::kPastEnd},
        {&pkg, true, kMultis, 0, row, 0, 0, BlockState::kSame, "MultiCollection.uop"},
        {&pkg, true, kMultis, 1, B(20, 1), 0, 0, BlockState::kUnfit, "MultiCollection.uop", Unfit::kMultiRows},
        {&pkg, true, kTiledata, 512, static0, 0, 0, BlockState::kSame, "tiledata.mul"},
        {&pkg, true, kTiledata, 0, B(836, 0), 0, 0, BlockState::kUnfit, "tiledata.mul", Unfit::kOtherLayout},
    };
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.fileId) + "/" + std::to_string(c.n) + (c.verdata ? " over verdata" : ""));
            const Result<ClientFolder> folder = ClientFolder::Open(c.dir->path());
            ASSERT_TRUE(Ok(folder));
            const Form form = *folder->ShownForm(c.fileId);
            ClientBlocks blocks;
            ASSERT_TRUE(Ok(blocks.Open(*folder, c.fileId, form, c.verdata)));
            const ClientBlock have = blocks.Block(c.n);
            const JudgedBlock judged = JudgeBlock(c.fileId, form, c.n, {c.bytes, c.flagA, c.flagB}, have);
            EXPECT_EQ(std::tuple(std::string(StateName(judged.state)), std::string(have.source), judged.fitted.unfit),
                      std::tuple(std::string(StateName(c.state)), c.source, c.unfit))
                << judged.fitted.why;
            EXPECT_EQ(judged.fitted.why.empty(), judged.fitted.Fits());
            EXPECT_EQ(have.damaged, c.fileId == kArt && !c.verdata && (c.n == 2 || c.n == 3));
            // A hue block as its group keeps it: the entries, without the group's header.
            if (c.fileId == kHues && c.n == 0) {
                EXPECT_EQ(B(judged.fitted.bytes.begin(), judged.fitted.bytes.end()), HueBlockOfGroup(Part(hues, 0, 708)));
            }
        }
    }
}
