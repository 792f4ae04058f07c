// bake: the patch written into copies of the client's files, each form byte
// for byte, the client's verdata.mul under it, refusals, and a property over
// random client folders and patches read back through the client's readers.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>

#include "cli_runner.h"
#include "codecs/file_ids.h"
#include "gamefiles/bake.h"
#include "gamefiles/block_fit.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/verdata.h"
#include "io/save_folder.h"
#include "patch/patch_file.h"
#include "test_support.h"

namespace {
namespace fs = std::filesystem;

B Text(const std::string& s) { return B(s.begin(), s.end()); }
B Cat(std::initializer_list<B> parts) {
    B out;
    for (const B& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
B Filled(std::size_t n, std::uint8_t seed) {
    B b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

// The output folder's files and their bytes.
std::map<std::string, B> FilesOf(const std::string& dir) {
    std::map<std::string, B> out;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return out;
    for (const auto& e : fs::directory_iterator(dir)) out[e.path().filename().string()] = ReadFileBytes(e.path().string());
    return out;
}

// The blocks of a verdata.mul as (file ID, block) -> bytes.
std::map<std::pair<int, int>, B> VerdataBlocks(const std::string& path) {
    Patch p;
    ReadOptions all;
    all.firstBlock = 0;
    EXPECT_TRUE(Ok(ReadVerdata(path, p, all)));
    std::map<std::pair<int, int>, B> out;
    for (int f = 0; f < Patch::kFileIds; ++f)
        p.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) { out[{f, b.number}] = B(b.bytes.begin(), b.bytes.end()); });
    return out;
}

std::vector<std::string> LeftOutTexts(const BakeReport& r) {
    std::vector<std::string> out;
    for (const LeftOutBlock& b : r.leftOut) out.push_back(std::to_string(b.fileId) + ":" + std::to_string(b.block) + " " + b.file);
    return out;
}
}  // namespace

// Appending keeps every client byte in place; compacting writes only what
// live entries point at (shared bytes once) and empties damaged entries.
TEST(Bake, IndexedFilesGetPatchedBlocksAppendedOrCompactedByteForByte) {
    TempDir d;
    fs::create_directory(d / "client");
    WriteText(d / "client/Art.mul", "AAAABBBB");
    const B index = IndexBytes({{0, 4, 0x00020001}, {4, 4, 7}, {-5, 4, 0}, {4, 4, 9}});
    WriteFileBytes(d / "client/ARTIDX.MUL", index);
    // Block 1 twice: the last copy wins.
    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", PatchOf({{kArt, 5, Text("DD"), 5, 6}, {kArt, 1, Text("ZZ")},
                                                          {kArt, 0, {}}, {kArt, 1, Text("CCCCC"), 3, 4}}))));
    const CliResult appended = Cli(d, "bake @p.uop @client/ @out/");
    ASSERT_EQ(appended.code, 0) << appended.err;
    EXPECT_EQ(FilesOf(d / "out"),
              (std::map<std::string, B>{
                  {"Art.mul", Text("AAAABBBBCCCCCDD")},
                  {"ARTIDX.MUL", IndexBytes({{-1, -1, -1}, {8, 5, 0x00040003}, {-1, -1, -1}, {4, 4, 9}, {-1, -1, -1}, {13, 2, 0x00060005}})}}));
    EXPECT_TRUE(Has(appended.out, "Art.mul: replaced 1, added 1, removed 1, left out 0; 15 bytes, sha256 "));
    EXPECT_TRUE(Has(appended.err, "ARTIDX.MUL: emptied 1 damaged entry (blocks 2)")) << appended.err;


    const CliResult compact = Cli(d, "bake --json --compact @p.uop @client @compact");
    ASSERT_EQ(compact.code, 0) << compact.err;
    EXPECT_EQ(FilesOf(d / "compact"),
              (std::map<std::string, B>{
                  {"Art.mul", Text("CCCCCBBBBDD")},
                  {"ARTIDX.MUL", IndexBytes({{-1, -1, -1}, {0, 5, 0x00040003}, {-1, -1, -1}, {5, 4, 9}, {-1, -1, -1}, {9, 2, 0x00060005}})}}));
    EXPECT_TRUE(Has(compact.err, "ARTIDX.MUL: emptied 1 damaged entry (blocks 2)")) << compact.err;
    EXPECT_TRUE(Has(compact.out, "\"sha256\": \"")) << compact.out;
    EXPECT_EQ(ReadFileBytes(d / "client/ARTIDX.MUL"), index);
}

