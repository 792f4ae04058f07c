// The document and its files: the patch lock and changes on disk at Save,
// recovering a damaged patch and game data packages at Open, the import and
// compare dialogs with packages.
#include <QStatusBar>

#include "app/import_dialog.h"
#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "gui_fixture.h"

namespace {
class DocumentFiles : public GuiTest {
protected:
    // Saves a modified patch as `name` and returns its path.
    std::string Saved(const char* name) {
        const std::string path = dir / name;
        Modify();
        EXPECT_TRUE(Ok(Doc().Save(path)));
        return path;
    }
    // A gump package: entry i holds block i, 2 x 1 pixels of run data.
    std::string GumpPackage(const char* name, std::uint8_t change = 0) {
        const std::string path = dir / name;
        PackageWriter writer;
        EXPECT_TRUE(Ok(writer.Open(path, 5, 4)));
        for (std::uint8_t i = 0; i < 3; ++i) {
            Bytes payload = {2, 0, 0, 0, 1, 0, 0, 0, 4, 0, 0, 0, static_cast<std::uint8_t>(i + (i == 1 ? change : 0)), 0, 2, 0};
            writer.Add(LegacyName(SchemeOfFileId(kGumps)->formats[0], i), payload, 1);
        }
        EXPECT_TRUE(Ok(writer.Commit()));
        return path;
    }
};
}  // namespace

// Another program rewrote the file: Save asks, and Cancel leaves its bytes.
TEST_F(DocumentFiles, SaveAsksBeforeOverwritingAFileChangedOnDiskAndWaitsForAnotherWriter) {
    for (const auto& [changedOnDisk, overwrite, saved] : {std::tuple{false, false, true}, {true, false, false},
                                                         {true, true, true}}) {
        SCOPED_TRACE(std::to_string(changedOnDisk) + std::to_string(overwrite));
        Load(Patch{});
        const std::string path = Saved("p.uop");
        const std::vector<std::uint8_t> theirs = {'U', 'O', 'P', 4, 0, 0, 0, 0, 0, 0, 0, 0};
        if (changedOnDisk) WriteFileBytes(path, theirs);
        Modify(2);
        prompts.questions.clear();
        prompts.confirms = {overwrite};
        Trigger("mnuSave");
        EXPECT_EQ(prompts.questions.size(), changedOnDisk ? 1 : 0);
        if (changedOnDisk) {
            EXPECT_EQ(prompts.questions[0], QString::fromStdString("Save: '" + path + "' was changed on disk since it was "
                                                                   "opened or saved here. Overwrite those changes with this patch?"));
        }
        EXPECT_EQ(ReadFileBytes(path) == theirs, changedOnDisk && !saved);
        EXPECT_EQ(window.isWindowModified(), !saved);
    }
    // Another program saving it: Save waits a while, then gives up saying so.
    const std::string path = dir / "p.uop";
    const auto before = ReadFileBytes(path);
    Modify(3);
    QStringList shown;
    QObject::connect(window.statusBar(), &QStatusBar::messageChanged, [&](const QString& m) { shown << m; });
    PatchLock other;
    ASSERT_TRUE(Ok(other.Acquire(path, std::chrono::milliseconds(0))));
    Doc().SetLockPatience(std::chrono::milliseconds(1300));
    Trigger("mnuSave");
    EXPECT_TRUE(shown.contains("Waiting for another program to finish saving the patch..."));
    EXPECT_EQ(prompts.messages.last(), QString::fromStdString("Save: '" + path + "' is being saved by another program; "
                                                              "nothing was changed. Try again when it has finished."));
    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_TRUE(window.isWindowModified());
    other.Release();
    prompts.questions.clear();
    Trigger("mnuSave");  // saved over once, the file is the document's own again: no question
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_NE(ReadFileBytes(path), before);
    EXPECT_FALSE(window.isWindowModified());
}

TEST_F(DocumentFiles, OpenOffersToRecoverAPatchWhoseHeaderMiscounts) {
    const std::string damaged = WritePatch("damaged.uop", PatchOf({{4, 1, {1}}, {4, 2, {2}}, {4, 3, {3}}}));
    auto bytes = ReadFileBytes(damaged);
    bytes[4] = 1;  // the header counts one record of three
    WriteFileBytes(damaged, bytes);
    for (const bool recover : {false, true}) {
        const std::string kept = Saved("kept.uop");
        prompts.answers = {QString::fromStdString(damaged)};
        prompts.confirms = {recover};
        Trigger("mnuOpen");
        ASSERT_EQ(prompts.questions.size(), 1);
        EXPECT_TRUE(prompts.questions.takeFirst().endsWith("\nRecover the blocks it holds into a new patch?"));
        EXPECT_EQ(QKeySequence::mnemonic(prompts.yesButtons.takeFirst()), QKeySequence(Qt::ALT | Qt::Key_R));
        if (!recover) {
            EXPECT_EQ(Doc().Path(), kept);
            continue;
        }
        EXPECT_EQ(prompts.messages.last(), "Open: Recovered 3 blocks (the header counted 1) into a new patch. Save it to "
                                           "keep them.");
        EXPECT_EQ(Doc().Path(), "");
        EXPECT_TRUE(window.isWindowModified());
        EXPECT_EQ(window.windowTitle(), "Palindra - [New patch][*]");
        EXPECT_EQ(ChildTexts(Model().IndexOf({4, -1})).size(), 3);
    }
    bytes[4] = 3;  // cut short in the third record: the two whole ones
    bytes.resize(bytes.size() - 1);
    WriteFileBytes(damaged, bytes);
    prompts.confirms = {true};
    prompts.saveChoices = {SaveChoice::Discard};
    Trigger("mnuOpen", {QString::fromStdString(damaged)});
    EXPECT_EQ(prompts.messages.last(), "Open: Recovered 2 blocks (the header counted 3) into a new patch. Save it to "
                                       "keep them.");
    prompts.saveChoices = {SaveChoice::Discard};  // the next patch opened starts clean: Exit asks nothing
    Trigger("mnuOpen", {QString::fromStdString(dir / "kept.uop")});
    Trigger("mnuExit");
    EXPECT_EQ(std::tuple(Doc().Path(), window.isWindowModified(), prompts.saveQuestions), std::tuple(dir / "kept.uop", false, 2));
}

