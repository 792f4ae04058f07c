#include <gtest/gtest.h>

#include <QImage>

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

TEST(Cli, InsertListAndExtractWorkOnOnePatch) {
    TempDir dir;
    const std::string patch = dir / "p.uop";
    WriteFileBytes(dir / "a.dat", {1, 2, 3});
    WriteFileBytes(dir / "b.dat", {4, 5});
    EXPECT_EQ(Cli({"insert", patch, "4", "500001", dir / "a.dat"}).code, 0);  // kept by the later loads
    EXPECT_EQ(Cli({"insert", patch, "12", "0x1F4", dir / "a.dat"}).code, 0);
    EXPECT_EQ(Cli({"insert", patch, "12", "500", dir / "b.dat"}).code, 0);

    const CliResult listed = Cli({"list", patch});
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out, "4 500001 3 0 0\n12 500 2 0 0\n");  // the older 12/500 was settled away

    EXPECT_EQ(Cli({"extract", patch, "12", "500", dir / "out.dat"}).code, 0);
    EXPECT_EQ(ReadFileBytes(dir / "out.dat"), (std::vector<std::uint8_t>{4, 5}));
}

TEST(Cli, ImportsFromEverySourceAndExportsMergedVerdata) {
    TempDir dir;
    const std::string patch = dir / "p.uop";
    WriteArt(dir);
    CliResult r = Cli({"import", patch, "4", dir / "art.mul", dir / "art.idx", "--blocks", "0-1"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Imported 2 blocks into " + patch + ".\n1 of them carry no data: the client drops its own copy "
                     "of those blocks (--skip-absent leaves them out).\n");
    EXPECT_EQ(Cli({"list", patch}).out, "4 0 3 0 0\n4 1 -1 0 0\n");

    ASSERT_EQ(Cli({"export", patch, dir / "v.mul"}).code, 0);
    EXPECT_EQ(Cli({"list", dir / "v.mul"}).out, "4 0 3 0 0\n4 1 -1 0 0\n");

    const std::string other = dir / "q.uop";
    EXPECT_EQ(Cli({"import", other, "verdata", dir / "v.mul", "--blocks", "1-1"}).code, 0);
    EXPECT_EQ(Cli({"import", other, "uop", patch, "--files", "4-4", "--blocks", "0-0"}).code, 0);
    EXPECT_EQ(Cli({"list", other}).out, "4 1 -1 0 0\n4 0 3 0 0\n");

    // A verdata lists in the order of its directory, not by file ID.
    std::vector<std::uint8_t> verdata;
    for (std::uint32_t v : {2u, 12u, 7u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x00060005u, 4u, 500000u, 0xFFFFFFFFu, 0u, 0u})
        PutLE(verdata, v, 4);
    WriteFileBytes(dir / "order.mul", verdata);
    EXPECT_EQ(Cli({"list", dir / "order.mul"}).out, "12 7 -2 5 6\n4 500000 0 0 0\n");
}

TEST(Cli, GumpsGoToPicturesAndComeBackAsTheSameBlock) {
    TempDir dir;
    const std::string patch = dir / "p.uop";
    QImage picture(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) picture.setPixel(x, y, x < 2 ? qRgb(8, 16, 24) : qRgb(248, 0, 120));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir / "in.png"), "PNG"));

    const CliResult r = Cli({"bmp-to-gump", patch, "44", dir / "in.png"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Cli({"list", patch}).out, "12 44 36 3 5\n");
    ASSERT_EQ(Cli({"gump-to-bmp", patch, "44", dir / "out.bmp"}).code, 0);
    ASSERT_EQ(Cli({"bmp-to-gump", patch, "44", dir / "out.bmp"}).code, 0);
    EXPECT_EQ(Cli({"list", patch}).out, "12 44 36 3 5\n");  // the same block, the old one replaced
}

