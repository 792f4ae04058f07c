#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "app/BlockCommands.h"
#include "app/InfoPanel.h"
#include "app/frmStart.h"
#include "patch/app_values.h"
#include "scripted_prompts.h"
#include "test_support.h"

namespace {
class ContextMenu : public ::testing::Test {
protected:
    void Select(const QString& key) {
        QTreeWidgetItem* item = window.NodeByKey(key);
        ASSERT_NE(item, nullptr) << key.toStdString();
        window.Tree()->setCurrentItem(item);
    }
    QStringList Menu() {
        QStringList entries;
        if (!window.Commands()->PrepareMenu()) return entries;
        for (QAction* a : Child<QMenu>(&window, "mnuPopup")->actions())
            if (a->isVisible()) entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return entries;
    }
    void PressDelete() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(window.Tree(), &press);
    }

    CleanApp clean;
    ScriptedPrompts prompts;
    TempDir dir;
    frmStart window;
};
}  // namespace

TEST_F(ContextMenu, EntriesDependOnTheSelectedNode) {
    App().WorkingPatch.Append(12, 1, {1}, 0, 0);
    App().WorkingPatch.Append(0, 1, {1}, 0, 0);
    window.RefreshTreeView();
    EXPECT_EQ(Menu(), QStringList());  // nothing selected
    Select("F012B1");
    EXPECT_EQ(Menu(), QStringList({"Remove", "-", "Save to File", "Save to Bmp", "Change Flags"}));
    Select("F000B1");
    EXPECT_EQ(Menu(), QStringList({"Remove", "-", "Save to File", "Change Flags"}));
    Select("F012");
    EXPECT_EQ(Menu(), QStringList({"Load from Datafile", "Load from BMP", "Add from compare"}));
    Select("F252");
    EXPECT_EQ(Menu(), QStringList({"Add file"}));
    Select("F004");
    EXPECT_EQ(Menu(), QStringList({"Load from Datafile", "Add from compare"}));
}

TEST_F(ContextMenu, RemoveAndDeleteDropTheBlockAndItsNode) {
    App().WorkingPatch.Append(4, 1, {1}, 0, 0);
    App().WorkingPatch.Append(4, 2, {2}, 0, 0);
    window.RefreshTreeView();
    window.Commands()->OnMenuItem(0);  // no selection: nothing happens
    PressDelete();
    EXPECT_EQ(App().WorkingPatch.LiveCount(), 2);

    Select("F004B1");
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(App().WorkingPatch[4].RemovedCount, 1);
    EXPECT_EQ(window.NodeByKey("F004B1"), nullptr);
    Select("F004");
    PressDelete();  // a file-type node is not removed
    EXPECT_NE(window.NodeByKey("F004"), nullptr);
    Select("F004B2");
    PressDelete();
    EXPECT_EQ(App().WorkingPatch.LiveCount(), 0);
    EXPECT_EQ(window.NodeByKey("F004")->childCount(), 0);
}

TEST_F(ContextMenu, BlocksGoToDataFilesAndComeBack) {
    Bytes data(196);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    App().WorkingPatch.Append(0, 7, data, 3, 4);
    App().WorkingPatch.Append(0, 8, {}, 0, 0);
    window.RefreshTreeView();

    Select("F000B7");
    prompts.answers = {QString::fromStdString(dir / "block")};
    window.Commands()->OnMenuItem(2);
    EXPECT_EQ(prompts.asked.back().title, "Select data to save to");
    EXPECT_EQ(ReadFileBytes(dir / "block.dat"), data);
    Select("F000B8");
    window.Commands()->OnMenuItem(2);
    EXPECT_EQ(prompts.messages.last(), "Save block: That block is empty.");

    Select("F000");
    prompts.answers = {"7", QString::fromStdString(dir / "block.dat")};
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(prompts.asked[prompts.asked.size() - 2].title, "Import from datafile");
    const PatchFileEntry& map = App().WorkingPatch[0];
    const PatchBlock& loaded = map.Blocks[static_cast<std::size_t>(App().WorkingPatch.FindLiveBlock(0, 7))];
    EXPECT_EQ(loaded.ByteArray, data);
    EXPECT_EQ(loaded.FlagA, 0);
    EXPECT_EQ(map.RemovedCount, 1);  // the rebuild settled the old block 7
    EXPECT_EQ(window.NodeByKey("F000")->childCount(), 2);

    Select("F000");  // the rebuild dropped the selection
    prompts.answers = {"0x1A", QString::fromStdString(dir / "block.dat")};
    window.Commands()->OnMenuItem(0);
    EXPECT_NE(window.NodeByKey("F000B26"), nullptr);
    Select("F000");
    const qsizetype before = prompts.messages.size();
    prompts.answers = {"65536"};
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(prompts.messages.last(), "Import block from datafile: Illegal blocknumber!");
    prompts.answers = {""};  // a cancelled prompt ends silently
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(prompts.messages.size(), before + 1);
    prompts.answers = {"5", QString::fromStdString(dir / "missing.dat")};
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(App().WorkingPatch.FindLiveBlock(0, 5), -1);
    EXPECT_TRUE(prompts.messages.last().startsWith("Import block from datafile: Cannot open"));
}

