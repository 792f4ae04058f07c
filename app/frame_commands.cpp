// The block commands on an animation's frames as a folder of pictures, in
// the folder layout the command line uses.
#include <limits>

#include "app/block_commands.h"
#include "app/file_dialogs.h"
#include "app/patch_document.h"
#include "app/prompts.h"
#include "codecs/anim_frames.h"
#include "images/frame_files.h"
#include "io/counted.h"
#include "patch/file_types.h"

void BlockCommands::SaveFramesAsPng() {
    if (!current_ || !current_->IsBlock() || current_->fileId != kAnim) return;
    const BlockId id = *current_;
    const QString title = QStringLiteral("Save frames as PNG");
    const PatchBlock* block = document_.patch().LiveBlock(id.fileId, id.blockNumber);
    if (!block) return;
    const AnimDecoding decoding = DecodeAnimationFrames(block->bytes);
    if (decoding.Undecodable()) {
        Done(Error(NameOf(id).toStdString() + " does not decode: " + DamageText(decoding)), title);
        return;
    }
    const QString folder = ShowFolderDialog(window_, QStringLiteral("Select a new or empty folder for the frames"),
                                            Folder::Pictures, FolderUse::kNewOrExisting);
    if (folder.isEmpty() || !Done(SaveFrameFolder(folder.toStdString(), decoding), title)) return;
    std::int64_t outside = 0;
    for (const AnimFrame& frame : decoding.animation.frames) outside += frame.cellsOutside;
    const auto frames = static_cast<std::int64_t>(decoding.animation.frames.size());
    const auto leftOut = static_cast<std::int64_t>(decoding.count) - frames;
    emit Reported(QStringLiteral("Saved %1 of %2 to %3")
                      .arg(QString::fromStdString(Counted(frames, "frame")), NameOf(id), folder) +
                  (outside == 0 ? QString()
                                : QStringLiteral("; %1 outside their frames left out")
                                      .arg(QString::fromStdString(Counted(outside, "pixel")))) +
                  (leftOut == 0 ? QString()
                                : QStringLiteral("; %1 that %2 not decode left out")
                                      .arg(QString::fromStdString(Counted(leftOut, "frame")),
                                           QString::fromStdString(std::string(ForCount(leftOut, "does", "do"))))));
}

void BlockCommands::LoadFramesFromPng() {
    if (!current_ || current_->fileId != kAnim) return;
    const QString title = QStringLiteral("Load frames from PNG");
    const std::optional<std::int32_t> n =
        current_->IsBlock() ? std::optional(current_->blockNumber)
                            : AskNumber(title, QStringLiteral("Illegal blocknumber!"), title,
                                        std::numeric_limits<std::int32_t>::max());
    if (!n) return;
    const QString folder =
        ShowFolderDialog(window_, QStringLiteral("Select the folder of the frame pictures"), Folder::Pictures);
    if (folder.isEmpty()) return;
    const Result<FramesBuilt> built = BuildFromFrameFolder(folder.toStdString());
    if (!built) {
        Done(built.error(), title);
        return;
    }
    // The block built anew keeps the flags of the one it replaces.
    const PatchBlock* old = document_.patch().LiveBlock(kAnim, *n);
    PatchEdit edit;
    edit.added.Append(kAnim, *n, built->block, old ? old->flagA : 0, old ? old->flagB : 0);
    if (!document_.Run(QStringLiteral("Load frames from PNG"), std::move(edit))) return;
    emit Reported(QStringLiteral("%1 now holds %2 (%3), its palette %4")
                      .arg(NameOf({kAnim, *n}),
                           QString::fromStdString(Counted(static_cast<std::int64_t>(built->frames), "frame")),
                           QString::fromStdString(Counted(static_cast<std::int64_t>(built->block.size()), "byte")),
                           built->paletteFromJson ? QStringLiteral("from frames.json")
                                                  : QStringLiteral("made of the pictures' colours")));
}
