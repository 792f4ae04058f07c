// The fixture the window tests share: scripted prompts, a temporary folder,
// empty settings and a main window on an empty patch.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include "app/block_commands.h"
#include "app/block_tree_model.h"
#include "app/main_window.h"
#include "app/patch_document.h"
#include "app/settings.h"
#include "patch/patch_file.h"
#include "scripted_prompts.h"
#include "test_support.h"

struct EmptySettings {
    EmptySettings() { OpenSettingsStore()->remove(QString()); }
};

// Failures show texts, not the bytes of a QString.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline void Click(QWidget* w, const char* name) { Child<QPushButton>(w, name)->click(); }
inline void SetText(QWidget* w, const char* name, const QString& text) { Child<QLineEdit>(w, name)->setText(text); }

class GuiTest : public ::testing::Test {
protected:
    PatchDocument& Doc() { return window.Document(); }
    BlockTreeModel& Model() { return *window.Model(); }
    // Starts the window on `patch`, as Open does.
    void Load(Patch patch) { Doc().Reset(std::move(patch), ""); }
    // An undoable change: Art block `n` added.
    void Modify(std::int32_t n = 1) {
        PatchEdit edit;
        edit.added.Append(4, n, {1, 2, 3}, 0, 0);
        Doc().Run(QStringLiteral("Import"), std::move(edit));
    }
    void Select(BlockId id) { ASSERT_TRUE(window.Select(id)) << int(id.fileId) << "/" << id.blockNumber; }
    QAction* Action(const char* name) {
        QAction* a = window.findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    void Trigger(const char* name) { Action(name)->trigger(); }
    // Triggers the action with these answers to its prompts, in order.
    void Trigger(const char* name, std::deque<QString> answers) {
        prompts.answers = std::move(answers);
        Trigger(name);
    }
    QString Text(BlockId id) { return Model().IndexOf(id).data().toString(); }
    QString Label(const char* name) { return Child<QLabel>(&window, name)->text(); }
    int Children(std::uint8_t fileId) { return Model().rowCount(Model().IndexOf({fileId, -1})); }
    // The path of `name` in the temporary folder, as the prompts answer it.
    QString File(const std::string& name) { return QString::fromStdString(dir / name); }
    std::string WritePatch(const std::string& name, const Patch& p) {
        EXPECT_TRUE(Ok(WritePatchFile(dir / name, p)));
        return dir / name;
    }
    // The texts of the children of a node, in tree order.
    QStringList ChildTexts(const QModelIndex& parent) {
        QStringList texts;
        for (int r = 0; r < Model().rowCount(parent); ++r) texts << Model().index(r, 0, parent).data().toString();
        return texts;
    }
    // The context menu of the current node: captions, "-" for separators.
    QStringList Menu() {
        auto* menu = window.findChild<QMenu*>(QStringLiteral("mnuPopup"));
        QStringList entries;
        if (!window.Commands()->PrepareMenu(menu)) return entries;
        for (QAction* a : menu->actions())
            entries << (a->isSeparator() ? QStringLiteral("-") : a->text().remove(QLatin1Char('&')));
        return entries;
    }
    // What Save would write now.
    std::vector<std::uint8_t> SavedBytes() { return ReadFileBytes(WritePatch("snapshot.uop", Doc().patch())); }
    // Runs a command and checks that undo restores the saved bytes from before
    // and redo those from after it.
    template <class Fn>
    void ExpectUndoable(Fn&& command, const QString& undoText) {
        const auto before = SavedBytes();
        const int steps = Doc().UndoStack()->count();
        command();
        ASSERT_EQ(Doc().UndoStack()->count(), steps + 1) << undoText.toStdString();
        EXPECT_EQ(Action("actUndo")->text().remove(QLatin1Char('&')), undoText);
        EXPECT_TRUE(window.isWindowModified());
        const auto after = SavedBytes();
        EXPECT_NE(after, before);
        Trigger("actUndo");
        EXPECT_EQ(SavedBytes(), before) << undoText.toStdString();
        Trigger("actRedo");
        EXPECT_EQ(SavedBytes(), after) << undoText.toStdString();
    }

    EmptySettings emptySettings;
    ScriptedPrompts prompts;
    TempDir dir;
    MainWindow window;
};
