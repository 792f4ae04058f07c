#include "cli/samples.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "cli/package_samples.h"
#include "io/broken_links.h"
#include "io/bytes.h"
#include "codecs/anim_frames.h"
#include "codecs/colors.h"
#include "codecs/gump.h"
#include "codecs/hues.h"
#include "codecs/png_stream.h"
#include "codecs/sound_block.h"
#include "codecs/wav.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/verdata.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "io/save_file.h"

namespace {
constexpr int kMapBlocks = 512;  // one strip of blocks: cells 0..7 by 0..4095
constexpr int kLandTiles = 8;
constexpr int kStaticTiles = 4;

std::uint16_t Rgb16(int r, int g, int b) {
    return static_cast<std::uint16_t>(((r & 31) << 10) | ((g & 31) << 5) | (b & 31));
}

// Terrain colours of the land tiles 0..7: deep water to snow.
const std::uint16_t kTerrain[kLandTiles] = {Rgb16(2, 6, 18), Rgb16(4, 12, 24), Rgb16(26, 24, 14), Rgb16(6, 20, 6),
                                            Rgb16(4, 15, 4),  Rgb16(14, 11, 6), Rgb16(16, 16, 16), Rgb16(30, 30, 31)};

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

Status Write(const std::string& path, const Bytes& bytes) {
    SaveFile file;
    if (Status done = file.Open(path); !done) return done;
    file.Write(bytes);
    return file.Commit();
}

// The land tile of map cell (x, y): rings of terrain around a lake.
int TileAt(int x, int y) {
    const double d = std::hypot(x - 4.0, y - 40.0);
    return std::min(kLandTiles - 1, static_cast<int>(d / 4.0));
}

Bytes MapBlock(int n) {
    Bytes b(4, 0);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            Put16(b, static_cast<std::uint32_t>(TileAt(c, 8 * n + r)));
            b.push_back(static_cast<std::uint8_t>(r + c));  // altitude
        }
    return b;
}

Bytes RadarColors() {
    Bytes b;
    for (int t = 0; t < 65536; ++t) Put16(b, t < kLandTiles ? kTerrain[t] : Rgb16(t % 32, (t / 32) % 32, (t / 1024) % 32));
    return b;
}

Bytes LandTile(int tile, int variant) {
    Bytes b;
    const int base = kTerrain[tile % kLandTiles];
    for (int r = 0; r < 44; ++r) {
        const int w = r < 22 ? 2 * (r + 1) : 2 * (44 - r);
        for (int i = 0; i < w; ++i) {
            const int shade = ((r + i + variant) % 6 == 0) ? 2 : 0;
            const int red = std::min(31, ((base >> 10) & 31) + shade), green = std::min(31, ((base >> 5) & 31) + shade);
            Put16(b, static_cast<std::uint32_t>(Rgb16(red, green, base & 31)));
        }
    }
    return b;
}

// A static tile of one run per row: a trunk under a round crown.
Bytes StaticTile(int kind) {
    const int w = 20 + 4 * kind, h = 30;
    std::vector<Bytes> rows;
    for (int y = 0; y < h; ++y) {
        const int half = y < 20 ? static_cast<int>(std::sqrt(100.0 - (y - 10) * (y - 10))) : 2;
        const int left = w / 2 - half, length = 2 * half;
        Bytes row;
        Put16(row, static_cast<std::uint32_t>(std::max(left, 0)));
        Put16(row, static_cast<std::uint32_t>(length));
        for (int i = 0; i < length; ++i) Put16(row, y < 20 ? Rgb16(4, 18 + (i % 3) + kind, 4) : Rgb16(14, 9, 4));
        Put16(row, 0);
        Put16(row, 0);
        rows.push_back(row);
    }
    Bytes b;
    Put32(b, 0);
    Put16(b, static_cast<std::uint32_t>(w));
    Put16(b, static_cast<std::uint32_t>(h));
    std::size_t words = 0;
    for (const Bytes& row : rows) {
        Put16(b, static_cast<std::uint32_t>(words));
        words += row.size() / 2;
    }
    for (const Bytes& row : rows) b.insert(b.end(), row.begin(), row.end());
    return b;
}

