// save-block and load-block: blocks as pictures, sounds, JSON and raw bytes
// on the command line, and back into the patch.
#include <gtest/gtest.h>

#include <span>

#include "cli_runner.h"
#include "codecs/art.h"
#include "codecs/file_ids.h"
#include "codecs/gump.h"
#include "codecs/wav.h"
#include "io/binary_io.h"
#include "patch/patch_file.h"
#include "test_support.h"

namespace {
std::vector<std::uint16_t> Colors(std::mt19937& rng, std::size_t n, bool holes) {
    std::vector<std::uint16_t> c(n);
    for (std::uint16_t& v : c) v = holes && rng() % 3 == 0 ? 0 : static_cast<std::uint16_t>(1 + rng() % 0x7FFF);
    return c;
}

B ColorBytes(const std::vector<std::uint16_t>& colors) {
    B b;
    for (const std::uint16_t c : colors) PutLE(b, c, 2);
    return b;
}

// The live block of the patch at `path`, with its flags.
BlockFields Live(const std::string& path, std::uint8_t fileId, std::int32_t number) {
    Patch patch;
    EXPECT_TRUE(ReadPatchFile(path, patch).has_value());
    const PatchBlock* b = patch.LiveBlock(fileId, number);
    if (!b) return {fileId, -1, {}};
    return {fileId, number, B(b->bytes.begin(), b->bytes.end()), b->flagA, b->flagB};
}

// An item group of tiledata in the older layout: a header and 32 entries of 37 bytes.
B ItemGroup(std::mt19937& rng) {
    B b = RandomBytes(rng, 4 + 32 * 37);
    for (std::size_t e = 0; e < 32; ++e) {
        std::fill_n(&b[4 + 37 * e + 17], 20, 0);
        for (std::size_t i = 0; i < 1 + e % 7; ++i) b[4 + 37 * e + 17 + i] = static_cast<std::uint8_t>('a' + rng() % 26);
    }
    return b;
}

// Entry `entry`'s name in an older item group set to `name`.
B Renamed(B group, std::size_t entry, const std::string& name) {
    std::fill_n(&group[4 + 37 * entry + 17], 20, 0);
    std::copy(name.begin(), name.end(), &group[4 + 37 * entry + 17]);
    return group;
}
}  // namespace

