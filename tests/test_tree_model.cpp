// The block tree: its model, expansion and filter, and the context menu of
// its nodes with the commands only the menu reaches.
#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QShortcut>
#include <QTest>
#include <QTimer>

#include "app/info_panel.h"
#include "gui_fixture.h"

namespace {
class TreeModel : public GuiTest {
protected:
    // Art with blocks 1..3, Statics with one block more than the tree lists.
    static Patch Sample() {
        Patch p;
        for (int n : {3, 1, 2}) p.Append(4, n, {1}, 0, 0);
        for (int n = kLotsThreshold; n-- > 0;) p.Append(2, n, {}, 0, 0);
        return p;
    }
    QModelIndex Lots() { return Model().index(0, 0, Model().IndexOf({2, -1})); }
};
using ContextMenu = TreeModel;
}  // namespace

TEST_F(TreeModel, PassesTheModelTesterAndFetchesLotsWhenExpanded) {
    Load(Sample());
    {
        // The tester fetches every node's children itself.
        BlockTreeModel tested(Doc());
        QAbstractItemModelTester tester(&tested, QAbstractItemModelTester::FailureReportingMode::Fatal);
        EXPECT_EQ(tested.rowCount(tested.index(0, 0, tested.IndexOf({2, -1}))), kLotsThreshold);
    }
    EXPECT_EQ(Lots().data().toString(), "LOTS");
    EXPECT_EQ(Lots().data(BlockTreeModel::KeyRole).toString(), "F002LOTS");
    EXPECT_EQ(BlockTreeModel::IdOf(Lots()), (BlockId{2, -1}));
    EXPECT_EQ(Model().rowCount(Lots()), 0);  // nothing until expanded
    EXPECT_TRUE(Model().hasChildren(Lots()));
    window.show();
    window.Tree()->expand(Model().IndexOf({2, -1}));
    window.Tree()->expand(Lots());
    QApplication::processEvents();
    EXPECT_EQ(Model().rowCount(Lots()), kLotsThreshold);
    EXPECT_EQ(Model().index(kLotsThreshold - 1, 0, Lots()).data(BlockTreeModel::KeyRole).toString(), "F002B30000");
    Load(Patch{});
    EXPECT_EQ(Model().rowCount(Model().IndexOf({4, -1})), 0);
}