struct Gump {
    int width, height;
    Bytes block;
};

Gump MakeGump(int kind) {
    const int sizes[][2] = {{64, 48}, {120, 90}, {32, 32}, {80, 60}};
    const int w = sizes[kind][0], h = sizes[kind][1];
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint16_t c = 0;
            switch (kind) {
                case 0: c = Rgb16(x * 31 / w, y * 31 / h, 12); break;
                case 1: {
                    const bool frame = x < 4 || y < 4 || x >= w - 4 || y >= h - 4;
                    const bool disc = std::hypot(x - w / 2.0, y - h / 2.0) < 28;
                    c = frame ? Rgb16(22, 17, 6) : disc ? Rgb16(28, 6, 4) : Rgb16(10, 8, 5);
                    break;
                }
                case 2: c = ((x / 8) + (y / 8)) % 2 ? Rgb16(31, 31, 31) : Rgb16(0, 0, 0); break;
                default: c = Rgb16(4, 10 + (y * 20 / h), 20 - (x * 15 / w)); break;
            }
            pixels[static_cast<std::size_t>(y * w + x)] = c;
        }
    return {w, h, EncodeGump(pixels, w, h).value()};
}

// Whether (x, y) lies within `r` of the line from (ax, ay) to (bx, by).
bool Near(double x, double y, double ax, double ay, double bx, double by, double r) {
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - ax - t * dx, y - ay - t * dy) <= r;
}

// The sample animation: a figure doing a jumping jack in four frames. Each
// frame is as wide as the pose needs and stands on the middle of its bottom
// edge, so the feet stay on the ground while the figure crouches.
Bytes AnimBlock() {
    enum : std::int16_t { kHair, kSkin, kShirt, kTrousers, kShoes };
    Animation a;
    const std::uint16_t colours[] = {Rgb16(9, 5, 2), Rgb16(29, 21, 16), Rgb16(5, 11, 25), Rgb16(7, 7, 10),
                                     Rgb16(3, 2, 2)};
    std::copy(std::begin(colours), std::end(colours), a.palette.begin());
    struct Pose {
        std::uint16_t width, height;
        double handX, handY, footX;  // from the middle
    };
    // Standing; arms and legs half out; arms up and legs wide; half out again.
    for (const Pose& pose : {Pose{14, 40, 5, 23, 2}, Pose{22, 39, 9.5, 19, 4}, Pose{20, 38, 8.5, 4, 6},
                             Pose{22, 39, 9.5, 19, 4}}) {
        AnimFrame f{static_cast<std::int16_t>(pose.width / 2), 0, pose.width, pose.height, {}, 0};
        const double mid = pose.width / 2.0, feet = pose.height - 2.0;
        for (int row = 0; row < f.height; ++row)
            for (int column = 0; column < f.width; ++column) {
                const double x = column + 0.5, y = row + 0.5;
                std::int16_t c = kAnimTransparent;
                if (std::hypot(x - mid, y - 6) < 4.6) c = y < 4 ? kHair : kSkin;
                else if (std::abs(x - mid) < 4 && y >= 11 && y < 25) c = kShirt;
                for (const int side : {-1, 1}) {
                    const double handX = mid + pose.handX * side;
                    if (Near(x, y, mid + 4.5 * side, 12, handX, pose.handY, 1.1))
                        c = std::hypot(x - handX, y - pose.handY) < 1.6 ? kSkin : kShirt;
                    if (Near(x, y, mid + 2 * side, 24, mid + pose.footX * side, feet, 1.3))
                        c = y > feet - 1.5 ? kShoes : kTrousers;
                }
                f.cells.push_back(c);
            }
        a.frames.push_back(std::move(f));
    }
    return EncodeAnimation(a).value();
}

