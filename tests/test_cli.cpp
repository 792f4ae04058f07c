// The command-line tool's commands, and the sample files it makes.
#include <gtest/gtest.h>

#include <QImage>
#include <zlib.h>

#include "cli/samples.h"
#include "codecs/anim_frames.h"
#include "codecs/art.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/import.h"
#include "gamefiles/radarcol.h"
#include "gamefiles/forms/verdata.h"
#include "gamefiles/forms/whole_files.h"
#include "images/frame_folder.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
// Art data 1..3 and an index: block 0 present, block 1 absent, block 2 past the data.
void WriteArt(const TempDir& dir) {
    WriteFileBytes(dir / "art.mul", {1, 2, 3});
    WriteFileBytes(dir / "art.idx", IndexBytes({{0, 3, 0}, {-1, -1, 0}, {2, 5, 0}}));
}
}  // namespace

// Insert, list and extract; import from every source and export merged
// verdata.
TEST(Cli, CommandsWorkOnPatchesAndGameFiles) {
    TempDir dir;
    WriteArt(dir);
    WriteFileBytes(dir / "a.dat", {1, 2, 3});
    WriteFileBytes(dir / "b.dat", {4, 5});
    // A verdata lists in the order of its directory, not by file ID.
    std::vector<std::uint8_t> verdata;
    for (std::uint32_t v : {2u, 12u, 7u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x00060005u, 4u, 500000u, 0xFFFFFFFFu, 0u, 0u})
        PutLE(verdata, v, 4);
    WriteFileBytes(dir / "order.mul", verdata);

    RunSteps(dir, {
        {"insert @a.uop 4 500001 @a.dat", 0, "Added block 500001 of file ID 4 (3 bytes).\n"},  // kept by the later loads
        {"insert @a.uop 12 0x1F4 @a.dat", 0, "*"}, {"insert @a.uop 12 500 @b.dat", 0, "*"},
        {"list @a.uop", 0, "4 500001 3 0 0\n12 500 2 0 0\n"},  // the older 12/500 was settled away
        {"extract @a.uop 12 500 @out.dat", 0, "*"},

        {"import @p.uop 4 @art.mul @art.idx --blocks 0-1", 0,
         "Imported 2 blocks into " + dir / "p.uop" + ".\n1 of them carries no data: an export makes the client drop "
         "its own copy of those blocks (--skip-absent leaves them out).\n"},
        {"list @p.uop", 0, "4 0 3 0 0\n4 1 -1 0 0\n"}, {"export @p.uop @v.mul", 0, "*"},
        {"list @v.mul", 0, "4 0 3 0 0\n4 1 -1 0 0\n"}, {"import @q.uop verdata @v.mul --blocks 1-1", 0, "*"},
        {"import @q.uop uop @p.uop --files 4-4 --blocks 0-0", 0, "*"}, {"list @q.uop", 0, "4 1 -1 0 0\n4 0 3 0 0\n"},
        {"list @order.mul", 0, "12 7 -2 5 6\n4 500000 0 0 0\n"},

        // Options anywhere, in either form; "--" ends them; negative numbers are arguments.
        {"export --base @v.mul @a.uop @w.mul", 0, "*"}, {"verify @a.uop --base @v.mul -- @w.mul", 0, ""},
        {"import @r.uop --blocks=1-1 4 @art.mul @art.idx --skip-absent", 0, "Imported 0 blocks into " + dir / "r.uop" +
         ".\n1 block without data was left out.\n"},
        {"set-flags @a.uop 4 500001 -5 -0x10", 0, "Block 500001 of file ID 4 has flags -5 -16.\n"},
        {"--json set-flags @a.uop 4 500001 &HFFFF 0", 0, "*"}, {"list @a.uop", 0, "4 500001 3 -1 0\n12 500 2 0 0\n"},
    });
    for (const char* line : {"list @a.uop --help", "help list", "list -h --bogus"})
        EXPECT_EQ(Cli(dir, line).out.rfind("Usage: palindra-cli list FILE\n", 0), 0u) << line;
    EXPECT_EQ(ReadFileBytes(dir / "out.dat"), (std::vector<std::uint8_t>{4, 5}));
}

