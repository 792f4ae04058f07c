// The main window: menus, opening and saving, drops, kept settings, and the
// settings, import and export dialogs.
#include <QDir>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <filesystem>

#include "app/frmImport.h"
#include "app/frmSettings.h"
#include "images/bitmap.h"
#include "gamefiles/verdata.h"
#include "gui_fixture.h"

namespace {
using MainWindow = GuiTest;
using Dialogs = GuiTest;
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
        {"mnuFile", {"New", "-", "Open", "Open Recent", "-", "Save", "Save As", "Write into client files", "-", "Settings", "-",
                     "Exit"}},
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
        WritePatch("a.uop", PatchOf({{4, 0x12345, {1}}, {4, 20, {1}}, {4, 20, {2}}, {4, 16, {1, 2}}, {12, 20, {3}}}));
    Trigger("mnuOpen", {QString::fromStdString(path)});
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(std::tuple(prompts.asked[0].title, prompts.asked[0].filter, prompts.asked[0].dir),
              std::tuple(QString("Open"), QString("UOP Patchfile (*.uop)"), QDir::homePath()));
    EXPECT_EQ(window.windowTitle(), QString::fromStdString("Palindra - [" + path + "][*]"));
    EXPECT_EQ(ChildTexts(Model().IndexOf({4, -1})), QStringList({"0x00010", "000020", "0x12345"}));
    EXPECT_EQ(Model().IndexOf({4, 0x12345}).data(BlockTreeModel::KeyRole).toString(), "F004B74565");
    // The older 4/20 is settled away; 12/20 is no duplicate of it.
    EXPECT_EQ(std::tuple(Doc().patch()[4].removedCount, Doc().patch().LiveBlock(4, 20)->bytes, Doc().patch().LiveCount()),
              std::tuple(1, Bytes{2}, std::int64_t{4}));
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
    EXPECT_EQ(std::pair(prompts.asked[0].title, prompts.asked[0].kind), std::pair(QString("Save As"), QString("save:uop")));
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
    // The action, the answer, and whether the action goes ahead.
    const std::tuple<const char*, SaveChoice, bool> cases[] = {
        {"mnuNew", SaveChoice::Cancel, false},  {"mnuNew", SaveChoice::Discard, true},
        {"mnuOpen", SaveChoice::Cancel, false}, {"mnuOpen", SaveChoice::Discard, true},
        {"mnuExit", SaveChoice::Cancel, false}, {"mnuExit", SaveChoice::Discard, true}, {"mnuNew", SaveChoice::Save, true}};
    for (const auto& [action, choice, proceeds] : cases) {
        SCOPED_TRACE(std::string(action) + " " + std::to_string(int(choice)));
        Load(Patch{});
        window.show();
        Modify();
        prompts.saveQuestions = 0;
        prompts.saveChoices = {choice};
        prompts.answers = {QString::fromStdString(WritePatch("saved.uop", Patch{}))};  // Save As, or Open's file
        Trigger(action);
        EXPECT_EQ(prompts.saveQuestions, 1);
        const bool exit = std::string(action) == "mnuExit";
        EXPECT_EQ(exit ? !window.isVisible() : Doc().patch().LiveCount() == 0, proceeds);
        EXPECT_TRUE(choice != SaveChoice::Save || ReadFileBytes(dir / "saved.uop").size() == 12u + 13u + 3u);
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
    SetText(import, "txtMUL", QString::fromStdString(WritePatch("from.uop", PatchOf({{12, 7, {1, 2}}, {12, 8, {3}}}))));
    Click(import, "cmdImport");
    EXPECT_EQ(status(), "Imported 2 blocks into Gumps");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 2");

    Trigger("mnuSaveAs", {File("saved.uop")});
    EXPECT_EQ(status(), "Saved " + File("saved.uop"));

    QDialog* exportDialog = window.ShowExport();
    Trigger("actExport");
    EXPECT_EQ(window.ShowExport(), exportDialog);
    EXPECT_EQ(window.findChildren<QDialog*>("frmExport").size(), 1);  // its report: see the export's refusals

    Trigger("actUndo");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 0");
    Trigger("actRedo");
    Trigger("mnuNew");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 0");
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
    ASSERT_TRUE(Ok(SavePicture(red, File("red.bmp"))));
    Load(PatchOf({{12, 1, {9, 9}}}));

    Select({12, 1});
    drop(dir / "red.bmp");  // replaces the block it lands on
    EXPECT_EQ(Doc().UndoStack()->count(), 1);
    EXPECT_EQ(Doc().patch()[12].LiveCount(), 1);
    EXPECT_NE(Doc().patch()[12].blocks.back().bytes, Bytes({9, 9}));
    Select({12, -1});
    prompts.answers = {QStringLiteral("5")};
    drop(dir / "red.bmp");  // on the file type: asks for the number
    EXPECT_EQ(prompts.asked.back().kind, "input:Select block number:0");
    EXPECT_TRUE(Doc().patch().LiveBlock(12, 5));

    prompts.saveChoices = {SaveChoice::Discard};
    drop(WritePatch("dropped.uop", Patch{}));
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(Doc().Path(), dir / "dropped.uop");

    ASSERT_TRUE(Ok(WriteVerdata(dir / "fixes.mul", PatchOf({{12, 1, {9}}}))));  // a verdata by its content
    for (const auto& [name, type] : {std::pair{"VERDATA.MUL", frmImport::kVerdataType}, {"gumpart.mul", 12},
                                     {"map0.mul", 0}, {"hues.mul", 32}, {"fixes.mul", frmImport::kVerdataType}}) {
        drop(dir / name);
        auto* import = window.findChild<frmImport*>("frmImport");
        ASSERT_NE(import, nullptr);
        EXPECT_EQ(Child<QComboBox>(import, "cboMULType")->currentData().toInt(), type) << name;
        EXPECT_EQ(Child<QLineEdit>(import, "txtMUL")->text(), File(name));
    }
}

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
    EXPECT_EQ(values.ClientFolder, "/some");  // the verdata's folder until one is chosen
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);
    store->setValue("RadarcolPath", "");  // clearing the path keeps the colours loaded earlier in this run
    values.Load();
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);
}

