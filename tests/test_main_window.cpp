#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <filesystem>

#include "app/frmImport.h"
#include "codecs/bitmap.h"
#include "gui_fixture.h"

namespace {
using MainWindow = GuiTest;
}  // namespace

TEST_F(MainWindow, StartsWithTheAboutFrameTheFileTypesMenusAndShortcuts) {
    EXPECT_EQ(window.windowTitle(), "Palindra - [New patch][*]");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(ChildTexts({}), QStringList({"Map", "Statics", "Art", "Anim", "Sound", "Texmaps", "Gumps", "Multis",
                                           "Skills", "Tiledata", "Animdata", "Hues", "Files"}));
    EXPECT_EQ(Children(0), 0);
    EXPECT_EQ(Label("lblLogo"), "Palindra");
    EXPECT_EQ(Label("lblVersion"), "Version 0.30.0");
    // The tree getting focus makes a row current but shows no node.
    window.show();
    window.Tree()->setFocus();
    QApplication::processEvents();
    for (const auto& [frame, hidden] : {std::pair{"frMenu0", false}, {"frMenu1", true}, {"frMenu2", true}})
        EXPECT_EQ(Child<QFrame>(&window, frame)->isHidden(), hidden) << frame;
    Select({0, -1});
    EXPECT_TRUE(Child<QFrame>(&window, "frMenu0")->isHidden());

    QStringList keys, tips;
    for (QAction* a : Child<QToolBar>(&window, "tbPatch")->actions()) {
        keys << a->objectName();
        if (!a->isSeparator()) tips << a->toolTip();
    }
    EXPECT_EQ(keys, QStringList({"D", "NEW", "D2", "OPEN", "SAVE", "D3", "IMPORT", "EXPORT"}));
    EXPECT_EQ(tips, QStringList({"New", "Open", "Save", "Import", "Export to verdata.mul"}));
    const std::pair<const char*, QStringList> menus[] = {
        {"mnuFile", {"New", "-", "Open", "Open Recent", "-", "Save", "Save As", "-", "Settings", "-", "Exit"}},
        {"mnuEdit", {"Undo", "Redo", "-", "Copy Picture"}},
        {"mnuBlock", {"Import", "Export", "-", "Remove", "Save to File", "Load from Datafile", "Save to Bmp",
                      "Load from BMP", "Add from compare", "Add file", "Change Flags", "Save as WAV"}},
        {"mnuHelp", {"About Palindra"}}};
    for (const auto& [name, captions] : menus) {
        auto* menu = Child<QMenu>(&window, name);
        QStringList texts;  // "-" for separators, without '&' and "..."
        for (QAction* a : menu->actions()) texts << (a->isSeparator() ? "-" : a->text().remove('&').remove("..."));
        EXPECT_EQ(texts, captions);
        EXPECT_TRUE(menu->title().startsWith('&')) << name;
    }
    EXPECT_EQ(Action("actUndo")->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Action("actRedo")->shortcut(), QKeySequence("Ctrl+Shift+Z"));
    EXPECT_EQ(Action("actRemove")->shortcut(), QKeySequence(QKeySequence::Delete));
    QList<QKeySequence> seen;  // every block command has a key of its own
    for (QAction* a : Child<QMenu>(&window, "mnuBlock")->actions()) {
        if (a->isSeparator()) continue;
        EXPECT_FALSE(a->shortcut().isEmpty() || seen.contains(a->shortcut())) << a->text().toStdString();
        seen << a->shortcut();
    }
}

TEST_F(MainWindow, OpenSortsBlocksSettlesUnmodifiedAndRefusedOpensKeepThePatch) {
    const std::string path =
        WritePatch("a.uop", Blocks({{4, 0x12345, {1}}, {4, 20, {1}}, {4, 20, {2}}, {4, 16, {1, 2}}}));
    Trigger("mnuOpen", {QString::fromStdString(path)});
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, "Open");
    EXPECT_EQ(prompts.asked[0].filter, "UOP Patchfile (*.uop)");
    EXPECT_EQ(prompts.asked[0].dir, QDir::homePath());
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Palindra - [" + path + "][*]"));
    EXPECT_EQ(ChildTexts(Model().IndexOf({4, -1})), QStringList({"0x00010", "000020", "0x12345"}));
    EXPECT_EQ(Model().IndexOf({4, 0x12345}).data(BlockTreeModel::KeyRole).toString(), "F004B74565");
    EXPECT_EQ(Doc().patch()[4].RemovedCount, 1);
    EXPECT_FALSE(window.isWindowModified());

    WriteFileBytes(dir / "bad.uop", {'U', 'O', 'P', 9});
    WriteFileBytes(dir / "game.uop", {'M', 'Y', 'P', 0, 5, 0, 0, 0});
    Trigger("mnuOpen", {File("bad.uop"), File("game.uop")});
    Trigger("mnuOpen");
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_TRUE(prompts.messages[0].startsWith("Open: '" + File("bad.uop")));
    EXPECT_EQ(prompts.messages[1],
              "Open: '" + File("game.uop") + "' is a game data package, not a patch project file.");
    EXPECT_EQ(Doc().Path(), path);
    EXPECT_EQ(Children(4), 3);
}