// A data file cut short (or empty) bakes: the entries it ends inside are
// emptied and named rather than left to point into the appended bytes.
TEST(Bake, ADataFileCutShortBakesWithTheEntriesItEndsInsideEmptied) {
    TempDir d;
    fs::create_directory(d / "client");
    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", PatchOf({{kArt, 3, Text("PP"), 7, 8}}))));
    for (const std::string& data : {std::string("AAAABB"), std::string()}) {
        SCOPED_TRACE(data);
        WriteText(d / "client/art.mul", data);
        WriteFileBytes(d / "client/artidx.mul", IndexBytes({{0, 4, 1}, {4, 4, 2}}));
        fs::remove_all(d / "out");
        const CliResult r = Cli(d, "bake @p.uop @client @out");
        ASSERT_EQ(r.code, 0) << r.err;
        const auto size = static_cast<std::int32_t>(data.size());
        EXPECT_EQ(FilesOf(d / "out")["artidx.mul"],
                  IndexBytes({data.empty() ? std::array{-1, -1, -1} : std::array{0, 4, 1}, {-1, -1, -1}, {-1, -1, -1}, {size, 2, 0x00080007}}));
        EXPECT_TRUE(Has(r.err, "artidx.mul: emptied " + std::string(data.empty() ? "2 damaged entries (blocks 0, 1)" : "1 damaged entry (blocks 1)")))
            << r.err;
    }
}

// Fixed-size slots are replaced in place; what does not fit is left out and
// reported, and the bake still succeeds. Hue blocks go back into the 708-byte
// group under the client's header; whole files take the folder's spelling.
TEST(Bake, FixedSlotsHuesAndWholeFilesAreReplacedInPlaceAndUnfitBlocksLeftOut) {
    TempDir d;
    fs::create_directory(d / "client");
    const B map = Filled(2 * 196 + 100, 1), hues = Filled(2 * 708, 2);
    WriteFileBytes(d / "client/map0.mul", map);  // ends inside slot 2
    WriteFileBytes(d / "client/Hues.mul", hues);
    WriteText(d / "client/ReadMe.txt", "old");
    WriteText(d / "client/Client.exe", "same");  // carried unchanged: not written
    const B hue = Filled(1220, 3), x = Filled(196, 4), y = Filled(196, 5);
    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", PatchOf({{kMap, 0, x}, {kMap, 1, Filled(100, 6)}, {kMap, 2, y},
                                                          {kMap, 3, x}, {kHues, 1, hue}, {kHues, 0, Filled(708, 7)},
                                                          {kFiles, 1, Text("new readme")}, {kFiles, 0, Text("same")}}))));
    Patch patch;
    ASSERT_TRUE(Ok(ReadPatchFile(d / "p.uop", patch)));
    const Result<BakeReport> r = Bake(patch, d / "client", d / "out");
    ASSERT_TRUE(Ok(r));
    B group(hues.begin() + 708, hues.begin() + 712);  // the client's header
    for (int i = 0; i < 8; ++i) group.insert(group.end(), hue.begin() + 4 + 152 * i, hue.begin() + 4 + 152 * i + 88);
    EXPECT_EQ(FilesOf(d / "out"), (std::map<std::string, B>{
                                      {"map0.mul", Cat({x, B(map.begin() + 196, map.begin() + 392), y})},
                                      {"Hues.mul", Cat({B(hues.begin(), hues.begin() + 708), group})},
                                      {"ReadMe.txt", Text("new readme")}}));
    EXPECT_EQ(LeftOutTexts(*r), (std::vector<std::string>{"0:1 map0.mul", "0:3 map0.mul", "32:0 Hues.mul"}));
    EXPECT_EQ(r->notes, std::vector<std::string>{"map0.mul ends inside block 2: it was written whole."});

    // Tiledata groups by the client file's layout (older: 836-byte land groups,
    // then 1,188-byte static groups), animdata slots, and a whole map the patch
    // carries with a map block over it.
    TempDir e;
    const B tiles = Filled(512 * 836 + 1188, 8), anims = Filled(2 * 548, 9), whole = Filled(2 * 196, 10);
    const B statics = Filled(1188, 11), anim = Filled(548, 12);
    WriteFileBytes(e / "tiledata.mul", tiles);
    WriteFileBytes(e / "animdata.mul", anims);
    const Result<BakeReport> s = Bake(PatchOf({{kTiledata, 512, statics}, {kTiledata, 1, Filled(964, 13)}, {kAnimdata, 1, anim},
                                               {kMap, 1, x}, {kFiles, 2, whole}}),
                                      e.path(), e / "out");
    ASSERT_TRUE(Ok(s));
    EXPECT_EQ(FilesOf(e / "out"), (std::map<std::string, B>{
                                      {"tiledata.mul", Cat({B(tiles.begin(), tiles.begin() + 512 * 836), statics})},
                                      {"animdata.mul", Cat({B(anims.begin(), anims.begin() + 548), anim})},
                                      {"map0.mul", Cat({B(whole.begin(), whole.begin() + 196), x})}}));
    EXPECT_EQ(LeftOutTexts(*s), std::vector<std::string>{"30:1 tiledata.mul"});
}

