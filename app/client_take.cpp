#include "app/client_take.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <unordered_set>

#include "app/patch_document.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "codecs/file_ids.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/forms/whole_files.h"
#include "images/block_files.h"
#include "patch/block_tree.h"
#include "patch/file_types.h"

namespace {
QString NameOf(std::uint8_t fileId, std::int32_t n) {
    return QString::fromStdString(TypeNameAtStart(fileId) + " " + BlockNodeText(fileId, n, false));
}
}  // namespace

QString AddClientBlocks(QWidget* owner, PatchDocument& document, ClientBlocks& reader,
                        const std::vector<std::int32_t>& numbers) {
    const QString title = QStringLiteral("Add to patch");
    const std::uint8_t fileId = reader.FileId();
    std::vector<std::int32_t> wanted = numbers;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    std::unordered_set<std::int32_t> held;
    document.patch().ForEachLive(fileId, [&](const PatchBlock& b) { held.insert(b.number); });

    Patch taken, replacing;
    std::int64_t lacking = 0;
    for (const std::int32_t n : wanted) {
        const ClientBlock block = reader.Block(n);
        if (!block.HasData()) {
            ++lacking;
            continue;
        }
        (held.count(n) ? replacing : taken).Append(fileId, n, BlockBytes::CopyOf(block.bytes), block.flagA, block.flagB);
    }
    if (Status intact = reader.Intact(); !intact) {
        CurrentPrompts().Message(owner, QString::fromStdString(intact.error().message), title);
        return QStringLiteral("Nothing added: the client's files changed while they were read.");
    }
    const std::int64_t asked = replacing[fileId].Count();
    bool replace = false;
    if (asked > 0)
        replace = CurrentPrompts().Confirm(
            owner,
            QStringLiteral("The patch already holds %1 of these. Replace them with the client's? Cancel skips them.")
                .arg(Blocks(asked)),
            title, QStringLiteral("Replace"));
    if (replace) taken.AppendAll(std::move(replacing));
    const std::int64_t added = taken[fileId].Count();
    QString skipped;
    if (asked > 0 && !replace) skipped += QStringLiteral(", skipped %1 the patch holds").arg(Blocks(asked));
    if (lacking > 0) skipped += QStringLiteral(", left out %1 the client has no data for").arg(Blocks(lacking));
    if (added == 0) return QStringLiteral("Nothing added") + skipped;
    PatchEdit edit;
    edit.added = std::move(taken);
    if (!document.Run(title, std::move(edit))) return {};
    return QStringLiteral("Added %1 from the client to %2").arg(Blocks(added), QString::fromStdString(TypeName(fileId))) + skipped;
}

QString ReplaceWithFile(QWidget* owner, PatchDocument& document, ClientBlocks& reader, std::int32_t n,
                        const QString& path) {
    const QString title = QStringLiteral("Replace with file");
    const std::uint8_t fileId = reader.FileId();
    const ClientBlock client = reader.Block(n);
    // The block replaced is the patch's, else the client's: its flags stay, a
    // static keeps its header word, a sound its header, a JSON file fills in
    // what it leaves out from it.
    std::optional<PatchBlock> clients;
    if (client.HasData()) clients = PatchBlock{n, client.flagA, client.flagB, BlockBytes::CopyOf(client.bytes)};
    const PatchBlock* live = document.patch().LiveBlock(fileId, n);
    const PatchBlock* replaced = live ? live : clients ? &*clients : nullptr;
    const std::string file = QFile::encodeName(path).toStdString();
    PatchEdit edit;
    Status done;
    const Result<BlockFileForm> form = BlockFileFormOf(fileId, n, file, false);
    static const QStringList kBlockFileSuffixes = {"png", "bmp", "wav", "flac", "ogg", "json", "dat"};
    if (!form && kBlockFileSuffixes.contains(QFileInfo(path).suffix().toLower())) {
        done = form.error();  // a picture of a hue, say: named, not taken as raw bytes
    } else if (form) {
        const Result<BuiltBlock> built = LoadBlockFile(fileId, n, file, replaced,
                                                       replaced ? std::optional<ByteView>(replaced->bytes) : std::nullopt);
        if (built) edit.added.Append(fileId, n, built->bytes, built->flagA, built->flagB);
        else done = built.error();
    } else {
        // A file of another name holds the block's raw bytes, which carry no flags.
        done = LoadBlockFromDatafile(edit.added, fileId, n, file);
        if (done && replaced && edit.added[fileId].Count() > 0) {
            PatchBlock& block = edit.added[fileId].blocks.back();
            block.flagA = replaced->flagA;
            block.flagB = replaced->flagB;
        }
    }
    if (!done) {
        CurrentPrompts().Message(owner, QString::fromStdString(done.error().message), title);
        return {};
    }
    if (!document.Run(title, std::move(edit))) return {};
    return QStringLiteral("%1 is now %2").arg(NameOf(fileId, n), path);
}