TEST_F(DocumentFiles, OpenOfAPackageOffersItsImportFilledIn) {
    const std::string package = GumpPackage("gumpartLegacyMUL.uop");
    Trigger("mnuOpen", {QString::fromStdString(package)});  // declined: nothing else happens
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0], QString::fromStdString("Open: '" + package + "' is a game data package, not a patch "
                                                           "project file.\nImport blocks from it instead?"));
    EXPECT_EQ(window.findChildren<ImportDialog*>().size(), 0);

    prompts.answers = {QString::fromStdString(package)};
    prompts.confirms = {true};
    Trigger("mnuOpen");
    auto* dialog = window.findChild<ImportDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Child<QComboBox>(dialog, "cboMULType")->currentData().toInt(), kGumps);
    EXPECT_EQ(Child<QLineEdit>(dialog, "txtMUL")->text(), QString::fromStdString(package));
    EXPECT_TRUE(Child<QLineEdit>(dialog, "txtIDX")->isHidden());
    Click(dialog, "cmdMUL");
    EXPECT_EQ(prompts.asked.back().filter, "Mul file (*.mul);;Game data package (*.uop);;All files (*)");
    ExpectUndoable([&] { Click(dialog, "cmdImport"); }, "Undo Import");
    Patch expected;
    ASSERT_EQ(ImportType(expected, kGumps, {package, ""})->added, 3);
    EXPECT_EQ(DataOf(Doc().patch(), kGumps), DataOf(expected, kGumps));

    // Not a package: the index row is back.
    auto* again = static_cast<ImportDialog*>(window.ShowImport());
    again->Prefill(kGumps, File("gump.mul"));
    EXPECT_FALSE(Child<QLineEdit>(again, "txtIDX")->isHidden());
}

// The index rows show only for types with index files, and not for a package.
TEST_F(DocumentFiles, CompareAsksForTheFilesTheTypeNeedsAndTakesPackages) {
    WriteFileBytes(dir / "a.mul", Bytes(196 * 2, 0));
    Bytes altered(196 * 2, 0);
    altered[196 + 5] = 1;
    WriteFileBytes(dir / "b.mul", altered);
    const QString base = QString::fromStdString(GumpPackage("base.uop"));
    const QString changed = QString::fromStdString(GumpPackage("altered.uop", 7));
    const struct {
        std::uint8_t fileId;
        QString title, first, second;
        bool indexRows, added;  // Art without its index files is refused
    } cases[] = {{0, "Compare Map", File("a.mul"), File("b.mul"), false, true},
                 {4, "Compare Art", File("a.mul"), File("b.mul"), true, false},
                 {kGumps, "Compare Gumps", base, changed, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        Select({c.fileId, -1});
        prompts.dialogs = {[&](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), c.title);
            EXPECT_EQ(Child<QLineEdit>(d, "txtIDX1")->isHidden(), c.fileId == 0);
            Click(d, "cmdCompare");
            EXPECT_EQ(prompts.messages.last(), "Compare: Cannot find the files you selected.");
            Click(d, "cmdMUL1");
            EXPECT_EQ(prompts.asked.back().filter, "MULfile (*.mul);;Game data package (*.uop);;All files (*)");
            SetText(d, "txtMUL1", c.first);
            EXPECT_EQ(Child<QLineEdit>(d, "txtIDX1")->isHidden(), !c.indexRows);
            EXPECT_EQ(Child<QLineEdit>(d, "txtIDX2")->isHidden(), c.fileId == 0);
            SetText(d, "txtMUL2", c.second);
            Click(d, "cmdCompare");
            if (d->isVisible()) Click(d, "cmdCancel");
        }};
        const qsizetype messages = prompts.messages.size();
        if (!c.added) {
            Trigger("actAddFromCompare");
            EXPECT_EQ(prompts.messages.size(), messages + 2);
            EXPECT_EQ(Doc().patch()[c.fileId].Count(), 0);
            continue;
        }
        ExpectUndoable([&] { Trigger("actAddFromCompare"); }, "Undo Add from compare");
        EXPECT_EQ(prompts.messages.size(), messages + 1);
        ASSERT_EQ(Doc().patch()[c.fileId].Count(), 1);
        EXPECT_EQ(Doc().patch()[c.fileId].blocks[0].number, 1);
        EXPECT_TRUE(Model().IndexOf({c.fileId, 1}).isValid());
    }
}