// Failures exit 1 with one line naming the fault and change nothing; usage
// errors exit 2 with the command's usage.
TEST(Cli, RefusalsExitOneAndUsageErrorsExitTwo) {
    TempDir dir;
    WriteArt(dir);
    WriteFileBytes(dir / "bad.uop", {'U', 'O', 'P'});
    WriteFileBytes(dir / "v.mul", {'n', 'o', 't'});
    WriteFileBytes(dir / "a.dat", {1});
    WriteFileBytes(dir / "junk.png", {1, 2, 3});
    WriteFileBytes(dir / "other.exe", {'x'});
    WriteFileBytes(dir / "hues.mul", B(708 * 3, 0));
    ASSERT_EQ(Cli(dir, "insert @p.uop 12 44 @a.dat").code, 0);
    RunSteps(dir, {
        {"list @bad.uop", 1, "is not a patch project file"}, {"list @v.mul", 1, "is not a verdata.mul (or damaged)"},
        {"list @art.mul", 1, "Nor is it a patch project file"}, {"insert @bad.uop 4 1 @a.dat", 1, dir / "bad.uop"},
        {"insert @p.uop 4 1 @missing.dat", 1, "missing.dat"}, {"extract @missing.uop 4 1 @o.dat", 1, "missing.uop"},
        {"gump-to-bmp @p.uop 45 @x.bmp", 1, "has no gump block 45."},
        {"bmp-to-gump @p.uop 1 @junk.png", 1, "Cannot read the picture"},
        {"import @p.uop 4 @art.mul", 1, "Art files need their index file."},
        {"import @p.uop 0 @art.mul @art.idx", 1, "Map files have no index file."},
        {"import @p.uop verdata @hues.mul", 1, "is not a verdata.mul (or damaged): it counts 0 entries but holds 2124"},
        {"compare @p.uop 4 @p.uop @art.mul @art.idx", 1, "holds patches, not a client's data: diff compares those."},
        {"import @p.uop 4 @art.mul @art.idx --blocks 5-2", 1, "The range 5-2 of --blocks selects nothing."},
        {"import @p.uop gumps @art.mul @art.idx", 1,
         "palindra-cli: art.mul is usually the art file, not one of gumps; --trust-type imports it as gumps all the same.\n"},
        {"export @p.uop @w.mul --base @none.mul", 1, "Cannot find the base verdata file '" + dir / "none.mul" + "'."},
        {"compare @p.uop 4 @art.mul @art.mul", 1, "Art files need their index file."},
        {"add-file @p.uop client @other.exe", 1, "This is NOT an UO client.exe file."},
        {"insert @p.uop 256 1 @a.dat", 2, "Usage: palindra-cli insert"},
        {"insert @p.uop 4 x @a.dat", 2, "Usage: palindra-cli insert"},
        // Only whole numbers: each refusal names the word.
        {"remove @p.uop 12 44.4999", 2, "BLOCK takes a whole number from 0 to 2147483647, not '44.4999'"},
        {"extract @p.uop 12 +44 @o.dat", 2, "extract: BLOCK takes a whole number from 0 to 2147483647, not '+44'"},
        {"extract @p.uop 1e1 44 @o.dat", 2, "FILEID takes a file ID from 0 to 255 or a file type's name"},
        {"set-flags @p.uop 12 44 0x-1 0", 2, "set-flags: FLAGA takes a whole number from -32768 to 65535, not '0x-1'"},
        {"set-flags @p.uop 12 -44 1 0", 2, "BLOCK takes a whole number from 0 to 2147483647, not '-44'"},
        {"bmp-to-gump @p.uop 65536 @junk.png", 2, "Usage: palindra-cli bmp-to-gump"},
        {"compare @p.uop 1 @art.mul @art.mul", 2, "Usage: palindra-cli compare"},
        {"add-file @p.uop music @other.exe", 2, "Usage: palindra-cli add-file"},
        {"list", 2, "Usage: palindra-cli list"}, {"frobnicate", 2, "unknown command 'frobnicate'"},
        {"", 2, "Usage: palindra-cli [--json] COMMAND"}, {"import @p.uop --files 0-1", 2, "Usage: palindra-cli import"},
        {"import @p.uop verdata @v.mul --files 300-1", 2, "Usage: palindra-cli import"},
        {"import @p.uop --blocks", 2, "--blocks: 1 required A-B missing"},
        {"import @p.uop 4 @art.mul @art.idx --bogus", 2, "unknown option '--bogus'"},
        {"--version", 0, std::string("palindra-cli ") + PALINDRA_VERSION + "\n"}, {"list @p.uop", 0, "12 44 1 0 0\n"},
        {"import @p.uop gumps @art.mul @art.idx --trust-type --blocks 0-0", 0, "*"},
        {"list @p.uop", 0, "12 44 1 0 0\n12 0 3 0 0\n"},
    });
    EXPECT_EQ(ReadFileBytes(dir / "bad.uop"), (std::vector<std::uint8_t>{'U', 'O', 'P'}));
    EXPECT_FALSE(std::filesystem::exists(dir / "w.mul") || std::filesystem::exists(dir / "x.bmp"));

    const CliResult help = Cli({"--help"});
    EXPECT_TRUE(help.code == 0 && Has(help.out, "list") && Has(help.out, "insert") && Has(help.out, "extract"));
}

