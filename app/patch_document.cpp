#include "app/patch_document.h"

#include <QAction>
#include <memory>
#include <new>

#include "app/out_of_memory.h"
#include "gamefiles/forms/package.h"

class EditCommand : public QUndoCommand {
public:
    EditCommand(PatchDocument& document, const QString& name, PatchEdit edit)
        : QUndoCommand(name), document_(document), edit_(std::move(edit)) {}

    // The first time, outside the stack, so that running out of memory
    // leaves no step behind.
    void ApplyFirst() {
        edit_.Apply(document_.patch_);
        applied_ = true;
    }
    void redo() override {
        if (applied_) applied_ = false;  // the stack's own first redo: ApplyFirst did it
        else edit_.Apply(document_.patch_);
        document_.Changed(edit_.SettleMarks());
    }
    void undo() override {
        edit_.Revert(document_.patch_);
        document_.Changed({});
    }

private:
    PatchDocument& document_;
    PatchEdit edit_;
    bool applied_ = false;
};

PatchDocument::PatchDocument(QObject* parent) : QObject(parent) {}

template <class Fn>
bool PatchDocument::Guarded(const QString& title, Fn&& step) {
    try {
        step();
        return true;
    } catch (const std::bad_alloc&) {
        emit Failed(title, OutOfMemoryText());
        return false;
    }
}

void PatchDocument::Changed(const std::vector<RemovedMark>& settled) {
    // The patch has changed already and the history must follow it: running
    // out of memory from here on costs only what the window shows.
    try {
        for (auto& numbers : settled_) numbers.clear();
        for (const RemovedMark& m : settled) settled_[m.fileId].insert(m.blockNumber);
        emit BlocksChanged();
    } catch (const std::bad_alloc&) {
        for (auto& numbers : settled_) numbers.clear();
        emit Failed(QStringLiteral("Palindra"),
                    QStringLiteral("There is not enough memory to show the change. The patch holds it."));
    }
}

void PatchDocument::Reset(Patch patch, std::string path) {
    // Settled before anything of the document changes, which may run out of memory.
    const std::vector<RemovedMark> marks = SettleDuplicates(patch);
    undo_.clear();
    undo_.setClean();  // a patch recovered before was never clean
    patch_ = std::move(patch);
    path_ = std::move(path);
    stamp_ = {};
    emit PathChanged();
    Changed(marks);
}

bool PatchDocument::Run(const QString& name, PatchEdit edit) {
    if (edit.Empty()) return true;
    std::unique_ptr<EditCommand> command;
    if (!Guarded(name, [&] {
            command = std::make_unique<EditCommand>(*this, name, std::move(edit));
            command->ApplyFirst();
        }))
        return false;
    undo_.push(command.release());
    return true;
}

bool PatchDocument::Undo() {
    // A step that runs out of memory changes nothing and throws before the
    // stack moves, so the history stays in step with the patch.
    const QString name = undo_.undoText();
    if (!undo_.canUndo() || !Guarded(QStringLiteral("Undo"), [this] { undo_.undo(); })) return false;
    emit Stepped(true, name);
    return true;
}

bool PatchDocument::Redo() {
    const QString name = undo_.redoText();
    if (!undo_.canRedo() || !Guarded(QStringLiteral("Redo"), [this] { undo_.redo(); })) return false;
    emit Stepped(false, name);
    return true;
}

QAction* PatchDocument::CreateUndoAction(QObject* parent) {
    QAction* action = undo_.createUndoAction(parent, QStringLiteral("&Undo"));
    disconnect(action, &QAction::triggered, &undo_, nullptr);
    connect(action, &QAction::triggered, this, &PatchDocument::Undo);
    return action;
}

QAction* PatchDocument::CreateRedoAction(QObject* parent) {
    QAction* action = undo_.createRedoAction(parent, QStringLiteral("&Redo"));
    disconnect(action, &QAction::triggered, &undo_, nullptr);
    connect(action, &QAction::triggered, this, &PatchDocument::Redo);
    return action;
}

Status PatchDocument::Open(const std::string& path) {
    if (IsPackageFile(path)) return Error("'" + path + "' is a game data package, not a patch project file.");
    try {
        // Taken before the read: a change while reading shows at the next save.
        const FileStamp stamp = StampOf(path);
        Patch fresh;
        if (Status read = ReadPatchFile(path, fresh); !read) return read;
        Reset(std::move(fresh), path);
        stamp_ = stamp;
    } catch (const std::bad_alloc&) {
        return Error("There is not enough memory to open '" + path + "'. The patch was left as it was.",
                     ErrorCode::kOutOfMemory);
    }
    return {};
}

Status PatchDocument::Save(const std::string& path, const std::function<void()>& waiting, bool overwriteChanges) {
    PatchLock lock;
    if (Status locked = lock.Acquire(path, lockPatience_, waiting); !locked) return locked;
    if (path == path_ && !overwriteChanges) {
        const FileStamp now = StampOf(path);
        if (now.exists && !(now == stamp_))
            return Error("'" + path + "' was changed on disk since it was opened or saved here.",
                         ErrorCode::kChangedOnDisk);
    }
    try {
        if (Status written = WritePatchFile(path, patch_); !written) return written;
    } catch (const std::bad_alloc&) {
        return Error("There is not enough memory to save '" + path + "'. The file was left as it was.",
                     ErrorCode::kOutOfMemory);
    }
    stamp_ = StampOf(path);
    path_ = path;
    undo_.setClean();
    emit PathChanged();
    return {};
}

Result<Recovery> PatchDocument::Recover(const std::string& path) {
    try {
        Result<Recovery> recovered = RecoverPatchFile(path);
        if (!recovered) return recovered;
        Reset(std::move(recovered->patch), "");
        // A new patch that holds what was saved nowhere yet.
        undo_.resetClean();
        return recovered;
    } catch (const std::bad_alloc&) {
        return Error("There is not enough memory to recover '" + path + "'. The patch was left as it was.",
                     ErrorCode::kOutOfMemory);
    }
}
