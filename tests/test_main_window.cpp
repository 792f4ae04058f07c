// The main window: menus, opening and saving, drops, kept settings, and the
// settings, import and export dialogs.
#include <QAbstractButton>
#include <QDir>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <filesystem>

#include "app/file_drops.h"
#include "app/import_dialog.h"
#include "app/info_panel.h"
#include "app/settings_dialog.h"
#include "codecs/art.h"
#include "codecs/gump.h"
#include "images/bitmap.h"
#include "gamefiles/forms/verdata.h"
#include "gui_fixture.h"

namespace {
using Window = GuiTest;
using Dialogs = GuiTest;

// Runs `work`, pressing Cancel in the wait window titled `title` as soon as
// it offers it (or Escape, where the keys go then); how often it was pressed.
template <class Fn>
int CancelledWhile(QWidget& window, const QString& title, Fn&& work, bool escape = false) {
    int pressed = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        for (auto* b : window.findChildren<QPushButton*>(QStringLiteral("cmdCancelWait")))
            if (b->isVisible() && b->isEnabled()) {
                EXPECT_EQ(b->window()->windowTitle(), title);
                QWidget* keys = QApplication::focusWidget();
                if (!escape) b->click();
                else if (keys) QTest::keyClick(keys, Qt::Key_Escape);
                ++pressed;
            }
    });
    user.start(0);
    work();
    return pressed;
}
}  // namespace

TEST_F(Window, StartsWithTheAboutFrameTheFileTypesMenusAndShortcuts) {
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

    QStringList names, tips;
    for (QAction* a : Child<QToolBar>(&window, "tbPatch")->actions()) {
        names << a->objectName();
        if (!a->isSeparator()) tips << a->toolTip();
    }
    EXPECT_EQ(names, QStringList({"D", "NEW", "D2", "OPEN", "SAVE", "D3", "IMPORT", "EXPORT"}));
    EXPECT_EQ(tips, QStringList({"New", "Open", "Save", "Import", "Export to verdata.mul"}));
    const std::pair<const char*, QStringList> menus[] = {
        {"mnuFile", {"New", "-", "Open", "Open Recent", "Close", "-", "Save", "Save As", "Write into client files",
                     "Convert client files", "-", "Settings", "-", "Exit"}},
        {"mnuEdit", {"Undo", "Redo", "-", "Copy Picture", "Find Block"}},
        {"mnuBlock", {"Import", "Export", "-", "Remove", "Save to File", "Load from Datafile", "Save to Bmp",
                      "Load from BMP", "Add from compare", "Add file", "Change Flags", "Save as WAV",
                      "Load from WAV", "Save frames as PNG", "Load frames from PNG", "-",
                      "Remove blocks the client already has"}},
        {"mnuHelp", {"About Palindra"}}};
    for (const auto& [name, captions] : menus) {
        auto* menu = Child<QMenu>(&window, name);
        QStringList texts;  // "-" for separators, without '&' and "..."
        for (QAction* a : menu->actions()) texts << (a->isSeparator() ? "-" : a->text().remove('&').remove("..."));
        EXPECT_EQ(texts, captions);
        EXPECT_TRUE(menu->title().startsWith('&')) << name;
    }
    for (const auto& [action, keys] : {std::pair<const char*, QString>{"actUndo", "Ctrl+Z"}, {"actRedo", "Ctrl+Shift+Z; Ctrl+Y"},
                                       {"actRemove", "Del"}, {"mnuSaveAs", "Ctrl+Shift+S"}, {"mnuClose", "Ctrl+W"},
                                       {"actFind", "Ctrl+F"}})
        EXPECT_EQ(QKeySequence::listToString(Action(action)->shortcuts()), keys) << action;
    QList<QKeySequence> seen;  // every block command has a key and a menu letter of its own
    QString letters;
    for (QAction* a : Child<QMenu>(&window, "mnuBlock")->actions()) {
        if (a->isSeparator()) continue;
        EXPECT_FALSE(a->shortcut().isEmpty() || seen.contains(a->shortcut())) << a->text().toStdString();
        seen << a->shortcut();
        const qsizetype amp = a->text().indexOf('&');
        ASSERT_GE(amp, 0) << a->text().toStdString();
        EXPECT_FALSE(letters.contains(a->text()[amp + 1].toLower())) << a->text().toStdString();
        letters += a->text()[amp + 1].toLower();
    }
}

