#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>

#include "app/frmStart.h"
#include "app/mComdlg.h"
#include "patch/app_values.h"
#include "patch/patch_file.h"
#include "scripted_prompts.h"
#include "test_support.h"

namespace {
class MainWindow : public ::testing::Test {
protected:
    template <class T>
    T* Child(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }
    QStringList TopTexts() {
        QStringList texts;
        for (int i = 0; i < window.Tree()->topLevelItemCount(); ++i) texts << window.Tree()->topLevelItem(i)->text(0);
        return texts;
    }

    CleanApp clean;
    ScriptedPrompts prompts;
    TempDir dir;
    frmStart window;
};
}  // namespace

TEST_F(MainWindow, StartsWithTheAboutFrameAndTheThirteenFileTypes) {
    EXPECT_EQ(window.windowTitle(), "Palindra - [New patch]");
    EXPECT_EQ(TopTexts(), QStringList({"Map", "Statics", "Art", "Anim", "Sound", "Texmaps", "Gumps", "Multis", "Skills",
                                       "Tiledata", "Animdata", "Hues", "Files"}));
    EXPECT_EQ(window.Tree()->topLevelItem(0)->childCount(), 0);
    EXPECT_FALSE(Child<QFrame>("frMenu0")->isHidden());
    EXPECT_TRUE(Child<QFrame>("frMenu1")->isHidden());
    EXPECT_TRUE(Child<QFrame>("frMenu2")->isHidden());
    EXPECT_EQ(Child<QLabel>("lblLogo")->text(), "Palindra");
    EXPECT_EQ(Child<QLabel>("lblVersion")->text(), "Version 0.30.0");
}

TEST_F(MainWindow, ToolbarAndMenusCarryTheirKeysCaptionsAndTooltips) {
    QStringList keys, tips;
    for (QAction* a : Child<QToolBar>("tbPatch")->actions()) {
        keys << a->objectName();
        if (!a->isSeparator()) tips << a->toolTip();
    }
    EXPECT_EQ(keys, QStringList({"D", "NEW", "D2", "OPEN", "SAVE", "D3", "IMPORT", "EXPORT"}));
    EXPECT_EQ(tips, QStringList({"New", "Open", "Save", "Import", "Export to verdata.mul"}));

    QStringList file;
    for (QAction* a : Child<QMenu>("mnuFile")->actions()) file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, QStringList({"New", "-", "Open", "-", "Save", "Save As", "-", "Settings", "-", "Exit"}));
    EXPECT_FALSE(Child<QMenu>("mnuHelp")->menuAction()->isVisible());
    EXPECT_EQ(Child<QMenu>("mnuPopup")->actions().size(), 6);
}

TEST_F(MainWindow, OpenShowsTheBlocksAndTheCaption) {
    Patch p;
    p.Append(4, 4660, {1, 2}, 0, 0);
    p.Append(4, 7, {1}, 0, 0);
    p.Append(4, 7, {2}, 0, 0);
    const std::string path = dir / "a.uop";
    ASSERT_EQ(WritePatchFile(path, p), "");

    prompts.answers = {QString::fromStdString(path)};
    window.Open();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, "Open");
    EXPECT_EQ(prompts.asked[0].filter, "UOP Patchfile (*.uop)");
    EXPECT_EQ(prompts.asked[0].dir, ProgramFolder());
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Palindra - [" + path + "]"));
    QTreeWidgetItem* art = window.NodeByKey("F004");
    ASSERT_EQ(art->childCount(), 2);
    EXPECT_EQ(art->child(0)->text(0), "000007");  // sorted by text
    EXPECT_EQ(art->child(1)->text(0), "0x01234");
    EXPECT_EQ(frmStart::KeyOf(art->child(1)), "F004B4660");
    EXPECT_EQ(App().WorkingPatch[4].RemovedCount, 1);
}

TEST_F(MainWindow, ARefusedOpenKeepsThePatchTreeAndFileName) {
    App().WorkingPatch.Append(12, 1, {1}, 0, 0);
    App().CurrentPatchFile = "kept.uop";
    window.RefreshTreeView();
    WriteFileBytes(dir / "bad.uop", {'U', 'O', 'P', 9});
    prompts.answers = {QString::fromStdString(dir / "bad.uop")};
    window.Open();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].startsWith("Open: '" + QString::fromStdString(dir / "bad.uop")));
    EXPECT_EQ(App().WorkingPatch.LiveCount(), 1);
    EXPECT_EQ(App().CurrentPatchFile, "kept.uop");
    EXPECT_EQ(window.windowTitle(), "Palindra - [kept.uop]");
    EXPECT_EQ(window.NodeByKey("F012")->childCount(), 1);
}

TEST_F(MainWindow, SaveWithoutAFileNameIsSaveAsAndCancelSavesNothing) {
    App().WorkingPatch.Append(4, 1, {1, 2, 3}, 0, 0);
    window.Save();  // no answer: the dialog is cancelled
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, "Save As");
    EXPECT_EQ(prompts.asked[0].kind, "save:mul");
    EXPECT_EQ(App().CurrentPatchFile, "");

    const std::string path = dir / "s.uop";
    prompts.answers = {QString::fromStdString(path)};
    window.Save();
    EXPECT_EQ(App().CurrentPatchFile, path);
    EXPECT_EQ(ReadFileBytes(path).size(), 12u + 13u + 3u);
    EXPECT_EQ(window.windowTitle(), "Palindra - [New patch]");  // shown at the next rebuild

    App().WorkingPatch.Append(4, 2, {9}, 0, 0);
    window.Save();  // saves to the current file without asking
    EXPECT_EQ(prompts.asked.size(), 3u - 1u);
    EXPECT_EQ(ReadFileBytes(path).size(), 12u + 13u + 3u + 13u + 1u);
}

TEST_F(MainWindow, AFailedSaveAsShowsAMessageAndKeepsTheFileName) {
    App().CurrentPatchFile = "old.uop";
    prompts.answers = {QString::fromStdString(dir / "missing/folder/x.uop")};
    window.SaveAs();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].startsWith("Save As: Cannot save"));
    EXPECT_EQ(App().CurrentPatchFile, "old.uop");
}

TEST_F(MainWindow, NewClearsThePatchAndTheFileName) {
    App().WorkingPatch.Append(0, 1, {1}, 0, 0);
    App().CurrentPatchFile = "x.uop";
    Child<QAction>("mnuNew")->trigger();
    EXPECT_EQ(App().WorkingPatch.LiveCount(), 0);
    EXPECT_EQ(window.windowTitle(), "Palindra - [New patch]");
    EXPECT_EQ(window.NodeByKey("F000")->childCount(), 0);
}

TEST_F(MainWindow, ResizingToATinySizeIsHarmless) {
    window.show();
    window.resize(10, 10);
    window.resize(1200, 800);
    EXPECT_TRUE(window.isVisible());
}

TEST(FileDialogs, FiltersBecomeQtNameFilters) {
    EXPECT_EQ(ToQtFilter("Datafile (*.dat) |*.dat"), "Datafile (*.dat)");
    EXPECT_EQ(ToQtFilter("Idx file (*.idx) |*.idx|Idx file (*.mul)|*.mul|Idx file (*.*)|*.*"),
              "Idx file (*.idx);;Idx file (*.mul);;Idx file (*.*)");
    EXPECT_EQ(ToQtFilter("Verdata (*.mul) |*.mul|"), "Verdata (*.mul)");
}
