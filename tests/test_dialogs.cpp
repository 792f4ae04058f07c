#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/frmSettings.h"
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
        prompts.answers = {QString::fromStdString(dir / "radarcol.mul")};
        Click(&dialog, "cmdGetRadarcol");
        EXPECT_EQ(prompts.asked.back().title, "Select radarcol.mul");
        EXPECT_EQ(prompts.asked.back().filter, "Origional radarcol (*.mul)");
        Click(&dialog, "cmdCancel");
    }
    Settings values;
    values.Load();
    EXPECT_EQ(values.RadarcolPath, "");
    {
        frmSettings dialog;
        Child<QLineEdit>(&dialog, "txtVerdata")->setText("/some/verdata.mul");
        Click(&dialog, "cmdGetRadarcol");  // cancelled: the text stays
        Child<QLineEdit>(&dialog, "txtRadarcol")->setText(QString::fromStdString(dir / "radarcol.mul"));
        Click(&dialog, "cmdSave");
    }
    const auto store = OpenSettingsStore();
    EXPECT_EQ(store->value("VerdataPath").toString(), "/some/verdata.mul");
    EXPECT_EQ(store->value("TiledataPath").toString(), "");
    values.Load();
    EXPECT_EQ(values.VerdataPath, "/some/verdata.mul");
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);

    // Clearing the path keeps the colours loaded earlier in this run.
    store->setValue("RadarcolPath", "");
    values.Load();
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);
}

TEST_F(Dialogs, ImportListsFourteenSourcesAndShowsTheRowsEachNeeds) {
    QDialog* dialog = window.ShowImport();
    auto* list = Child<QComboBox>(dialog, "cboMULType");
    ASSERT_EQ(list->count(), 14);
    EXPECT_EQ(list->itemText(0), "UOP Patchfile (*.UOP)");
    EXPECT_EQ(list->itemText(1), "Verdata (Verdata.mul)");
    EXPECT_EQ(list->itemText(2), "Map (0)");
    EXPECT_EQ(list->itemText(13), "Hues (32)");
    auto* idx = Child<QLineEdit>(dialog, "txtIDX");
    auto* fileFrom = Child<QLineEdit>(dialog, "txtFileIDFrom");
    EXPECT_TRUE(idx->isHidden());
    EXPECT_FALSE(fileFrom->isHidden());

    Child<QLineEdit>(dialog, "txtMUL")->setText("chosen");
    Child<QLineEdit>(dialog, "txtBlockTo")->setText("5");
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
    dialog->close();
}

TEST_F(Dialogs, ImportRefusesBadInputsAndStaysOpenWithThem) {
    QPointer<QDialog> dialog = window.ShowImport();
    auto* mul = Child<QLineEdit>(dialog, "txtMUL");
    Click(dialog, "cmdImport");
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0], ": Cannot find the file ''!");

    Patch source;
    source.Append(12, 3, {1}, 0, 0);
    source.Append(4, 3, {2}, 0, 0);
    ASSERT_EQ(WritePatchFile(dir / "src.uop", source), "");
    mul->setText(QString::fromStdString(dir / "src.uop"));
    Child<QLineEdit>(dialog, "txtFileIDTo")->setText("256");
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.messages.last(), "Import: The file ID limits must lie between 0 and 255.");
    Child<QLineEdit>(dialog, "txtFileIDTo")->setText("255");
    Child<QLineEdit>(dialog, "txtBlockTo")->setText("3000000000");
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.messages.last(), "Import: The block limits must lie between -2147483648 and 2147483647.");
    EXPECT_EQ(mul->text(), QString::fromStdString(dir / "src.uop"));
    EXPECT_EQ(Doc().patch().LiveCount(), 0);

    // A limit with trailing letters counts by its leading number.
    Child<QLineEdit>(dialog, "txtFileIDFrom")->setText("12abc");
    Child<QLineEdit>(dialog, "txtBlockTo")->setText("400000");
    ExpectUndoable([&] { Click(dialog, "cmdImport"); }, "Undo Import");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());  // closed after the import
    EXPECT_EQ(Doc().patch()[12].Count(), 1);
    EXPECT_EQ(Doc().patch()[4].LiveCount(), 0);
    EXPECT_EQ(Children(12), 1);
}