void PutName(Bytes& out, const std::string& name) {
    Bytes field(20, 0);
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 19), field.begin());
    out.insert(out.end(), field.begin(), field.end());
}

// A tiledata.mul of the older layout: 512 land groups of 32 records (flags
// u32, texture u16, name), then 512 static groups of 32 records.
Bytes TiledataFile() {
    const char* landNames[kLandTiles] = {"deep water", "water", "sand", "grass", "forest", "dirt", "rock", "snow"};
    Bytes b;
    for (int group = 0; group < 512; ++group) {
        Put32(b, 0);
        for (int i = 0; i < 32; ++i) {
            const int tile = group * 32 + i;
            Put32(b, tile < 2 ? 0x80u : 0u);  // the water tiles are wet
            Put16(b, static_cast<std::uint32_t>(tile < kLandTiles ? tile + 1 : 0));
            PutName(b, tile < kLandTiles ? landNames[tile] : "");
        }
    }
    for (int group = 0; group < 512; ++group) {
        Put32(b, 0);
        for (int i = 0; i < 32; ++i) {
            const bool tree = group == 0 && i < kStaticTiles;
            Put32(b, tree ? 0x40u : 0u);  // impassable
            b.push_back(tree ? 255 : 0);  // weight
            b.push_back(0);               // quality
            Put16(b, 0);                  // misc
            b.push_back(0);
            b.push_back(tree ? 1 : 0);  // quantity
            Put16(b, 0);                // animation
            b.push_back(0);
            b.push_back(0);  // hue
            b.push_back(0);  // stacking
            b.push_back(0);  // value
            b.push_back(tree ? 20 : 0);  // height
            PutName(b, tree ? "tree " + std::to_string(i + 1) : "");
        }
    }
    return b;
}

// An animdata.mul: 2,048 groups of a header and 8 records (64 frame offsets,
// unknown, frame count, frame interval, start interval); the first record
// cycles four frames.
Bytes AnimdataFile() {
    Bytes b(2048 * 548, 0);
    for (int f = 0; f < 4; ++f) b[4 + static_cast<std::size_t>(f)] = static_cast<std::uint8_t>(f);
    b[4 + 65] = 4;  // frame count
    b[4 + 66] = 2;  // frame interval
    b[4 + 67] = 1;  // start interval
    return b;
}

Bytes HuesFile() {
    Bytes b;
    for (int block = 0; block <= 374; ++block) {
        Put32(b, static_cast<std::uint32_t>(block));
        for (int e = 0; e < 8; ++e) {
            const int hue = block * 8 + e;
            for (int i = 0; i < 32; ++i) Put16(b, Rgb16((hue + i) % 32, i, (hue * 7) % 32));
            Put16(b, static_cast<std::uint32_t>(hue));
            Put16(b, static_cast<std::uint32_t>(hue + 31));
            char name[20] = {};
            std::snprintf(name, sizeof name, "Hue %d", hue + 1);
            b.insert(b.end(), name, name + 20);
        }
    }
    return b;
}

// An indexed file: the blocks by number (absent ones empty), and the index.
void Indexed(const std::vector<std::pair<int, Bytes>>& blocks, const std::vector<std::uint32_t>& extras, int count,
             Bytes& data, Bytes& index) {
    std::vector<const Bytes*> byNumber(static_cast<std::size_t>(count), nullptr);
    std::vector<std::uint32_t> extraOf(static_cast<std::size_t>(count), 0);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        byNumber[static_cast<std::size_t>(blocks[i].first)] = &blocks[i].second;
        extraOf[static_cast<std::size_t>(blocks[i].first)] = i < extras.size() ? extras[i] : 0;
    }
    for (int n = 0; n < count; ++n) {
        const Bytes* b = byNumber[static_cast<std::size_t>(n)];
        const std::uint32_t extra = extraOf[static_cast<std::size_t>(n)];
        const IndexEntryBytes entry = EncodeIndexEntry({b ? static_cast<std::int32_t>(data.size()) : -1,
                                                        b ? static_cast<std::int32_t>(b->size()) : -1,
                                                        static_cast<std::int16_t>(extra & 0xFFFF), static_cast<std::int16_t>(extra >> 16)});
        index.insert(index.end(), entry.begin(), entry.end());
        if (b) data.insert(data.end(), b->begin(), b->end());
    }
}

