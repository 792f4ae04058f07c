#include "app/client_take.h"

#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <unordered_set>

#include "app/patch_document.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "codecs/block_pictures.h"
#include "codecs/file_ids.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/forms/whole_files.h"
#include "images/bitmap.h"
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
    const std::optional<Bytes> clientBytes =
        client.HasData() ? std::optional(Bytes(client.bytes.begin(), client.bytes.end())) : std::nullopt;
    const std::int16_t flagA = client.flagA, flagB = client.flagB;
    const QString suffix = QFileInfo(path).suffix().toLower();
    PatchEdit edit;
    Status done;
    if (suffix == QLatin1String("png") || suffix == QLatin1String("bmp")) {
        if (fileId == kGumps) {
            const Result<QImage> picture = LoadPicture(path);
            done = picture ? ImportGumpFromBmp(edit.added, n, *picture) : Status(picture.error());
        } else if (const std::optional<PictureKind> kind = PictureKindOf(fileId, n)) {
            const Result<RgbaPicture> picture = LoadBlockPicture(path.toStdString(), *kind);
            const Result<Bytes> block = picture ? PictureToBlock(*kind, *picture, clientBytes ? std::optional<ByteView>(*clientBytes) : std::nullopt)
                                                : Result<Bytes>(picture.error());
            if (block) edit.added.Append(fileId, n, *block, flagA, flagB);
            else done = block.error();
        } else {
            done = Error("A picture cannot become a block of " + TypeWord(fileId) + "; choose a file of the block's raw bytes.");
        }
    } else {
        done = LoadBlockFromDatafile(edit.added, fileId, n, path.toStdString());
        // Raw bytes carry no flags: the block keeps the client's.
        if (done && clientBytes && edit.added[fileId].Count() > 0) {
            PatchBlock& block = edit.added[fileId].blocks.back();
            block.flagA = flagA;
            block.flagB = flagB;
        }
    }
    if (!done) {
        CurrentPrompts().Message(owner, QString::fromStdString(done.error().message), title);
        return {};
    }
    if (!document.Run(title, std::move(edit))) return {};
    return QStringLiteral("%1 is now %2").arg(NameOf(fileId, n), path);
}
