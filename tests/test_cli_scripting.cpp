#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <sstream>

#include "cli/apply.h"
#include "cli/commands.h"
#include "gamefiles/forms/verdata.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
// What a command line given as in RunSteps prints with --json.
QJsonObject Json(const TempDir& dir, const std::string& line, int expectedCode = 0) {
    const CliResult r = Cli(dir, line + " --json");
    EXPECT_EQ(r.code, expectedCode) << r.err;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out;
    return doc.object();
}

// Art data 1..3 with an index of two entries, a picture, a readme, hues to
// compare and a base verdata: inputs for every operation of a manifest.
void MakeInputs(const TempDir& dir) {
    std::filesystem::create_directories(dir / "in dir");
    WriteFileBytes(dir / "in dir/art.mul", {1, 2, 3, 4, 5});
    WriteFileBytes(dir / "in dir/art.idx", IndexBytes({{0, 3, 0}, {3, 2, 0}}));
    WriteFileBytes(dir / "tree.dat", {9, 8, 7});
    WriteText(dir / "readme.txt", "hello");
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(248, 0, 120));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir / "logo.png"), "PNG"));
    std::vector<std::uint8_t> hues(708 * 375, 0);
    WriteFileBytes(dir / "hues.mul", hues);
    hues[708 * 3] = 5;
    WriteFileBytes(dir / "hues2.mul", hues);
    ASSERT_TRUE(Ok(WriteVerdata(dir / "base.mul", PatchOf({{4, 0x4001, {6, 6}, 1, 2}, {16, 3, {4}}}))));
}

// Options stand anywhere, in either form, and stay options: only paths are
// taken relative to the manifest's folder.
constexpr const char* kManifest =
    "# every operation\n"
    "import --blocks=0-1 ART 'in dir/art.mul' in\\ dir/art.idx --skip-absent\n"
    "\n"
    "insert art 0x4001 tree.dat   # replaces the base's block\n"
    "insert -- 4 7 \"tree.dat\"\n"
    "bmp-to-gump 0x1234 logo.png\n"
    "add-file readme readme.txt\n"
    "import hues hues.mul --skip-absent --blocks 3-3\n"
    "compare hues hues.mul hues2.mul\n"
    "remove art 7\n"
    "set-flags gumps 0x1234 90 65535\n"
    "export --base=base.mul out/verdata.mul\n";
}  // namespace

TEST(CliApply, AManifestOfEveryOperationGivesTheSameBytesEachTimeAndVerifies) {
    TempDir dir;
    MakeInputs(dir);
    std::filesystem::create_directories(dir / "out");
    WriteText(dir / "m.txt", std::string("\xEF\xBB\xBF") + kManifest);  // as some editors save UTF-8
    std::vector<std::vector<std::uint8_t>> written;  // the patch and the export of each run
    for (int run = 0; run < 2; ++run) {
        std::filesystem::remove(dir / "p.uop");
        std::filesystem::remove(dir / "out/verdata.mul");
        // Named from the test's own working folder, not the manifest's.
        const QJsonObject applied = Json(dir, "apply @p.uop " + std::filesystem::relative(dir / "m.txt").string());
        EXPECT_EQ(std::pair(applied["operations"].toInt(), applied["exports"].toArray().size()), std::pair(10, qsizetype{1}));
        written.push_back(ReadFileBytes(dir / "p.uop"));
        written.push_back(ReadFileBytes(dir / "out/verdata.mul"));
    }
    EXPECT_EQ(written[0], written[2]);
    EXPECT_EQ(written[1], written[3]);
    EXPECT_EQ(Cli(dir, "list @p.uop").out,
              "4 0 3 0 0\n4 1 2 0 0\n4 16385 3 0 0\n12 4660 16 90 -1\n32 3 1220 -1 -1\n252 1 5 0 0\n");
    EXPECT_EQ(Cli(dir, "verify @p.uop @out/verdata.mul --base @base.mul").code, 0);
    const QJsonArray listed = Json(dir, "list @out/verdata.mul")["blocks"].toArray();
    ASSERT_EQ(listed.size(), 7);  // the patch's six blocks and the base's skill
    EXPECT_EQ(std::pair(listed[2]["block"].toInt(), listed[2]["length"].toInt()), std::pair(0x4001, 3));
}

TEST(CliApply, AFailingLineSavesAndExportsNothingAndNamesTheLine) {
    TempDir dir;
    MakeInputs(dir);
    ASSERT_EQ(Cli(dir, "insert @p.uop 4 1 @tree.dat").code, 0);
    const std::vector<std::uint8_t> before = ReadFileBytes(dir / "p.uop");
    const std::pair<std::string, const char*> cases[] = {
        {"insert art 2 missing.dat", "line 4: Cannot open"},
        {std::string("insert art 2 tree.dat\0.gone", 27), "line 4: the line holds a NUL byte"},
        {"extract art 1 x.dat", "line 4: 'extract' is not a command"},
        {"set-flags art 1 90 65536", "line 4: FLAGB takes a whole number from -32768 to 65535, not '65536'"},
        {"import art tree.dat --bogus", "line 4: unknown option '--bogus'; usage: import [--files A-B]"},
        {"remove gumps 5", "line 4: "},
    };
    for (const auto& [badLine, message] : cases) {
        WriteText(dir / "m.txt", "insert art 9 tree.dat\nexport v.mul\n\n" + badLine + "\n");
        RunSteps(dir, {{"apply @p.uop @m.txt", 1, message}});
        EXPECT_EQ(ReadFileBytes(dir / "p.uop"), before) << badLine;
        EXPECT_EQ(FilesIn(dir.path()), 9u) << badLine;  // the inputs, the patch, the manifest: no export, no leftover
    }
}

