#include <QPointer>
#include <QTimer>

#include "app/frmSettings.h"
#include "app/mComdlg.h"
#include "gamefiles/verdata.h"
#include "gui_fixture.h"

namespace {
using Dialogs = GuiTest;
}  // namespace

TEST_F(Dialogs, SettingsAreStoredOnSaveOnlyAndLoadTheRadarColours) {
    WriteFileBytes(dir / "radarcol.mul", {0x1F, 0x00});
    {
        frmSettings dialog;
        EXPECT_EQ(dialog.windowTitle(), "Settings");
        EXPECT_EQ(Child<QLineEdit>(&dialog, "txtVerdata")->text(), "");
        prompts.answers = {File("radarcol.mul")};
        Click(&dialog, "cmdGetRadarcol");
        EXPECT_EQ(prompts.asked.back().title, "Select radarcol.mul");
        EXPECT_EQ(prompts.asked.back().filter, "Origional radarcol (*.mul)");
        // A path that names no file is pointed out at once.
        auto* missing = Child<QLabel>(&dialog, "lblRadarcolMissing");
        for (const auto& [text, shown] : {std::pair{QString(), false}, {QStringLiteral("/no/such/radarcol.mul"), true},
                                          {File("radarcol.mul"), false}}) {
            SetText(&dialog, "txtRadarcol", text);
            EXPECT_EQ(missing->isVisibleTo(&dialog), shown) << text.toStdString();
        }
        Click(&dialog, "cmdCancel");
    }
    Settings values;
    values.Load();
    EXPECT_EQ(values.RadarcolPath, "");
    {
        frmSettings dialog;
        SetText(&dialog, "txtVerdata", "/some/verdata.mul");
        Click(&dialog, "cmdGetRadarcol");  // cancelled: the text stays
        SetText(&dialog, "txtRadarcol", File("radarcol.mul"));
        Click(&dialog, "cmdSave");
    }
    const auto store = OpenSettingsStore();
    EXPECT_EQ(store->value("VerdataPath").toString(), "/some/verdata.mul");
    EXPECT_EQ(store->value("TiledataPath").toString(), "");
    values.Load();
    EXPECT_EQ(values.VerdataPath, "/some/verdata.mul");
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);
    store->setValue("RadarcolPath", "");  // clearing the path keeps the colours loaded earlier in this run
    values.Load();
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);

    EXPECT_EQ(ToQtFilter("Datafile (*.dat) |*.dat"), "Datafile (*.dat)");
    EXPECT_EQ(ToQtFilter("Idx file (*.idx) |*.idx|Idx file (*.mul)|*.mul|Idx file (*.*)|*.*"),
              "Idx file (*.idx);;Idx file (*.mul);;Idx file (*.*)");
    EXPECT_EQ(ToQtFilter("Verdata (*.mul) |*.mul|"), "Verdata (*.mul)");
}

TEST_F(Dialogs, ImportListsFourteenSourcesShowsTheRowsEachNeedsAndCancelsWithoutAChange) {
    QPointer<QDialog> dialog = window.ShowImport();
    auto* list = Child<QComboBox>(dialog, "cboMULType");
    ASSERT_EQ(list->count(), 14);
    for (const auto& [row, text] : {std::pair{0, "UOP Patchfile (*.UOP)"}, {1, "Verdata (Verdata.mul)"}, {2, "Map (0)"},
                                    {13, "Hues (32)"}})
        EXPECT_EQ(list->itemText(row), text);
    auto* idx = Child<QLineEdit>(dialog, "txtIDX");
    auto* fileFrom = Child<QLineEdit>(dialog, "txtFileIDFrom");
    EXPECT_TRUE(idx->isHidden());
    EXPECT_FALSE(fileFrom->isHidden());
    SetText(dialog, "txtMUL", "chosen");
    SetText(dialog, "txtBlockTo", "5");
    list->setCurrentIndex(2);  // Map: no index, no file IDs
    EXPECT_TRUE(idx->isHidden());
    EXPECT_TRUE(fileFrom->isHidden());
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtMUL")->text(), "");
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtBlockTo")->text(), "2147483647");
    list->setCurrentIndex(4);  // Art
    EXPECT_FALSE(idx->isHidden());
    list->setCurrentIndex(1);  // Verdata
    EXPECT_TRUE(idx->isHidden());
    EXPECT_FALSE(fileFrom->isHidden());

    Click(dialog, "cmdCancel");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Doc().UndoStack()->count(), 0);
}