// Frames to pictures and back give the same bytes, pictures drawn elsewhere
// the frames they show; refusals write nothing.
TEST(Cli, AnimationsGoToPicturesAndBackByteForByte) {
    constexpr std::int16_t T = kAnimTransparent;
    TempDir dir;
    for (const char* folder : {"drawn", "many", "high", "held", "json", "badjson", "huge"})
        std::filesystem::create_directory(dir / folder);
    // As a paint program saves them: with alpha (below 128 transparent) and without, no frames.json.
    QImage wide(3, 2, QImage::Format_ARGB32), tall(1, 3, QImage::Format_RGB32), many(257, 1, QImage::Format_RGB32),
        high(1, 1025, QImage::Format_RGB32);
    wide.fill(qRgba(248, 0, 0, 255));
    high.fill(qRgb(1, 2, 3));
    wide.setPixel(1, 0, qRgba(9, 9, 9, 127));
    wide.setPixel(2, 1, qRgba(0, 0, 248, 128));
    tall.fill(qRgb(0, 248, 0));
    for (int i = 0; i < 257; ++i) many.setPixel(i, 0, qRgb(8, i % 32 * 8, i / 32 * 8));
    // Numbered without leading zeros: frame 9 comes before frame 10.
    for (const auto& [image, name] : {std::pair(&wide, "drawn/frame-9.png"), {&tall, "drawn/frame-10.png"},
                                      {&many, "many/frame-000.png"}, {&high, "high/frame-000.png"},
                                      {&tall, "held/frame-007.png"}, {&tall, "huge/frame-000.png"}})
        ASSERT_TRUE(image->save(QString::fromStdString(dir / name), "PNG"));
    std::filesystem::copy(dir / "drawn/frame-9.png", dir / "badjson");
    // A PNG claiming 8192 x 8192 pixels: with the 3 before it, more than a block holds; refused unread.
    B huge = HexBytes("89 50 4E 47 0D 0A 1A 0A");
    for (const char* chunk : {"00 00 00 0D 49 48 44 52 00 00 20 00 00 00 20 00 08 06 00 00 00", "00 00 00 00 49 44 41 54"}) {
        const B bytes = HexBytes(chunk);
        const auto crc = static_cast<std::uint32_t>(crc32(0, &bytes[4], static_cast<uInt>(bytes.size() - 4)));
        huge.insert(huge.end(), bytes.begin(), bytes.end());
        for (int shift = 24; shift >= 0; shift -= 8) huge.push_back(static_cast<std::uint8_t>(crc >> shift));
    }
    WriteFileBytes(dir / "huge/frame-001.png", huge);
    WriteText(dir / "badjson/frames.json", "{\"palette\": [1]}");
    WriteText(dir / "json/frames.json", "{}");

    // Our own layout: an empty frame, a centre far outside, colours twice and unused.
    Animation own{{}, {{-300, 200, 2, 1, {5, T}, 0}, {4, -4, 0, 5, {}, 0}}};
    own.palette[5] = own.palette[6] = own.palette[200] = 0x1234;
    const B block = EncodeAnimation(own).value();
    B damaged = block;
    PutLE32(&damaged[516], 0xFFFFFFF8);  // the first frame past the end
    // Too many frames to be real, and the one frame too wide to be (found by fuzzing).
    const B thousands = EncodeAnimation({{}, std::vector<AnimFrame>(kMostFrameFiles + 1)}).value();
    const B tooWide = ReadFileBytes(std::string(PALINDRA_FUZZ_REGRESSIONS) + "/anim/frame-65533-wide.bin");
    const Patch anims = PatchOf({{kAnim, 7, block}, {kAnim, 12, B(100, 0)}, {kAnim, 13, damaged},
                                 {kAnim, 14, thousands}, {kAnim, 15, tooWide}});
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", anims)));
    RunSteps(dir, {
        {"png-to-anim @p.uop 110 @drawn", 0,
         "Anim block 110 (body 1, action 0, direction 0) now holds 2 frames (580 bytes), its palette made of the "
         "pictures' colours.\n"},
        {"anim-to-png @p.uop 110 @out", 0,
         "Wrote 2 frames of anim block 110 (body 1, action 0, direction 0) to " + dir / "out" + ".\n"},
        {"png-to-anim @p.uop 111 @out", 0, "*"}, {"anim-to-png @p.uop 7 @own", 0, "*"},
        {"png-to-anim @p.uop 8 @own", 0, "*"},
    });
    // The frame that decodes is written under its number; the other is named.
    const CliResult partly = Cli(dir, "anim-to-png @p.uop 13 @partly");
    EXPECT_EQ(std::tuple(partly.code, FilesIn(dir / "partly"), std::filesystem::exists(dir / "partly/frame-001.png")),
              std::tuple(0, std::size_t{2}, true));
    EXPECT_EQ(partly.err, "palindra-cli: 1 frame of the block does not decode and is left out: Frame 0 starts at byte "
                          "4294967800, past the end of the block's " + std::to_string(damaged.size()) + " bytes.\n");
    Patch p;
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "p.uop", p)));
    const auto bytes = [&](std::int32_t n) {
        const PatchBlock* b = p.LiveBlock(kAnim, n);
        return b ? B(b->bytes.begin(), b->bytes.end()) : B();
    };
    EXPECT_EQ(DecodeAnimation(bytes(110)).value().frames,
              (std::vector<AnimFrame>{{1, 0, 3, 2, {0, T, 0, 0, 0, 1}, 0}, {0, 0, 1, 3, {2, 2, 2}, 0}}));
    EXPECT_EQ(std::pair(bytes(111), bytes(8)), std::pair(bytes(110), bytes(7)));

    const B before = ReadFileBytes(dir / "p.uop");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
    std::filesystem::create_symlink("loopB", dir / "loopA");
    std::filesystem::create_symlink("loopA", dir / "loopB");
    RunSteps(dir, {
        {"png-to-anim @p.uop 5 @many", 1, "The pictures use 257 colours, more than the 256 a palette holds."},
        {"png-to-anim @p.uop 5 @high", 1, "frame-000.png is larger than the run offsets can address"},
        {"png-to-anim @p.uop 5 @huge", 1,
         "frame-001.png' is too large: an animation frame after the 3 pixels of the frames before it holds at most "
         "67108861 pixels."},
        {"png-to-anim @p.uop 5 @badjson", 1, "frames.json': \"palette\" must be a list of 256 whole numbers"},
        {"png-to-anim @p.uop 5 @json", 1, "holds no frame pictures (frame-*.png)."},
        {"anim-to-png @p.uop 9 @x", 1, "has no anim block 9."},
        {"anim-to-png @p.uop 12 @x", 1, "Anim block 12 does not decode: The block holds 100 bytes"},
        {"anim-to-png @p.uop 14 @x", 1, "The block holds 4097 frames, more than the 4096 a folder of frames takes"},
        {"anim-to-png @p.uop 15 @x", 1,
         "Anim block 15 does not decode: Frame 0 is 65533 x 1022 pixels, larger than the 2048 x 2048 a frame may be."},
        {"anim-to-png @p.uop 7 @held", 1, "already holds 1 frame-*.png file; nothing was written."},
        {"anim-to-png @p.uop 7 @json", 1, "already holds frames.json; nothing was written."},
        {"anim-to-png @p.uop 7 @dangling", 1, "is a symbolic link to '" + dir / "nowhere" + "', which does not exist."},
        {"anim-to-png @p.uop 7 @loopA", 1,
         "Cannot create the folder '" + dir / "loopA" + "': it is a symbolic link that leads round in a loop."},
        {"anim-to-png @p.uop 7 @x extra", 2, "Usage: palindra-cli anim-to-png"},
    });
    EXPECT_EQ(ReadFileBytes(dir / "p.uop"), before);
    EXPECT_EQ(std::tuple(std::filesystem::exists(dir / "x"), FilesIn(dir / "held"), FilesIn(dir / "json")),
              std::tuple(false, std::size_t{1}, std::size_t{1}));
}