// A new item for the tour to load as a static: a potion bottle, transparent
// around it, as an 8-bit RGBA PNG.
Result<Bytes> ItemPicture() {
    constexpr int kWidth = 24, kHeight = 32;
    Bytes rows;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x + 0.5 - kWidth / 2.0;
            const bool cork = y >= 2 && y < 6 && std::abs(dx) < 2.5;
            const bool neck = y >= 6 && y < 12 && std::abs(dx) < 3.5;
            const bool body = std::hypot(dx, y + 0.5 - 21.0) < 10.0;
            std::uint8_t r = 0, g = 0, b = 0, a = 0;
            if (cork) r = 150, g = 100, b = 50, a = 255;
            else if (neck) r = 170, g = 200, b = 220, a = 255;
            else if (body) r = static_cast<std::uint8_t>(y > 18 ? 200 : 170), g = y > 18 ? 30 : 200, b = y > 18 ? 60 : 220, a = 255;
            for (const std::uint8_t c : {r, g, b, a}) rows.push_back(c);
        }
    }
    Bytes png;
    PngStream stream(kWidth, kHeight, [&png](ByteView bytes) { png.insert(png.end(), bytes.begin(), bytes.end()); }, true);
    stream.AddRows(rows.data(), kHeight, kWidth * 4);
    if (Status done = stream.Finish(); !done) return done.error();
    return png;
}

// A sound for the tour to load: a bell of two tones dying away in half a second.
Bytes SoundFile() {
    constexpr int kSamples = kSoundSampleRate / 2;
    std::vector<std::int16_t> samples(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / kSoundSampleRate;
        const double tone = std::sin(2 * std::numbers::pi * 880 * t) + 0.5 * std::sin(2 * std::numbers::pi * 1320 * t);
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(12000 * std::exp(-6 * t) * tone);
    }
    return SoundToWav(SoundBlock(Bytes(kSoundHeaderSize, 0), samples)).value();
}

Status Art(const std::string& folder, const std::string& mul, const std::string& idx, bool altered) {
    std::vector<std::pair<int, Bytes>> tiles;
    for (int t = 0; t < kLandTiles; ++t) tiles.emplace_back(t, LandTile(t, altered && t == 3 ? 3 : 0));
    for (int s = 0; s < kStaticTiles; ++s) tiles.emplace_back(kArtStaticBase + s, StaticTile(altered && s == 1 ? 3 : s));
    Bytes data, index;
    Indexed(tiles, {}, kArtStaticBase + kStaticTiles, data, index);
    if (Status done = Write(folder + "/" + mul, data); !done) return done;
    return Write(folder + "/" + idx, index);
}
}  // namespace

const std::vector<std::string>& SampleFileNames() {
    static const std::vector<std::string> names = {
        "map0.mul",  "radarcol.mul", "art.mul",  "artidx.mul",  "art-altered.mul", "artidx-altered.mul",
        "gumpart.mul", "gumpidx.mul", "hues.mul", "tiledata.mul", "animdata.mul", "verdata.mul", "readme.txt",
        "client.exe",  "sample.uop", "item.png", "sound.wav"};
    static const std::vector<std::string> all = [] {
        std::vector<std::string> v = names;
        v.insert(v.end(), PackageSampleNames().begin(), PackageSampleNames().end());
        return v;
    }();
    return all;
}

