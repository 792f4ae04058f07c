#include <QClipboard>
#include <QListWidget>
#include <QTest>

#include "app/fact_table_model.h"
#include "app/fact_table_view.h"
#include "app/info_panel.h"
#include "codecs/file_ids.h"
#include "gui_fixture.h"

namespace {
// Bytes 0x00, 0x1F, 0x3E, ...: every byte of a block told apart from its neighbours.
Bytes Pattern(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(i * 31);
    return b;
}

class Tables : public GuiTest {
protected:
    FactTableModel& Facts() { return window.Panel()->Facts(); }
    FactTableView& View() { return window.Panel()->Table(); }
    Bytes Live(BlockId id) {
        const PatchBlock* b = Doc().patch().LiveBlock(id.fileId, id.blockNumber);
        return b ? Bytes(b->bytes.begin(), b->bytes.end()) : Bytes{};
    }
    QModelIndex Cell(int row, const char* field) { return Facts().index(row, Facts().ColumnOf(field)); }
    void Show(BlockId id) {
        window.Tree()->clearSelection();
        Select(id);
    }
    QString UndoText() { return Action("actUndo")->text().remove(QLatin1Char('&')); }
    // The open cell editor, if any.
    QLineEdit* Editor() {
        for (auto* edit : View().findChildren<QLineEdit*>(QStringLiteral("txtCell")))
            if (!edit->isHidden()) return edit;  // a closed one is hidden until it is deleted
        return nullptr;
    }
    // Typing on the table: the first key opens the editor, the rest go to it.
    void Type(const QString& text) {
        QTest::keyClick(&View(), text[0].toLatin1());
        ASSERT_NE(Editor(), nullptr);
        QTest::keyClicks(Editor(), text.mid(1));
    }
    // An empty item group shown in a window with the focus on its table.
    BlockId ShowEmptyItems();
};

constexpr std::int32_t kItemGroup = 512 + 0x0F3A / 32;  // items 0x0F20-0x0F3F; 0x0F3A is record 26

BlockId Tables::ShowEmptyItems() {
    const BlockId items{kTiledata, kItemGroup};
    Load(PatchOf({{items.fileId, items.blockNumber, Bytes(4 + 32 * 37, 0)}}));
    window.show();
    QApplication::setActiveWindow(&window);
    Show(items);
    View().setFocus();
    return items;
}
}  // namespace

