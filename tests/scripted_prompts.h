// Answers the program's questions from a script and records what it said.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>

#include "app/prompts.h"

// The child widget of that object name; a test failure when there is none.
template <class T>
T* Child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class ScriptedPrompts : public Prompts {
public:
    struct Asked {
        QString kind, title, filter, dir;
        QString hint = {};
    };

    ScriptedPrompts() { SetPrompts(this); }
    ~ScriptedPrompts() override { SetPrompts(nullptr); }

    std::deque<QString> answers;  // paths and input texts, in the order asked
    QStringList messages;         // "title: text"
    std::vector<Asked> asked;

    QString OpenFile(QWidget*, const QString& filter, const QString& title, const QString& dir) override {
        asked.push_back({QStringLiteral("open"), title, filter, dir});
        return Pop(answers, QString());
    }
    QString SaveFile(QWidget*, const QString& filter, const QString& title, const QString& dir,
                     const QString& suffix) override {
        asked.push_back({QStringLiteral("save:") + suffix, title, filter, dir});
        return Pop(answers, QString());
    }
    QString ChooseFolder(QWidget*, const QString& title, const QString& dir, FolderUse use) override {
        asked.push_back({use == FolderUse::kExisting ? QStringLiteral("folder") : QStringLiteral("folder:new"), title, {}, dir});
        return Pop(answers, QString());
    }
    void Message(QWidget*, const QString& text, const QString& title) override {
        messages << title + QStringLiteral(": ") + text;
    }
    // Answers to Confirm, in the order asked; Cancel when none is left. The
    // questions are recorded as "title: text".
    std::deque<bool> confirms;
    QStringList questions, yesButtons;
    bool Confirm(QWidget*, const QString& text, const QString& title, const QString& yes) override {
        questions << title + QStringLiteral(": ") + text;
        yesButtons << yes;
        return Pop(confirms, false);
    }
    // Answers to "save the changes?", in the order asked; Cancel when none is left.
    std::deque<SaveChoice> saveChoices;
    int saveQuestions = 0;
    SaveChoice AskSaveChanges(QWidget*, const QString&, const QString&) override {
        ++saveQuestions;
        return Pop(saveChoices, SaveChoice::Cancel);
    }
    QString Input(QWidget*, const QString& prompt, const QString& title, const QString& text,
                  const QString& hint) override {
        asked.push_back({QStringLiteral("input:") + prompt + QStringLiteral(":") + text, title, {}, {}, hint});
        return Pop(answers, QString());
    }

    // Answers to the colour picker, in the order asked; cancelled when none is left.
    std::deque<QColor> colors;
    QList<QColor> colorsShown;  // the colour each picker started at
    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial, const QString&) override {
        colorsShown << initial;
        if (colors.empty()) return std::nullopt;
        return Pop(colors, QColor());
    }

    // Each modal dialog shown runs the next script instead of waiting for a
    // user; with no script left it is cancelled.
    std::deque<std::function<void(QDialog*)>> dialogs;
    int Exec(QDialog* dialog) override {
        const auto script = Pop(dialogs, {});
        if (script) script(dialog);
        if (!script || dialog->isVisible()) dialog->reject();
        return dialog->result();
    }

private:
    // The next answer of a script; `none` when the script has run out.
    template <class T>
    static T Pop(std::deque<T>& script, T none) {
        if (script.empty()) return none;
        T next = std::move(script.front());
        script.pop_front();
        return next;
    }
};