TEST_F(MainWindow, SaveAsUsesThePatchExtensionAndShowsTheNewNameAtOnce) {
    Modify();
    Trigger("mnuSave");  // no file name yet: Save As, cancelled
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, "Save As");
    EXPECT_EQ(prompts.asked[0].kind, "save:uop");
    EXPECT_TRUE(window.isWindowModified());

    const std::string path = dir / "s.uop";
    Trigger("mnuSave", {QString::fromStdString(path)});
    EXPECT_EQ(Doc().Path(), path);
    EXPECT_EQ(ReadFileBytes(path).size(), 12u + 13u + 3u);
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Palindra - [" + path + "][*]"));
    EXPECT_FALSE(window.isWindowModified());
    Trigger("actUndo");  // away from the saved state and back
    EXPECT_TRUE(window.isWindowModified());
    Trigger("actRedo");
    EXPECT_FALSE(window.isWindowModified());

    Trigger("mnuSaveAs", {File("missing/folder/x.uop")});
    EXPECT_TRUE(prompts.messages.last().startsWith("Save As: Cannot lock"));
    EXPECT_EQ(Doc().Path(), path);
}

// Close, New and Open ask before unsaved changes go; Cancel keeps them,
// Discard drops them, Save writes them first.
TEST_F(MainWindow, UnsavedChangesAreNeverLostWithoutAsking) {
    const struct {
        const char* action;
        SaveChoice choice;
        bool proceeds;
    } cases[] = {{"mnuNew", SaveChoice::Cancel, false},  {"mnuNew", SaveChoice::Discard, true},
                 {"mnuOpen", SaveChoice::Cancel, false}, {"mnuOpen", SaveChoice::Discard, true},
                 {"mnuExit", SaveChoice::Cancel, false}, {"mnuExit", SaveChoice::Discard, true},
                 {"mnuNew", SaveChoice::Save, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + std::to_string(int(c.choice)));
        Load(Patch{});
        window.show();
        Modify();
        prompts.saveQuestions = 0;
        prompts.saveChoices = {c.choice};
        prompts.answers = {QString::fromStdString(WritePatch("saved.uop", Patch{}))};  // Save As, or Open's file
        Trigger(c.action);
        EXPECT_EQ(prompts.saveQuestions, 1);
        const bool exit = std::string(c.action) == "mnuExit";
        EXPECT_EQ(exit ? !window.isVisible() : Doc().patch().LiveCount() == 0, c.proceeds);
        if (c.choice == SaveChoice::Save) {
            EXPECT_EQ(ReadFileBytes(dir / "saved.uop").size(), 12u + 13u + 3u);
        }
        prompts.answers.clear();
    }
    Load(Patch{});  // nothing to lose: no question
    prompts.saveQuestions = 0;
    Trigger("mnuNew");
    EXPECT_EQ(prompts.saveQuestions, 0);
}

TEST_F(MainWindow, StatusBarReportsImportSaveAndExportAndThePanelFollowsEveryChange) {
    auto status = [&] { return window.statusBar()->currentMessage(); };
    Select({12, -1});
    // Import and Export open one dialog each, however often asked for.
    QDialog* import = window.ShowImport();
    Trigger("actImport");
    Child<QToolBar>(&window, "tbPatch")->findChild<QAction*>("IMPORT")->trigger();
    EXPECT_EQ(window.ShowImport(), import);
    EXPECT_EQ(window.findChildren<QDialog*>("frmImport").size(), 1);
    SetText(import, "txtMUL", QString::fromStdString(WritePatch("from.uop", Blocks({{12, 7, {1, 2}}, {12, 8, {3}}}))));
    Click(import, "cmdImport");
    EXPECT_EQ(status(), "Imported 2 blocks into Gumps");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 2");

    Trigger("mnuSaveAs", {File("saved.uop")});
    EXPECT_EQ(status(), "Saved " + File("saved.uop"));

    QDialog* exportDialog = window.ShowExport();
    Trigger("actExport");
    EXPECT_EQ(window.ShowExport(), exportDialog);
    EXPECT_EQ(window.findChildren<QDialog*>("frmExport").size(), 1);
    SetText(exportDialog, "txtFile", File("verdata.mul"));
    Child<QCheckBox>(exportDialog, "chkInclude")->setChecked(false);
    Click(exportDialog, "cmdExport");
    EXPECT_EQ(status(), "Exported 2 blocks to " + File("verdata.mul"));

    Trigger("actUndo");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 0");
    Trigger("actRedo");
    Trigger("mnuNew");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 0");
}