// An edit of each type changes exactly the bytes its field owns, as one named
// step that undo and redo take back and do again.
TEST_F(Tables, AnEditOfEachTypeChangesExactlyItsFieldsBytes) {
    Bytes skill = {1, 'A', 'n', 'a', 't', 'o', 0};
    const struct {
        BlockId id;
        Bytes block;
        int row;
        const char* field;
        const char* text;
        std::size_t offset;
        Bytes changed;
        const char* step;
    } cases[] = {
        {{kTiledata, kItemGroup}, Pattern(4 + 32 * 37), 26, "weight", "200", 4 + 26 * 37 + 4, {200},
         "Change weight of item 0x0F3A"},
        {{kTiledata, kItemGroup}, Pattern(4 + 32 * 37), 26, "name", "iron anvil", 4 + 26 * 37 + 17,
         {'i', 'r', 'o', 'n', ' ', 'a', 'n', 'v', 'i', 'l', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "Change name of item 0x0F3A"},
        {{kTiledata, kItemGroup}, Pattern(4 + 32 * 41), 1, "flags", "Wet Door", 4 + 41 + 0,
         {0x80, 0, 0, 0x20, 0, 0, 0, 0}, "Change flags of item 0x0F21"},
        {{kTiledata, 1}, Pattern(4 + 32 * 26), 2, "texture", "0x1234", 4 + 2 * 26 + 4, {0x34, 0x12},
         "Change texture of land tile 0x0022"},
        {{kHues, 3}, Pattern(1220), 2, "tableEnd", "&H102", 4 + 2 * 152 + 66, {0x02, 0x01}, "Change tableEnd of hue 26"},
        {{kHues, 3}, Pattern(1220), 7, "colors", "1 2.5 0x7FFF", 4 + 7 * 152, {1, 0, 2, 0, 0xFF, 0x7F}, "Change colors of hue 31"},
        {{kAnimdata, 2}, Pattern(4 + 8 * 68), 3, "interval", "7", 4 + 3 * 68 + 66, {7}, "Change interval of animdata record 19"},
        {{kAnimdata, 2}, Pattern(4 + 8 * 68), 0, "frames", "-1, 2", 4, {0xFF, 2}, "Change frames of animdata record 16"},
        {{kMultis, 5}, Pattern(24), 1, "z", "-5", 12 + 6, {0xFB, 0xFF}, "Change z of component 1 of Multis 0x00005"},
        {{kSkills, 4}, skill, 0, "name", "Magic", 1, {'M', 'a', 'g', 'i', 'c', 0}, "Change name of skill 4"},
        {{kStatics, 9}, Pattern(14), 1, "hue", "0x0481", 7 + 5, {0x81, 0x04}, "Change hue of static 1 of Statics 0x00009"},
        {{kMap, 6}, Pattern(196), 9, "tile", "0x4001", 4 + 9 * 3, {0x01, 0x40}, "Change tile of cell 1,1 of Map 0x00006"},
        {{kMap, 6}, Pattern(196), 63, "z", "-128", 4 + 63 * 3 + 2, {0x80}, "Change z of cell 7,7 of Map 0x00006"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        Load(PatchOf({{c.id.fileId, c.id.blockNumber, c.block, 3, 4}}));
        Show(c.id);
        Bytes expected = c.block;
        std::copy(c.changed.begin(), c.changed.end(), expected.begin() + static_cast<std::ptrdiff_t>(c.offset));
        ASSERT_TRUE(Facts().IsEditable()) << Facts().ReadOnlyReason().toStdString();
        ASSERT_GE(Facts().ColumnOf(c.field), 0);
        ExpectUndoable([&] { EXPECT_TRUE(Facts().setData(Cell(c.row, c.field), QString::fromLatin1(c.text))); },
                       QStringLiteral("Undo ") + QString::fromLatin1(c.step));
        EXPECT_EQ(Live(c.id), expected);
        EXPECT_EQ(Doc().patch().LiveBlock(c.id.fileId, c.id.blockNumber)->flagA, 3);  // the block's flags stay
    }
}

// What does not fit its field is refused, in the cell and below the table,
// and the block stays; a block fitting no layout shows its table read-only.
TEST_F(Tables, RefusalsLeaveTheBlockAsItWas) {
    const BlockId items{kTiledata, kItemGroup}, statics{kStatics, 1}, multi{kMultis, 2};
    // Three 12-byte components: a fourth would make 48 bytes, read as three 16-byte ones.
    Load(PatchOf({{items.fileId, items.blockNumber, Pattern(4 + 32 * 37)}, {statics.fileId, 1, Pattern(8)},
                  {multi.fileId, 2, Bytes(36, 0)}}));
    Show(items);
    const struct {
        const char* field;
        const char* text;
        const char* reason;
    } cases[] = {
        {"weight", "300", "Entry 3, \"weight\": 300 is outside 0 to 255."},
        {"name", "a name of twenty-one!", "is 21 bytes long; the field holds 20."},
        {"flags", "Wet Wett", "\"Wett\" is no flag name"},
        {"quality", "heavy", "is not an integer from 0 to 255."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QModelIndex cell = Cell(3, c.field);
        EXPECT_FALSE(Facts().setData(cell, QString::fromLatin1(c.text)));
        EXPECT_EQ(Live(items), Pattern(4 + 32 * 37));
        EXPECT_EQ(Doc().UndoStack()->count(), 0);
        EXPECT_TRUE(Facts().Refusal().contains(QString::fromLatin1(c.reason))) << Facts().Refusal().toStdString();
        EXPECT_EQ(Label("lblRefusal"), Facts().Refusal());
        EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), Facts().Refusal());
    }
    // A step clears the mark.
    EXPECT_TRUE(Facts().setData(Cell(3, "weight"), QStringLiteral("1")));
    EXPECT_EQ(Facts().Refusal(), "");

    Show(statics);
    EXPECT_FALSE(Facts().IsEditable());
    EXPECT_FALSE(Facts().flags(Facts().index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(Label("lblProblem"), "The block holds 8 bytes, not a whole number of 7-byte statics; 1 byte is left over.");
    EXPECT_FALSE(Facts().setData(Facts().index(0, 0), QStringLiteral("1")));
    EXPECT_EQ(Live(statics), Pattern(8));

    Show(multi);
    EXPECT_TRUE(Facts().InsertRow(3).contains("read as 16-byte records instead of 12-byte ones"));
    EXPECT_EQ(Live(multi), Bytes(36, 0));
}

// F2 or typing starts an edit, Enter commits and moves down, Tab across,
// Escape cancels; refused text keeps the editor open with the reason; a
// name's editor says how many bytes are left.
TEST_F(Tables, TheKeyboardEditsCommitsAndCancels) {
    const BlockId items = ShowEmptyItems();
    View().setCurrentIndex(Cell(0, "weight"));
    QTest::keyClick(&View(), Qt::Key_F2);
    ASSERT_NE(Editor(), nullptr);
    QTest::keyClick(Editor(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Editor(), QStringLiteral("300"));
    QTest::keyClick(Editor(), Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_NE(Editor(), nullptr);  // refused: still open
    EXPECT_TRUE(Editor()->property("refusal").toString().contains("300 is outside 0 to 255"));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Live(items), Bytes(4 + 32 * 37, 0));

    // Typing replaces the cell's text; Enter moves down, Tab across.
    Type(QStringLiteral("12"));
    QTest::keyClick(Editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Cell(0, "weight").data().toString(), "12");
    EXPECT_EQ(View().currentIndex(), Cell(1, "weight"));
    Type(QStringLiteral("0x21"));
    QTest::keyClick(Editor(), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(Cell(1, "weight").data().toString(), "33");
    ASSERT_NE(Editor(), nullptr);  // the next cell opens
    EXPECT_EQ(View().currentIndex(), Facts().index(1, Facts().ColumnOf("weight") + 1));
    QTest::keyClick(Editor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Doc().UndoStack()->count(), 2);

    View().setCurrentIndex(Cell(2, "name"));
    Type(QStringLiteral("anvil"));
    EXPECT_EQ(Editor()->property("note").toString(), "15 left");
    QTest::keyClick(Editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(Cell(2, "name").data().toString(), "anvil");
    EXPECT_EQ(UndoText(), "Undo Change name of item 0x0F22");
}

// Ctrl+C copies a range as tab-separated lines; Ctrl+V pastes a 3 x 2 range
// (from the table or a spreadsheet) as one step, or refuses all of it.
TEST_F(Tables, APasteOfSeveralCellsIsOneStep) {
    const BlockId items = ShowEmptyItems();
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t2\r\n3\t4\r\n5\t6\r\n"));
    View().setCurrentIndex(Cell(4, "weight"));
    ExpectUndoable([&] { QTest::keyClick(&View(), Qt::Key_V, Qt::ControlModifier); },
                   QStringLiteral("Undo Paste 6 cells into Tiledata 0x%1").arg(kItemGroup, 5, 16, QLatin1Char('0')));
    for (std::size_t r = 0; r < 3; ++r) {
        const std::size_t record = 4 + (4 + r) * 37;
        EXPECT_EQ(Live(items)[record + 4], 2 * r + 1);  // weight
        EXPECT_EQ(Live(items)[record + 5], 2 * r + 2);  // quality
    }
    View().selectionModel()->select(QItemSelection(Cell(4, "weight"), Cell(6, "quality")), QItemSelectionModel::ClearAndSelect);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&View(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t2\n3\t4\n5\t6\n");

    // One bad cell refuses the whole paste.
    const Bytes before = Live(items);
    QGuiApplication::clipboard()->setText(QStringLiteral("7\t8\n9\t300\n"));
    View().selectionModel()->setCurrentIndex(Cell(0, "weight"), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Live(items), before);
    EXPECT_TRUE(Label("lblRefusal").contains("300 is outside 0 to 255"));
    // Past the last row.
    View().selectionModel()->setCurrentIndex(Cell(31, "weight"), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(&View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(Label("lblRefusal").startsWith("The pasted cells run past the table's 32 rows")) << Label("lblRefusal").toStdString();
    EXPECT_EQ(Live(items), before);
}

// The flags' check boxes and the hex number follow each other; a hue's
// swatch opens the colour picker.
TEST_F(Tables, FlagsByCheckBoxAndByNumberAgreeAndHueColoursComeFromThePicker) {
    const BlockId items{kTiledata, kItemGroup}, hues{kHues, 0};
    Load(PatchOf({{items.fileId, items.blockNumber, Bytes(4 + 32 * 41, 0)}, {hues.fileId, 0, Bytes(1220, 0)}}));
    Show(items);
    auto* list = Child<QListWidget>(&window, "lstFlags");
    View().setCurrentIndex(Cell(1, "weight"));
    ASSERT_EQ(list->count(), 64);
    EXPECT_EQ(list->item(7)->text(), "Wet");
    list->item(7)->setCheckState(Qt::Checked);  // Wet, bit 7
    list->item(40)->setCheckState(Qt::Checked);
    EXPECT_EQ(Cell(1, "flags").data().toString(), "0x0000010000000080");
    EXPECT_EQ(UndoText(), "Undo Change flags of item 0x0F21");
    EXPECT_EQ(Doc().UndoStack()->count(), 2);
    EXPECT_TRUE(Facts().setData(Cell(1, "flags"), QStringLiteral("Door Impassable")));
    for (int bit = 0; bit < 64; ++bit)
        EXPECT_EQ(list->item(bit)->checkState() == Qt::Checked, bit == 29 || bit == 6) << bit;
    EXPECT_EQ(Live(items)[4 + 41], 0x40);

    Show(hues);
    View().setCurrentIndex(Facts().index(5, 0));
    prompts.colors = {QColor(255, 0, 0)};
    Child<QPushButton>(&window, "cmdColor3")->click();
    const std::size_t color = 4 + 5 * 152 + 3 * 2;
    EXPECT_EQ(GetLE16(Live(hues).data() + color), 0x7C00);
    EXPECT_EQ(prompts.colorsShown.value(0), QColor(0, 0, 0));
    EXPECT_EQ(UndoText(), "Undo Change colors of hue 5");
    EXPECT_TRUE(Child<QPushButton>(&window, "cmdColor3")->styleSheet().contains("rgb(248, 0, 0)"));
    EXPECT_EQ(window.Panel()->Picture().pixel(3, 5), qRgb(248, 0, 0));  // the swatches follow
    Child<QPushButton>(&window, "cmdColor4")->click();  // cancelled
    EXPECT_EQ(Doc().UndoStack()->count(), 4);
}

// Rows of statics are added, moved and removed, each one step.
TEST_F(Tables, RowsOfStaticsAreAddedMovedAndRemoved) {
    const BlockId statics{kStatics, 3};
    const Bytes a = {1, 0, 2, 3, 4, 5, 0}, b = {9, 0, 7, 6, 5, 4, 0};
    Bytes block = a;
    block.insert(block.end(), b.begin(), b.end());
    Load(PatchOf({{statics.fileId, statics.blockNumber, block}}));
    Show(statics);
    View().setCurrentIndex(Facts().index(0, 0));
    const auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const Bytes zero(7, 0);
    ExpectUndoable([&] { Click(&window, "cmdAddRow"); }, "Undo Add static 1 to Statics 0x00003");
    EXPECT_EQ(Live(statics), cat({a, zero, b}));
    EXPECT_EQ(View().currentIndex().row(), 1);
    ExpectUndoable([&] { Click(&window, "cmdRowDown"); }, "Undo Move static 1 of Statics 0x00003 down");
    EXPECT_EQ(Live(statics), cat({a, b, zero}));
    EXPECT_EQ(View().currentIndex().row(), 2);
    ExpectUndoable([&] { Click(&window, "cmdRowUp"); }, "Undo Move static 2 of Statics 0x00003 up");
    EXPECT_EQ(Live(statics), cat({a, zero, b}));
    View().setCurrentIndex(Facts().index(0, 0));
    ExpectUndoable([&] { Click(&window, "cmdRemoveRow"); }, "Undo Remove static 0 of Statics 0x00003");
    EXPECT_EQ(Live(statics), cat({zero, b}));
    EXPECT_FALSE(Child<QPushButton>(&window, "cmdRowUp")->isEnabled());
}

// An art block is named from the patch's tiledata group before the client's.
TEST_F(Tables, ArtIsNamedFromThePatchsTiledata) {
    Bytes group(4 + 32 * 37, 0);
    Load(PatchOf({{kTiledata, 512, group}, {kArt, 0x4000 + 5, {1, 2, 3}}}));
    Show({kTiledata, 512});
    EXPECT_TRUE(Facts().setData(Cell(5, "name"), QStringLiteral("anvil")));
    Show({kArt, 0x4005});
    EXPECT_EQ(Label("lblBlockName"), "Item 0x0005 'anvil'");
}