// The client's verdata is baked first and the patch over it; what cannot be
// baked stays in the output's verdata.mul, written only when it differs.
// Ignored, it is neither read nor written, and blocks with nowhere to go fail.
TEST(Bake, TheClientsVerdataIsBakedFirstAndWhatCannotBeStaysInTheOutputsVerdata) {
    struct Case {
        std::vector<BlockFields> verdata, patch;
        bool apply;
        B art, index;
        std::map<std::pair<int, int>, B> leftover;  // the output's verdata.mul; {{-1, -1}, {}}: none written
        std::string failure;
    };
    const std::map<std::pair<int, int>, B> none{{{-1, -1}, {}}};
    const std::vector<BlockFields> theirs = {{kArt, 0, Text("VVV"), 1, 2}, {kArt, 1, Text("WW")}, {kAnim, 7, Text("NN")}};
    const Case cases[] = {
        {theirs, {{kArt, 1, Text("PP")}, {kAnim, 8, Text("QQ")}}, true, Text("AAAAVVVPP"), IndexBytes({{4, 3, 0x00020001}, {7, 2, 0}}),
         {{{kAnim, 7}, Text("NN")}, {{kAnim, 8}, Text("QQ")}}, ""},
        {{{kArt, 0, Text("VVV")}}, {{kArt, 1, Text("PP")}}, true, Text("AAAAVVVPP"), IndexBytes({{4, 3, 0}, {7, 2, 0}}), {}, ""},
        {{}, {{kArt, 1, Text("PP")}}, true, Text("AAAAPP"), IndexBytes({{0, 4, 0}, {4, 2, 0}}), none, ""},
        {theirs, {{kArt, 1, Text("PP")}}, false, Text("AAAAPP"), IndexBytes({{0, 4, 0}, {4, 2, 0}}), none, ""},
        {theirs, {{kAnim, 8, Text("QQ")}}, false, {}, {}, none, "the client folder lacks anim.mul and anim.idx"},
    };
    for (const Case& c : cases) {
        TempDir d;
        SCOPED_TRACE(c.failure + std::to_string(c.patch.size()));
        WriteText(d / "art.mul", "AAAA");
        WriteFileBytes(d / "artidx.mul", IndexBytes({{0, 4, 0}}));
        if (!c.verdata.empty()) {
            ASSERT_TRUE(Ok(WriteVerdata(d / "verdata.mul", PatchOf(c.verdata))));
        }
        BakeOptions options;
        options.clientVerdata = c.apply;
        const Result<BakeReport> r = Bake(PatchOf(c.patch), d.path(), d / "out", options);
        if (!c.failure.empty()) {
            EXPECT_TRUE(Has(Why(r), c.failure)) << Why(r);
            EXPECT_FALSE(fs::exists(d / "out"));
            continue;
        }
        ASSERT_TRUE(Ok(r));
        EXPECT_EQ(ReadFileBytes(d / "out/art.mul"), c.art);
        EXPECT_EQ(ReadFileBytes(d / "out/artidx.mul"), c.index);
        if (c.leftover == none) EXPECT_FALSE(fs::exists(d / "out/verdata.mul"));
        else if (c.leftover.empty()) EXPECT_EQ(ReadFileBytes(d / "out/verdata.mul"), B(4, 0));
        else EXPECT_EQ(VerdataBlocks(d / "out/verdata.mul"), c.leftover);
        if (!c.apply) {
            ASSERT_FALSE(r->notes.empty());
            EXPECT_TRUE(Has(r->notes.back(), "the client's verdata.mul will replace 1 of them")) << r->notes.back();
        }
    }
}

