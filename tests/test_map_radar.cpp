// Map 0 in radar colours: the colour rule cell by cell, the patch's blocks
// drawn and marked, and map-to-png giving the same pixels as the drawing.
#include <QImage>

#include "cli_runner.h"
#include "codecs/file_ids.h"
#include "map_client.h"
#include "patch/patch_file.h"

namespace {
// The picture of cells x..x+w-1, y..y+h-1 at `scale` cells a pixel, as 0xRRGGBB.
std::vector<std::uint32_t> Drawn(const MapRadar& radar, int x, int y, int w, int h, int scale = 1) {
    const int pw = (w + scale - 1) / scale, ph = (h + scale - 1) / scale;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(pw * ph * 3));
    EXPECT_TRUE(Ok(radar.Draw(PictureAxis::Scaled(x, pw, scale, x + w), PictureAxis::Scaled(y, ph, scale, y + h), rgb.data(),
                              static_cast<std::size_t>(pw) * 3)));
    std::vector<std::uint32_t> pixels;
    for (std::size_t i = 0; i < rgb.size(); i += 3) pixels.push_back(std::uint32_t{rgb[i]} << 16 | rgb[i + 1] << 8 | rgb[i + 2]);
    return pixels;
}

std::vector<std::uint32_t> PixelsOf(const QImage& image) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) pixels.push_back(image.pixel(x, y) & 0xFFFFFF);
    return pixels;
}

std::shared_ptr<MapRadar> OpenRadar(const std::string& client, const Patch* patch = nullptr) {
    Result<std::shared_ptr<MapRadar>> radar =
        MapRadar::Open(client, true, ClientColors(), patch ? std::make_shared<const MapPatchLayer>(*patch) : nullptr);
    EXPECT_TRUE(Ok(radar));
    return radar ? *radar : nullptr;
}

Patch MapPatch() { return MapTestPatch(); }

std::uint32_t PatchedRgb(int x, int y) {
    const bool inMap = x < 8 && y >= 8 && y < 16, inStatics = x >= 8 && x < 16 && y < 8;
    const bool border = inMap ? x == 0 || x == 7 || y == 8 || y == 15 : x == 8 || x == 15 || y == 0 || y == 7;
    if (inMap && border) return kMapOutline;
    if (inStatics && border && (x + y) % 2 == 0) return kStaticsOutline;
    if (inMap) return EntryRgb(0x200);
    if (x == 10 && y == 2) return EntryRgb(0x4003);
    return EntryRgb(ClientEntry(x, y));
}
}  // namespace

TEST(MapRadar, TheHighestOfLandAndStaticsGivesEachCellsEntry) {
    B map(4, 0);
    for (int i = 0; i < 64; ++i) {
        PutLE(map, static_cast<std::uint32_t>(0x100 + i), 2);
        map.push_back(10);
    }
    B statics;
    for (const B& s : {Static(5, 0, 0, 20),                          // above the land
                       Static(6, 1, 0, 5),                           // below it
                       Static(7, 2, 0, 10),                          // level: the static
                       Static(8, 3, 0, 15), Static(9, 3, 0, 15),     // two at one z: the later
                       Static(9, 4, 0, 15), Static(8, 4, 0, 12),     // a lower later one does not
                       Static(0xC000, 5, 0, 30),                     // past the table: the land
                       Static(0xBFFF, 6, 0, 30),                     // the table's last entry
                       Static(0xC000, 7, 0, 30), Static(11, 7, 0, 30), // the later of two, in the table
                       Static(12, 8, 0, 99), Static(12, 0, 8, 99)})  // outside the block's cells
        statics.insert(statics.end(), s.begin(), s.end());
    statics.insert(statics.end(), {1, 2, 3});  // not a whole static
    std::array<std::int32_t, 64> expected{};
    for (int i = 0; i < 64; ++i) expected[static_cast<std::size_t>(i)] = 0x100 + i;
    expected[0] = 0x4005, expected[2] = 0x4007, expected[3] = 0x4009, expected[4] = 0x4009;
    expected[6] = 0xFFFF, expected[7] = 0x400B;
    EXPECT_EQ(RadarEntries(map, statics), expected);

    // A block cut short has no land after its last whole cell; a static still shows there.
    map.resize(4 + 3 * 10 + 2);
    const B high = Static(1, 4, 2, -100);
    std::array<std::int32_t, 64> cut{};
    cut.fill(-1);
    for (int i = 0; i < 10; ++i) cut[static_cast<std::size_t>(i)] = 0x100 + i;
    cut[20] = 0x4001;
    EXPECT_EQ(RadarEntries(map, high), cut);
    std::array<std::int32_t, 64> none{};
    none.fill(-1);
    EXPECT_EQ(RadarEntries({}, {}), none);
}