// Ctrl+F goes to the filter line and Escape back; Ctrl+Y redoes; Alt+D
// discards in the unsaved-changes question; Tab and Enter in the dialogs.
TEST_F(Window, TheKeyboardReachesTheFilterRedoDiscardAndTheDialogsCommands) {
    window.show();
    QApplication::setActiveWindow(&window);
    // With a picture in the panel, whose zoom buttons come after the tree.
    Load(PatchOf({{kGumps, 1, *EncodeGump(std::vector<std::uint16_t>{1, 2}, 2, 1), 1, 2}}));
    Select({kGumps, 1});
    ASSERT_FALSE(window.Panel()->Picture().isNull());
    window.Tree()->setFocus();
    for (const Qt::Key back : {Qt::Key_Escape, Qt::Key_Tab}) {  // each leads from the filter line to its tree
        QTest::keyClick(window.Tree(), Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "txtFilter");
        QTest::keyClick(QApplication::focusWidget(), back);
        EXPECT_EQ(QApplication::focusWidget(), window.Tree());
    }
    Modify();
    Trigger("actUndo");
    QTest::keyClick(window.Tree(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Doc().UndoStack()->index(), 1);
    {
        SetPrompts(nullptr);  // the real question: Alt+D is Discard's key
        QTimer::singleShot(0, [] {
            for (auto* b : QApplication::activeModalWidget()->findChildren<QAbstractButton*>())
                if (QKeySequence::mnemonic(b->text()) == QKeySequence(Qt::ALT | Qt::Key_D)) b->click();
        });
        EXPECT_EQ(CurrentPrompts().AskSaveChanges(&window, "?", "Palindra"), SaveChoice::Discard);
        SetPrompts(&prompts);
    }

    // Tab goes MUL, its "...", IDX, its "...", the limits; the focus starts on the first field.
    ImportDialog* import = window.ShowImport();
    Child<QComboBox>(import, "cboMULType")->setCurrentIndex(4);  // Art: with an index
    EXPECT_EQ(import->focusWidget()->objectName(), "cboMULType");
    QStringList order;
    for (QWidget* w = import->focusWidget(); order.size() < 6; w = w->nextInFocusChain())
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) order << w->objectName();
    EXPECT_EQ(order, QStringList({"cboMULType", "txtMUL", "cmdMUL", "txtIDX", "cmdIDX", "txtBlockFrom"}));
    // Enter after a "..." runs the dialog's command, not the picker again.
    Child<QComboBox>(import, "cboMULType")->setCurrentIndex(0);
    prompts.answers = {QString::fromStdString(WritePatch("in.uop", PatchOf({{12, 1, {1}}})))};
    Click(import, "cmdMUL");
    QTest::keyClick(Child<QPushButton>(import, "cmdMUL"), Qt::Key_Return);
    EXPECT_EQ(std::tuple(prompts.asked.size(), Doc().patch().LiveCount(), import->isVisible()),
              std::tuple(std::size_t{1}, std::int64_t{2}, false));
    QDialog* exporter = window.ShowExport();
    EXPECT_EQ(exporter->focusWidget()->objectName(), "txtFile");
    prompts.answers = {File("out.mul")};
    Click(exporter, "cmdFile");
    EXPECT_EQ(prompts.asked.back().dir, QDir::home().filePath("verdata.mul"));
    Child<QCheckBox>(exporter, "chkInclude")->setChecked(false);
    QTest::keyClick(Child<QPushButton>(exporter, "cmdFile"), Qt::Key_Return);
    EXPECT_EQ(prompts.asked.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(dir / "out.mul"));
}