TEST_F(MainWindow, TheSplitterAndWindowSizeAreKeptForTheNextStart) {
    window.show();
    window.resize(1000, 700);
    auto* splitter = Child<QSplitter>(&window, "splBlocks");
    splitter->setSizes({333, 600});
    const int left = splitter->sizes().first();
    window.close();
    frmStart next;
    next.show();
    EXPECT_EQ(Child<QSplitter>(&next, "splBlocks")->sizes().first(), left);
    EXPECT_EQ(next.size(), QSize(1000, 700));
}

TEST_F(MainWindow, FileDialogsStartWhereTheUserWasAndRecentPatchesReopen) {
    const QString workingFolder = QDir::currentPath();
    auto lastDir = [&] { return prompts.asked.back().dir; };
    std::filesystem::create_directories(dir / "first");
    std::filesystem::create_directories(dir / "second");
    const QString first = File("first/p.uop"), second = File("second/q.uop");
    Trigger("mnuSaveAs", {first});
    EXPECT_EQ(lastDir(), QDir::homePath());
    Select({12, -1});
    // Raw blocks have no folder of their own yet, so the patch's.
    Trigger("actLoadFromDatafile", {QStringLiteral("1"), QString()});
    EXPECT_EQ(lastDir(), File("first"));
    WritePatch("second/q.uop", Patch{});
    Trigger("mnuOpen", {second});
    EXPECT_EQ(lastDir(), File("first"));
    Trigger("mnuOpen", {QString()});
    EXPECT_EQ(lastDir(), File("second"));

    auto* import = window.ShowImport();
    auto* type = Child<QComboBox>(import, "cboMULType");
    type->setCurrentIndex(type->findData(4));
    Click(import, "cmdIDX");
    EXPECT_EQ(prompts.asked.back().filter, "Index file (*.idx *idx*.mul);;All files (*.*)");

    QStringList recent;
    for (QAction* a : Child<QMenu>(&window, "mnuRecent")->actions()) recent << a->text();
    EXPECT_EQ(recent, QStringList({"&1 " + second, "&2 " + first}));
    Child<QMenu>(&window, "mnuRecent")->actions()[1]->trigger();
    EXPECT_EQ(Doc().Path(), first.toStdString());
    EXPECT_TRUE(window.OpenPath(second));  // as `palindra FILE.uop` does
    EXPECT_EQ(Doc().Path(), second.toStdString());
    EXPECT_FALSE(window.OpenPath(File("second/none.uop")));
    EXPECT_EQ(QDir::currentPath(), workingFolder);
}

TEST_F(MainWindow, DroppedFilesOpenReplaceGumpsOrFillTheImportDialog) {
    // Dropped outside the tree: onto the current node.
    auto drop = [&](const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDropEvent event(QPointF(-10, -10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: the application passes on drops only during a drag.
        static_cast<QObject&>(window).event(&event);
    };
    QImage red(2, 1, QImage::Format_RGB32);
    red.fill(qRgb(248, 0, 0));
    ASSERT_EQ(SavePicture(red, File("red.bmp")), "");
    Load(Blocks({{12, 1, {9, 9}}}));

    Select({12, 1});
    drop(dir / "red.bmp");  // replaces the block it lands on
    EXPECT_EQ(Doc().UndoStack()->count(), 1);
    EXPECT_EQ(Doc().patch()[12].LiveCount(), 1);
    EXPECT_NE(Doc().patch()[12].Blocks.back().ByteArray, Bytes({9, 9}));
    Select({12, -1});
    prompts.answers = {QStringLiteral("5")};
    drop(dir / "red.bmp");  // on the file type: asks for the number
    EXPECT_EQ(prompts.asked.back().kind, "input:Select block number:0");
    EXPECT_GE(Doc().patch().FindLiveBlock(12, 5), 0);

    prompts.saveChoices = {SaveChoice::Discard};
    drop(WritePatch("dropped.uop", Patch{}));
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(Doc().Path(), dir / "dropped.uop");

    for (const auto& [name, type] : {std::pair{"VERDATA.MUL", frmImport::kVerdataType}, {"gumpart.mul", 12},
                                     {"map0.mul", 0}, {"hues.mul", 32}}) {
        drop(dir / name);
        auto* import = window.findChild<frmImport*>("frmImport");
        ASSERT_NE(import, nullptr);
        EXPECT_EQ(Child<QComboBox>(import, "cboMULType")->currentData().toInt(), type) << name;
        EXPECT_EQ(Child<QLineEdit>(import, "txtMUL")->text(), File(name));
    }
}