// Calls that cannot be carried out write nothing: not the output folder,
// not a file in it, and never a file of the client's.
TEST(Bake, RefusalsWriteNothing) {
    struct Case {
        std::string setup, out, message;
    };
    const Case cases[] = {
        {"full", "@out", "is not empty"},
        {"", "@client", "is the client folder"},
        {"index13", "@out", "not whole 12-byte entries"},
        {"tiledata", "@out", "tiledata.mul"},
        {"clash", "@out", "'ART.MUL'"},
        {"", "@client/art.mul", "is not a folder"},
        {"read-only", "@out", "is read-only"},
        {"dangling", "@out", "out': it is a symbolic link to 'gone'"},
        {"loop", "@out", "out': it is a symbolic link that leads round in a loop."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setup + " " + c.message);
        TempDir d;
        fs::create_directory(d / "client");
        WriteText(d / "client/art.mul", "AAAA");
        WriteFileBytes(d / "client/artidx.mul", IndexBytes({{0, 4, 0}}));
        if (c.setup == "full") {
            fs::create_directory(d / "out");
            WriteText(d / "out/stale.mul", "x");
        }
        if (c.setup == "read-only") {
            fs::create_directory(d / "out");
            fs::permissions(d / "out", fs::perms::owner_read | fs::perms::owner_exec);
        }
        if (c.setup == "dangling") fs::create_symlink("gone", d / "out");
        if (c.setup == "loop") {
            fs::create_symlink("out2", d / "out");
            fs::create_symlink("out", d / "out2");
        }
        if (c.setup == "index13") WriteFileBytes(d / "client/artidx.mul", B(13, 0));
        if (c.setup == "tiledata") WriteFileBytes(d / "client/tiledata.mul", B(1000, 0));
        if (c.setup == "clash") WriteText(d / "client/ART.MUL", "AAAA");
        ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", PatchOf({{kArt, 1, Text("PP")}, {kTiledata, 0, B(836, 1)}}))));
        const auto before = FilesOf(d / "client"), out = FilesOf(d / "out");
        const CliResult r = Cli(d, "bake @p.uop @client " + c.out);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Has(r.err, c.message)) << r.err;
        EXPECT_EQ(FilesOf(d / "client"), before);
        EXPECT_EQ(FilesOf(d / "out"), out);
        std::error_code ec;
        EXPECT_EQ(fs::exists(d / "out", ec), c.setup == "full" || c.setup == "read-only");
    }
}

namespace {
std::size_t NewFoldersIn(const std::string& dir) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().find(".palindra-") != std::string::npos;
    return n;
}

// Runs `child` in a process of its own with the command line's signal
// handling; its exit status.
template <class Fn>
int InChild(Fn&& child) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        RemoveTemporaryFilesOnSignals();
        ::_exit(child());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}
}  // namespace

