#include "app/patch_document.h"

#include "patch/binary_io.h"
#include "patch/patch_file.h"

namespace {
// A game data package starts with these bytes; users mistake it for a patch.
bool IsGamePackage(const std::string& path) {
    InputFile file;
    if (!file.Open(path).empty()) return false;
    std::uint8_t head[4] = {};
    return file.ReadAt(0, head) == 4 && head[0] == 'M' && head[1] == 'Y' && head[2] == 'P' && head[3] == 0;
}
}  // namespace

class EditCommand : public QUndoCommand {
public:
    EditCommand(PatchDocument& document, const QString& name, PatchEdit edit)
        : QUndoCommand(name), document_(document), edit_(std::move(edit)) {}

    void redo() override {
        edit_.Apply(document_.patch_);
        document_.Changed(edit_.SettleMarks());
    }
    void undo() override {
        edit_.Revert(document_.patch_);
        document_.Changed({});
    }

private:
    PatchDocument& document_;
    PatchEdit edit_;
};

PatchDocument::PatchDocument(QObject* parent) : QObject(parent) {}

void PatchDocument::Changed(const std::vector<RemovedMark>& settled) {
    for (auto& numbers : settled_) numbers.clear();
    for (const RemovedMark& m : settled) settled_[m.fileId].insert(m.blockNumber);
    emit BlocksChanged();
}

void PatchDocument::Reset(Patch patch, std::string path) {
    undo_.clear();
    patch_ = std::move(patch);
    path_ = std::move(path);
    const std::vector<RemovedMark> marks = SettleDuplicates(patch_);
    emit PathChanged();
    Changed(marks);
}

void PatchDocument::Run(const QString& name, PatchEdit edit) {
    if (edit.Empty()) return;
    undo_.push(new EditCommand(*this, name, std::move(edit)));
}

std::string PatchDocument::Open(const std::string& path) {
    if (IsGamePackage(path)) return "'" + path + "' is a game data package, not a patch project file.";
    Patch fresh;
    std::string error = ReadPatchFile(path, fresh, true, 0, 255, 0, kMaxBlockNumber);
    if (!error.empty()) return error;
    Reset(std::move(fresh), path);
    return "";
}

std::string PatchDocument::Save(const std::string& path) {
    std::string error = WritePatchFile(path, patch_);
    if (!error.empty()) return error;
    path_ = path;
    undo_.setClean();
    emit PathChanged();
    return "";
}