Status MakeSamples(const std::string& folder) {
    if (const std::string broken = BrokenLinkReason(folder); !broken.empty())
        return Error("Cannot create the folder '" + folder + "': " + broken + ".");
    // Pointed at a client's folder by mistake, it must not replace the client's files.
    std::string present;
    for (const std::string& name : SampleFileNames())
        if (std::error_code gone; std::filesystem::symlink_status(folder + "/" + name, gone).type() !=
                                  std::filesystem::file_type::not_found)
            present += (present.empty() ? "" : ", ") + name;
    if (!present.empty())
        return Error("The folder '" + folder + "' already holds " + present +
                     "; nothing was written. Give a new or empty folder.");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return Error("Cannot create the folder '" + folder + "': " + ec.message() + ".");
    const std::string d = folder + "/";

    Bytes map;
    for (int n = 0; n < kMapBlocks; ++n) {
        const Bytes block = MapBlock(n);
        map.insert(map.end(), block.begin(), block.end());
    }
    if (Status done = Write(d + "map0.mul", map); !done) return done;
    if (Status done = Write(d + "radarcol.mul", RadarColors()); !done) return done;
    if (Status done = Art(folder, "art.mul", "artidx.mul", false); !done) return done;
    if (Status done = Art(folder, "art-altered.mul", "artidx-altered.mul", true); !done) return done;

    std::vector<std::pair<int, Bytes>> gumps;
    std::vector<std::uint32_t> extras;
    for (int g = 0; g < 3; ++g) {
        Gump gump = MakeGump(g);
        extras.push_back(static_cast<std::uint32_t>(gump.height) | (static_cast<std::uint32_t>(gump.width) << 16));
        gumps.emplace_back(g, std::move(gump.block));
    }
    Bytes gumpData, gumpIndex;
    Indexed(gumps, extras, 3, gumpData, gumpIndex);
    if (Status done = Write(d + "gumpart.mul", gumpData); !done) return done;
    if (Status done = Write(d + "gumpidx.mul", gumpIndex); !done) return done;
    const Bytes hues = HuesFile();
    if (Status done = Write(d + "hues.mul", hues); !done) return done;
    if (Status done = Write(d + "tiledata.mul", TiledataFile()); !done) return done;
    if (Status done = Write(d + "animdata.mul", AnimdataFile()); !done) return done;

    // The client's own corrections: one block of each kind the panel previews.
    Patch corrections;
    corrections.Append(kMap, 5, MapBlock(5), 0, 0);
    corrections.Append(kArt, 2, LandTile(2, 4), 0, 0);
    corrections.Append(kAnim, 110, AnimBlock(), 0, 0);
    Gump panel = MakeGump(3);
    corrections.Append(kGumps, 3, std::move(panel.block), static_cast<std::int16_t>(panel.height),
                       static_cast<std::int16_t>(panel.width));
    corrections.Append(kHues, 0, HuesToVerdataBytes(ByteView(hues).first(kHuesBlockSize)), -1, -1);
    if (Status done = WriteVerdata(d + "verdata.mul", corrections); !done) return done;

    const std::string readme = "Sample client readme, written by palindra-cli make-samples.\n";
    if (Status done = Write(d + "readme.txt", Bytes(readme.begin(), readme.end())); !done) return done;
    const std::string client = std::string("MZ") + std::string(62, '\0') +
                               "A stand-in for the game client. It carries the marker CloseGumps and nothing else.\n";
    if (Status done = Write(d + "client.exe", Bytes(client.begin(), client.end())); !done) return done;

    // A patch to open in the editor: a gump, a map block, an animation and a tile.
    Patch sample = corrections;
    Gump big = MakeGump(1);
    sample.Append(kGumps, 1, std::move(big.block), static_cast<std::int16_t>(big.height),
                  static_cast<std::int16_t>(big.width));
    sample.Append(kArt, 16385, StaticTile(1), 0, 0);
    if (Status done = WritePatchFile(d + "sample.uop", sample); !done) return done;
    const Result<Bytes> item = ItemPicture();
    if (!item) return item.error();
    if (Status done = Write(d + "item.png", *item); !done) return done;
    if (Status done = Write(d + "sound.wav", SoundFile()); !done) return done;
    return WritePackageSamples(folder);
}
