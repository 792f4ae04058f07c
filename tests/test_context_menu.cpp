#include <QContextMenuEvent>
#include <QShortcut>

#include "app/InfoPanel.h"
#include "gui_fixture.h"

namespace {
using ContextMenu = GuiTest;
}  // namespace

TEST_F(ContextMenu, EntriesDependOnTheSelectedNode) {
    Patch p = Blocks({{12, 1, {1}}, {0, 1, {1}}});
    for (int n = 0; n < kLotsThreshold; ++n) p.Append(2, n, {}, 0, 0);
    Load(std::move(p));
    EXPECT_EQ(Menu(), QStringList());  // nothing selected
    const struct {
        BlockId node;
        QStringList entries;
    } cases[] = {
        {{12, 1}, {"Remove", "-", "Save to File", "Save to Bmp", "Change Flags"}},
        {{0, 1}, {"Remove", "-", "Save to File", "Change Flags"}},
        {{12, -1}, {"Load from Datafile", "Load from BMP", "Add from compare"}},
        {{252, -1}, {"Add file"}},
        {{4, -1}, {"Load from Datafile", "Add from compare"}},
        {{2, 30000}, {"Remove", "-", "Save to File", "Change Flags"}},  // below "LOTS"
    };
    for (const auto& c : cases) {
        Select(c.node);
        EXPECT_EQ(Menu(), c.entries) << int(c.node.fileId) << "/" << c.node.blockNumber;
    }
    // The "LOTS" node acts for its file type.
    window.Tree()->setCurrentIndex(Model().index(0, 0, Model().IndexOf({2, -1})));
    EXPECT_EQ(Menu(), QStringList({"Load from Datafile", "Add from compare"}));
}

TEST_F(ContextMenu, TheMenuKeyAndShiftF10OpenTheMenuAtTheNode) {
    Load(Blocks({{4, 1, {1}}}));
    window.show();
    Select({4, 1});
    auto* menu = Child<QMenu>(&window, "mnuPopup");
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(window.Tree(), &menuKey);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->actions().first()->text(), "Remove");
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
    Load(Blocks({{0, 7, data, 3, 4}, {0, 8, {}}}));

    Select({0, 7});
    Trigger("actSaveToFile", {File("block")});
    EXPECT_EQ(prompts.asked.back().title, "Select data to save to");
    EXPECT_EQ(prompts.asked.back().kind, "save:dat");
    EXPECT_EQ(ReadFileBytes(dir / "block.dat"), data);
    Select({0, 8});
    Trigger("actSaveToFile");
    EXPECT_EQ(prompts.messages.last(), "Save block: That block is empty.");

    Select({0, -1});
    prompts.answers = {"7", File("block.dat")};
    ExpectUndoable([&] { Trigger("actLoadFromDatafile"); }, "Undo Load from Datafile");
    EXPECT_EQ(prompts.asked[prompts.asked.size() - 2].title, "Import from datafile");
    const Patch& now = Doc().patch();
    const PatchBlock& loaded = now[0].Blocks[static_cast<std::size_t>(now.FindLiveBlock(0, 7))];
    EXPECT_EQ(loaded.ByteArray, data);
    EXPECT_EQ(loaded.FlagA, 0);
    EXPECT_EQ(now[0].RemovedCount, 1);  // the old block 7 was settled
    EXPECT_EQ(Text({0, 7}), "000007");

    Trigger("actLoadFromDatafile", {"0x1A", File("block.dat")});
    EXPECT_TRUE(Model().IndexOf({0, 26}).isValid());
    const qsizetype before = prompts.messages.size();
    Trigger("actLoadFromDatafile", {"65536"});
    EXPECT_EQ(prompts.messages.last(), "Import block from datafile: Illegal blocknumber!");
    Trigger("actLoadFromDatafile", {""});  // a cancelled prompt ends silently
    EXPECT_EQ(prompts.messages.size(), before + 1);
    Trigger("actLoadFromDatafile", {"5", File("missing.dat")});
    EXPECT_EQ(Doc().patch().FindLiveBlock(0, 5), -1);
    EXPECT_TRUE(prompts.messages.last().startsWith("Import block from datafile: Cannot open"));
}

TEST_F(ContextMenu, AddFileReplacesTheBlockKeepingItsFlagsOrRefusesAFakeClient) {
    WriteFileBytes(dir / "readme.txt", {'h', 'i'});
    WriteFileBytes(dir / "fake.exe", {'n', 'o'});
    Load(Blocks({{252, 1, {'o', 'l', 'd'}, 5, 6}}));
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
    const PatchBlock& b = Doc().patch()[252].Blocks.back();
    EXPECT_EQ(b.ByteArray, (Bytes{'h', 'i'}));
    EXPECT_EQ(b.FlagA, 5);
    EXPECT_EQ(b.FlagB, 6);

    prompts.dialogs = {fill(0, dir / "fake.exe")};
    Trigger("actAddFile");
    EXPECT_EQ(prompts.messages.last(), "Add file: This is NOT an UO client.exe file.");
    EXPECT_EQ(Doc().patch()[252].LiveCount(), 1);
    prompts.dialogs = {fill(2, "")};
    Trigger("actAddFile");
    EXPECT_EQ(prompts.messages.last(), "Add file: You must select a file to add first.");
}

TEST_F(ContextMenu, FlagsAreEditedAndWrittenBackToTheBlock) {
    Load(Blocks({{12, 3, {1, 0, 0, 0, 0x1F, 0, 2, 0}, -1, 2}}));  // one row of two pixels
    Select({12, 3});
    prompts.dialogs = {[](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Change Flags");
        EXPECT_EQ(Child<QLineEdit>(d, "txtFlagA")->text(), "65535");
        EXPECT_EQ(Child<QLineEdit>(d, "txtFlagB")->text(), "2");
        SetText(d, "txtFlagA", "1");
        SetText(d, "txtFlagB", "2");
        Click(d, "cmdSave");
    }};
    ExpectUndoable([&] { Trigger("actChangeFlags"); }, "Undo Change Flags");
    const PatchBlock& b = Doc().patch()[12].Blocks[0];
    EXPECT_EQ(b.FlagA, 1);  // the height
    EXPECT_EQ(b.FlagB, 2);  // the width
    EXPECT_EQ(Label("lblInfo2"), "Size: 2x1");
    EXPECT_EQ(window.Panel()->Picture().size(), QSize(2, 1));

    prompts.dialogs = {[](QDialog* d) { Click(d, "cmdCancel"); }};
    const int steps = Doc().UndoStack()->count();
    Trigger("actChangeFlags");
    EXPECT_EQ(Doc().UndoStack()->count(), steps);
}
