// The document the editor works on: the patch, the file it came from or was
// saved to, and the history of changes. Everything that changes the patch
// runs through Run, every file it is read from goes through Open, every file
// it is written to through Save.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "patch/patch.h"
#include "patch/block_tree.h"
#include "patch/patch_edit.h"
#include "patch/patch_file.h"
#include "io/patch_lock.h"

class QAction;

class PatchDocument : public QObject {
    Q_OBJECT
public:
    explicit PatchDocument(QObject* parent = nullptr);

    const Patch& patch() const { return patch_; }
    // The patch project file; "" for a patch never saved.
    const std::string& Path() const { return path_; }
    bool IsModified() const { return !undo_.isClean(); }
    QUndoStack* UndoStack() { return &undo_; }
    // The numbers whose duplicates the latest change settled.
    const SettledNumbers& Settled() const { return settled_; }

    // Starts over with `patch` (New, Open): settles its duplicates and forgets
    // the history; the document is not modified.
    void Reset(Patch patch, std::string path);
    // Makes `edit` one undoable step named `name` (shown as "Undo <name>").
    // When memory runs out it reports Failed and returns false: the patch
    // and the history stay as they were.
    bool Run(const QString& name, PatchEdit edit);
    // The Undo and Redo actions, showing the step's name. Out of memory, a
    // step reports Failed and leaves the patch and the history as they were.
    QAction* CreateUndoAction(QObject* parent);
    QAction* CreateRedoAction(QObject* parent);
    bool Undo();
    bool Redo();
    // Reads a patch project file and starts over with it; on a failure
    // nothing changes.
    Status Open(const std::string& path);
    // Writes the patch to `path` under the patch's lock: `path` becomes the
    // document's unmodified file; on a failure nothing changes. `waiting` is
    // called when another program has held the lock for a second. The
    // document's own file, changed by another program since it was read or
    // written here, is kept (kChangedOnDisk) unless `overwriteChanges`.
    Status Save(const std::string& path, const std::function<void()>& waiting = {}, bool overwriteChanges = false);
    // Starts a new, unsaved patch with the blocks that can be read from a
    // patch whose header counts fewer records than the file holds; the
    // counts come back, the blocks stay with the document.
    Result<Recovery> Recover(const std::string& path);

    // How long Save waits while another program holds the lock.
    void SetLockPatience(std::chrono::milliseconds patience) { lockPatience_ = patience; }

signals:
    void BlocksChanged();
    void PathChanged();
    // Undo (`undone`) or Redo took back or did again the step of that name.
    void Stepped(bool undone, const QString& name);
    // A step could not be done, under the step's name; the window tells the user.
    void Failed(const QString& title, const QString& text);

private:
    friend class EditCommand;
    void Changed(const std::vector<RemovedMark>& settled);
    // Runs `step`; out of memory reports Failed under `title` and returns false.
    template <class Fn>
    bool Guarded(const QString& title, Fn&& step);

    Patch patch_;
    std::string path_;
    // The file as it was when read or written last.
    FileStamp stamp_;
    std::chrono::milliseconds lockPatience_ = std::chrono::seconds(10);
    QUndoStack undo_;
    SettledNumbers settled_;
};
