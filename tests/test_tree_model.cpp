#include <QAbstractItemModelTester>

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

TEST_F(TreeModel, ExpansionSelectionAndEditsBelowLotsSurviveARebuild) {
    Load(Sample());
    Trigger("actRemove");  // no selection: nothing happens
    EXPECT_EQ(Doc().UndoStack()->count(), 0);
    window.Tree()->setCurrentIndex(Lots());
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
    EXPECT_EQ(Doc().patch()[2].RemovedCount, 1);
    EXPECT_FALSE(Model().IndexOf({2, 17}).isValid());
    EXPECT_EQ(window.Current(), (BlockId{2, -1}));  // the file type stays selected
    EXPECT_FALSE(Action("actRemove")->isEnabled());
    Trigger("actRemove");
    EXPECT_EQ(Doc().UndoStack()->count(), 2);
}

TEST_F(TreeModel, TheFilterLineGoesToBlocksAndNarrowsToFileTypes) {
    Load(Blocks({{4, 26, {1}}, {12, 26, {2}}, {30, 26, {3}}, {12, 27, {4}}}));
    auto* filter = Child<QLineEdit>(&window, "txtFilter");
    auto shown = [&] {
        QStringList names;
        for (int r = 0; r < Model().rowCount(); ++r)
            if (!window.Tree()->isRowHidden(r, {})) names << Model().index(r, 0).data().toString();
        return names;
    };
    filter->setText("0x1A");  // nothing selected: the first file type that holds it
    EXPECT_EQ(window.Current(), (BlockId{4, 26}));
    emit filter->returnPressed();
    EXPECT_EQ(window.Current(), (BlockId{12, 26}));
    filter->setText("27");  // in the current file type
    EXPECT_EQ(window.Current(), (BlockId{12, 27}));
    filter->setText("26");
    EXPECT_EQ(window.Current(), (BlockId{12, 26}));
    emit filter->returnPressed();
    emit filter->returnPressed();  // round to the first again
    EXPECT_EQ(window.Current(), (BlockId{4, 26}));
    filter->setText("99");  // held by none: the selection stays
    EXPECT_EQ(window.Current(), (BlockId{4, 26}));
    EXPECT_EQ(shown().size(), 13);

    filter->setText("DATA");
    EXPECT_EQ(shown(), QStringList({"Tiledata", "Animdata"}));
    Modify();  // narrowing outlives a rebuild
    EXPECT_EQ(shown(), QStringList({"Tiledata", "Animdata"}));
    filter->clear();
    EXPECT_EQ(shown().size(), 13);
}