TEST(Cli, CompareAndAddFileWorkLikeTheirDialogs) {
    TempDir dir;
    const std::string patch = dir / "p.uop";
    WriteFileBytes(dir / "a.mul", std::vector<std::uint8_t>(708 * 375, 0));
    std::vector<std::uint8_t> altered(708 * 375, 0);
    altered[708 * 2] = 1;
    WriteFileBytes(dir / "b.mul", altered);
    const CliResult r = Cli({"compare", patch, "32", dir / "a.mul", dir / "b.mul"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Added 1 blocks that differ.\n");
    WriteFileBytes(dir / "client.exe", {'.', 'C', 'l', 'o', 's', 'e', 'G', 'u', 'm', 'p', 's'});
    EXPECT_EQ(Cli({"add-file", patch, "client", dir / "client.exe"}).code, 0);
    EXPECT_EQ(Cli({"list", patch}).out, "32 2 1220 -1 -1\n252 0 11 0 0\n");
}

// Failures exit 1 with one line naming the fault and change nothing; usage
// errors exit 2 with the command's usage.
TEST(Cli, RefusalsExitOneUsageErrorsExitTwoAndWhatWasLeftOutIsSaid) {
    TempDir dir;
    const std::string patch = dir / "p.uop", bad = dir / "bad.uop";
    WriteArt(dir);
    WriteFileBytes(bad, {'U', 'O', 'P'});
    WriteFileBytes(dir / "v.mul", {'n', 'o', 't'});
    WriteFileBytes(dir / "a.dat", {1});
    WriteFileBytes(dir / "junk.png", {1, 2, 3});
    WriteFileBytes(dir / "other.exe", {'x'});
    ASSERT_EQ(Cli({"insert", patch, "12", "44", dir / "a.dat"}).code, 0);
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;  // err: a part of stderr
    };
    const std::string art = dir / "art.mul", artIdx = dir / "art.idx", none = dir / "none.mul";
    const Case cases[] = {
        {{"list", bad}, 1, "", "is not a patch project file"},
        {{"list", dir / "v.mul"}, 1, "", "is not a valid verdata file"},
        {{"list", art}, 1, "", "Nor is it a patch project file"},
        {{"insert", bad, "4", "1", dir / "a.dat"}, 1, "", bad},
        {{"insert", patch, "4", "1", dir / "missing.dat"}, 1, "", "missing.dat"},
        {{"extract", dir / "missing.uop", "4", "1", dir / "o.dat"}, 1, "", "missing.uop"},
        {{"gump-to-bmp", patch, "45", dir / "x.bmp"}, 1, "", "has no gump block 45."},
        {{"bmp-to-gump", patch, "1", dir / "junk.png"}, 1, "", "Cannot read the picture"},
        {{"import", patch, "4", art}, 1, "", "Art files need their index file."},
        {{"import", patch, "0", art, artIdx}, 1, "", "Map files have no index file."},
        {{"import", patch, "uop", dir / "none.uop"}, 1, "", "none.uop"},
        {{"import", patch, "4", art, artIdx, "--blocks", "5-2"}, 1, "", "The range 5-2 of --blocks selects nothing."},
        {{"export", patch, dir / "w.mul", "--base", none}, 1, "", "Cannot find the base verdata file '" + none + "'."},
        {{"compare", patch, "4", art, art}, 1, "", "Art files need their index files"},
        {{"compare", patch, "32", art, none}, 1, "", "none.mul"},
        {{"add-file", patch, "client", dir / "other.exe"}, 1, "", "This is NOT an UO client.exe file."},
        {{"insert", patch, "256", "1", dir / "a.dat"}, 2, "", "Usage: palindra-cli insert"},
        {{"insert", patch, "4", "x", dir / "a.dat"}, 2, "", "Usage: palindra-cli insert"},
        {{"bmp-to-gump", patch, "65536", dir / "junk.png"}, 2, "", "Usage: palindra-cli bmp-to-gump"},
        {{"compare", patch, "1", art, art}, 2, "", "Usage: palindra-cli compare"},
        {{"add-file", patch, "music", dir / "other.exe"}, 2, "", "Usage: palindra-cli add-file"},
        {{"list"}, 2, "", "Usage: palindra-cli list"},
        {{"frobnicate"}, 2, "", "unknown command 'frobnicate'"},
        {{}, 2, "", "Usage: palindra-cli COMMAND"},
        {{"import", patch, "--files", "0-1"}, 2, "", "Usage: palindra-cli import"},
        {{"import", patch, "verdata", dir / "v.mul", "--files", "300-1"}, 2, "", "Usage: palindra-cli import"},
        {{"import", patch, "--blocks"}, 2, "", "--blocks needs a range A-B."},
        {{"import", patch, "4", art, artIdx, "--bogus"}, 2, "", "unknown option '--bogus'."},
        {{"compare", patch, "4", art, artIdx, art, artIdx, "--bogus"}, 2, "", "unknown option '--bogus'."},
        {{"--version"}, 0, std::string("palindra-cli ") + PALINDRA_VERSION + "\n", ""},
        {{"import", patch, "4", art, artIdx, "--skip-absent"},
         0,
         "Imported 1 blocks into " + patch + ".\nLeft out 1 blocks without data.\n",
         "palindra-cli: left out 1 damaged blocks: their data does not lie wholly inside the data file or does not decode.\n"},
    };
    for (const Case& c : cases) {
        const CliResult r = Cli(c.args);
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0] + " " + c.args.back());
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        if (c.code == 1) {
            EXPECT_EQ(r.err.rfind("palindra-cli: ", 0), 0u) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    EXPECT_EQ(ReadFileBytes(bad), (std::vector<std::uint8_t>{'U', 'O', 'P'}));
    EXPECT_FALSE(std::filesystem::exists(dir / "w.mul"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.bmp"));
    EXPECT_EQ(Cli({"list", patch}).out, "4 0 3 0 0\n12 44 1 0 0\n");  // only the last case changed it

    const CliResult help = Cli({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* c : {"list", "insert", "extract"}) EXPECT_NE(help.out.find(c), std::string::npos) << c;
}
