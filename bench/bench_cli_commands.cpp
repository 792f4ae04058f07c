// Whole palindra-cli commands as a user runs them, on full-size synthetic
// files, against copying or reading the same bytes in the same run. Each
// command and its baseline run alternately, on a warm page cache (the
// files were just written or read). For the conversions the median of 5
// runs of each counts; for the other rows the best of RUNS, as their
// "before" column was measured.
// Peak memory is the child's high-water mark less that of the same program
// doing nothing, against the bytes of block data the command holds. The
// "before" column is this benchmark's ratio on the same machine before block
// data moved into arenas.
//
//   palindra_cli_bench [PATH-TO-palindra-cli] [RUNS] [WORD]
// WORD runs only the rows whose command holds it ("convert").
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "bench_support.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "io/bytes.h"
#include "patch/patch_file.h"

namespace {
constexpr std::int64_t kMapBlocks = 393216;
constexpr int kBaseEntries = 100000;
// A client folder with a 100 MB art.mul and one with a 60 MB gump package,
// and patches of 10,000 art blocks and of 100 gumps for them.
constexpr int kArtEntries = 100000, kArtLength = 1000, kArtPatched = 10000;
constexpr int kGumpEntries = 6000, kGumpLength = 10000, kGumpsPatched = 100;
constexpr std::size_t kBigBlock = 10000;
// Second-stage gumps of 16 colours: 60 MB stored.
constexpr std::size_t kStagedGumpLength = 20000;


ChildRun Sh(const std::string& command) { return Spawn({"/bin/sh", "-c", command}, ""); }

// A map of random blocks, a copy differing in every 100th block, and a
// verdata of 100,000 entries (a fifth of them map blocks the patch replaces).
void MakeFiles(const ScratchDir& dir) {
    std::mt19937 rng(15);
    Bytes map(static_cast<std::size_t>(kMapBlocks * kMapBlockSize));
    for (auto& b : map) b = static_cast<std::uint8_t>(rng());
    WriteFileOrDie(dir / "map0.mul", map);
    for (std::int64_t n = 0; n < kMapBlocks; n += 100) map[static_cast<std::size_t>(n * kMapBlockSize + 7)] ^= 0xFF;
    WriteFileOrDie(dir / "map0b.mul", map);

    Bytes head(4 + kBaseEntries * 20), data;
    PutLE32(head.data(), kBaseEntries);
    for (int i = 0; i < kBaseEntries; ++i) {
        const bool isMap = i % 5 == 0;
        const std::uint32_t length = isMap ? kMapBlockSize : 100 + rng() % 500;
        std::uint8_t* e = &head[4 + static_cast<std::size_t>(i) * 20];
        PutLE32(e, isMap ? 0 : 4 + i % 3 * 4);
        PutLE32(e + 4, static_cast<std::uint32_t>(isMap ? i * 3 : i));
        PutLE32(e + 8, static_cast<std::uint32_t>(head.size() + data.size()));
        PutLE32(e + 12, length);
        PutLE16(e + 16, static_cast<std::uint16_t>(i));
        PutLE16(e + 18, static_cast<std::uint16_t>(i >> 16));
        for (std::uint32_t k = 0; k < length; ++k) data.push_back(static_cast<std::uint8_t>(rng()));
    }
    head.insert(head.end(), data.begin(), data.end());
    WriteFileOrDie(dir / "base.mul", head);

    Bytes art(static_cast<std::size_t>(kArtEntries) * kArtLength), artIndex(kArtEntries * 12);
    for (auto& b : art) b = static_cast<std::uint8_t>(rng());
    for (int i = 0; i < kArtEntries; ++i) {
        PutLE32(&artIndex[static_cast<std::size_t>(i) * 12], static_cast<std::uint32_t>(i * kArtLength));
        PutLE32(&artIndex[static_cast<std::size_t>(i) * 12 + 4], kArtLength);
    }
    WriteFileOrDie(dir / "artclient/art.mul", art);
    WriteFileOrDie(dir / "artclient/artidx.mul", artIndex);
    Patch artPatch, gumpPatch;
    for (int i = 0; i < kArtPatched; ++i)
        artPatch.Append(4, i * (kArtEntries / kArtPatched), Bytes(kArtLength + i % 7, static_cast<std::uint8_t>(i)), 0, 0);
    if (!WritePatchFile(dir / "art.uop", artPatch)) std::exit(2);

    PackageWriter gumps;
    if (!gumps.Open(dir / "gumpclient/gumpartLegacyMUL.uop", 5, 1000)) std::exit(2);
    Bytes gump(8 + kGumpLength);
    for (int i = 0; i < kGumpEntries; ++i) {
        PutLE32(gump.data(), 50);
        PutLE32(gump.data() + 4, 50);
        for (std::size_t k = 8; k < gump.size(); ++k) gump[k] = static_cast<std::uint8_t>(rng());
        gumps.Add(LegacyName(SchemeOfFileId(12)->formats[0], static_cast<std::uint32_t>(i)), gump, 0);
    }
    if (!gumps.Commit()) std::exit(2);
    // Gumps as newer clients ship them: version 4, each entry through the second stage and zlib.
    PackageWriter staged;
    if (!staged.Open(dir / "stagedgumps/gumpartLegacyMUL.uop", 4, 100)) std::exit(2);
    gump.resize(8 + kStagedGumpLength);
    for (int i = 0; i < kGumpEntries; ++i) {
        PutLE32(gump.data(), 50);
        PutLE32(gump.data() + 4, 50);
        for (std::size_t k = 8; k < gump.size(); ++k) gump[k] = static_cast<std::uint8_t>(rng() % 16);
        staged.Add(LegacyName(SchemeOfFileId(12)->formats[0], static_cast<std::uint32_t>(i)), gump, 3);
    }
    if (!staged.Commit()) std::exit(2);
    for (int i = 0; i < kGumpsPatched; ++i)
        gumpPatch.Append(12, i * (kGumpEntries / kGumpsPatched), Bytes(kGumpLength, static_cast<std::uint8_t>(i)), 40, 60);
    if (!WritePatchFile(dir / "gumps.uop", gumpPatch)) std::exit(2);
    // Patches of 100 and 300 MB of art blocks, for the bake's memory: it must not grow with them.
    for (const auto& [name, blocks] : {std::pair{"big100.uop", kArtEntries / 10}, std::pair{"big300.uop", kArtEntries * 3 / 10}}) {
        Patch big;
        for (int i = 0; i < blocks; ++i) big.Append(4, i, Bytes(kBigBlock, static_cast<std::uint8_t>(i)), 0, 0);
        if (!WritePatchFile(dir / name, big)) std::exit(2);
    }
}

long long FileSize(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    const long long size = std::ftell(f);
    std::fclose(f);
    return size;
}

// Copying the client's art.mul with the patch's bytes behind it, to disk,
// and hashing it: the bytes a bake of that patch writes.
std::string AppendedCopy(const ScratchDir& dir, const std::string& patch, const std::string& copy) {
    return "cp '" + dir / "artclient/art.mul" + "' '" + copy + "' && cat '" + dir / patch + "' >> '" + copy + "' && sync '" +
           copy + "' && sha256sum '" + copy + "' >/dev/null";
}

struct Row {
    std::string what;
    std::vector<std::string> command;
    std::string before;    // shell work before each run of the command (untimed)
    std::string baseline;  // shell command it is compared with
    double target;
    const char* earlier;  // the ratio before block data moved into arenas
    std::string baselineName = {};  // as printed; "": the baseline's first word
    bool median = false;  // counts the median of kMedianRuns runs, not the best of RUNS
    std::vector<double> seconds = {}, baseSeconds = {};
    long long peakBytes = 0;
};

constexpr int kMedianRuns = 5;

double Counted(std::vector<double> seconds, bool median) {
    std::sort(seconds.begin(), seconds.end());
    return median ? seconds[seconds.size() / 2] : seconds.front();
}
}  // namespace