TEST_F(Window, OpenSortsBlocksSettlesUnmodifiedAndRefusedOpensKeepThePatch) {
    const std::string path =
        WritePatch("a.uop", PatchOf({{4, 0x12345, {1}}, {4, 20, {1}}, {4, 20, {2}}, {4, 16, {1, 2}}, {12, 20, {3}}}));
    Trigger("mnuOpen", {QString::fromStdString(path)});
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(std::tuple(prompts.asked[0].title, prompts.asked[0].filter, prompts.asked[0].dir),
              std::tuple(QString("Open"), QString("UOP Patchfile (*.uop);;All files (*)"), QDir::homePath()));
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

// The filter narrowed the patch that was there: another starts unfiltered.
TEST_F(Window, NewOpenAndCloseClearTheFilter) {
    const QString patch = QString::fromStdString(WritePatch("p.uop", PatchOf({{12, 1, {1}}})));
    for (const auto& [command, answers] : {std::pair<const char*, std::deque<QString>>{"mnuNew", {}},
                                           {"mnuOpen", {patch}}, {"mnuClose", {}}}) {
        SetText(&window, "txtFilter", "gumps");
        ASSERT_TRUE(window.Tree()->isRowHidden(0, {}));
        Trigger(command, answers);
        EXPECT_EQ(Child<QLineEdit>(&window, "txtFilter")->text(), "") << command;
        EXPECT_FALSE(window.Tree()->isRowHidden(0, {})) << command;
    }
}

TEST_F(Window, SaveAsUsesThePatchExtensionAndShowsTheNewNameAtOnce) {
    Modify();
    Trigger("mnuSave");  // no file name yet: Save As, cancelled
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(std::tuple(prompts.asked[0].title, prompts.asked[0].kind, prompts.asked[0].dir),
              std::tuple(QString("Save As"), QString("save:uop"), QDir::home().filePath("patch.uop")));
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

// Close, Exit, New and Open ask before unsaved changes go; Cancel keeps them,
// Discard drops them, Save writes them first.
TEST_F(Window, UnsavedChangesAreNeverLostWithoutAsking) {
    // The action, the answer, and whether the action goes ahead.
    const std::tuple<const char*, SaveChoice, bool> cases[] = {
        {"mnuNew", SaveChoice::Cancel, false},  {"mnuNew", SaveChoice::Discard, true},
        {"mnuOpen", SaveChoice::Cancel, false}, {"mnuOpen", SaveChoice::Discard, true},
        {"mnuExit", SaveChoice::Cancel, false}, {"mnuExit", SaveChoice::Discard, true}, {"mnuNew", SaveChoice::Save, true},
        {"mnuClose", SaveChoice::Cancel, false}, {"mnuClose", SaveChoice::Discard, true}};
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

// Every command says in the status bar what it did; Undo and Redo name the
// step, and a message goes with the state it describes.
TEST_F(Window, StatusBarReportsEveryCommandAndThePanelFollowsEveryChange) {
    auto status = [&] { return window.statusBar()->currentMessage(); };
    WriteFileBytes(dir / "readme.txt", {'h', 'i'});
    WriteFileBytes(dir / "raw.dat", {1, 2, 3});
    Load(PatchOf({{12, 5, *EncodeGump(std::vector<std::uint16_t>{1}, 1, 1), 1, 1}, {12, 6, {1}}}));
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
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 4");
    Trigger("actUndo");
    EXPECT_EQ(std::pair(status(), Label("lblInfo1")), std::pair(QString("Undone: Import"), QString("Number of blocks: 2")));
    QDialog* exportDialog = window.ShowExport();
    Trigger("actExport");
    EXPECT_EQ(window.ShowExport(), exportDialog);  // its report: see the export's refusals

    auto flags = [](QDialog* d) { Click(d, "cmdSave"); };
    auto readme = [&](QDialog* d) {
        Child<QComboBox>(d, "cboType")->setCurrentIndex(1);
        SetText(d, "txtFile", File("readme.txt"));
        Click(d, "cmdAdd");
    };
    const struct {
        BlockId node;
        const char* action;
        std::deque<QString> answers;
        std::function<void(QDialog*)> dialog;
        QString said;
    } cases[] = {
        {{12, 5}, "actSaveToFile", {File("b.dat")}, {}, "Saved Gumps 0x00005 to " + File("b.dat")},
        {{12, 5}, "actSaveToBmp", {File("g.bmp")}, {}, "Saved the picture of Gumps 0x00005 to " + File("g.bmp")},
        {{12, 5}, "actChangeFlags", {}, flags, ""},  // unchanged: no step, nothing to say
        {{12, 6}, "actRemove", {}, {}, "Removed Gumps 0x00006"},
        {{12, 5}, "actUndo", {}, {}, "Undone: Remove"},
        {{12, 5}, "actRedo", {}, {}, "Redone: Remove"},
        {{12, -1}, "actLoadFromDatafile", {"9", File("raw.dat")}, {}, "Loaded Gumps 0x00009 from " + File("raw.dat")},
        {{12, -1}, "actLoadFromBMP", {"10", File("g.bmp")}, {}, "Gumps 0x0000A is now the picture " + File("g.bmp")},
        {{252, -1}, "actAddFile", {}, readme, "Added Readme.txt (2 bytes)"},
        {{12, -1}, "mnuSettings", {}, [](QDialog* d) { Click(d, "cmdSave"); }, "Settings saved"},
        {{12, -1}, "mnuClose", {}, {}, "Closed the patch"},
    };
    for (const auto& c : cases) {
        Select(c.node);
        window.statusBar()->clearMessage();
        if (c.dialog) prompts.dialogs = {c.dialog};
        Trigger(c.action, c.answers);
        EXPECT_EQ(status(), c.said) << c.action;
        prompts.saveChoices = {SaveChoice::Discard};
    }
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
    EXPECT_EQ(std::pair(Doc().patch().LiveCount(), Label("lblInfo1")), std::pair(std::int64_t{0}, QString("Number of blocks: 0")));
}

TEST_F(Window, AFileLargerThanUsualIsAskedAboutBeforeItsBlocksGoIn) {
    WriteFileBytes(dir / "hues.mul", std::vector<std::uint8_t>(708 * 376, 1));
    for (const bool yes : {false, true}) {
        ImportDialog* import = window.ShowImport();
        import->Prefill(32, File("hues.mul"));
        prompts.confirms = {yes};
        Click(import, "cmdImport");
        ASSERT_EQ(prompts.questions.size(), 1);
        EXPECT_TRUE(prompts.questions.takeFirst().endsWith("usually holds 375: is this the right file?"));
        EXPECT_EQ(std::pair(Doc().patch().LiveCount(), import->isVisible()), std::pair(std::int64_t{yes ? 376 : 0}, !yes));
    }
    EXPECT_TRUE(prompts.messages.isEmpty());  // asked once, not told again after
}

TEST_F(Window, FileDialogsStartWhereTheUserWasAndRecentPatchesReopen) {
    const QString workingFolder = QDir::currentPath();
    auto lastDir = [&] { return prompts.asked.back().dir; };
    std::filesystem::create_directories(dir / "first");
    std::filesystem::create_directories(dir / "second");
    const QString first = File("first/p.uop"), second = File("second/q.uop");
    Trigger("mnuSaveAs", {first});
    EXPECT_EQ(lastDir(), QDir::home().filePath("patch.uop"));
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
    EXPECT_EQ(prompts.asked.back().filter, "Index file (*.idx *idx*.mul);;All files (*)");
    Select({12, -1});  // pictures of both kinds in one filter first
    Trigger("actLoadFromBMP", {"1"});
    EXPECT_TRUE(prompts.asked.back().filter.startsWith("Pictures (*.bmp *.png);;Windows bitmap (*.bmp)"));

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

TEST_F(Window, DroppedFilesOpenReplaceGumpsOrFillTheImportDialog) {
    // Dropped outside the tree: onto the current node.
    auto drop = [&](const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDropEvent event(QPointF(-10, -10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // The application passes on drops only during a drag: straight to the window's filter.
        static_cast<QObject*>(window.findChild<FileDrops*>())->eventFilter(&window, &event);
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
    EXPECT_EQ(prompts.asked.back().kind, "input:Select block number:");  // no number offered
    EXPECT_TRUE(Doc().patch().LiveBlock(12, 5));

    prompts.saveChoices = {SaveChoice::Discard};
    drop(WritePatch("dropped.uop", Patch{}));
    EXPECT_EQ(prompts.saveQuestions, 1);
    EXPECT_EQ(Doc().Path(), dir / "dropped.uop");

    ASSERT_TRUE(Ok(WriteVerdata(dir / "fixes.mul", PatchOf({{12, 1, {9}}}))));  // a verdata by its content
    for (const char* file : {"GUMPIDX.MUL", "staidx2.mul", "anim4.idx", "Multi.idx", "skills.idx", "soundidx.mul", "texidx.mul",
                             "gumpart.mul", "statics2.mul", "anim4.mul", "MULTI.mul", "skills.mul", "Sound.mul", "texmaps.mul"})
        WriteFileBytes(dir / file, {});
    // Dropped, or named on the command line; the usual index beside a data file is filled in.
    const std::tuple<const char*, int, const char*> files[] = {
        {"VERDATA.MUL", ImportDialog::kVerdataType, ""}, {"gumpart.mul", 12, "GUMPIDX.MUL"}, {"map0.mul", 0, ""},
        {"hues.mul", 32, ""}, {"fixes.mul", ImportDialog::kVerdataType, ""}, {"statics2.mul", 2, "staidx2.mul"},
        {"anim4.mul", 6, "anim4.idx"}, {"MULTI.mul", 14, "Multi.idx"}, {"skills.mul", 16, "skills.idx"},
        {"Sound.mul", 8, "soundidx.mul"}, {"texmaps.mul", 10, "texidx.mul"}};
    for (const auto& [name, type, index] : files) {
        ImportDialog* import = window.ShowImport();
        SetText(import, "txtIDX", "");
        if (type == 12) drop(dir / name);
        else window.OpenFile(File(name));
        EXPECT_EQ(Child<QComboBox>(import, "cboMULType")->currentData().toInt(), type) << name;
        EXPECT_EQ(Child<QLineEdit>(import, "txtMUL")->text(), File(name));
        EXPECT_EQ(Child<QLineEdit>(import, "txtIDX")->text(), *index ? File(index) : "") << name;
    }
}

TEST_F(Dialogs, SettingsAreStoredOnSaveOnlyAndLoadTheRadarColours) {
    WriteFileBytes(dir / "radarcol.mul", {0x1F, 0x00});
    {
        SettingsDialog dialog;
        EXPECT_EQ(dialog.windowTitle(), "Settings");
        EXPECT_EQ(Child<QLineEdit>(&dialog, "txtVerdata")->text(), "");
        prompts.answers = {File("radarcol.mul")};
        Click(&dialog, "cmdGetRadarcol");
        EXPECT_EQ(prompts.asked.back().title, "Select radarcol.mul");
        EXPECT_EQ(prompts.asked.back().filter, "Origional radarcol (*.mul);;All files (*)");
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
        SettingsDialog dialog;
        SetText(&dialog, "txtVerdata", "/some/verdata.mul");
        Click(&dialog, "cmdGetRadarcol");  // cancelled: the text stays
        SetText(&dialog, "txtRadarcol", File("radarcol.mul"));
        Child<QCheckBox>(&dialog, "chkClientVerdata")->setChecked(false);
        Click(&dialog, "cmdSave");
    }
    const auto store = OpenSettingsStore();
    EXPECT_EQ(store->value("VerdataPath").toString(), "/some/verdata.mul");
    EXPECT_EQ(store->value("TiledataPath").toString(), "");
    values.Load();
    EXPECT_EQ(values.VerdataPath, "/some/verdata.mul");
    EXPECT_EQ(values.ClientFolder, "/some");  // the verdata's folder until one is chosen
    EXPECT_FALSE(values.ClientVerdata);
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);
    store->setValue("RadarcolPath", "");  // clearing the path keeps the colours loaded earlier in this run
    values.Load();
    EXPECT_EQ(values.RadarColors[0], 248 * 65536);
}

// The client folder comes from the settings; a cancelled bake writes nothing;
// the bake lists what it wrote and says it in the status bar; a refused
// second bake is told; the patch stays.
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
        d->show();
        EXPECT_EQ(Child<QLineEdit>(d, "txtClientFolder")->text(), File("client"));
        prompts.answers = {File("out")};
        Click(d, "cmdOutFolder");
        EXPECT_EQ(prompts.asked.back().kind, "folder:new");
        auto* list = Child<QListWidget>(d, "lstReport");
        // Escape stops the work as Cancel does.
        EXPECT_EQ(CancelledWhile(window, "Palindra \u2014 Baking\u2026", [&] { Click(d, "cmdWrite"); }, true), 1);
        EXPECT_EQ(list->item(0)->text(), "Cancelled: nothing was written.");
        EXPECT_FALSE(std::filesystem::exists(dir / "out"));
        Click(d, "cmdWrite");
        // Every line whole, its SHA-256 included.
        EXPECT_LE(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0), list->viewport()->width());
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text().section(QStringLiteral("\nSHA-256"), 0, 0);
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

TEST_F(Dialogs, ConvertClientFilesWritesAPackageAndListsTheReport) {
    WriteText(dir / "art.mul", "AAAA");
    WriteFileBytes(dir / "artidx.mul", IndexBytes({{0, 4, 0}}));
    QStringList listed;
    prompts.dialogs.push_back([&](QDialog* d) {
        d->show();
        Child<QLineEdit>(d, "txtSource")->setText(File("art.mul"));
        Child<QLineEdit>(d, "txtSourceIndex")->setText(File("artidx.mul"));
        Child<QLineEdit>(d, "txtTarget")->setText(File("art.uop"));
        auto* list = Child<QListWidget>(d, "lstReport");
        EXPECT_EQ(CancelledWhile(window, "Palindra \u2014 Converting\u2026", [&] { Click(d, "cmdConvert"); }, true), 1);
        EXPECT_EQ(list->item(0)->text(), "Cancelled: nothing was written.");
        EXPECT_FALSE(std::filesystem::exists(dir / "art.uop"));
        Click(d, "cmdConvert");
        for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text().section(QStringLiteral("\nSHA-256"), 0, 0);
    });
    Trigger("mnuConvert");
    EXPECT_EQ(listed, QStringList({File("art.uop") + ": 1 written, 0 left out, 0 empty, 0 lossy; 562 bytes",
                                   "Converted data file with index into game data package."}));
    EXPECT_EQ(window.statusBar()->currentMessage(), "Converted data file with index into game data package.");
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
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtBlockTo")->text(), "2147483647");  // the limits start afresh
    // Another source keeps the files chosen, and the next showing all that was chosen.
    Click(dialog, "cmdCancel");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(window.ShowImport(), dialog);
    EXPECT_EQ(std::pair(Child<QLineEdit>(dialog, "txtMUL")->text(), list->currentIndex()), std::pair(QString("chosen"), 1));
    EXPECT_EQ(Doc().UndoStack()->count(), 0);

    list->setCurrentIndex(0);
    SetText(dialog, "txtMUL", "");
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
    EXPECT_FALSE(dialog->isVisible());  // closed after the import
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
    prompts.messages.clear();
    EXPECT_EQ(CancelledWhile(window, "Palindra \u2014 Importing\u2026", [&] { Click(dialog, "cmdImport"); }), 1);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_TRUE(dialog->isVisible());  // still open for another try
    EXPECT_EQ(std::tuple(Doc().patch().LiveCount(), Doc().UndoStack()->count(), window.isWindowModified()),
              std::tuple(std::int64_t{0}, 0, false));

    SetText(dialog, "txtBlockTo", "2.5");
    auto* skip = Child<QCheckBox>(dialog, "chkSkipAbsent");
    EXPECT_FALSE(skip->isChecked());
    skip->setChecked(true);
    Click(dialog, "cmdImport");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(DataOf(Doc().patch(), 4), (std::vector<B>{{1, 2}}));
    EXPECT_EQ(prompts.messages.last(), "Import: Imported 1 block.\n1 block without data was left out.\n1 damaged "
                                       "block was left out: their data does not lie wholly inside the data file or does not decode.");
}

// Another type keeps the files only where they can serve it; a file bearing
// another type's usual name is imported only when the user says so.
TEST_F(Dialogs, ImportKeepsFilesThatServeTheNewTypeAndAsksBeforeImportingAnotherTypesFile) {
    QPointer<QDialog> dialog = window.ShowImport();
    auto* type = Child<QComboBox>(dialog, "cboMULType");
    auto* mul = Child<QLineEdit>(dialog, "txtMUL");
    auto* idx = Child<QLineEdit>(dialog, "txtIDX");
    WriteFileBytes(dir / "ART.MUL", {1, 2});
    WriteFileBytes(dir / "ArtIdx.mul", IndexBytes({{0, 2, 0}}));
    ASSERT_TRUE(Ok(WriteVerdata(dir / "fixes.mul", PatchOf({{12, 1, {9}}}))));
    WritePatch("work.uop", PatchOf({{12, 2, {8}}}));
    WriteFileBytes(dir / "mine.mul", {3});
    WriteFileBytes(dir / "artLegacyMUL.uop", {'M', 'Y', 'P', 0});
    // The file chosen under Art, the type chosen next, and whether the file stays.
    const std::tuple<const char*, int, bool> switches[] = {
        {"ART.MUL", kGumps, false}, {"ART.MUL", kArt, true}, {"fixes.mul", kGumps, true},
        {"work.uop", kHues, true}, {"mine.mul", kGumps, true}, {"artLegacyMUL.uop", kGumps, false},
        {"mine.mul", ImportDialog::kVerdataType, false}, {"fixes.mul", ImportDialog::kPatchFileType, true}};
    for (const auto& [name, to, kept] : switches) {
        type->setCurrentIndex(type->findData(kArt));
        mul->setText(File(name));
        type->setCurrentIndex(type->findData(to));
        EXPECT_EQ(mul->text(), kept ? File(name) : QString()) << name << " " << to;
    }
    type->setCurrentIndex(type->findData(kArt));
    mul->setText(File("ART.MUL"));
    EXPECT_EQ(idx->text(), File("ArtIdx.mul"));
    type->setCurrentIndex(type->findData(kGumps));
    EXPECT_EQ(std::pair(mul->text(), idx->text()), std::pair(QString(), QString()));

    // Typed in again: Cancel (the default) imports nothing and keeps the dialog open.
    mul->setText(File("ART.MUL"));
    idx->setText(File("ArtIdx.mul"));
    Click(dialog, "cmdImport");
    EXPECT_EQ(prompts.questions, QStringList({"Import: ART.MUL is usually the art file. Import it as gumps?"}));
    EXPECT_EQ(std::pair(Doc().patch().LiveCount(), dialog->isVisible()), std::pair(std::int64_t{0}, true));
    prompts.confirms = {true};
    Click(dialog, "cmdImport");
    EXPECT_EQ(DataOf(Doc().patch(), kGumps), (std::vector<B>{{1, 2}}));
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
    EXPECT_TRUE(dialog->isVisible());

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
    EXPECT_TRUE(dialog->isVisible());
    SetText(dialog, "txtFile", File("target.mul"));
    WriteFileBytes(dir / "base.mul", {0, 0, 0, 0});
    window.Values().VerdataPath = dir / "base.mul";
    Click(dialog, "cmdExport");
    QApplication::processEvents();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(window.statusBar()->currentMessage(), "Exported 1 block to " + File("target.mul"));
    Patch written;
    ASSERT_TRUE(Ok(ReadVerdata(dir / "target.mul", written)));
    EXPECT_EQ(written.LiveCount(), 1);
}

// An art tile saved as a picture and loaded on the Art node as another block
// (from the menu or dropped): the prompt has the type's own texts, the load
// is one undoable step, and a picture of a size the tile does not take is
// refused, naming the file.
TEST_F(Window, APictureLoadedAsArtIsOneUndoableStepAndAWrongSizeIsRefused) {
    std::vector<std::uint16_t> colors(20 * 10, 0x1234);
    colors[7] = 0;
    const B item = EncodeStaticTile(colors, 20, 10, 0).value();
    Load(PatchOf({{4, 0x4001, item}, {4, 2, EncodeLandTile(std::vector<std::uint16_t>(44 * 44, 0x2345))}}));
    Select({4, 0x4001});
    Trigger("actSaveToBmp", {File("item.png")});
    Select({4, -1});
    EXPECT_TRUE(Menu().contains("Load from BMP"));
    ExpectUndoable([&] { Trigger("actLoadFromBMP", {"70000", "0x4005", File("item.png")}); }, "Undo Load from BMP");
    EXPECT_EQ(prompts.messages, QStringList{"Import Art from Bmp: Block numbers of art go from 0 to 65535."});
    EXPECT_EQ(prompts.asked[1].title, "Import Art from Bmp");
    EXPECT_EQ(B(Doc().patch().LiveBlock(4, 0x4005)->bytes.begin(), Doc().patch().LiveBlock(4, 0x4005)->bytes.end()), item);
    prompts.messages.clear();
    const int steps = Doc().UndoStack()->count();
    Select({4, -1});
    prompts.answers = {"0x4006"};  // dropped on the Art node
    window.OpenFile(File("item.png"));
    EXPECT_EQ(std::pair(Doc().UndoStack()->count(), Doc().patch().LiveBlock(4, 0x4006) != nullptr), std::pair(steps + 1, true));
    Select({4, 2});
    Trigger("actLoadFromBMP", {File("item.png")});
    EXPECT_EQ(prompts.messages,
              QStringList{"Import Art from Bmp: The picture '" + File("item.png") + "' is 20 × 10 pixels; a land tile takes 44 × 44."});
    EXPECT_EQ(Doc().UndoStack()->count(), steps + 1);
}