TEST(CliApply, LinesSplitLikeAShellWithoutExpansion) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"  a  b\tc ", {"a", "b", "c"}},
        {"x 'a b' \"c d\" e\\ f", {"x", "a b", "c d", "e f"}},
        {"'$HOME' \"$HOME\" *.mul \"\\$a\\\\\\x\"", {"$HOME", "$HOME", "*.mul", "$a\\\\x"}},
        {"a'b'\"c\" '' # comment", {"abc", ""}},
        {"a#b", {"a#b"}},
    };
    for (const auto& [line, expected] : cases) {
        const Result<std::vector<std::string>> words = SplitWords(line);
        ASSERT_TRUE(Ok(words)) << line;
        EXPECT_EQ(*words, expected) << line;
    }
    EXPECT_FALSE(Ok(SplitWords("a \"b")) || Ok(SplitWords("a b\\")));
}

TEST(CliVerify, CatchesAChangedByteAMissingBlockAndAnExtraBlock) {
    TempDir dir;
    const Patch patch = PatchOf({{4, 1, {1, 2, 3}}, {12, 2, {4, 5}, 7, 8}});
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", patch)));
    ASSERT_EQ(Cli(dir, "export @p.uop @good.mul").code, 0);
    EXPECT_EQ(Json(dir, "verify @p.uop @good.mul")["matches"].toBool(), true);

    Patch changed = patch, missing = patch, extra = patch;
    changed[4].blocks[0].bytes.Mutable()[1] = 9;
    missing.RemoveBlock(12, 2);
    extra.Append(14, 3, {1}, 0, 0);
    const std::tuple<const Patch&, const char*, const char*> cases[] = {
        {changed, "changed 4 1: expected length 3", "changed"},
        {missing, "missing 12 2: length 2, flags 7 8", "removed"},
        {extra, "extra 14 3: length 1", "added"},
    };
    for (const auto& [written, line, kind] : cases) {
        ASSERT_TRUE(Ok(WriteVerdata(dir / "bad.mul", written)));
        const CliResult r = Cli(dir, "verify @p.uop @bad.mul");
        EXPECT_TRUE(r.code == 1 && r.out.rfind(line, 0) == 0 && std::count(r.out.begin(), r.out.end(), '\n') == 1) << r.out;
        const QJsonObject json = Json(dir, "verify @p.uop @bad.mul", 1);
        EXPECT_EQ(std::pair(json["matches"].toBool(), json["differences"][0]["kind"].toString()),
                  std::pair(false, QString(kind)));
    }
    // Both exit 2, but only wrong usage is followed by the usage.
    const CliResult cannotTell = Cli(dir, "verify @p.uop @none.mul"), wrong = Cli(dir, "verify @p.uop");
    auto usage = [](const CliResult& r) { return r.err.find("Usage: palindra-cli verify") != std::string::npos; };
    EXPECT_EQ(std::tuple(cannotTell.code, usage(cannotTell), wrong.code, usage(wrong)), std::tuple(2, false, 2, true))
        << cannotTell.err;
    RunSteps(dir, {{"verify @p.uop @good.mul --base @none.mul", 2, "Cannot find the base verdata file"}});
}

TEST(CliDiff, ComparesEachPairOfKindsAfterSettlingDuplicates) {
    TempDir dir;
    const Patch a = PatchOf({{4, 1, {1, 2}}, {4, 1, {1, 3}}, {12, 5, {7}, 1, 1}});  // 4/1 twice: the second wins
    Patch b = a;
    b[12].blocks[0].flagB = 2;  // flags alone
    b.Append(14, 9, {8}, 0, 0);
    ASSERT_TRUE(Ok(WritePatchFile(dir / "a.uop", a)));
    ASSERT_TRUE(Ok(WritePatchFile(dir / "b.uop", b)));
    ASSERT_TRUE(Ok(WriteVerdata(dir / "a.mul", a)));
    ASSERT_TRUE(Ok(WriteVerdata(dir / "b.mul", b)));
    for (const std::string left : {"@a.uop", "@a.mul"}) {
        for (const std::string right : {"@b.uop", "@b.mul"}) {
            SCOPED_TRACE(left + " " + right);
            EXPECT_EQ(Cli(dir, "diff " + left + " @a" + right.substr(2)).code, 0);
            const QJsonObject json = Json(dir, "diff " + left + " " + right, 1);
            const QJsonArray d = json["differences"].toArray();
            ASSERT_EQ(d.size(), 2);
            const QJsonObject changed = d[0].toObject(), added = d[1].toObject();
            EXPECT_EQ(std::tuple(json["equal"].toBool(), changed["kind"].toString(), changed["a"]["flagB"].toInt(),
                                 changed["b"]["flagB"].toInt(), added["kind"].toString(), added["fileId"].toInt()),
                      std::tuple(false, QString("changed"), 1, 2, QString("added"), 14));
        }
    }
    EXPECT_EQ(Cli(dir, "diff @a.uop @none.uop").code, 2);
}