// The output appears at once: until the commit nothing is at the output
// folder's place, a dropped bake leaves nothing beside it, and the new folder
// takes the place of an empty one (through a link) with its mode. A stop
// signal that came before the commit is honoured, one after it is not.
TEST(Bake, TheOutputFolderAppearsWholeOrNotAtAll) {
    TempDir d;
    fs::create_directory(d / "client");
    WriteText(d / "client/art.mul", "AAAA");
    WriteFileBytes(d / "client/artidx.mul", IndexBytes({{0, 4, 0}}));
    const Patch patch = PatchOf({{kArt, 1, Text("PP")}});
    const std::map<std::string, B> baked = {{"art.mul", Text("AAAAPP")},
                                            {"artidx.mul", IndexBytes({{0, 4, 0}, {4, 2, 0}})}};
    {
        Result<std::unique_ptr<PreparedBake>> dropped = PrepareBake(patch, d / "client", d / "out");
        ASSERT_TRUE(Ok(dropped));
        EXPECT_FALSE(fs::exists(d / "out"));
        EXPECT_EQ(NewFoldersIn(d.path()), 1u);
    }
    EXPECT_EQ(NewFoldersIn(d.path()), 0u);
    EXPECT_FALSE(fs::exists(d / "out"));

    fs::create_directory(d / "real");
    ::chmod((d / "real").c_str(), 0750);
    fs::create_directory_symlink("real", d / "out");
    ASSERT_TRUE(Ok(Bake(patch, d / "client", d / "out")));
    EXPECT_TRUE(fs::is_symlink(d / "out"));
    EXPECT_EQ(FilesOf(d / "real"), baked);
    EXPECT_EQ(fs::status(d / "real").permissions() & fs::perms::all, static_cast<fs::perms>(0750));

    for (const bool before : {true, false}) {
        SCOPED_TRACE(before);
        fs::remove_all(d / "signalled");
        const int status = InChild([&] {
            Result<std::unique_ptr<PreparedBake>> prepared = PrepareBake(patch, d / "client", d / "signalled");
            if (!prepared) return 2;
            const SignalsHeld held;
            if (before) ::raise(SIGTERM);
            if (!(*prepared)->Commit()) return 3;
            if (!before) ::raise(SIGTERM);
            DropStopSignals();
            return 0;
        });
        EXPECT_EQ(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM, before) << status;
        EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, !before) << status;
        EXPECT_EQ(FilesOf(d / "signalled"), (before ? std::map<std::string, B>() : baked));
        EXPECT_EQ(NewFoldersIn(d.path()), 0u);
    }
}

// Entries below block 0 have no place in a patch: an import names them, and
// a bake or an export over the client's verdata.mul carries them as they were.
TEST(Bake, VerdataEntriesBelowBlockZeroAreNamedOnImportAndCarriedByABake) {
    TempDir d;
    fs::create_directory(d / "client");
    WriteText(d / "client/art.mul", "AAAA");
    WriteFileBytes(d / "client/artidx.mul", IndexBytes({{0, 4, 0}}));
    // A verdata as another program wrote it: art 0, art -5 and gumps -1, the last without data.
    B verdata;
    PutLE(verdata, 3, 4);
    for (const auto& [fileId, block, position, length] :
         std::vector<std::array<std::int32_t, 4>>{{kArt, 0, 64, 2}, {kArt, -5, 66, 3}, {kGumps, -1, 7, 0}}) {
        for (const std::int32_t v : {fileId, block, position, length}) PutLE(verdata, static_cast<std::uint32_t>(v), 4);
        PutLE(verdata, 0x0102, 2), PutLE(verdata, 0x0304, 2);
    }
    for (const char c : std::string("VVNEG")) verdata.push_back(static_cast<std::uint8_t>(c));
    WriteFileBytes(d / "client/verdata.mul", verdata);

    RunSteps(d, {{"import @all.uop verdata @client/verdata.mul", 0, "*"}, {"import @art.uop 4 @client/verdata.mul", 0, "*"}});
    EXPECT_TRUE(Has(Cli(d, "import @x.uop verdata @client/verdata.mul").err,
                    "2 entries were left out: block numbers below 0 name no block (art block -5, gumps block -1)."));
    EXPECT_TRUE(Has(Cli(d, "import --json @y.uop 4 @client/verdata.mul").out, "\"belowZero\": [\n        {\n            \"block\": -5,"));

    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", PatchOf({{kArt, 0, Text("PP")}}))));
    const CliResult baked = Cli(d, "bake @p.uop @client @out");
    ASSERT_EQ(baked.code, 0) << baked.err;
    EXPECT_TRUE(Has(baked.err, "verdata.mul keeps 2 entries of the client's that could not be baked.")) << baked.err;
    const Result<std::vector<VerdataRecord>> below = ReadVerdataBelowZero(d / "out/verdata.mul");
    ASSERT_TRUE(Ok(below));
    const std::vector<VerdataRecord> carried = {{{kArt, -5, 0, 3, 0x0102, 0x0304}, Text("NEG")},
                                                {{kGumps, -1, 7, 0, 0x0102, 0x0304}, {}}};
    EXPECT_EQ(*below, carried);
    // An export merged over the client's verdata.mul keeps them too.
    ASSERT_EQ(Cli(d, "export --base @client/verdata.mul @p.uop @e.mul").code, 0);
    EXPECT_EQ(ReadVerdataBelowZero(d / "e.mul").value(), carried);
    EXPECT_EQ(FilesOf(d / "out")["art.mul"], Text("AAAAPP"));
}

