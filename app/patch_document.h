// The document the editor works on: the patch, the file it came from or was
// saved to, and the history of changes. Everything that changes the patch
// runs through Run, every file it is read from goes through Open, every file
// it is written to through Save.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <string>
#include <vector>

#include "patch/Patch.h"
#include "patch/block_tree.h"
#include "patch/patch_edit.h"

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
    void Run(const QString& name, PatchEdit edit);
    // Reads a patch project file and starts over with it: "" or the message,
    // and then nothing changes.
    std::string Open(const std::string& path);
    // Writes the patch to `path`: "" and `path` becomes the document's
    // unmodified file, or the message and nothing changes.
    std::string Save(const std::string& path);

signals:
    void BlocksChanged();
    void PathChanged();

private:
    friend class EditCommand;
    void Changed(const std::vector<RemovedMark>& settled);

    Patch patch_;
    std::string path_;
    QUndoStack undo_;
    SettledNumbers settled_;
};