// An import that keeps every block still says when a range selects none of
// them and when a file holds more blocks than a client file of its type.
TEST(Cli, SaysWhatARangeMissesAndWhenAFileIsLargerThanUsual) {
    TempDir dir;
    WriteFileBytes(dir / "tiledata.mul", B(512 * 964 + 2048 * 1316, 0));
    WriteFileBytes(dir / "hues.mul", B(708 * 376, 1));
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"import @p.uop tiledata @tiledata.mul --blocks 3000-4000", "Imported 0 blocks",
         "palindra-cli: '" + dir / "tiledata.mul" + "' holds blocks 0\u20132559; none lies in 3000\u20134000.\n"},
        {"import @p.uop tiledata @tiledata.mul", "Imported 2560 blocks", ""},
        {"import @p.uop hues @hues.mul", "Imported 376 blocks",
         "palindra-cli: '" + dir / "hues.mul" + "' holds 376 blocks; a Hues file usually holds 375: is this the right file?\n"},
    };
    for (const auto& [line, out, err] : cases) {
        const CliResult r = Cli(dir, line);
        EXPECT_EQ(r.code, 0) << line;
        EXPECT_TRUE(Has(r.out, out));
        EXPECT_EQ(r.err, err);
    }
}

TEST(Samples, AreTheSameBytesEveryTimeAndReadBackThroughTheProgramsReaders) {
    TempDir dir, again;
    ASSERT_TRUE(Ok(MakeSamples(dir.path().string())));
    ASSERT_TRUE(Ok(MakeSamples(again.path().string())));
    for (const std::string& name : SampleFileNames()) EXPECT_EQ(ReadFileBytes(dir / name), ReadFileBytes(again / name)) << name;

    // Tiledata of the older layout (512 land and 512 static groups), animdata of 2,048 groups.
    Patch p, files, verdata, sample, changed;
    for (const auto& [fileId, data, index, added] :
         {std::tuple<std::uint8_t, const char*, const char*, std::int64_t>{kMap, "map0.mul", "", 512},
          {kGumps, "gumpart.mul", "gumpidx.mul", 3}, {kTiledata, "tiledata.mul", "", 1024},
          {kAnimdata, "animdata.mul", "", 2048}, {kHues, "hues.mul", "", 375}})
        EXPECT_EQ(ImportType(p, fileId, {dir / data, *index ? dir / index : ""})->added, added) << data;
    ASSERT_TRUE(Ok(ImportType(p, kArt, {dir / "art.mul", dir / "artidx.mul"})));
    EXPECT_TRUE(Ok(MapPreview(p.LiveBlock(kMap, 7)->bytes, ReadRadarColors(dir / "radarcol.mul").value())));
    EXPECT_TRUE(Ok(DecodeLandTile(p.LiveBlock(kArt, 3)->bytes)) && Ok(DecodeStaticTile(p.LiveBlock(kArt, 16385)->bytes)));
    EXPECT_EQ(std::pair(p.LiveBlock(kArt, 100)->Length(), p[kTiledata].blocks[512].bytes.size()),
              std::pair(-1, std::size_t{1188}));
    for (const PatchBlock& g : p[kGumps].blocks) EXPECT_TRUE(Ok(DecodeGump(g.bytes, g.flagB, g.flagA))) << g.number;

    ASSERT_TRUE(Ok(ReadVerdata(dir / "verdata.mul", verdata)));
    for (std::uint8_t f : {kMap, kArt, kAnim, kGumps, kHues}) EXPECT_EQ(verdata[f].LiveCount(), 1) << int(f);
    // Four frames that move, each a figure inside its box.
    const Animation jump = DecodeAnimation(verdata[kAnim].blocks[0].bytes).value();
    ASSERT_EQ(jump.frames.size(), 4u);
    EXPECT_NE(jump.frames[0], jump.frames[1]);
    for (const AnimFrame& f : jump.frames)
        EXPECT_TRUE(f.cellsOutside == 0 && 4 * std::count(f.cells.begin(), f.cells.end(), kAnimTransparent) <
                                              3 * std::ssize(f.cells));
    const PatchBlock& gump = verdata[kGumps].blocks[0];
    EXPECT_TRUE(Ok(DecodeGump(gump.bytes, gump.flagB, gump.flagA)));

    EXPECT_TRUE(Ok(AddWholeFile(files, 0, dir / "client.exe")) && Ok(AddWholeFile(files, 1, dir / "readme.txt")));
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "sample.uop", sample)));
    EXPECT_GE(sample[kGumps].LiveCount(), 2);
    EXPECT_EQ(CompareBlocks(changed, kArt, {dir / "art.mul", dir / "artidx.mul"},
                            {dir / "art-altered.mul", dir / "artidx-altered.mul"})->added, 2);
}