// Each kind of block goes out in every form its type takes and comes back
// as a new block of a new patch with the same bytes; into a block it
// replaces, it keeps that one's flags and a static its header word.
TEST(BlockFiles, EachKindGoesOutAndComesBackByteForByte) {
    TempDir dir;
    std::mt19937 rng(37);
    B sound = RandomBytes(rng, kSoundHeaderSize + 2 * 999);
    std::fill_n(sound.begin(), kSoundHeaderSize, 0);
    std::copy_n("b12.wav", 7, sound.begin());  // what a new sound from b12.wav is named
    const auto staticColors = Colors(rng, 31 * 17, true);
    const std::vector<BlockFields> blocks = {
        {kArt, 3, EncodeLandTile(Colors(rng, 44 * 44, false))},
        {kArt, 0x4001, EncodeStaticTile(staticColors, 31, 17, 0).value()},
        {kArt, 0x4002, EncodeStaticTile(Colors(rng, 2048 * 2, true), 2048, 2, 0).value()},
        {kTexmaps, 9, ColorBytes(Colors(rng, 64 * 64, false))},
        {kTexmaps, 10, ColorBytes(Colors(rng, 128 * 128, false))},
        {kGumps, 11, EncodeGump(Colors(rng, 13 * 7, true), 13, 7).value(), 7, 13},
        {kSound, 12, sound},
        {kTiledata, 512, ItemGroup(rng)},
        {kStatics, 13, RandomBytes(rng, 7 * 5)},
        {7, 14, RandomBytes(rng, 77)},
        {kArt, 0x4003, EncodeStaticTile(staticColors, 31, 17, 0x0A0B0C0D).value(), 5, 6},
    };
    const std::string patch = dir / "p.uop", fresh = dir / "fresh.uop";
    ASSERT_TRUE(WritePatchFile(patch, PatchOf(blocks)).has_value());
    for (const BlockFields& b : std::span(blocks).first(blocks.size() - 1)) {
        std::vector<std::string> exts = {".dat"};
        if (b.fileId == kArt || b.fileId == kTexmaps || b.fileId == kGumps) exts = {".png", ".bmp", ".dat"};
        if (b.fileId == kSound) exts = {".wav", ".dat"};
        if (b.fileId == kTiledata || b.fileId == kStatics) exts = {".json", ".dat"};
        for (const std::string& ext : exts) {
            const std::string file = dir / ("b" + std::to_string(b.number) + ext);
            const std::string id = std::to_string(b.fileId), n = std::to_string(b.number);
            SCOPED_TRACE(id + " " + n + " " + ext);
            ASSERT_EQ(Cli({"save-block", patch, id, n, file}).code, 0);
            const CliResult loaded = Cli({"load-block", fresh, id, n, file});
            ASSERT_EQ(loaded.code, 0) << loaded.err;
            const BlockFields back = Live(fresh, b.fileId, b.number);
            EXPECT_EQ(back.bytes, b.bytes);
            const bool size = b.fileId == kGumps;  // a gump picture gives its size, which the .dat after it keeps
            EXPECT_EQ(back.flagA, size ? b.flagA : 0);
            EXPECT_EQ(back.flagB, size ? b.flagB : 0);
        }
    }
    ASSERT_EQ(Cli({"load-block", patch, "art", "0x4003", dir / "b16385.png"}).code, 0);
    const BlockFields replaced = Live(patch, kArt, 0x4003);
    EXPECT_EQ(std::tuple(replaced.bytes, replaced.flagA, replaced.flagB), std::tuple(blocks.back().bytes, blocks.back().flagA, blocks.back().flagB));
    // The reports say what was written; the JSON names the keys that apply.
    EXPECT_EQ(Cli(dir, "save-block @p.uop art 0x4001 @item.png").out,
              "Wrote block 16385 of Art to " + dir / "item.png" + " (31x17 pixels, " +
                  std::to_string(blocks[1].bytes.size()) + " bytes).\n");
    EXPECT_EQ(Cli(dir, "--json load-block @p.uop sound 12 @b12.wav").out,
              "{\n    \"block\": 12,\n    \"bytes\": 2038,\n    \"converted\": \"\",\n    \"fileId\": 8,\n    \"samples\": 999\n}\n");
}

// A missing patch starts empty: a new static takes header word 0 and a new
// sound the file's name; an odd sound byte and a bit-15 colour are said.
TEST(BlockFiles, ANewBlockStartsFromNothingAndWhatIsLostIsSaidOnStderr) {
    TempDir dir;
    std::mt19937 rng(3);
    B land = EncodeLandTile(Colors(rng, 44 * 44, false));
    land[101] |= 0x80;  // bit 15 of one colour
    B sound = RandomBytes(rng, kSoundHeaderSize + 7);
    ASSERT_TRUE(WritePatchFile(dir / "p.uop", PatchOf({{kArt, 1, land}, {kSound, 2, sound}})).has_value());
    const CliResult tile = Cli(dir, "save-block @p.uop art 1 @tile.png");
    EXPECT_TRUE(Has(tile.err, "palindra-cli: ")) << tile.err;
    const CliResult wav = Cli(dir, "save-block @p.uop sound 2 @bell.wav");
    EXPECT_EQ(wav.err, "palindra-cli: The block's samples end in half a sample: its last byte is left out.\n");
    RunSteps(dir, {{"load-block @new.uop sound 2 @bell.wav", 0, "*"}, {"load-block @new.uop art 1 @tile.png", 0, "*"}});
    B expected = sound;
    std::fill_n(expected.begin(), kSoundHeaderSize, 0);
    std::copy_n("bell.wav", 8, expected.begin());
    expected.pop_back();
    EXPECT_EQ(Live(dir / "new.uop", kSound, 2).bytes, expected);
    land[101] &= 0x7F;
    EXPECT_EQ(Live(dir / "new.uop", kArt, 1).bytes, land);
}