TEST_F(Dialogs, ImportRefusesBadInputsAndStaysOpenWithThem) {
    QPointer<QDialog> dialog = window.ShowImport();
    Click(dialog, "cmdImport");
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0], ": Cannot find the file ''!");

    SetText(dialog, "txtMUL", QString::fromStdString(WritePatch("src.uop", Blocks({{12, 3, {1}}, {4, 3, {2}}}))));
    for (const auto& [box, text, message] :
         {std::tuple{"txtFileIDTo", "256", "Import: The file ID limits must lie between 0 and 255."},
          {"txtBlockTo", "3000000000", "Import: The block limits must lie between -2147483648 and 2147483647."}}) {
        SetText(dialog, box, text);
        Click(dialog, "cmdImport");
        EXPECT_EQ(prompts.messages.last(), message);
        SetText(dialog, box, "255");
    }
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtMUL")->text(), File("src.uop"));
    EXPECT_EQ(Doc().patch().LiveCount(), 0);

    // A limit with trailing letters counts by its leading number.
    SetText(dialog, "txtFileIDFrom", "12abc");
    SetText(dialog, "txtBlockTo", "400000");
    ExpectUndoable([&] { Click(dialog, "cmdImport"); }, "Undo Import");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());  // closed after the import
    EXPECT_EQ(Doc().patch()[12].Count(), 1);
    EXPECT_EQ(Doc().patch()[4].LiveCount(), 0);
    EXPECT_EQ(Children(12), 1);
}

TEST_F(Dialogs, DataFileImportChecksBothPathsNumbersStopsWhenCancelledAndSaysWhatItLeftOut) {
    QPointer<QDialog> dialog = window.ShowImport();
    Child<QComboBox>(dialog, "cboMULType")->setCurrentIndex(4);  // Art
    WriteFileBytes(dir / "art.mul", {1, 2});
    SetText(dialog, "txtMUL", File("art.mul"));
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.messages.last(), ": Cannot find the file ''!");
    // Block 0 present, block 1 absent, block 2 damaged (past the end of the data).
    WriteFileBytes(dir / "art.idx", IndexBytes({{0, 2, 0}, {-1, -1, 0}, {1, 5, 0}}));
    SetText(dialog, "txtIDX", File("art.idx"));

    // Cancel pressed as soon as the wait window shows it, while the import runs.
    int pressed = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (auto* b : window.findChildren<QPushButton*>(QStringLiteral("cmdCancelWait")))
            if (b->isVisible() && b->isEnabled()) {
                EXPECT_NE(window.findChild<QWidget*>(QStringLiteral("prgWait")), nullptr);
                b->click();
                ++pressed;
            }
    });
    prompts.messages.clear();
    user.start(0);
    Click(dialog, "cmdImport");
    user.stop();
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(dialog.isNull());  // still open for another try
    EXPECT_EQ(Doc().patch().LiveCount(), 0);
    EXPECT_EQ(Doc().UndoStack()->count(), 0);
    EXPECT_FALSE(window.isWindowModified());

    SetText(dialog, "txtBlockTo", "12abc");
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.messages.last(), "Import: The block limit '12abc' is not a number.");
    SetText(dialog, "txtBlockTo", "2.5");
    auto* skip = Child<QCheckBox>(dialog, "chkSkipAbsent");
    EXPECT_FALSE(skip->isChecked());
    skip->setChecked(true);
    Click(dialog, "cmdImport");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    ASSERT_EQ(Doc().patch()[4].Count(), 1);
    EXPECT_EQ(Doc().patch()[4].Blocks[0].ByteArray, (Bytes{1, 2}));
    EXPECT_EQ(prompts.messages.last(), "Import: Imported 1 blocks.\n1 blocks without data were left out.\n1 damaged "
                                       "blocks were left out: their data does not lie wholly inside the data file.");
}

TEST_F(Dialogs, ExportRefusalsLeaveTheTargetAndTheDialogAlone) {
    WriteFileBytes(dir / "target.mul", {1, 2, 3});
    QPointer<QDialog> dialog = window.ShowExport();
    EXPECT_EQ(dialog->windowTitle(), "Export to verdata.mul");
    EXPECT_TRUE(Child<QCheckBox>(dialog, "chkInclude")->isChecked());
    Click(dialog, "cmdExport");
    EXPECT_EQ(prompts.messages.last(), "Export ot verdata.mul: You must first select a filename for your new verdata.mul");

    prompts.answers = {File("target.mul")};
    Click(dialog, "cmdFile");
    EXPECT_EQ(prompts.asked.back().title, "Export to");
    EXPECT_EQ(prompts.asked.back().kind, "save:mul");
    Click(dialog, "cmdExport");
    EXPECT_EQ(prompts.messages.last(),
              "Export to verdata.mul: Cant find the origional verdata.mul. Check the settings in 'File|Settings'.");
    EXPECT_EQ(ReadFileBytes(dir / "target.mul"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(dialog.isNull());

    Load(Blocks({{12, 1, {5}}}));  // the dialog exports the patch and the settings as they are now
    WriteFileBytes(dir / "base.mul", {0, 0, 0, 0});
    window.Values().VerdataPath = dir / "base.mul";
    Click(dialog, "cmdExport");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    Patch written;
    ASSERT_EQ(ReadVerdata(dir / "target.mul", written, false, 0, 255, 0, 400000), "");
    EXPECT_EQ(written.LiveCount(), 1);
}