// A folder one rename cannot replace is refused before anything is written.
TEST(Bake, AFolderThatNoRenameCanReplaceIsRefusedNamingWhy) {
    EXPECT_TRUE(Ok(CheckReplaceable("out", {})));
    EXPECT_EQ(Why(CheckReplaceable("/mnt/usb", {.mountPoint = true})),
              "'/mnt/usb' is a mount point, which no rename can replace; write into a folder inside it, such as "
              "'/mnt/usb/shipped'.");
    EXPECT_TRUE(Has(CheckReplaceable("out/", {.otherDevice = true}), "lies on another file system than the folder holding it"));
    TempDir d;
    fs::create_directory(d / "out");
    EXPECT_FALSE(PlaceOfFolder(d / "out").mountPoint);
    EXPECT_FALSE(PlaceOfFolder(d / "out").otherDevice);
}

namespace {
// A random client folder: art and gumps as data files and packages (either
// or both), a map, hues, and a verdata.mul over them with anim blocks that no
// file of the folder takes.
struct RandomClient {
    std::mt19937& rng;
    const std::string dir;

    int Pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

    void IndexedFiles(const std::string& data, const std::string& index, bool flags) {
        const B bytes = RandomBytes(rng, 20 + Pick(60));
        std::vector<std::array<std::int32_t, 3>> entries;
        for (int n = Pick(12); n > 0; --n) {
            const int kind = Pick(6), at = Pick(static_cast<int>(bytes.size()) - 4), length = 1 + Pick(4);
            const std::int32_t extra = flags ? (1 + Pick(9)) << 16 | (1 + Pick(9)) : Pick(1000);
            entries.push_back(kind == 0 ? std::array{-1, -1, -1}
                              : kind == 1 ? std::array{-3, 4, 0}
                              : kind == 2 ? std::array{at, 500, 0}
                                          : std::array{at, length, extra});
        }
        WriteFileBytes(dir + "/" + data, bytes);
        WriteFileBytes(dir + "/" + index, IndexBytes(entries));
    }

    // Entries of every flag, names of the type's scheme, chained tables of a
    // few slots with empty ones among them.
    void Package(const std::string& name, std::uint8_t fileId, int count) {
        PackageWriter w;
        ASSERT_TRUE(Ok(w.Open(dir + "/" + name, Pick(2) ? 4 : 5, 2 + Pick(3))));
        for (int i = 0; i < count; ++i) {
            if (Pick(4) == 0) w.AddEmptySlot();
            if (Pick(5) == 0 && fileId != kMap) continue;  // no entry for this block
            B payload = fileId == kMap ? Cat({RandomBytes(rng, 196 * 16), B((kMapBlocksPerChunk - 16) * 196, 0)}) : RandomBytes(rng, 1 + Pick(24));
            if (fileId == kGumps) payload = Cat({{static_cast<std::uint8_t>(1 + Pick(9)), 0, 0, 0, static_cast<std::uint8_t>(1 + Pick(9)), 0, 0, 0}, payload});
            if (fileId == kMultis) payload = MultiBlockToRecord(i, RandomBytes(rng, 16 * (1 + Pick(3))));
            const std::uint16_t flags[] = {0, 1, 3};
            w.Add(LegacyName(SchemeOfFileId(fileId)->formats[0], static_cast<std::uint32_t>(i)), payload, flags[Pick(3)]);
        }
        ASSERT_TRUE(Ok(w.Commit()));
    }

