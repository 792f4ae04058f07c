// Houses and map blocks drawn from art of solid colours, pixel by pixel.
#include <gtest/gtest.h>

#include <filesystem>

#include "block_drawing_samples.h"
#include "gamefiles/art_source.h"
#include "images/block_drawing.h"

namespace {
// The expected picture, painted piece by piece in the order given.
struct Expected {
    struct Piece {
        std::int64_t left, top, w, h;
        QRgb color;  // 0: the outline of a tile
        bool land = false;
    };
    std::vector<Piece> pieces;

    // A piece at cell x, y, z, w x h pixels, its bottom centre on the cell's.
    void Add(std::int64_t x, std::int64_t y, std::int64_t z, std::int64_t w, std::int64_t h, QRgb color, bool land = false) {
        const std::int64_t sx = (x - y) * 22, sy = (x + y) * 22 - z * 4;
        pieces.push_back({sx + 22 - w / 2, sy + 44 - h, w, h, color, land});
    }
    void AddItem(std::uint16_t item, std::int64_t x, std::int64_t y, std::int64_t z) {
        for (const SampleItem& s : kSampleItems)
            if (s.item == item) return Add(x, y, z, s.w, s.h, Drawn(s.color));
        Add(x, y, z, 44, 44, 0);
    }
    QImage Picture() const {
        std::int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
        for (const Piece& p : pieces)
            x0 = std::min(x0, p.left), y0 = std::min(y0, p.top), x1 = std::max(x1, p.left + p.w), y1 = std::max(y1, p.top + p.h);
        QImage image(int(x1 - x0), int(y1 - y0), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (const Piece& p : pieces)
            for (int y = 0; y < p.h; ++y)
                for (int x = 0; x < p.w; ++x) {
                    const bool inside = OnLandTile(x, y) && OnLandTile(x - 1, y) && OnLandTile(x + 1, y) &&
                                        OnLandTile(x, y - 1) && OnLandTile(x, y + 1);
                    if (p.color == 0 && OnLandTile(x, y) && !inside) image.setPixel(int(p.left - x0 + x), int(p.top - y0 + y), kMissingArtOutline);
                    else if (p.color != 0 && (!p.land || OnLandTile(x, y)))
                        image.setPixel(int(p.left - x0 + x), int(p.top - y0 + y), p.color);
                }
        return image;
    }
};

void Use(ArtSource& art, const Patch& patch, const std::string& client = "") {
    art.SetPatch(std::make_shared<const PatchArtLayer>(patch));
    art.OpenClient(client, true);
}
}  // namespace

TEST(BlockDrawing, AHouseIsDrawnBackToFrontWithHiddenComponentsLeftOutAndMissingArtOutlined) {
    ArtSource art;
    Use(art, SampleArt());
    const B house = MultiOf(kSampleHouse);

    Expected shown;
    shown.AddItem(1, 0, 0, 0), shown.AddItem(6, 0, 0, 2), shown.AddItem(2, 1, 0, 0), shown.AddItem(3, 1, 0, 0),
        shown.AddItem(5, 1, 0, 0), shown.AddItem(9, 2, 0, 0);
    const BlockDrawing drawing = DrawMulti(house, art, false);
    EXPECT_EQ(drawing.image, shown.Picture());
    EXPECT_EQ(std::tuple(drawing.drawn, drawing.hidden, drawing.missing), std::tuple(5, 1, 1));
    EXPECT_EQ(DrawingSummary(drawing, art, true),
              "7 components: 5 drawn, 1 hidden, 1 without art (outlined).\n"
              "No client folder is chosen (Settings): only the patch's art is drawn.");

    Expected all;
    all.AddItem(1, 0, 0, 0), all.AddItem(7, 0, 0, 0), all.AddItem(6, 0, 0, 2), all.AddItem(2, 1, 0, 0),
        all.AddItem(3, 1, 0, 0), all.AddItem(5, 1, 0, 0), all.AddItem(9, 2, 0, 0);
    const BlockDrawing everything = DrawMulti(house, art, true);
    EXPECT_EQ(everything.image, all.Picture());
    EXPECT_EQ(std::tuple(everything.drawn, everything.hidden, everything.missing), std::tuple(6, 0, 1));

    // In 12-byte rows flags 0 hide nothing.
    B older;
    for (std::size_t r = 0; r < kSampleHouse.size(); ++r) older.insert(older.end(), house.begin() + r * 16, house.begin() + r * 16 + 12);
    older.resize(older.size() - 12);  // 72 bytes: divisible by 12 only
    EXPECT_EQ(DrawMulti(older, art, false).hidden, 0);

    // Components too far apart are refused, not drawn into a huge picture.
    const BlockDrawing far = DrawMulti(MultiOf({{1, -30000, 30000, 0, 1}, {1, 30000, -30000, 0, 1}}), art, false);
    EXPECT_TRUE(far.image.isNull());
    EXPECT_NE(far.problem.find("too far apart"), std::string::npos);
    EXPECT_TRUE(DrawMulti({}, art, false).image.isNull());
}

TEST(BlockDrawing, TheClientsArtFillsWhatThePatchLacksAndThePatchsWins) {
    TempDir dir;
    const std::string client = dir / "client";
    std::filesystem::create_directories(client);
    // The client's item 1 is blue and its item 9 yellow; the patch's item 1 is red.
    const B blue = SolidItem(0x001F, 10, 20), yellow = SolidItem(0x7FE0, 4, 4);
    B data = blue;
    data.insert(data.end(), yellow.begin(), yellow.end());
    std::vector<std::array<std::int32_t, 3>> index(kArtStaticBase + 10, {-1, -1, 0});
    index[kArtStaticBase + 1] = {0, static_cast<std::int32_t>(blue.size()), 0};
    index[kArtStaticBase + 9] = {static_cast<std::int32_t>(blue.size()), static_cast<std::int32_t>(yellow.size()), 0};
    WriteFileBytes(client + "/art.mul", data);
    WriteFileBytes(client + "/artidx.mul", IndexBytes(index));

    ArtSource art;
    Use(art, SampleArt(), client);
    Expected expected;
    expected.AddItem(1, 0, 0, 0);
    expected.Add(2, 0, 0, 4, 4, Drawn(0x7FE0));
    const BlockDrawing drawing = DrawMulti(MultiOf({{1, 0, 0, 0, 1}, {9, 2, 0, 0, 1}}), art, false);
    EXPECT_EQ(drawing.image, expected.Picture());
    EXPECT_EQ(drawing.missing, 0);
    ASSERT_EQ(art.Lacking().size(), 2u);
    EXPECT_EQ(art.Lacking()[0].second, "The client folder lacks tiledata.mul: items are stacked as if flat.");
    EXPECT_EQ(DrawingSummary(drawing, art, true),
              "2 components: 2 drawn.\nThe client folder lacks tiledata.mul: items are stacked as if flat.");
}

TEST(BlockDrawing, AMapBlocksLandLiesAtItsAltitudesUnderItsStatics) {
    Patch patch = SampleArt();
    const std::uint16_t grass = 0x0200, sand = 0x6300;
    patch.Append(kArt, 0, SolidLand(grass), 0, 0);
    patch.Append(kArt, 1, SolidLand(sand), 0, 0);
    // All grass at 0 but a raised sand cell at (1, 0) and a cell (0, 1) of tile 5, which has no art.
    B map(4, 0);
    for (int cell = 0; cell < 64; ++cell) {
        PutLE(map, cell == 1 ? 1 : cell == 8 ? 5 : 0, 2);
        map.push_back(cell == 1 ? 10 : 0);
    }
    B statics;
    for (const auto& [item, x, y, z] : {std::tuple(1, 3, 3, 0), std::tuple(6, 3, 3, 0), std::tuple(2, 9, 0, 0)}) {
        PutLE(statics, static_cast<std::uint32_t>(item), 2);
        statics.push_back(static_cast<std::uint8_t>(x));
        statics.push_back(static_cast<std::uint8_t>(y));
        statics.push_back(static_cast<std::uint8_t>(z));
        PutLE(statics, 0, 2);
    }
    patch.Append(kStatics, 7, statics, 0, 0);
    ArtSource art;
    Use(art, patch);

    Expected expected;
    for (int sum = 0; sum <= 14; ++sum)
        for (int z : {0, 10})
            for (int cell = 0; cell < 64; ++cell) {
                const int x = cell % 8, y = cell / 8, cz = cell == 1 ? 10 : 0;
                if (x + y != sum || cz != z) continue;
                if (cell == 8) expected.Add(x, y, cz, 44, 44, 0);
                else expected.Add(x, y, cz, 44, 44, Drawn(cell == 1 ? sand : grass), true);
            }
    expected.AddItem(1, 3, 3, 0);  // the static off the block's cells is left out
    expected.AddItem(6, 3, 3, 0);
    const BlockDrawing drawing = DrawMapBlock(map, 7, art);
    EXPECT_EQ(drawing.image, expected.Picture());
    EXPECT_EQ(std::tuple(drawing.drawn, drawing.missing), std::tuple(65, 1));
    // Without the statics block: the land alone.
    EXPECT_EQ(DrawMapBlock(map, 8, art).drawn, 63);
}
