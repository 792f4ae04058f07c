#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QToolBar>

#include "app/frmImport.h"
#include "app/frmSettings.h"
#include "codecs/bitmap.h"
#include "app/mComdlg.h"
#include "gui_fixture.h"

namespace {
class MainWindow : public GuiTest {
protected:
    QStringList TopTexts() { return ChildTexts({}); }
    std::string WritePatch(const std::string& name, const Patch& p) {
        const std::string path = dir / name;
        EXPECT_EQ(WritePatchFile(path, p), "");
        return path;
    }
    void Modify() {
        PatchEdit edit;
        edit.added.Append(4, 1, {1, 2, 3}, 0, 0);
        Doc().Run(QStringLiteral("Import"), std::move(edit));
    }
};
}  // namespace

TEST_F(MainWindow, StartsWithTheAboutFrameAndTheThirteenFileTypes) {
    EXPECT_EQ(window.windowTitle(), "Palindra - [New patch][*]");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_EQ(TopTexts(), QStringList({"Map", "Statics", "Art", "Anim", "Sound", "Texmaps", "Gumps", "Multis", "Skills",
                                       "Tiledata", "Animdata", "Hues", "Files"}));
    EXPECT_EQ(Children(0), 0);
    EXPECT_EQ(Child<QLabel>(&window, "lblLogo")->text(), "Palindra");
    EXPECT_EQ(Child<QLabel>(&window, "lblVersion")->text(), "Version 0.30.0");
    // The tree getting focus makes a row current but shows no node.
    window.show();
    window.Tree()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Child<QFrame>(&window, "frMenu0")->isHidden());
    EXPECT_TRUE(Child<QFrame>(&window, "frMenu1")->isHidden());
    EXPECT_TRUE(Child<QFrame>(&window, "frMenu2")->isHidden());
    Select({0, -1});
    EXPECT_TRUE(Child<QFrame>(&window, "frMenu0")->isHidden());
}

TEST_F(MainWindow, ToolbarAndMenusCarryTheirKeysCaptionsAndShortcuts) {
    QStringList keys, tips;
    for (QAction* a : Child<QToolBar>(&window, "tbPatch")->actions()) {
        keys << a->objectName();
        if (!a->isSeparator()) tips << a->toolTip();
    }
    EXPECT_EQ(keys, QStringList({"D", "NEW", "D2", "OPEN", "SAVE", "D3", "IMPORT", "EXPORT"}));
    EXPECT_EQ(tips, QStringList({"New", "Open", "Save", "Import", "Export to verdata.mul"}));
    auto captions = [&](const char* menu) {
        QStringList texts;
        for (QAction* a : Child<QMenu>(&window, menu)->actions())
            texts << (a->isSeparator() ? "-" : a->text().remove('&').remove(QStringLiteral("...")));
        return texts;
    };
    EXPECT_EQ(captions("mnuFile"), QStringList({"New", "-", "Open", "Open Recent", "-", "Save", "Save As", "-", "Settings", "-", "Exit"}));
    EXPECT_EQ(captions("mnuBlock"), QStringList({"Import", "Export", "-", "Remove", "Save to File", "Load from Datafile",
                                                 "Save to Bmp", "Load from BMP", "Add from compare", "Add file",
                                                 "Change Flags", "Save as WAV"}));
    EXPECT_EQ(captions("mnuHelp"), QStringList({"About Palindra"}));
    for (const char* menu : {"mnuFile", "mnuEdit", "mnuBlock", "mnuHelp"})
        EXPECT_TRUE(Child<QMenu>(&window, menu)->title().startsWith('&')) << menu;
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(Action("actUndo")->shortcut(), QKeySequence("Ctrl+Z"));
    EXPECT_EQ(Action("actRedo")->shortcut(), QKeySequence("Ctrl+Shift+Z"));
    EXPECT_EQ(Action("actRemove")->shortcut(), QKeySequence(QKeySequence::Delete));
    QList<QKeySequence> seen;
    for (QAction* a : Child<QMenu>(&window, "mnuBlock")->actions()) {
        if (a->isSeparator()) continue;
        EXPECT_FALSE(a->shortcut().isEmpty()) << a->text().toStdString();
        EXPECT_FALSE(seen.contains(a->shortcut())) << a->text().toStdString();
        seen << a->shortcut();
    }
}