    BlockFields Block(std::uint8_t fileId, int highest) {
        int n = Pick(highest + 4);
        const int kind = Pick(8);
        if (fileId == kMap) n += Pick(2) * kMapBlocksPerChunk;  // a map package has two chunks
        B bytes = kind == 0 ? B() : RandomBytes(rng, 1 + Pick(20));
        if (fileId == kMap) bytes = kind == 0 ? B() : kind == 1 ? RandomBytes(rng, 100) : RandomBytes(rng, 196);
        if (fileId == kHues) bytes = kind == 1 ? RandomBytes(rng, 708) : RandomBytes(rng, 1220);
        if (fileId == kMultis && kind > 1) bytes = RandomBytes(rng, 16 * (1 + Pick(3)));
        const auto flag = [&] { return static_cast<std::int16_t>(kind == 2 ? 0 : Pick(12)); };
        return {fileId, n, bytes, flag(), flag()};
    }
};

constexpr std::uint8_t kTypes[] = {kArt, kGumps, kMap, kHues, kSound, kMultis, kAnim};
}  // namespace

// Reading the output folder over the client's unchanged files gives the
// client, then its verdata, then the patch, but the blocks reported as left
// out: every written patch block reads back as the same (status's verdict),
// every other block as the client had it. A package's untouched entries stay
// as they were stored.
TEST(Bake, OutputOverTheClientReadsAsClientThenVerdataThenPatch) {
    std::mt19937 rng(24);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TempDir d;
        const std::string client = d / "client", merged = d / "merged";
        fs::create_directories(client);
        RandomClient c{rng, client};
        const int forms = 1 + c.Pick(3);  // 1 data files, 2 packages, 3 both
        if (forms & 1) c.IndexedFiles("art.mul", "artidx.mul", false), c.IndexedFiles("GUMPART.MUL", "gumpidx.mul", true);
        if (forms & 2) {
            c.Package("artLegacyMUL.uop", kArt, 8), c.Package("gumpartLegacyMUL.uop", kGumps, 8);
            c.Package("soundLegacyMUL.uop", kSound, 6), c.Package("MultiCollection.uop", kMultis, 6);
        }
        if (c.Pick(2)) c.Package("map0LegacyMUL.uop", kMap, 2);
        else WriteFileBytes(client + "/map0.mul", RandomBytes(rng, 196 * 3 + c.Pick(196)));
        WriteFileBytes(client + "/hues.mul", RandomBytes(rng, 708 * (1 + c.Pick(3))));
        Patch theirs, patch;
        for (int n = c.Pick(10); n > 0; --n) {
            const BlockFields b = c.Block(kTypes[c.Pick(std::size(kTypes))], 10);
            if (b.fileId != kMultis && b.fileId != kSound) theirs.Append(b.fileId, b.number, b.bytes, b.flagA, b.flagB);
        }
        if (theirs.LiveCount() > 0 || c.Pick(2)) {
            ASSERT_TRUE(Ok(WriteVerdata(client + "/verdata.mul", theirs)));
        }
        for (int n = 1 + c.Pick(14); n > 0; --n) {
            const BlockFields b = c.Block(kTypes[c.Pick(std::size(kTypes))], 10);
            patch.Append(b.fileId, b.number, b.bytes, b.flagA, b.flagB);
        }
        BakeOptions options;
        options.clientVerdata = c.Pick(3) != 0;
        options.compact = c.Pick(2);
        const Result<BakeReport> r = Bake(patch, client, d / "out", options);
        // Types the folder has no file of: anim always, sounds and multis without their packages.
        const std::vector<std::uint8_t> homeless = forms & 2 ? std::vector{kAnim} : std::vector{kAnim, kSound, kMultis};
        const bool stray = std::any_of(homeless.begin(), homeless.end(), [&](std::uint8_t f) { return patch[f].LiveCount() > 0; });
        if (!options.clientVerdata && stray) {
            EXPECT_TRUE(Has(Why(r), "nowhere to go")) << Why(r);
            continue;
        }
        ASSERT_TRUE(Ok(r));
        fs::copy(client, merged);
        fs::copy(d / "out", merged, fs::copy_options::overwrite_existing | fs::copy_options::recursive);
        const Result<ClientFolder> before = ClientFolder::Open(client), after = ClientFolder::Open(merged);
        ASSERT_TRUE(Ok(before) && Ok(after));

        std::map<std::pair<int, int>, const PatchBlock*> mine;
        for (const std::uint8_t f : kTypes) patch.ForEachLive(f, [&](const PatchBlock& b) { mine[{f, b.number}] = &b; });
        for (const std::uint8_t f : kTypes) {
            for (const Form form : {DataFilesOf(f), Form::kPackage}) {
                if (!before->Has(f, form)) continue;
                SCOPED_TRACE(std::to_string(f) + (form == Form::kPackage ? " package" : " data files"));
                const bool verdata = options.clientVerdata && form != Form::kPackage;
                ClientBlocks was, is;
                ASSERT_TRUE(Ok(was.Open(*before, f, form, verdata)) && Ok(is.Open(*after, f, form, verdata)));
                const std::string file = form == Form::kPackage ? before->Files(f).package->name : before->Files(f).data->name;
                for (std::int32_t n = 0; n <= std::max(was.Highest(), 14); ++n) {
                    const auto patched = mine.find({f, n});
                    const bool leftOut = std::any_of(r->leftOut.begin(), r->leftOut.end(), [&](const LeftOutBlock& b) {
                        return b.fileId == f && b.block == n && b.file == file;
                    });
                    if (patched != mine.end() && !leftOut) {
                        EXPECT_EQ(JudgeBlock(f, form, n, BlockData::Of(*patched->second), is.Block(n)).state, BlockState::kSame) << n;
                        continue;
                    }
                    const ClientBlock old = was.Block(n);
                    const B expected(old.bytes.begin(), old.bytes.end());
                    const std::pair oldFlags(old.flagA, old.flagB);
                    const ClientBlock now = is.Block(n);
                    EXPECT_EQ(B(now.bytes.begin(), now.bytes.end()), expected) << n;
                    if (!expected.empty() && FlagsCount(f, form)) {
                        EXPECT_EQ(std::pair(now.flagA, now.flagB), oldFlags) << n;
                    }
                }
            }
        }
        // Blocks with no file to go to stay in the output's verdata, the patch's over the client's.
        if (options.clientVerdata && (stray || theirs[kAnim].LiveCount() > 0)) {
            std::map<std::pair<int, int>, B> left;
            for (const Patch* p : {&theirs, &patch})
                for (const std::uint8_t f : homeless)
                    p->ForEachLive(f, [&](const PatchBlock& b) { left[{f, b.number}] = B(b.bytes.begin(), b.bytes.end()); });
            auto found = VerdataBlocks(merged + "/verdata.mul");
            std::erase_if(found, [&](const auto& e) { return std::count(homeless.begin(), homeless.end(), e.first.first) == 0; });
            EXPECT_EQ(found, left);
        }
        // A package's untouched entries: record and stored bytes as the client's.
        for (const auto& [name, fileId] : {std::pair{std::string("artLegacyMUL.uop"), kArt}, {"gumpartLegacyMUL.uop", kGumps},
                                           {"soundLegacyMUL.uop", kSound}, {"MultiCollection.uop", kMultis}}) {
            if (!fs::exists(d / ("out/" + name))) continue;
            Package a, b;
            ASSERT_TRUE(Ok(a.Open(client + "/" + name)) && Ok(b.Open(d / ("out/" + name))));
            const B x = ReadFileBytes(client + "/" + name), y = ReadFileBytes(d / ("out/" + name));
            const auto byIndex = EntriesByIndex(a, *SchemeOfFileId(fileId));
            for (std::size_t i = 0; i < byIndex.size(); ++i) {
                if (!byIndex[i] || mine.count({fileId, static_cast<int>(i)})) continue;
                const PackageEntry* e = b.Find(byIndex[i]->hash);
                ASSERT_TRUE(e) << name << " " << i;
                const auto stored = [](const B& file, const PackageEntry& p) {
                    return B(file.begin() + static_cast<std::ptrdiff_t>(p.offset),
                             file.begin() + static_cast<std::ptrdiff_t>(p.offset + p.headerLength + p.storedSize));
                };
                EXPECT_EQ(std::tuple(stored(y, *e), e->flag, e->decodedSize),
                          std::tuple(stored(x, *byIndex[i]), byIndex[i]->flag, byIndex[i]->decodedSize));
            }
        }
    }
}