// A file of a form the type does not take is a usage error naming what it
// takes; a file that cannot be used is refused and the patch keeps its bytes.
TEST(BlockFiles, MismatchesAreUsageErrorsAndRefusalsLeaveThePatchAlone) {
    TempDir dir;
    std::mt19937 rng(5);
    ASSERT_TRUE(WritePatchFile(dir / "p.uop", PatchOf({{kArt, 1, EncodeLandTile(Colors(rng, 44 * 44, false))},
                                                       {kTexmaps, 2, ColorBytes(Colors(rng, 64 * 64, false))},
                                                       {kTiledata, 512, ItemGroup(rng)}}))
                    .has_value());
    ASSERT_EQ(Cli(dir, "save-block @p.uop texmaps 2 @t.png").code, 0);
    WriteText(dir / "junk.wav", "not a sound at all");
    WriteText(dir / "heavy.json", R"({"type": "tiledata-items", "entries": [{"index": 3, "weight": 300}]})");
    const B before = ReadFileBytes(dir / "p.uop");
    RunSteps(dir, {
                      {"save-block @p.uop art 1 @x.wav", 2, "it is written as .png, .bmp or .dat"},
                      {"save-block @p.uop sound 1 @x.flac", 2, "it is written as .wav or .dat"},
                      {"load-block @p.uop sound 1 @x.png", 2, "it is built from .wav, .flac, .ogg or .dat"},
                      {"load-block @p.uop tiledata 512 @x.png", 2, "it is built from .json or .dat"},
                      {"load-block @p.uop 7 1 @x.json", 2, "it is built from .dat"},
                      {"load-block @p.uop art 1 @t.png", 1, "44 × 44"},
                      {"load-block @p.uop sound 1 @junk.wav", 1, "is not a WAV, FLAC or Ogg Vorbis file"},
                      {"load-block @p.uop tiledata 512 @heavy.json", 1, "weight"},
                      {"load-block @p.uop art 1 @missing.png", 1, "missing.png"},
                  });
    EXPECT_EQ(ReadFileBytes(dir / "p.uop"), before);
}

// What a partial JSON file leaves out keeps the patch's block, else with
// --client the client's, else the file must be whole. A manifest takes it.
TEST(BlockFiles, APartialJsonFileChangesOnlyWhatItGivesOverThePatchOrTheClient) {
    TempDir dir;
    std::mt19937 rng(38);
    ASSERT_EQ(Cli(dir, "make-samples @client").code, 0);
    const B group = ItemGroup(rng);
    ASSERT_TRUE(WritePatchFile(dir / "p.uop", PatchOf({{kTiledata, 512, group, 4, 5}})).has_value());
    WriteText(dir / "anvil.json", R"({"type": "tiledata-items", "entries": [{"index": 5, "name": "iron anvil"}]})");
    WriteText(dir / "m", "load-block --client client tiledata 513 anvil.json\n");
    RunSteps(dir, {{"load-block @new.uop tiledata 512 @anvil.json", 1, "no block to build on"},
                   {"load-block @p.uop tiledata 512 @anvil.json", 0, "*"},
                   {"load-block --client @client @q.uop tiledata 512 @anvil.json", 0, "*"},
                   {"apply @r.uop @m", 0, "*"},
                   // The tour's new item and sound from the samples.
                   {"load-block @t.uop art 0x4010 @client/item.png", 0, "*"},
                   {"load-block @t.uop sound 3 @client/sound.wav", 0,
                    "Built block 3 of Sound from " + dir / "client/sound.wav" + " (11025 samples, 22090 bytes).\n"}});
    EXPECT_EQ(std::tuple(Live(dir / "p.uop", kTiledata, 512).bytes, Live(dir / "p.uop", kTiledata, 512).flagA),
              std::tuple(Renamed(group, 5, "iron anvil"), std::int16_t{4}));
    // The samples' tiledata: 512 land groups of 836 bytes, then item groups of 1,188.
    const B client = ReadFileBytes(dir / "client/tiledata.mul");
    const auto itemGroup = [&](std::size_t g) {
        return B(client.begin() + 512 * 836 + 1188 * g, client.begin() + 512 * 836 + 1188 * (g + 1));
    };
    EXPECT_EQ(Live(dir / "q.uop", kTiledata, 512).bytes, Renamed(itemGroup(0), 5, "iron anvil"));
    EXPECT_EQ(Live(dir / "r.uop", kTiledata, 513).bytes, Renamed(itemGroup(1), 5, "iron anvil"));
}