TEST_F(MainWindow, OpenSortsBlocksByNumberAndSettlesWithoutMarkingTheDocument) {
    Patch p;
    p.Append(4, 0x12345, {1}, 0, 0);
    p.Append(4, 20, {1}, 0, 0);
    p.Append(4, 20, {2}, 0, 0);
    p.Append(4, 16, {1, 2}, 0, 0);
    const std::string path = WritePatch("a.uop", p);
    prompts.answers = {QString::fromStdString(path)};
    Trigger("mnuOpen");
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, "Open");
    EXPECT_EQ(prompts.asked[0].filter, "UOP Patchfile (*.uop)");
    EXPECT_EQ(prompts.asked[0].dir, QDir::homePath());
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Palindra - [" + path + "][*]"));
    EXPECT_EQ(ChildTexts(Model().IndexOf({4, -1})), QStringList({"0x00010", "000020", "0x12345"}));
    EXPECT_EQ(Model().IndexOf({4, 0x12345}).data(BlockTreeModel::KeyRole).toString(), "F004B74565");
    EXPECT_EQ(Doc().patch()[4].RemovedCount, 1);
    EXPECT_FALSE(window.isWindowModified());
}

TEST_F(MainWindow, RefusedOpensKeepThePatchAndSayWhy) {
    Patch p;
    p.Append(12, 1, {1}, 0, 0);
    prompts.answers = {QString::fromStdString(WritePatch("kept.uop", p))};
    Trigger("mnuOpen");
    WriteFileBytes(dir / "bad.uop", {'U', 'O', 'P', 9});
    WriteFileBytes(dir / "game.uop", {'M', 'Y', 'P', 0, 5, 0, 0, 0});
    prompts.answers = {QString::fromStdString(dir / "bad.uop"), QString::fromStdString(dir / "game.uop")};
    Trigger("mnuOpen");
    Trigger("mnuOpen");
    ASSERT_EQ(prompts.messages.size(), 2);
    EXPECT_TRUE(prompts.messages[0].startsWith("Open: '" + QString::fromStdString(dir / "bad.uop")));
    EXPECT_EQ(prompts.messages[1], "Open: '" + QString::fromStdString(dir / "game.uop") +
                                       "' is a game data package, not a patch project file.");
    EXPECT_EQ(Doc().Path(), dir / "kept.uop");
    EXPECT_EQ(Children(12), 1);
}

TEST_F(MainWindow, SaveAsUsesThePatchExtensionAndShowsTheNewNameAtOnce) {
    Modify();
    EXPECT_TRUE(window.isWindowModified());
    Trigger("mnuSave");  // no file name yet: Save As, cancelled
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, "Save As");
    EXPECT_EQ(prompts.asked[0].kind, "save:uop");
    EXPECT_TRUE(window.isWindowModified());

    const std::string path = dir / "s.uop";
    prompts.answers = {QString::fromStdString(path)};
    Trigger("mnuSave");
    EXPECT_EQ(Doc().Path(), path);
    EXPECT_EQ(ReadFileBytes(path).size(), 12u + 13u + 3u);
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Palindra - [" + path + "][*]"));
    EXPECT_FALSE(window.isWindowModified());

    Trigger("actUndo");  // away from the saved state and back
    EXPECT_TRUE(window.isWindowModified());
    Trigger("actRedo");
    EXPECT_FALSE(window.isWindowModified());

    prompts.answers = {QString::fromStdString(dir / "missing/folder/x.uop")};
    Trigger("mnuSaveAs");
    EXPECT_TRUE(prompts.messages.last().startsWith("Save As: Cannot lock"));
    EXPECT_EQ(Doc().Path(), path);
}