// The client folder comes from the settings; the bake lists what it wrote and
// says it in the status bar; a refused second bake is told; the patch stays.
TEST_F(Dialogs, WriteIntoClientFilesBakesThePatchAndListsTheReport) {
    std::filesystem::create_directory(dir / "client");
    WriteText(dir / "client/art.mul", "AAAA");
    WriteFileBytes(dir / "client/artidx.mul", IndexBytes({{0, 4, 0}}));
    Load(PatchOf({{4, 1, {1, 2}}}));
    const auto before = SavedBytes();
    prompts.dialogs.push_back([&](QDialog* d) {
        prompts.answers = {File("client")};
        Click(d, "cmdGetClientFolder");
        Click(d, "cmdSave");
    });
    Trigger("mnuSettings");
    QStringList listed;
    prompts.dialogs.push_back([&](QDialog* d) {
        EXPECT_EQ(Child<QLineEdit>(d, "txtClientFolder")->text(), File("client"));
        prompts.answers = {File("out")};
        Click(d, "cmdOutFolder");
        Click(d, "cmdWrite");
        auto* list = Child<QListWidget>(d, "lstReport");
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text().section(QStringLiteral(", SHA-256"), 0, 0);
        Click(d, "cmdWrite");
    });
    Trigger("mnuBake");
    EXPECT_EQ(listed, QStringList({"art.mul: replaced 0, added 1, removed 0, left out 0; 6 bytes",
                                   "artidx.mul: replaced 0, added 1, removed 0, left out 0; 24 bytes",
                                   "Wrote 2 files to " + File("out")}));
    EXPECT_EQ(ReadFileBytes(dir / "out/art.mul"), (B{'A', 'A', 'A', 'A', 1, 2}));
    EXPECT_EQ(window.statusBar()->currentMessage(), "Wrote 2 files to " + File("out"));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains("is not empty")) << prompts.messages[0].toStdString();
    EXPECT_EQ(SavedBytes(), before);
    EXPECT_FALSE(window.isWindowModified());
}