// Changes come as rows inserted, removed and changed, never as a reset.
TEST_F(TreeModel, ExpansionSelectionAndEditsBelowLotsSurviveChanges) {
    int resets = 0;
    QObject::connect(&Model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
    Load(Sample());
    // Checks every change from here on; it fetches the blocks below "LOTS" itself.
    QAbstractItemModelTester tester(&Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    window.Tree()->setCurrentIndex(Lots());
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 30001");  // "LOTS" stands for its file type
    Load(Sample());
    EXPECT_EQ(window.Tree()->currentIndex(), Lots());
    window.Tree()->expand(Model().IndexOf({4, -1}));
    window.Tree()->expand(Model().IndexOf({2, -1}));
    window.Tree()->expand(Lots());
    Select({2, 29999});
    EXPECT_EQ(ChildTexts(Model().IndexOf({4, -1})), QStringList({"0x00001", "0x00002", "0x00003"}));
    Modify(0);
    EXPECT_EQ(Text({4, 0}), "0x00000");
    EXPECT_TRUE(window.Tree()->isExpanded(Model().IndexOf({4, -1})));
    EXPECT_TRUE(window.Tree()->isExpanded(Lots()));
    EXPECT_FALSE(window.Tree()->isExpanded(Model().IndexOf({0, -1})));
    EXPECT_EQ(window.Current(), (BlockId{2, 29999}));

    Select({2, 17});
    ExpectUndoable([&] { Trigger("actRemove"); }, "Undo Remove");
    EXPECT_EQ(Doc().patch()[2].removedCount, 1);
    EXPECT_FALSE(Model().IndexOf({2, 17}).isValid());
    EXPECT_EQ(window.Current(), (BlockId{2, 18}));  // the next block takes its place, so Delete goes on
    EXPECT_TRUE(window.Tree()->isExpanded(Lots()));
    Select({2, 30000});
    Trigger("actRemove");
    EXPECT_EQ(window.Current(), (BlockId{2, 29999}));  // the last one's place goes to the one before
    Trigger("actUndo");
    EXPECT_EQ(window.Current(), (BlockId{2, 29999}));
    EXPECT_EQ(std::pair(Doc().UndoStack()->count(), resets), std::pair(3, 0));
}

TEST_F(TreeModel, TheFilterLineGoesToBlocksAndNarrowsToFileTypes) {
    Load(PatchOf({{4, 26, {1}}, {12, 26, {2}}, {30, 26, {3}}, {12, 27, {4}}}));
    auto* filter = Child<QLineEdit>(&window, "txtFilter");
    auto shown = [&] {
        QStringList names;
        for (int r = 0; r < Model().rowCount(); ++r)
            if (!window.Tree()->isRowHidden(r, {})) names << Model().index(r, 0).data().toString();
        return names;
    };
    // "" presses Enter. With nothing selected the first file type that holds the number, then the current one;
    // Enter goes on to the next and round to the first; a number held by none keeps the selection.
    const std::pair<const char*, BlockId> steps[] = {{"0x1A", {4, 26}}, {"", {12, 26}}, {"27", {12, 27}}, {"26", {12, 26}},
                                                     {"", {30, 26}},    {"", {4, 26}},  {"99", {4, 26}}};
    for (const auto& [text, current] : steps) {
        if (*text) filter->setText(text);
        else emit filter->returnPressed();
        EXPECT_EQ(window.Current(), current) << text;
    }
    EXPECT_EQ(shown().size(), 13);

    filter->setText("DATA");
    EXPECT_EQ(shown(), QStringList({"Tiledata", "Animdata"}));
    EXPECT_EQ(window.Current(), (BlockId{30, -1}));  // the selection moves out of the hidden Art
    Modify();  // narrowing outlives a rebuild
    EXPECT_EQ(shown(), QStringList({"Tiledata", "Animdata"}));
    filter->clear();
    EXPECT_EQ(shown().size(), 13);
}

TEST_F(ContextMenu, EntriesDependOnTheSelectedNodeAndTheMenuKeyAndShiftF10OpenIt) {
    Patch p = Sample();
    p.Append(12, 1, {1}, 0, 0);
    p.Append(0, 1, {1}, 0, 0);
    Load(std::move(p));
    EXPECT_EQ(Menu(), QStringList());  // nothing selected
    const std::pair<BlockId, QStringList> cases[] = {
        {{12, 1}, {"Remove", "-", "Save to File", "Save to Bmp", "Change Flags", "Load from Datafile", "Load from BMP"}},
        {{0, 1}, {"Remove", "-", "Save to File", "Change Flags", "Load from Datafile"}},
        {{12, -1}, {"Load from Datafile", "Load from BMP", "Add from compare"}},
        {{252, -1}, {"Add file"}},
        {{4, -1}, {"Load from Datafile", "Load from BMP", "Add from compare"}},
        {{8, -1}, {"Load from Datafile", "Load from WAV", "Add from compare"}},
        {{2, 30000}, {"Remove", "-", "Save to File", "Change Flags", "Load from Datafile"}},  // below "LOTS"
    };
    for (const auto& [node, entries] : cases) {
        Select(node);
        EXPECT_EQ(Menu(), entries) << int(node.fileId) << "/" << node.blockNumber;
    }
    // The "LOTS" node acts for its file type.
    window.Tree()->setCurrentIndex(Lots());
    EXPECT_EQ(Menu(), QStringList({"Load from Datafile", "Add from compare"}));

    window.show();
    Select({4, 1});
    auto* menu = Child<QMenu>(&window, "mnuPopup");
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(window.Tree(), &menuKey);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->actions().first()->text(), "&Remove");
    menu->hide();
    QShortcut* shiftF10 = nullptr;
    for (QShortcut* s : window.Tree()->findChildren<QShortcut*>())
        if (s->key() == QKeySequence(Qt::SHIFT | Qt::Key_F10)) shiftF10 = s;
    ASSERT_NE(shiftF10, nullptr);
    emit shiftF10->activated();
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

TEST_F(ContextMenu, BlocksGoToDataFilesAndComeBack) {
    Bytes data(196);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    Load(PatchOf({{0, 7, data, 3, 4}, {0, 8, {}}}));

    Select({0, 7});
    Trigger("actSaveToFile", {File("block")});
    EXPECT_EQ(std::pair(prompts.asked.back().title, prompts.asked.back().kind),
              std::pair(QString("Select data to save to"), QString("save:dat")));
    EXPECT_EQ(ReadFileBytes(dir / "block.dat"), data);
    Select({0, 8});
    Trigger("actSaveToFile");
    EXPECT_EQ(prompts.messages.last(), "Save block: That block is empty.");

    Select({0, -1});
    prompts.answers = {"7", File("block.dat")};
    ExpectUndoable([&] { Trigger("actLoadFromDatafile"); }, "Undo Load from Datafile");
    EXPECT_EQ(prompts.asked[prompts.asked.size() - 2].title, "Import from datafile");
    // The old block 7 was settled; the new one keeps its flags (a gump's size).
    EXPECT_EQ(SlotsOf(Doc().patch(), 0), (std::vector<SlotFacts>{{-1, 196, 3, 4}, {8, 0, 0, 0}, {7, 196, 3, 4}}));
    EXPECT_EQ(DataOf(Doc().patch(), 0).back(), data);
    EXPECT_EQ(Text({0, 7}), "000007");

    const qsizetype before = prompts.messages.size();
    Trigger("actLoadFromDatafile", {"65536"});
    EXPECT_EQ(prompts.messages.last(), "Import block from datafile: Illegal blocknumber!");
    EXPECT_EQ(prompts.asked.back().kind, "input:Select block number:65536");  // asked again with the text
    EXPECT_EQ(prompts.asked.back().hint, "From 0 to 65535, in decimal or in hexadecimal after 0x or &H.");
    // The real prompt: as wide as its title needs, the range in a line below the box.
    SetPrompts(nullptr);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_GE(dialog->minimumWidth(), dialog->fontMetrics().horizontalAdvance(dialog->windowTitle()) + 200);
        EXPECT_EQ(Child<QLabel>(dialog, "lblHint")->text(), "From 0 to 255.");
        auto* box = Child<QLineEdit>(dialog, "txtInput");
        box->setText(QStringLiteral("0x10"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(CurrentPrompts().Input(&window, "Select block number", "Import block from datafile", "", "From 0 to 255."),
              "0x10");
    SetPrompts(&prompts);
    Trigger("actLoadFromDatafile", {""});  // a cancelled prompt ends silently
    EXPECT_EQ(prompts.messages.size(), before + 1);
    Trigger("actLoadFromDatafile", {"5", File("missing.dat")});
    EXPECT_FALSE(Doc().patch().LiveBlock(0, 5));
    EXPECT_TRUE(prompts.messages.last().startsWith("Import block from datafile: Cannot open"));

    // On a block it replaces that block, asking no number.
    WriteFileBytes(dir / "other.dat", Bytes(196, 9));
    Select({0, 7});
    const std::size_t asked = prompts.asked.size();
    Trigger("actLoadFromDatafile", {File("other.dat")});
    EXPECT_EQ(std::pair(prompts.asked.size(), prompts.asked.back().kind), std::pair(asked + 1, QString("open")));
    EXPECT_EQ(std::tuple(Doc().patch().LiveBlock(0, 7)->bytes, Doc().patch().LiveBlock(0, 7)->flagA),
              std::tuple(Bytes(196, 9), std::int16_t{3}));
}

TEST_F(ContextMenu, AddFileReplacesTheBlockKeepingItsFlagsOrRefusesAFakeClient) {
    WriteFileBytes(dir / "readme.txt", {'h', 'i'});
    WriteFileBytes(dir / "fake.exe", {'n', 'o'});
    Load(PatchOf({{252, 1, {'o', 'l', 'd'}, 5, 6}}));
    auto fill = [](int type, const std::string& path) {
        return [type, path](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Add file");
            Child<QComboBox>(d, "cboType")->setCurrentIndex(type);
            SetText(d, "txtFile", QString::fromStdString(path));
            Click(d, "cmdAdd");
        };
    };
    Select({252, -1});
    prompts.dialogs = {fill(1, dir / "readme.txt")};
    ExpectUndoable([&] { Trigger("actAddFile"); }, "Undo Add file");
    EXPECT_EQ(Text({252, 1}), "Readme.txt");
    EXPECT_EQ(SlotsOf(Doc().patch(), 252).back(), SlotFacts(1, 2, 5, 6));  // the flags stay
    EXPECT_EQ(Doc().patch()[252].blocks.back().bytes, (Bytes{'h', 'i'}));

    prompts.dialogs = {fill(0, dir / "fake.exe")};
    Trigger("actAddFile");
    EXPECT_EQ(prompts.messages.last(), "Add file: This is NOT an UO client.exe file.");
    EXPECT_EQ(Doc().patch()[252].LiveCount(), 1);
    prompts.dialogs = {fill(2, "")};
    Trigger("actAddFile");
    EXPECT_EQ(prompts.messages.last(), "Add file: You must select a file to add first.");
}

TEST_F(ContextMenu, FlagsAreEditedAndWrittenBackToTheBlock) {
    Load(PatchOf({{12, 3, {1, 0, 0, 0, 0x1F, 0, 2, 0}, -1, 2}}));  // one row of two pixels
    Select({12, 3});
    prompts.dialogs = {[](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Change Flags");
        EXPECT_EQ(Child<QLineEdit>(d, "txtFlagA")->text(), "65535");
        EXPECT_EQ(Child<QLineEdit>(d, "txtFlagB")->text(), "2");
        SetText(d, "txtFlagA", "&H1");
        SetText(d, "txtFlagB", "0x2");
        Click(d, "cmdSave");
    }};
    ExpectUndoable([&] { Trigger("actChangeFlags"); }, "Undo Change Flags");
    EXPECT_EQ(SlotsOf(Doc().patch(), 12), (std::vector<SlotFacts>{{3, 8, 1, 2}}));  // height 1, width 2
    EXPECT_EQ(Label("lblInfo2"), "Size: 2x1");
    EXPECT_EQ(window.Panel()->Picture().size(), QSize(2, 1));

    prompts.dialogs = {[](QDialog* d) { Click(d, "cmdCancel"); }};
    const int steps = Doc().UndoStack()->count();
    Trigger("actChangeFlags");
    EXPECT_EQ(Doc().UndoStack()->count(), steps);
}