int main(int argc, char** argv) {
    const std::string cli = argc > 1 ? argv[1] : PALINDRA_CLI_PATH;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::string only = argc > 3 ? argv[3] : "";
    ScratchDir dir;
    Sh("mkdir -p '" + dir / "artclient" + "' '" + dir / "gumpclient" + "' '" + dir / "stagedgumps" + "'");
    // A child makes the files: a spawned command starts with this process's
    // high-water mark, which must stay small.
    if (const pid_t maker = fork(); maker == 0) {
        MakeFiles(dir);
        _exit(0);
    } else {
        waitpid(maker, nullptr, 0);
    }
    const std::string map0 = dir / "map0.mul", map0b = dir / "map0b.mul", base = dir / "base.mul";
    const std::string fresh = dir / "new.uop", mapUop = dir / "map.uop", out = dir / "out.mul", copy = dir / "copy";
    const std::string copy2 = dir / "copy2", baked = dir / "baked";
    Spawn({cli, "import", mapUop, "0", map0});
    const std::string artPackage = dir / "artpackage.uop", converted = dir / "converted";
    const std::string stagedGumps = dir / "stagedgumps/gumpartLegacyMUL.uop";
    // What each conversion writes, for its baseline to copy and hash.
    Spawn({cli, "convert", dir / "artclient/art.mul", dir / "artclient/artidx.mul", artPackage});
    Spawn({cli, "convert", artPackage, dir / "ref-art.mul", dir / "ref-art.idx"});
    Spawn({cli, "convert", stagedGumps, dir / "ref-gumps.mul", dir / "ref-gumps.idx"});
    auto copied = [&](const std::string& a, const std::string& b) {
        return "cp '" + a + "' '" + copy + "' && cp '" + b + "' '" + copy2 + "' && sync '" + copy + "' '" + copy2 +
               "' && sha256sum '" + copy + "' '" + copy2 + "' >/dev/null";
    };
    Spawn({cli, "export", mapUop, out, "--base", base});

    std::vector<Row> rows = {
        {"import NEW.uop 0 map0.mul", {cli, "import", fresh, "0", map0}, "rm -f '" + fresh + "'",
         "cp '" + map0 + "' '" + copy + "' && sync '" + copy + "'", 2, "6.50x"},
        {"export map.uop out.mul --base base.mul", {cli, "export", mapUop, out, "--base", base}, "",
         "cp '" + out + "' '" + copy + "' && sync '" + copy + "'", 2, "6.96x"},
        {"list map.uop", {cli, "list", mapUop}, "", "cat '" + mapUop + "' >/dev/null", 4, "13.5x"},
        {"compare NEW.uop 0 map0.mul map0b.mul", {cli, "compare", fresh, "0", map0, map0b}, "rm -f '" + fresh + "'",
         "cat '" + map0 + "' '" + map0b + "' >/dev/null", 2, "3.9x"},
        // The scratch folder is the client: of the client's usual names it holds map0.mul alone.
        {"status map.uop DIR", {cli, "status", mapUop, dir / "."}, "",
         "'" + cli + "' list '" + mapUop + "' >/dev/null && cat '" + map0 + "' >/dev/null", 1.5, "-",
         "list + cat"},
        {"bake art.uop (10,000 blocks, 100 MB art.mul)", {cli, "bake", dir / "art.uop", dir / "artclient", baked},
         "rm -rf '" + baked + "'",
         "cp '" + dir / "artclient/art.mul" + "' '" + copy + "' && cp '" + dir / "artclient/artidx.mul" + "' '" + copy2 +
             "' && sync '" + copy + "' '" + copy2 + "' && sha256sum '" + copy + "' '" + copy2 + "' >/dev/null",
         1.5, "-"},
        {"bake gumps.uop (100 gumps, 60 MB package)", {cli, "bake", dir / "gumps.uop", dir / "gumpclient", baked},
         "rm -rf '" + baked + "'",
         "cp '" + dir / "gumpclient/gumpartLegacyMUL.uop" + "' '" + copy + "' && sync '" + copy + "' && sha256sum '" +
             copy + "' >/dev/null",
         1.5, "-"},
        {"bake big100.uop (100 MB patch)", {cli, "bake", dir / "big100.uop", dir / "artclient", baked},
         "rm -rf '" + baked + "'", AppendedCopy(dir, "big100.uop", copy), 1.5, "-", "cp + cat"},
        {"bake big300.uop (300 MB patch)", {cli, "bake", dir / "big300.uop", dir / "artclient", baked},
         "rm -rf '" + baked + "'", AppendedCopy(dir, "big300.uop", copy), 1.5, "-", "cp + cat"},
        // A conversion against copying what it writes to disk and hashing it.
        {"convert art.mul artidx.mul (100 MB) into a package",
         {cli, "convert", dir / "artclient/art.mul", dir / "artclient/artidx.mul", converted + ".uop"},
         "rm -f '" + converted + ".uop'",
         "cp '" + artPackage + "' '" + copy + "' && sync '" + copy + "' && sha256sum '" + copy + "' >/dev/null", 1.5, "-", "",
         true},
        {"convert the 100 MB art package into data files", {cli, "convert", artPackage, converted + ".mul", converted + ".idx"},
         "rm -f '" + converted + ".mul' '" + converted + ".idx'", copied(dir / "ref-art.mul", dir / "ref-art.idx"), 1.5, "-", "cp", true},
        {"convert 60 MB of second-stage gumps into data files",
         {cli, "convert", stagedGumps, converted + ".mul", converted + ".idx"},
         "rm -f '" + converted + ".mul' '" + converted + ".idx'", copied(dir / "ref-gumps.mul", dir / "ref-gumps.idx"), 1.5, "-", "cp", true},
    };
    auto wanted = [&](const Row& row) {
        std::string words;
        for (const std::string& word : row.command) words += word + " ";
        return only.empty() || words.find(only) != std::string::npos;
    };
    for (int r = 0; r < std::max(runs, kMedianRuns); ++r)
        for (Row& row : rows) {
            if (r >= (row.median ? kMedianRuns : runs) || !wanted(row)) continue;
            if (!row.before.empty()) Sh(row.before);
            const ChildRun c = Spawn(row.command);
            const ChildRun b = Sh(row.baseline + " && rm -f '" + copy + "'");
            row.seconds.push_back(c.seconds);
            row.baseSeconds.push_back(b.seconds);
            row.peakBytes = std::max(row.peakBytes, c.peakBytes);
        }
    long long idle = 0;
    double start = 1e9;
    for (int r = 0; r < runs; ++r) {
        const ChildRun run = Spawn({cli, "types"});
        idle = std::max(idle, run.peakBytes);
        start = std::min(start, run.seconds);
    }

    std::printf("%-46s %9s %9s %7s %7s %7s\n", "command", "seconds", "baseline", "ratio", "before", "target");
    for (const Row& row : rows) {
        if (row.seconds.empty()) continue;
        const double command = Counted(row.seconds, row.median), baseline = Counted(row.baseSeconds, row.median);
        std::printf("%-46s %9.3f %9.3f %6.2fx %7s %6.1fx  (%s%s)\n", row.what.c_str(), command, baseline, command / baseline,
                    row.earlier, row.target,
                    (row.baselineName.empty() ? row.baseline.substr(0, row.baseline.find(' ')) : row.baselineName).c_str(),
                    row.median ? ", median of 5" : "");
    }
    if (!only.empty()) return 0;
    // The block data the import and the export hold: the map's bytes, and
    // those plus the base's data.
    const long long mapData = kMapBlocks * kMapBlockSize;
    const long long baseData = FileSize(base) - 4 - kBaseEntries * 20;
    std::printf("palindra-cli doing nothing (types): %.3f s, peak %.1f MB\n", start, idle / 1e6);
    for (const auto& [row, data, before] :
         {std::tuple{&rows[0], mapData, "1.51x"}, std::tuple{&rows[1], mapData + baseData, "1.56x"}})
        std::printf("peak memory of %-32s %7.1f MB for %7.1f MB of block data: %5.2fx (before %s, target 1.15x)\n",
                    row->what.c_str(), (row->peakBytes - idle) / 1e6, data / 1e6,
                    double(row->peakBytes - idle) / double(data), before);
    // A bake holds windows of the patch and pieces of the client's files, never the files themselves.
    for (const auto& [row, patch] : {std::pair{&rows[5], dir / "art.uop"}, std::pair{&rows[6], dir / "gumps.uop"},
                                     std::pair{&rows[7], dir / "big100.uop"}, std::pair{&rows[8], dir / "big300.uop"}})
        std::printf("peak memory of %-32s %7.1f MB for a %5.1f MB patch (target: 80 MB whatever the patch)\n",
                    row->what.c_str(), (row->peakBytes - idle) / 1e6, FileSize(patch) / 1e6);
    // status reads the patch's data and the client's file through windows: its memory must not grow with them.
    std::printf("peak memory of %-32s %7.1f MB beside %.1f MB of block data and a %.1f MB map0.mul\n",
                rows[4].what.c_str(), (rows[4].peakBytes - idle) / 1e6, mapData / 1e6, FileSize(map0) / 1e6);
    return 0;
}
