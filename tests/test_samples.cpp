#include <gtest/gtest.h>

#include "cli/samples.h"
#include "codecs/art.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "gamefiles/cMUL.h"
#include "gamefiles/compare.h"
#include "gamefiles/data_layout.h"
#include "gamefiles/import.h"
#include "gamefiles/radarcol.h"
#include "gamefiles/verdata.h"
#include "gamefiles/whole_files.h"
#include "patch/FileTypes.h"
#include "patch/patch_file.h"
#include "test_support.h"

TEST(Samples, AreTheSameBytesEveryTimeAndReadBackThroughTheProgramsReaders) {
    TempDir dir, again;
    ASSERT_EQ(MakeSamples(dir.path().string()), "");
    ASSERT_EQ(MakeSamples(again.path().string()), "");
    for (const std::string& name : SampleFileNames()) EXPECT_EQ(ReadFileBytes(dir / name), ReadFileBytes(again / name)) << name;

    std::vector<std::int32_t> radar(65536, 0);
    ASSERT_EQ(ReadRadarColors(dir / "radarcol.mul", radar), "");
    cMUL map;
    ASSERT_EQ(map.cOpen("", dir / "map0.mul", 196), "");
    EXPECT_EQ(map.cCount(), 512);
    LongArray picture;
    EXPECT_EQ(MapPreview(map.cLoad(7).bytes, radar, picture), "");

    cMUL art;
    ASSERT_EQ(art.cOpen(dir / "artidx.mul", dir / "art.mul", 0), "");
    ASSERT_EQ(art.cLoad(3).length, 2024);
    EXPECT_TRUE(ArtRun2LongArray(art.cLoad(3).bytes, picture));
    EXPECT_TRUE(ArtRaw2LongArray(art.cLoad(16385).bytes, picture));
    EXPECT_EQ(art.cLoad(100).length, -1);

    cMUL gumps;
    ASSERT_EQ(gumps.cOpen(dir / "gumpidx.mul", dir / "gumpart.mul", 0), "");
    EXPECT_EQ(gumps.cCount(), 3);
    for (int n = 0; n < 3; ++n) {
        const LoadedBlock g = gumps.cLoad(n);
        EXPECT_EQ(GumpToLongArray(g.bytes, picture, g.flagB, g.flagA), "") << n;  // width in FlagB, height in FlagA
    }
    EXPECT_EQ(ReadFileBytes(dir / "hues.mul").size(), 708u * 375);

    // Tiledata of the older layout (512 land and 512 static groups), animdata of 2,048 groups.
    Patch groups;
    EXPECT_EQ(ImportMulRange(groups, "", dir / "tiledata.mul", kTiledataFileId, 0, INT32_MAX).added, 1024);
    EXPECT_EQ(ImportMulRange(groups, "", dir / "animdata.mul", kAnimdataFileId, 0, INT32_MAX).added, 2048);
    EXPECT_EQ(groups[kTiledataFileId].Blocks[512].ByteArray.size(), 1188u);

    Patch verdata;
    ASSERT_EQ(ReadVerdata(dir / "verdata.mul", verdata, true, 0, 255, 0, 400000), "");
    for (std::uint8_t f : {kMapFileId, kArtFileId, kAnimFileId, kGumpFileId, kHuesFileId})
        EXPECT_EQ(verdata[f].LiveCount(), 1) << int(f);
    EXPECT_EQ(AnimPreview(verdata[kAnimFileId].Blocks[0].ByteArray, picture), "");
    EXPECT_NE(picture.At(55, 10), LongArray::kBackground);  // the figure's first row: centre 60, 10, five left
    const PatchBlock& gump = verdata[kGumpFileId].Blocks[0];
    EXPECT_EQ(GumpToLongArray(gump.ByteArray, picture, gump.FlagB, gump.FlagA), "");

    Patch files, sample, changed;
    EXPECT_EQ(AddWholeFile(files, 0, dir / "client.exe"), "");
    EXPECT_EQ(AddWholeFile(files, 1, dir / "readme.txt"), "");
    ASSERT_EQ(ReadPatchFile(dir / "sample.uop", sample, true, 0, 255, 0, 400000), "");
    EXPECT_GE(sample[kGumpFileId].LiveCount(), 2);
    const ImportResult r = CompareMuls(changed, dir / "artidx.mul", dir / "art.mul", dir / "artidx-altered.mul",
                                       dir / "art-altered.mul", kArtFileId);
    EXPECT_EQ(std::pair(r.error, r.added), std::pair(std::string(), std::int64_t{2}));
}
