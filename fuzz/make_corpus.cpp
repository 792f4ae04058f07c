// Writes a small seed corpus for each fuzz target into the given folder:
// valid inputs made by the program's own writers.
#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "codecs/anim_frames.h"
#include "codecs/art.h"
#include "codecs/block_json.h"
#include "codecs/file_ids.h"
#include "codecs/gump.h"
#include "codecs/hues.h"
#include "gamefiles/forms/package.h"
#include "fuzz_support.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"
#include "patch/patch_file.h"

namespace fs = std::filesystem;

namespace {
void Put(const fs::path& dir, const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(dir / target);
    std::ofstream(dir / target / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes FileBytes(const std::string& path) {
    Result<Bytes> b = ReadWholeFile(path);
    if (!b) std::abort();
    return std::move(*b);
}

void Check(const Status& done) {
    if (!done) std::abort();
}

Patch SamplePatch() {
    Patch p;
    p.Append(0, 5, Bytes(196, 3), -1, -1);
    p.Append(12, 7, EncodeGump(std::vector<std::uint16_t>{1, 1, 2, 3}, 2, 2).value(), 2, 2);
    p.Append(12, 7, {9}, 0, 0);
    p.AppendWithLength(4, 1, -1, {}, 0, 0);
    p.Append(252, 1, {'r', 'e', 'a', 'd'}, 0, 0);
    return p;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const fs::path dir = argv[1];
    fs::create_directories(dir);
    const std::string scratch = (dir / "scratch").string();

    Check(WritePatchFile(scratch, Patch{}));
    Put(dir, "patch_file", "empty.uop", FileBytes(scratch));
    Check(WritePatchFile(scratch, SamplePatch()));
    Put(dir, "patch_file", "sample.uop", FileBytes(scratch));

    Check(WriteVerdata(scratch, SamplePatch()));
    const Bytes verdata = FileBytes(scratch);
    Put(dir, "verdata", "sample.mul", verdata);
    Put(dir, "verdata", "empty.mul", {0, 0, 0, 0});

    Bytes pair = {24, 0, 0, 4};  // an index of two entries, then the data
    for (std::uint32_t v : {0u, 3u, 0u, 0xFFFFFFFFu, 0xFFFFFFFFu, 0u}) {
        std::uint8_t w[4];
        PutLE32(w, v);
        pair.insert(pair.end(), w, w + 4);
    }
    pair.insert(pair.end(), {1, 2, 3});
    Put(dir, "data_files", "indexed", pair);
    Bytes hues = {0, 0, 177, 1};  // fixed blocks of 708 bytes, file ID 32
    hues.resize(4 + 708 * 2, 5);
    Put(dir, "data_files", "hues", hues);

    Bytes gump = {3, 0, 2, 0};
    const Bytes encoded = EncodeGump(std::vector<std::uint16_t>{1, 1, 2, 3, 3, 3}, 3, 2).value();
    gump.insert(gump.end(), encoded.begin(), encoded.end());
    Put(dir, "gump", "3x2", gump);

    Put(dir, "previews", "map", Bytes(196, 1));
    Bytes radar(1 + 196 + 14, 2);
    radar[0] = 98;  // a whole map block, then two statics
    Put(dir, "map_radar", "block", radar);
    Bytes anim(520, 0);
    anim[512] = 1;
    anim[516] = 8;
    anim.insert(anim.end(), {5, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x10, 0, 0, 7, 8, 0xFF, 0x7F, 0xFF, 0x7F});
    Put(dir, "anim", "preview", anim);
    Animation frames;
    frames.palette[1] = 0x7C00;
    frames.frames = {{1, -2, 3, 2, {1, -1, 1, 0, 0, 1}, 0}, {0, 0, 0, 0, {}, 0}, {-40, 30, 2, 1, {1, 1}, 0}};
    Put(dir, "anim", "own", EncodeAnimation(frames).value());

    Put(dir, "art", "land", Bytes(2024, 0x11));
    Put(dir, "art", "static", {0, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0x1F, 0, 0x1F, 0, 0, 0, 0, 0});
    Put(dir, "static_tile", "small", {0, 0, 0, 0, 3, 0, 1, 0, 0, 0, 1, 0, 2, 0, 0x1F, 0, 0, 0, 0, 0, 0, 0});
    // A row's run that reaches 2048 is split in two.
    Put(dir, "static_tile", "wide", EncodeStaticTile(std::vector<std::uint16_t>(2048, 0x7C00), 2048, 1, 7).value());

    Put(dir, "hues", "block", Bytes(708, 0x21));

    Put(dir, "block_facts", "hues", HuesToVerdataBytes(Bytes(708, 0x41)));
    Bytes sound(40 + 6, 0x30);
    sound[4] = 0;
    Put(dir, "block_facts", "sound", sound);

    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(200, 100, 50));
    picture.setPixel(1, 1, qRgb(0, 0, 255));
    for (const char* format : {"BMP", "PNG"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, format);
        Put(dir, "bitmap_to_gump", format, Bytes(bytes.begin(), bytes.end()));
    }
    // Command lines, arguments separated by NUL.
    using namespace std::string_view_literals;
    const std::string_view lines[] = {"import\0p.uop\0--files\0" "0-1"sv,
                                      "import\0p.uop\0" "4\0a.mul\0a.idx\0--blocks\0" "5-2"sv,
                                      "list\0p.uop"sv,
                                      "export\0p.uop\0v.mul\0--base\0none.mul"sv,
                                      "--version"sv,
                                      "import\0p.uop\0verdata\0v.mul\0--bogus"sv,
                                      "--json\0import\0--blocks=0x1-&H2\0p.uop\0art\0--\0-a.mul\0--skip-absent"sv,
                                      "set-flags\0p.uop\0" "4\0" "1\0-5\0-0x10\0-h"sv};
    int n = 0;
    for (const std::string_view line : lines) Put(dir, "cli_args", "line" + std::to_string(n++), Bytes(line.begin(), line.end()));
    // Manifests over the inputs the apply target makes: one that succeeds, two that fail at their last line.
    const std::string_view manifests[] = {
        "import art art.mul art.idx\ninsert gumps 5 a.dat\nexport out_v.mul --base base.mul\n",
        "export v.mul\nexport out\n",
        "insert art 2 a.dat\nexport e.mul\nremove art 9\n",
    };
    n = 0;
    for (const std::string_view m : manifests) Put(dir, "apply", "manifest" + std::to_string(n++), Bytes(m.begin(), m.end()));
    // frames.json: a whole one as anim-to-png writes it, and one of centres only.
    std::string json = "{\"frames\": [{\"centreX\": 7, \"centreY\": 0, \"file\": \"frame-000.png\"}, {\"centreX\": -3, "
                       "\"centreY\": 4, \"file\": \"frame-001.png\", \"height\": 5, \"width\": 0}], \"palette\": [0";
    for (int i = 1; i < 256; ++i) json += ", " + std::to_string(97 * i);
    json += "]}";
    const std::string_view centres = R"({"frames": [{"file": "frame-002.png", "centreY": -9}]})";
    Put(dir, "frames_json", "whole", Bytes(json.begin(), json.end()));
    Put(dir, "frames_json", "centres", Bytes(centres.begin(), centres.end()));
    // block_json: a kind's number, then a whole document as BlockToJson writes it, and a partial one.
    const std::pair<std::uint8_t, Bytes> tables[] = {{kTiledata, Bytes(836, 0x41)}, {kHues, Bytes(1220, 0x42)},
                                                     {kAnimdata, Bytes(548, 7)},    {kMultis, Bytes(32, 0)},
                                                     {kSkills, Bytes{1, 'a', 0}},   {kStatics, Bytes(14, 5)},
                                                     {kMap, Bytes(196, 6)}};
    const std::uint8_t kindNumbers[] = {0, 2, 3, 4, 5, 6, 7};  // as fuzz_block_json numbers its kinds
    for (std::size_t i = 0; i < std::size(tables); ++i) {
        const std::string doc = BlockToJson(tables[i].first, 5, tables[i].second).value();
        Bytes seed = {kindNumbers[i]};
        seed.insert(seed.end(), doc.begin(), doc.end());
        Put(dir, "block_json", "whole" + std::to_string(i), seed);
    }
    const std::string_view partial = "\x01{\"type\": \"tiledata-items\", \"entries\": [{\"index\": 5, \"name\": \"iron anvil\", "
                                     "\"flagNames\": [\"Wet\", \"Bit40\"]}, {\"weight\": 3}]}";
    Put(dir, "block_json", "partial", Bytes(partial.begin(), partial.end()));
    PackageWriter package;
    for (std::uint32_t version : {4u, 5u}) {
        Check(package.Open(scratch, version, 2));
        package.Add("build/artlegacymul/00000001.tga", Bytes{1, 2, 3, 4}, 0);
        package.AddEmptySlot();
        package.Add("build/multicollection/000000.bin", Bytes{0, 0, 0, 0, 1, 0, 0, 0, 5, 0, 1, 0, 2, 0, 3, 0, 0, 1, 0, 0, 0, 0}, 1);
        package.Add("build/gumpartlegacymul/00000005.tga", Bytes{2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0x1F, 0x7C, 2, 0}, 3);
        Check(package.Commit());
        Put(dir, "package", "v" + std::to_string(version), FileBytes(scratch));
    }
    // bake_package: a kind, a version, a table size, entries, then patch blocks.
    for (std::uint8_t kind = 0; kind < 5; ++kind) {
        Bytes seed = {kind, 1, 2, 6, 0, 0, 3, 9, 9, 9, 1, 2, 0, 5, 4, 7, 7, 7, 7, 0, 1, 3, 2, 8, 8, 1, 1};
        Put(dir, "bake_package", "kind" + std::to_string(kind), seed);
    }
    // convert: a type, options, the index's length, then the index and the data file (or a package).
    Put(dir, "convert", "art", Bytes{0, 0, 24, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                      0xFF, 0xFF, 0xFF, 0xFF, 7, 8});
    Put(dir, "convert", "map", Bytes(4 + 2 * 196, 2));
    Bytes packed = {5, 2, 0, 0};
    const Bytes v4 = FileBytes(dir / "package" / "v4");
    packed.insert(packed.end(), v4.begin(), v4.end());
    Put(dir, "convert", "package", packed);
    fs::remove(scratch);
    return 0;
}