TEST(CliTypes, NamesWorkAsFileIdsAndTypesAndInfoReportInJson) {
    TempDir dir;
    WriteFileBytes(dir / "a.dat", {1, 2, 3});
    RunSteps(dir, {{"insert @p.uop GUMPS 0x10 @a.dat", 0, "*"}, {"insert @p.uop gumps 0x10 @a.dat", 0, "*"},
                   {"insert @p.uop 12 0x10 @a.dat", 0, "*"}, {"insert @p.uop &HC &h10 @a.dat", 0, "*"},
                   {"insert @p.uop gump 1 @a.dat", 2, "Usage"}, {"insert @p.uop files 1 @a.dat", 0, "*"},
                   {"export @p.uop @v.mul", 0, "*"}});
    EXPECT_EQ(Json(dir, "import @q.uop verdata @v.mul")["added"].toInt(), 2);
    // Every command answers --json with a document.
    EXPECT_EQ(Json(dir, "insert @q.uop art 7 @a.dat")["bytes"].toInt(), 3);
    for (const char* line : {"set-flags @q.uop art 7 1 2", "extract @q.uop art 7 @x.dat", "export @q.uop @w.mul",
                             "add-file @q.uop readme @a.dat", "remove @q.uop art 7"})
        EXPECT_FALSE(Json(dir, line).isEmpty()) << line;

    // Each type as it is read; the highest block is the usual one, not a limit.
    const QJsonArray types = Json(dir, "types")["types"].toArray();
    auto type = [&](const char* name) {
        const auto t = std::find_if(types.begin(), types.end(),
                                    [&](const QJsonValue& v) { return v.toObject()["name"].toString() == name; });
        return t == types.end() ? QJsonObject() : t->toObject();
    };
    const QJsonObject gumps = type("Gumps"), tiledata = type("Tiledata"), map = type("Map");
    EXPECT_EQ(std::tuple(gumps["fileId"].toInt(), gumps["layout"].toString(), map["fixedBlockSize"].toInt()),
              std::tuple(12, QString("indexed"), 196));
    EXPECT_EQ(std::tuple(tiledata["layout"].toString(), tiledata["fixedBlockSize"].toInt(),
                         tiledata["groups"][1]["static"].toInt(), tiledata["usualHighestBlock"].toInt()),
              std::tuple(QString("groups"), 0, 1316, 2559));
    EXPECT_TRUE(Has(Cli(dir, "types").out, "30 Tiledata groups, no index: 512 836-byte land groups, then 1188-byte "
                                           "static groups, or 964-byte land groups, then 1316-byte static groups; "
                                           "usually blocks 0-2559\n"));

    // Commands settle what they save, so duplicates come from elsewhere (the editor, older versions).
    Patch withDuplicates;
    for (std::uint8_t v : {1, 2, 3, 4}) withDuplicates.Append(kGumps, 0x10, {v, v, v}, 0, 0);
    withDuplicates.Append(kFiles, 1, {5, 6, 7}, 0, 0);
    ASSERT_TRUE(Ok(WritePatchFile(dir / "d.uop", withDuplicates)));
    const QJsonObject info = Json(dir, "info @d.uop");
    const QJsonObject first = info["types"].toArray()[0].toObject();
    EXPECT_EQ(std::tuple(info["live"].toInt(), info["bytes"].toInt(), first["fileId"].toInt(), first["superseded"].toInt()),
              std::tuple(2, 6, 12, 3));
}

// On a terminal a line on stderr follows the work and is wiped before any
// output; otherwise stderr stays quiet.
TEST(CliProgress, ALineFollowsTheWorkOnlyOnATerminal) {
    TempDir dir;
    MakeInputs(dir);
    const std::string patch = dir / "p.uop";
    const std::string step = "\r\033[Kpalindra-cli import: ";
    for (const bool terminal : {false, true}) {
        std::filesystem::remove(patch);
        std::ostringstream out, err;
        ASSERT_EQ(RunCli({"import", patch, "art", dir / "in dir/art.mul", dir / "in dir/art.idx"}, out, err, terminal),
                  0);
        EXPECT_EQ(out.str(), "Imported 2 blocks into " + patch + ".\n");
        EXPECT_EQ(err.str(), terminal ? step + "reading " + patch + step + "working" + step + "saving " + patch + "\r\033[K"
                                      : "");
    }
}