TEST_F(ContextMenu, AddFileReplacesTheBlockOrRefusesAFakeClient) {
    WriteFileBytes(dir / "readme.txt", {'h', 'i'});
    WriteFileBytes(dir / "fake.exe", {'n', 'o'});
    auto fill = [](int type, const std::string& path) {
        return [type, path](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Add file");
            Child<QComboBox>(d, "cboType")->setCurrentIndex(type);
            Child<QLineEdit>(d, "txtFile")->setText(QString::fromStdString(path));
            Child<QPushButton>(d, "cmdAdd")->click();
        };
    };
    Select("F252");
    prompts.dialogs = {fill(1, dir / "readme.txt")};
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(App().DialogResult, 1);
    EXPECT_EQ(window.NodeByKey("F252B1")->text(0), "Readme.txt");

    Select("F252");
    prompts.dialogs = {fill(0, dir / "fake.exe")};
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(prompts.messages.last(), "Add file: This is NOT an UO client.exe file.");
    EXPECT_EQ(App().DialogResult, 0);
    EXPECT_EQ(App().WorkingPatch[252].Count(), 1);
    prompts.dialogs = {fill(2, "")};
    window.Commands()->OnMenuItem(0);
    EXPECT_EQ(prompts.messages.last(), "Add file: You must select a file to add first.");
}

TEST_F(ContextMenu, CompareAsksForTheFilesTheTypeNeeds) {
    WriteFileBytes(dir / "a.mul", Bytes(196 * 2, 0));
    Bytes altered(196 * 2, 0);
    altered[196 + 5] = 1;
    WriteFileBytes(dir / "b.mul", altered);
    Select("F000");
    prompts.dialogs = {[&](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Compare Map");
        EXPECT_TRUE(Child<QLineEdit>(d, "txtIDX1")->isHidden());
        Child<QPushButton>(d, "cmdCompare")->click();
        EXPECT_EQ(prompts.messages.last(), "Compare: Cannot find the files you selected.");
        Child<QLineEdit>(d, "txtMUL1")->setText(QString::fromStdString(dir / "a.mul"));
        Child<QLineEdit>(d, "txtMUL2")->setText(QString::fromStdString(dir / "b.mul"));
        Child<QPushButton>(d, "cmdCompare")->click();
    }};
    window.Commands()->OnMenuItem(2);
    ASSERT_EQ(App().WorkingPatch[0].Count(), 1);
    EXPECT_EQ(App().WorkingPatch[0].Blocks[0].BlockNumber, 1);
    EXPECT_NE(window.NodeByKey("F000B1"), nullptr);

    // Art has index files: all four paths are checked.
    Select("F004");
    prompts.dialogs = {[&](QDialog* d) {
        EXPECT_FALSE(Child<QLineEdit>(d, "txtIDX1")->isHidden());
        Child<QLineEdit>(d, "txtMUL1")->setText(QString::fromStdString(dir / "a.mul"));
        Child<QLineEdit>(d, "txtMUL2")->setText(QString::fromStdString(dir / "b.mul"));
        Child<QPushButton>(d, "cmdCompare")->click();
        Child<QPushButton>(d, "cmdCancel")->click();
    }};
    const qsizetype before = prompts.messages.size();
    window.Commands()->OnMenuItem(2);
    EXPECT_EQ(prompts.messages.size(), before + 1);
    EXPECT_EQ(App().WorkingPatch[4].Count(), 0);
    EXPECT_EQ(App().CompareMul1, "");
}

TEST_F(ContextMenu, FlagsAreEditedAndWrittenBackToTheBlock) {
    App().WorkingPatch.Append(12, 3, {1, 0, 0, 0, 0x1F, 0, 2, 0}, -1, 2);  // one row of two pixels
    window.RefreshTreeView();
    Select("F012B3");
    prompts.dialogs = {[](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Change Flags");
        EXPECT_EQ(Child<QLineEdit>(d, "txtFlagA")->text(), "65535");
        EXPECT_EQ(Child<QLineEdit>(d, "txtFlagB")->text(), "2");
        Child<QLineEdit>(d, "txtFlagA")->setText("1");
        Child<QPushButton>(d, "cmdSave")->click();
    }};
    window.Commands()->OnMenuItem(4);
    const PatchBlock& b = App().WorkingPatch[12].Blocks[0];
    EXPECT_EQ(b.FlagA, 1);  // the height
    EXPECT_EQ(b.FlagB, 2);  // the width
    EXPECT_EQ(Child<QLabel>(&window, "lblInfo2")->text(), "Size: 2x1");
    EXPECT_EQ(window.Panel()->Picture().size(), QSize(2, 1));

    prompts.dialogs = {[](QDialog* d) { Child<QPushButton>(d, "cmdCancel")->click(); }};
    window.Commands()->OnMenuItem(4);
    EXPECT_EQ(b.FlagA, 1);
}

TEST_F(ContextMenu, ArtBlocksShowTheirTile) {
    App().WorkingPatch.Append(4, 5, Bytes(2024, 0xFF), 0, 0);
    App().WorkingPatch.Append(4, 16384, Bytes{1, 2, 3}, 0, 0);
    window.RefreshTreeView();
    Select("F004B5");
    ASSERT_EQ(window.Panel()->Picture().size(), QSize(44, 44));
    EXPECT_EQ(window.Panel()->Picture().pixel(21, 0), qRgb(248, 248, 248));
    EXPECT_NE(window.Panel()->Picture().pixel(0, 0), qRgb(255, 0, 0));  // background, not the marker colour
    Select("F004B16384");
    EXPECT_TRUE(window.Panel()->Picture().isNull());
    EXPECT_EQ(Child<QLabel>(&window, "lblInfo2")->text(), "Type: Static tile");
}
