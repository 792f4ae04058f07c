// Houses and map blocks drawn in the panel, in the client browser and by
// save-block: the same picture everywhere, drawn in the background.
#include <QCheckBox>
#include <QImage>
#include <filesystem>

#include "app/block_drawer.h"
#include "app/client_browser.h"
#include "app/client_browser_model.h"
#include "app/info_panel.h"
#include "app/picture_view.h"
#include "app/fact_table_view.h"
#include "block_drawing_samples.h"
#include "cli_runner.h"
#include "gui_fixture.h"
#include "gamefiles/art_source.h"
#include "images/block_drawing.h"

namespace {
class Houses : public GuiTest {
protected:
    InfoPanel& Panel() { return *window.Panel(); }
    // What the panel drew for the node selected.
    QImage Drawn() {
        Panel().Drawer().Wait();
        return Panel().DrawingView().Picture();
    }
    // A client folder whose art holds item 9 (yellow), and a multi.mul holding the sample house as multi 2.
    std::string WriteClient() {
        const std::string client = dir / "client";
        std::filesystem::create_directories(client);
        const B yellow = SolidItem(0x7FE0, 4, 4);
        WriteFileBytes(client + "/art.mul", yellow);
        std::vector<std::array<std::int32_t, 3>> index(kArtStaticBase + 10, {-1, -1, 0});
        index[kArtStaticBase + 9] = {0, static_cast<std::int32_t>(yellow.size()), 0};
        WriteFileBytes(client + "/artidx.mul", IndexBytes(index));
        const B house = MultiOf(kSampleHouse);
        WriteFileBytes(client + "/multi.mul", house);
        WriteFileBytes(client + "/multi.idx", IndexBytes({{-1, -1, 0}, {-1, -1, 0}, {0, static_cast<std::int32_t>(house.size()), 0}}));
        return client;
    }
    // The house as drawn straight from the patch's art over the client's.
    QImage Expected(const std::string& client, bool showHidden) {
        ArtSource art;
        art.SetPatch(std::make_shared<const PatchArtLayer>(Doc().patch()));
        art.OpenClient(client, true);
        return DrawMulti(MultiOf(kSampleHouse), art, showHidden).image;
    }
};
}  // namespace

TEST_F(Houses, AHouseIsDrawnBesideItsTableWithHiddenComponentsOnRequestAndSavedAsTheSamePicture) {
    Patch patch = SampleArt();
    patch.Append(kMultis, 2, MultiOf(kSampleHouse), 0, 0);
    Load(std::move(patch));
    Select({kMultis, 2});
    const QImage withoutClient = Drawn();
    ASSERT_FALSE(withoutClient.isNull());
    EXPECT_EQ(withoutClient, Expected("", false));
    EXPECT_TRUE(Action("actCopyPicture")->isEnabled());  // once the drawing is there
    EXPECT_EQ(Label("lblDrawing"), "7 components: 5 drawn, 1 hidden, 1 without art (outlined).\n"
                                   "No client folder is chosen (Settings): only the patch's art is drawn.");

    // The client's art fills in item 9: no outline is left.
    const std::string client = WriteClient();
    window.Values().ClientFolder = client;
    Panel().ShowClientSide();
    const QImage drawn = Drawn();
    EXPECT_EQ(drawn, Expected(client, false));
    EXPECT_NE(drawn, withoutClient);
    EXPECT_TRUE(Label("lblDrawing").startsWith("7 components: 6 drawn, 1 hidden."));

    auto* hidden = Child<QCheckBox>(&window, "chkShowHidden");
    hidden->setChecked(true);
    EXPECT_EQ(Drawn(), Expected(client, true));
    hidden->setChecked(false);
    EXPECT_EQ(Drawn(), drawn);

    // The table beside the drawing comes and goes with its toggle.
    auto* table = Child<QCheckBox>(&window, "chkComponents");
    EXPECT_TRUE(Panel().Table().isVisibleTo(&Panel()));
    table->setChecked(false);
    EXPECT_FALSE(Panel().Table().isVisibleTo(&Panel()));
    table->setChecked(true);
    EXPECT_TRUE(Panel().Table().isVisibleTo(&Panel()));

    // save-block writes the panel's picture; without the client's folder it refuses.
    const std::string saved = WritePatch("house.uop", Doc().patch());
    const CliResult written = Cli({"save-block", saved, "14", "2", dir / "house.png", "--client", client});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(QImage(QString::fromStdString(dir / "house.png")).convertToFormat(QImage::Format_ARGB32), drawn);
    const CliResult refused = Cli({"save-block", saved, "14", "2", dir / "other.png"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("--client DIR"), std::string::npos) << refused.err;

    // A house only the client has is drawn from its block, and in the browser.
    Load(SampleArt());
    Panel().ShowClientBlock({kMultis, 2});
    EXPECT_EQ(Drawn(), drawn);
    ClientBrowserModel& browsed = window.Browser()->Model();
    browsed.SetClient(client, true);
    const auto& types = ClientBrowserTypes();
    browsed.SetType(static_cast<int>(std::find_if(types.begin(), types.end(), [](const auto& t) { return t.fileId == kMultis; }) - types.begin()));
    ASSERT_EQ(browsed.RowOf(2), 0);
    browsed.data(browsed.index(0), Qt::DecorationRole);
    browsed.Thumbnails().Wait();
    const QImage thumbnail = browsed.data(browsed.index(0), Qt::DecorationRole).value<QImage>();
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_LE(std::max(thumbnail.width(), thumbnail.height()), browsed.Thumbnails().Side());
}

TEST_F(Houses, AMapBlockIsDrawnBesideItsRadarSquare) {
    Patch patch = SampleArt();
    patch.Append(kArt, 0, SolidLand(0x0200), 0, 0);
    B map(4, 0);
    for (int cell = 0; cell < 64; ++cell) {
        PutLE(map, 0, 2);
        map.push_back(static_cast<std::uint8_t>(cell % 8));
    }
    patch.Append(kMap, 3, map, 0, 0);
    Load(std::move(patch));
    Select({kMap, 3});
    const QImage drawn = Drawn();
    ArtSource art;
    art.SetPatch(std::make_shared<const PatchArtLayer>(Doc().patch()));
    art.OpenClient("", true);
    EXPECT_EQ(drawn, DrawMapBlock(map, 3, art).image);
    EXPECT_FALSE(Panel().View().Picture().isNull());  // the radar square beside it
    EXPECT_TRUE(Label("lblDrawing").startsWith("64 land cells and statics: 64 drawn."));
    EXPECT_FALSE(Child<QCheckBox>(&window, "chkShowHidden")->isVisibleTo(&Panel()));
}