TEST_F(Dialogs, ImportShowsTheRowsEachOfFourteenSourcesNeedsCancelsAndRefusesBadInputsStayingOpen) {
    QPointer<QDialog> dialog = window.ShowImport();
    auto* list = Child<QComboBox>(dialog, "cboMULType");
    ASSERT_EQ(list->count(), 14);
    for (const auto& [row, text] : {std::pair{0, "UOP Patchfile (*.UOP)"}, {1, "Verdata (Verdata.mul)"}, {2, "Map (0)"},
                                    {13, "Hues (32)"}})
        EXPECT_EQ(list->itemText(row), text);
    SetText(dialog, "txtMUL", "chosen");
    SetText(dialog, "txtBlockTo", "5");
    // Patch, Map, Art, Verdata: whether the index row and the file ID rows are hidden.
    for (auto [row, idx, fileIds] : {std::tuple{0, true, false}, {2, true, true}, {4, false, true}, {1, true, false}}) {
        list->setCurrentIndex(row);
        EXPECT_EQ(std::pair(Child<QLineEdit>(dialog, "txtIDX")->isHidden(),
                            Child<QLineEdit>(dialog, "txtFileIDFrom")->isHidden()), std::pair(idx, fileIds)) << row;
    }
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtMUL")->text(), "");  // another source starts afresh
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtBlockTo")->text(), "2147483647");

    Click(dialog, "cmdCancel");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(Doc().UndoStack()->count(), 0);

    dialog = window.ShowImport();
    Click(dialog, "cmdImport");
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0], ": Cannot find the file ''!");

    SetText(dialog, "txtMUL", QString::fromStdString(WritePatch("src.uop", PatchOf({{12, 3, {1}}, {4, 3, {2}}}))));
    for (const auto& [box, text, message] :
         {std::tuple{"txtFileIDTo", "256", "Import: The file ID limits must lie between 0 and 255."},
          {"txtBlockTo", "3000000000", "Import: The block limits must lie between -2147483648 and 2147483647."},
          // Limits are numbers as everywhere: trailing letters refuse them.
          {"txtFileIDFrom", "12abc", "Import: The file ID limit '12abc' is not a number."},
          {"txtBlockTo", "12abc", "Import: The block limit '12abc' is not a number."}}) {
        SetText(dialog, box, text);
        Click(dialog, "cmdImport");
        EXPECT_EQ(prompts.messages.last(), message);
        SetText(dialog, box, "255");
    }
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtMUL")->text(), File("src.uop"));
    EXPECT_EQ(Doc().patch().LiveCount(), 0);

    SetText(dialog, "txtFileIDFrom", "0xC");
    SetText(dialog, "txtBlockTo", "400000");
    ExpectUndoable([&] { Click(dialog, "cmdImport"); }, "Undo Import");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());  // closed after the import
    EXPECT_EQ(std::tuple(Doc().patch()[12].Count(), Doc().patch()[4].LiveCount(), Children(12)), std::tuple(1, 0, 1));
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
    EXPECT_EQ(std::tuple(Doc().patch().LiveCount(), Doc().UndoStack()->count(), window.isWindowModified()),
              std::tuple(std::int64_t{0}, 0, false));

    SetText(dialog, "txtBlockTo", "2.5");
    auto* skip = Child<QCheckBox>(dialog, "chkSkipAbsent");
    EXPECT_FALSE(skip->isChecked());
    skip->setChecked(true);
    Click(dialog, "cmdImport");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(DataOf(Doc().patch(), 4), (std::vector<B>{{1, 2}}));
    EXPECT_EQ(prompts.messages.last(), "Import: Imported 1 block.\n1 block without data was left out.\n1 damaged "
                                       "block was left out: their data does not lie wholly inside the data file or does not decode.");
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
    EXPECT_EQ(std::pair(prompts.asked.back().title, prompts.asked.back().kind), std::pair(QString("Export to"), QString("save:mul")));
    Click(dialog, "cmdExport");
    EXPECT_EQ(prompts.messages.last(),
              "Export to verdata.mul: Cant find the origional verdata.mul. Check the settings in 'File|Settings'.");
    EXPECT_EQ(ReadFileBytes(dir / "target.mul"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(dialog.isNull());

    Load(PatchOf({{12, 1, {5}}}));  // the dialog exports the patch and the settings as they are now
    // Never over the base it merges, nor over the patch's own file.
    window.Values().VerdataPath = dir / "target.mul";
    Click(dialog, "cmdExport");
    ASSERT_TRUE(Ok(Doc().Save(dir / "p.uop")));
    SetText(dialog, "txtFile", File("p.uop"));
    Click(dialog, "cmdExport");
    EXPECT_EQ(prompts.messages.mid(prompts.messages.size() - 2),
              QStringList({"Export to verdata.mul: Cannot write '" + File("target.mul") + "': it is the base verdata '" +
                               File("target.mul") + "' itself.",
                           "Export to verdata.mul: Cannot write '" + File("p.uop") + "': it is the patch '" +
                               File("p.uop") + "' itself."}));
    EXPECT_EQ(ReadFileBytes(dir / "target.mul"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(dialog.isNull());
    SetText(dialog, "txtFile", File("target.mul"));
    WriteFileBytes(dir / "base.mul", {0, 0, 0, 0});
    window.Values().VerdataPath = dir / "base.mul";
    Click(dialog, "cmdExport");
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(window.statusBar()->currentMessage(), "Exported 1 block to " + File("target.mul"));
    Patch written;
    ASSERT_TRUE(Ok(ReadVerdata(dir / "target.mul", written)));
    EXPECT_EQ(written.LiveCount(), 1);
}