TEST(MapRadar, DrawsTheClientsCellsAndThePatchsBlocksOutlinedOverThem) {
    TempDir dir;
    const std::string client = WriteMapClient(dir);
    const std::shared_ptr<MapRadar> plain = OpenRadar(client);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->Width(), 6144);
    EXPECT_EQ(plain->Height(), 4096);
    std::vector<std::uint32_t> expected;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) expected.push_back(EntryRgb(ClientEntry(x, y)));
    EXPECT_EQ(Drawn(*plain, 0, 0, 16, 16), expected);
    // Past the map's last block the cells are black.
    EXPECT_EQ(Drawn(*plain, 16, 100, 2, 1), (std::vector<std::uint32_t>{0, 0}));

    const Patch patch = MapPatch();
    const std::shared_ptr<MapRadar> patched = OpenRadar(client, &patch);
    ASSERT_TRUE(patched);
    expected.clear();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) expected.push_back(PatchedRgb(x, y));
    EXPECT_EQ(Drawn(*patched, 0, 0, 16, 16), expected);
    // At 8 cells a pixel every pixel over a patched block holds border cells.
    EXPECT_EQ(Drawn(*patched, 0, 0, 16, 16, 8),
              (std::vector<std::uint32_t>{EntryRgb(ClientEntry(0, 0)), kStaticsOutline, kMapOutline, EntryRgb(ClientEntry(8, 8))}));

    // A map carried whole replaces the client's; seven columns more make a wide facet.
    Patch whole;
    B wide = MapBlockOf(0x300);
    wide.resize(static_cast<std::size_t>(896 * 512) * kMapBlockSize, 0);
    whole.Append(kFiles, kMapFileBlock, wide, 0, 0);
    const std::shared_ptr<MapRadar> carried = OpenRadar(client, &whole);
    ASSERT_TRUE(carried);
    EXPECT_EQ(carried->Width(), 7168);
    EXPECT_EQ(Drawn(*carried, 7, 7, 2, 1), (std::vector<std::uint32_t>{EntryRgb(0x300), EntryRgb(0)}));
}

TEST(MapRadar, ReadsTheClientsBlocksOfARangeButThoseThePatchHolds) {
    TempDir dir;
    const std::string client = WriteMapClient(dir);
    const Patch patch = MapPatch();
    Result<ClientMapBlocks> read = ReadClientMapBlocks(client, true, patch, 0, 1, 0, 1);
    ASSERT_TRUE(Ok(read));
    // Map blocks 0, 512, 513 (1 is the patch's); statics only where the client has them: 0 (512 is the patch's).
    EXPECT_EQ(read->map, 3);
    EXPECT_EQ(read->statics, 1);
    EXPECT_EQ(read->kept, 2);
    EXPECT_EQ(SlotsOf(read->added, kMap),
              (std::vector<SlotFacts>{{0, kMapBlockSize, 0, 0}, {512, kMapBlockSize, 0, 0}, {513, kMapBlockSize, 0, 0}}));
    EXPECT_EQ(DataOf(read->added, kStatics), std::vector<B>{Static(0x10, 3, 3, 5)});
}

TEST(MapRadar, MapToPngWritesTheDrawingsPixels) {
    TempDir dir;
    const std::string client = WriteMapClient(dir);
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", MapPatch())));
    const Patch patch = MapPatch();
    const std::shared_ptr<MapRadar> radar = OpenRadar(client, &patch);
    ASSERT_TRUE(radar);
    for (const auto& [x, y, w, h, scale] : {std::tuple{2, 3, 20, 13, 1}, std::tuple{1, 1, 15, 16, 3}}) {
        const std::string area = std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h);
        SCOPED_TRACE(area);
        const CliResult r = Cli({"map-to-png", client, dir / "map.png", "--patch", dir / "p.uop", "--area", area, "--scale",
                                 std::to_string(scale)});
        ASSERT_EQ(r.code, 0) << r.err;
        QImage png(QString::fromStdString(dir / "map.png"));
        ASSERT_EQ(png.size(), QSize((w + scale - 1) / scale, (h + scale - 1) / scale));
        EXPECT_EQ(PixelsOf(png), Drawn(*radar, x, y, w, h, scale));
        // Each pixel is the cell at the top left of its square.
        EXPECT_EQ(png.pixel(1, 1) & 0xFFFFFF, PatchedRgb(x + scale, y + scale));
    }
    EXPECT_EQ(Cli({"map-to-png", client, dir / "whole.png", "--scale", "64"}).code, 0);
    EXPECT_EQ(QImage(QString::fromStdString(dir / "whole.png")).size(), QSize(96, 64));

    RunSteps(dir, {
        {"map-to-png @client @x.png --scale 0", 2, "--scale needs a number from 1 on"},
        {"map-to-png @client @x.png --area 1,2,3", 2, "--area needs 4 numbers joined by commas"},
        {"map-to-png @client @x.png --area 6000,0,145,1", 1, "does not lie inside the map's 6144 x 4096 cells"},
        {"map-to-png @client @client/map0.mul", 1, "map0.mul"},
        {"map-to-png @none @x.png", 1, "lacks radarcol.mul"},
    });
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
    EXPECT_EQ(ReadFileBytes(client + "/map0.mul").size(), std::size_t{kClientMapBlocks} * kMapBlockSize);
}