// Close, New and Open ask before unsaved changes go; Cancel keeps them,
// Discard drops them, Save writes them first.
TEST_F(MainWindow, UnsavedChangesAreNeverLostWithoutAsking) {
    struct Case {
        const char* action;
        SaveChoice choice;
        bool proceeds;
    };
    const Case cases[] = {{"mnuNew", SaveChoice::Cancel, false},  {"mnuNew", SaveChoice::Discard, true},
                          {"mnuOpen", SaveChoice::Cancel, false}, {"mnuOpen", SaveChoice::Discard, true},
                          {"mnuExit", SaveChoice::Cancel, false}, {"mnuExit", SaveChoice::Discard, true},
                          {"mnuNew", SaveChoice::Save, true}};
    for (const Case& c : cases) {
        Load(Patch{});
        window.show();
        Modify();
        prompts.saveQuestions = 0;
        prompts.saveChoices = {c.choice};
        prompts.answers = {QString::fromStdString(dir / "saved.uop")};  // Save As, or Open's file
        WritePatch("saved.uop", Patch{});
        Trigger(c.action);
        SCOPED_TRACE(std::string(c.action) + " " + std::to_string(int(c.choice)));
        EXPECT_EQ(prompts.saveQuestions, 1);
        const bool proceeded = std::string(c.action) == "mnuExit" ? !window.isVisible() : Doc().patch().LiveCount() == 0;
        EXPECT_EQ(proceeded, c.proceeds);
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

TEST_F(MainWindow, ImportAndExportOpenOneDialogEach) {
    QDialog* import = window.ShowImport();
    Trigger("actImport");
    Child<QToolBar>(&window, "tbPatch")->findChild<QAction*>("IMPORT")->trigger();
    EXPECT_EQ(window.ShowImport(), import);
    EXPECT_EQ(window.findChildren<QDialog*>("frmImport").size(), 1);
    QDialog* exportDialog = window.ShowExport();
    Trigger("actExport");
    EXPECT_EQ(window.ShowExport(), exportDialog);
    EXPECT_EQ(window.findChildren<QDialog*>("frmExport").size(), 1);
}

TEST_F(MainWindow, StatusBarReportsImportSaveAndExportAndThePanelFollowsEveryChange) {
    auto status = [&] { return window.statusBar()->currentMessage(); };
    Patch source;
    source.Append(12, 7, {1, 2}, 0, 0);
    source.Append(12, 8, {3}, 0, 0);
    const std::string from = WritePatch("from.uop", source);
    Select({12, -1});
    auto* import = window.ShowImport();
    Child<QLineEdit>(import, "txtMUL")->setText(QString::fromStdString(from));
    Child<QPushButton>(import, "cmdImport")->click();
    EXPECT_EQ(status(), "Imported 2 blocks into Gumps");
    EXPECT_EQ(Child<QLabel>(&window, "lblInfo1")->text(), "Number of blocks: 2");

    const std::string saved = dir / "saved.uop";
    prompts.answers = {QString::fromStdString(saved)};
    Trigger("mnuSaveAs");
    EXPECT_EQ(status(), QString::fromStdString("Saved " + saved));

    auto* exportDialog = window.ShowExport();
    const QString verdata = QString::fromStdString(dir / "verdata.mul");
    Child<QLineEdit>(exportDialog, "txtFile")->setText(verdata);
    Child<QCheckBox>(exportDialog, "chkInclude")->setChecked(false);
    Child<QPushButton>(exportDialog, "cmdExport")->click();
    EXPECT_EQ(status(), "Exported 2 blocks to " + verdata);

    Trigger("actUndo");
    EXPECT_EQ(Child<QLabel>(&window, "lblInfo1")->text(), "Number of blocks: 0");
    Trigger("mnuNew");
    EXPECT_EQ(Child<QLabel>(&window, "lblInfo1")->text(), "Number of blocks: 0");
}

TEST_F(MainWindow, TheSplitterAndWindowSizeAreKeptForTheNextStart) {
    window.show();
    window.resize(1000, 700);
    auto* splitter = Child<QSplitter>(&window, "splBlocks");
    splitter->setSizes({333, 600});
    const QList<int> sizes = splitter->sizes();
    window.close();
    frmStart next;
    next.show();
    EXPECT_EQ(Child<QSplitter>(&next, "splBlocks")->sizes().first(), sizes.first());
    EXPECT_EQ(next.size(), QSize(1000, 700));
}

TEST_F(MainWindow, FileDialogsStartWhereTheUserWasAndRecentPatchesReopen) {
    const QString workingFolder = QDir::currentPath();
    auto lastDir = [&] { return prompts.asked.back().dir; };
    auto folder = [&](const char* name) {
        std::filesystem::create_directories(dir / name);
        return QString::fromStdString(dir / name);
    };
    const QString first = folder("first") + "/p.uop";
    prompts.answers = {first};
    Trigger("mnuSaveAs");
    EXPECT_EQ(lastDir(), QDir::homePath());
    Select({12, -1});
    prompts.answers = {QStringLiteral("1"), QString()};
    Trigger("actLoadFromDatafile");  // raw blocks: no folder of their own yet, so the patch's
    EXPECT_EQ(lastDir(), folder("first"));
    folder("second");
    WritePatch("second/q.uop", Patch{});
    prompts.answers = {folder("second") + "/q.uop"};
    Trigger("mnuOpen");
    EXPECT_EQ(lastDir(), folder("first"));
    prompts.answers = {QString()};
    Trigger("mnuOpen");
    EXPECT_EQ(lastDir(), folder("second"));

    auto* import = window.ShowImport();
    auto* type = Child<QComboBox>(import, "cboMULType");
    type->setCurrentIndex(type->findData(4));
    Child<QPushButton>(import, "cmdIDX")->click();
    EXPECT_EQ(prompts.asked.back().filter, "Index file (*.idx *idx*.mul);;All files (*.*)");

    QStringList recent;
    for (QAction* a : Child<QMenu>(&window, "mnuRecent")->actions()) recent << a->text();
    EXPECT_EQ(recent, QStringList({"&1 " + folder("second") + "/q.uop", "&2 " + first}));
    Child<QMenu>(&window, "mnuRecent")->actions()[1]->trigger();
    EXPECT_EQ(Doc().Path(), first.toStdString());
    EXPECT_TRUE(window.OpenPath(folder("second") + "/q.uop"));  // as `palindra FILE.uop` does
    EXPECT_EQ(Doc().Path(), dir / "second/q.uop");
    EXPECT_FALSE(window.OpenPath(folder("second") + "/none.uop"));
    EXPECT_EQ(QDir::currentPath(), workingFolder);
}

TEST_F(MainWindow, TheSettingsDialogSaysWhenAPathNamesNoFile) {
    frmSettings dialog(&window);
    auto* box = Child<QLineEdit>(&dialog, "txtRadarcol");
    auto* missing = Child<QLabel>(&dialog, "lblRadarcolMissing");
    const std::string there = WritePatch("radarcol.mul", Patch{});
    for (const auto& [text, shown] : {std::pair{QString(), false}, {QStringLiteral("/no/such/radarcol.mul"), true},
                                      {QString::fromStdString(there), false}}) {
        box->setText(text);
        EXPECT_EQ(missing->isVisibleTo(&dialog), shown) << text.toStdString();
    }
}

TEST(FileDialogs, FiltersBecomeQtNameFilters) {
    EXPECT_EQ(ToQtFilter("Datafile (*.dat) |*.dat"), "Datafile (*.dat)");
    EXPECT_EQ(ToQtFilter("Idx file (*.idx) |*.idx|Idx file (*.mul)|*.mul|Idx file (*.*)|*.*"),
              "Idx file (*.idx);;Idx file (*.mul);;Idx file (*.*)");
    EXPECT_EQ(ToQtFilter("Verdata (*.mul) |*.mul|"), "Verdata (*.mul)");
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
    const std::string picture = dir / "red.bmp";
    ASSERT_EQ(SavePicture(red, QString::fromStdString(picture)), "");
    Patch p;
    p.Append(12, 1, {9, 9}, 0, 0);
    Load(std::move(p));

    Select({12, 1});
    drop(picture);  // replaces the block it lands on
    EXPECT_EQ(Doc().UndoStack()->count(), 1);
    EXPECT_EQ(Doc().patch()[12].LiveCount(), 1);
    EXPECT_NE(Doc().patch()[12].Blocks.back().ByteArray, Bytes({9, 9}));
    Select({12, -1});
    prompts.answers = {QStringLiteral("5")};
    drop(picture);  // on the file type: asks for the number
    EXPECT_EQ(prompts.asked.back().kind, "input:Select block number:0");
    EXPECT_GE(Doc().patch().FindLiveBlock(12, 5), 0);

    const std::string patch = WritePatch("dropped.uop", Patch{});
    prompts.saveChoices = {SaveChoice::Discard};
    drop(patch);
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(Doc().Path(), patch);

    struct Case {
        const char* name;
        int type;
    };
    for (const Case& c : {Case{"VERDATA.MUL", frmImport::kVerdataType}, {"gumpart.mul", 12}, {"map0.mul", 0},
                          {"hues.mul", 32}}) {
        const std::string path = dir / c.name;
        drop(path);
        auto* import = window.findChild<frmImport*>("frmImport");
        ASSERT_NE(import, nullptr);
        EXPECT_EQ(Child<QComboBox>(import, "cboMULType")->currentData().toInt(), c.type) << c.name;
        EXPECT_EQ(Child<QLineEdit>(import, "txtMUL")->text().toStdString(), path);
    }
}
