#include <gtest/gtest.h>

#include "cli/samples.h"
#include "codecs/art.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "gamefiles/cMUL.h"
#include "gamefiles/compare.h"
#include "gamefiles/radarcol.h"
#include "gamefiles/verdata.h"
#include "gamefiles/whole_files.h"
#include "patch/FileTypes.h"
#include "patch/patch_file.h"
#include "test_support.h"

TEST(Samples, AreTheSameBytesEveryTime) {
    TempDir a, b;
    ASSERT_EQ(MakeSamples(a.path().string()), "");
    ASSERT_EQ(MakeSamples(b.path().string()), "");
    for (const std::string& name : SampleFileNames()) EXPECT_EQ(ReadFileBytes(a / name), ReadFileBytes(b / name)) << name;
}

TEST(Samples, EveryFileReadsBackThroughTheProgramsReaders) {
    TempDir dir;
    ASSERT_EQ(MakeSamples(dir.path().string()), "");

    std::vector<std::int32_t> radar(65536, 0);
    ASSERT_EQ(ReadRadarColors(dir / "radarcol.mul", radar), "");
    cMUL map;
    ASSERT_EQ(map.cOpen("", dir / "map0.mul", 196, 512), "");
    Bytes block;
    std::int16_t a = 0, b = 0;
    ASSERT_EQ(map.cLoad(7, block, a, b), 196);
    LongArray picture;
    EXPECT_EQ(MapPreview(block, radar, picture), "");

    cMUL art;
    ASSERT_EQ(art.cOpen(dir / "artidx.mul", dir / "art.mul", -1, -1), "");
    ASSERT_EQ(art.cLoad(3, block, a, b), 2024);
    EXPECT_TRUE(ArtRun2LongArray(block, picture));
    ASSERT_GT(art.cLoad(16385, block, a, b), 0);
    EXPECT_TRUE(ArtRaw2LongArray(block, picture));
    EXPECT_EQ(art.cLoad(100, block, a, b), -1);

    cMUL gumps;
    ASSERT_EQ(gumps.cOpen(dir / "gumpidx.mul", dir / "gumpart.mul", -1, -1), "");
    EXPECT_EQ(gumps.cCount(), 3);
    for (int n = 0; n < 3; ++n) {
        ASSERT_GT(gumps.cLoad(n, block, a, b), 0);
        EXPECT_EQ(GumpToLongArray(block, picture, b, a), "") << n;  // width in FlagB, height in FlagA
    }

    cMUL hues;
    ASSERT_EQ(hues.cOpen("", dir / "hues.mul", 708, 375), "");
    EXPECT_EQ(ReadFileBytes(dir / "hues.mul").size(), 708u * 375);

    Patch verdata;
    ASSERT_EQ(ReadVerdata(dir / "verdata.mul", verdata, true, 0, 255, 0, 400000), "");
    for (std::uint8_t f : {kMapFileId, kArtFileId, kAnimFileId, kGumpFileId, kHuesFileId})
        EXPECT_EQ(verdata[f].LiveCount(), 1) << int(f);
    EXPECT_EQ(AnimPreview(verdata[kAnimFileId].Blocks[0].ByteArray, picture), "");
    const PatchBlock& gump = verdata[kGumpFileId].Blocks[0];
    EXPECT_EQ(GumpToLongArray(gump.ByteArray, picture, gump.FlagB, gump.FlagA), "");

    Patch files;
    EXPECT_EQ(AddWholeFile(files, 0, dir / "client.exe"), "");
    EXPECT_EQ(AddWholeFile(files, 1, dir / "readme.txt"), "");

    Patch sample;
    ASSERT_EQ(ReadPatchFile(dir / "sample.uop", sample, true, 0, 255, 0, 400000), "");
    EXPECT_GE(sample[kGumpFileId].LiveCount(), 2);

    Patch changed;
    const CompareResult r = CompareMuls(changed, dir / "artidx.mul", dir / "art.mul", dir / "artidx-altered.mul",
                                        dir / "art-altered.mul", kArtFileId, 65535, 0);
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.added, 2);
}
