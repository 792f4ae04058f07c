// Running out of memory fails one command, never the editor. Commands build
// what they add on the side and hand it to the document last, and the
// document applies it whole or not at all, so a command that fails this way
// leaves the patch and its history as they were.
#pragma once

#include <QString>
#include <new>

#include "app/prompts.h"

inline QString OutOfMemoryText() {
    return QStringLiteral("There is not enough memory for this. The patch was left as it was.");
}

// Runs `command`; when memory runs out says so under `title` and returns false.
template <class Fn>
bool RunGuarded(QWidget* owner, const QString& title, Fn&& command) {
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        CurrentPrompts().Message(owner, OutOfMemoryText(), title);
        return false;
    }
}