TEST_F(Dialogs, DataFileImportChecksBothPathsNumbersAndTheOpen) {
    QPointer<QDialog> dialog = window.ShowImport();
    Child<QComboBox>(dialog, "cboMULType")->setCurrentIndex(4);  // Art
    WriteFileBytes(dir / "art.mul", {1, 2});
    Child<QLineEdit>(dialog, "txtMUL")->setText(QString::fromStdString(dir / "art.mul"));
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.messages.last(), ": Cannot find the file ''!");
    // Block 0 present, block 1 absent, block 2 damaged (past the end of the data).
    WriteFileBytes(dir / "art.idx", {0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                     0xFF, 0, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0});
    Child<QLineEdit>(dialog, "txtIDX")->setText(QString::fromStdString(dir / "art.idx"));
    Child<QLineEdit>(dialog, "txtBlockTo")->setText("12abc");
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.messages.last(), "Import: The block limit '12abc' is not a number.");
    Child<QLineEdit>(dialog, "txtBlockTo")->setText("2.5");
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

TEST_F(Dialogs, CancelClosesTheImportWithoutAChange) {
    QPointer<QDialog> dialog = window.ShowImport();
    Click(dialog, "cmdCancel");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Doc().UndoStack()->count(), 0);
}

TEST_F(Dialogs, ImportCancelledFromTheProgressWindowChangesNothing) {
    WriteFileBytes(dir / "art.mul", {1, 2});
    WriteFileBytes(dir / "art.idx", IndexBytes({{0, 2, 0}}));
    QPointer<QDialog> dialog = window.ShowImport();
    Child<QComboBox>(dialog, "cboMULType")->setCurrentIndex(4);  // Art
    Child<QLineEdit>(dialog, "txtMUL")->setText(QString::fromStdString(dir / "art.mul"));
    Child<QLineEdit>(dialog, "txtIDX")->setText(QString::fromStdString(dir / "art.idx"));
    // Pressed as soon as the wait window shows it, while the import runs.
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
    user.start(0);
    Click(dialog, "cmdImport");
    user.stop();
    EXPECT_EQ(pressed, 1);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(dialog.isNull());  // still open for another try
    EXPECT_EQ(Doc().patch().LiveCount(), 0);
    EXPECT_EQ(Doc().UndoStack()->count(), 0);
    EXPECT_FALSE(window.isWindowModified());
}

TEST_F(Dialogs, ExportRefusalsLeaveTheTargetAndTheDialogAlone) {
    WriteFileBytes(dir / "target.mul", {1, 2, 3});
    QPointer<QDialog> dialog = window.ShowExport();
    EXPECT_EQ(dialog->windowTitle(), "Export to verdata.mul");
    EXPECT_TRUE(Child<QCheckBox>(dialog, "chkInclude")->isChecked());
    Click(dialog, "cmdExport");
    EXPECT_EQ(prompts.messages.last(), "Export ot verdata.mul: You must first select a filename for your new verdata.mul");

    prompts.answers = {QString::fromStdString(dir / "target.mul")};
    Click(dialog, "cmdFile");
    EXPECT_EQ(prompts.asked.back().title, "Export to");
    EXPECT_EQ(prompts.asked.back().kind, "save:mul");
    Click(dialog, "cmdExport");
    EXPECT_EQ(prompts.messages.last(),
              "Export to verdata.mul: Cant find the origional verdata.mul. Check the settings in 'File|Settings'.");
    EXPECT_EQ(ReadFileBytes(dir / "target.mul"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(dialog.isNull());

    Patch p;  // the dialog exports the patch and the settings as they are now
    p.Append(12, 1, {5}, 0, 0);
    Load(std::move(p));
    WriteFileBytes(dir / "base.mul", {0, 0, 0, 0});
    window.Values().VerdataPath = dir / "base.mul";
    Click(dialog, "cmdExport");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    Patch written;
    ASSERT_EQ(ReadVerdata(dir / "target.mul", written, false, 0, 255, 0, 400000), "");
    EXPECT_EQ(written.LiveCount(), 1);
}
