#include "app/block_commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <QMenu>
#include <QWidget>

#include "app/info_panel.h"
#include "app/add_file_dialog.h"
#include "app/flags_dialog.h"
#include "app/compare_dialog.h"
#include "app/wait_window.h"
#include "app/file_dialogs.h"
#include "app/out_of_memory.h"
#include "app/patch_document.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "images/bitmap.h"
#include "images/block_files.h"
#include "gamefiles/import.h"
#include "codecs/wav.h"
#include "gamefiles/forms/whole_files.h"
#include "patch/block_tree.h"
#include "patch/file_types.h"
#include "io/save_file.h"
#include "io/counted.h"
#include "patch/user_numbers.h"

namespace {
const QString kDatafileFilter = QStringLiteral("Datafile (*.dat) |*.dat");
const QString kBitmapFilter =
    QStringLiteral("Pictures (*.bmp *.png) |*.bmp;*.png|Windows bitmap (*.bmp) |*.bmp|PNG picture (*.png) |*.png");
const QString kSoundFilter = QStringLiteral(
    "Sounds (*.wav *.flac *.ogg) |*.wav;*.flac;*.ogg|WAV sound (*.wav) |*.wav|FLAC sound (*.flac) |*.flac|"
    "Ogg Vorbis sound (*.ogg) |*.ogg");

// Art tiles and textures go to and from pictures as gumps do, by their own road.
bool IsTileOrTexture(std::uint8_t fileId) { return fileId == kArt || fileId == kTexmaps; }
}  // namespace

BlockCommands::BlockCommands(QWidget* window, PatchDocument& document, InfoPanel* panel)
    : QObject(window), window_(window), document_(document), panel_(panel) {
    struct Command {
        QAction* BlockCommands::*action;
        const char *name, *caption, *key;  // the key's text; nullptr for the platform's Delete
        void (BlockCommands::*run)();
    };
    static constexpr Command kCommands[] = {
        {&BlockCommands::remove_, "actRemove", "&Remove", nullptr, &BlockCommands::Remove},
        {&BlockCommands::saveToFile_, "actSaveToFile", "Save to &File", "Ctrl+Shift+D", &BlockCommands::SaveToFile},
        {&BlockCommands::loadFromDatafile_, "actLoadFromDatafile", "Load from &Datafile", "Ctrl+D",
         &BlockCommands::LoadFromDatafile},
        {&BlockCommands::saveToBmp_, "actSaveToBmp", "Save to &Bmp", "Ctrl+Shift+B", &BlockCommands::SaveToBmp},
        {&BlockCommands::loadFromBmp_, "actLoadFromBMP", "&Load from BMP", "Ctrl+B", &BlockCommands::LoadFromBmp},
        {&BlockCommands::addFromCompare_, "actAddFromCompare", "Add from &compare", "Ctrl+K",
         &BlockCommands::AddFromCompare},
        {&BlockCommands::addFile_, "actAddFile", "&Add file", "Ctrl+Shift+A", &BlockCommands::AddFile},
        {&BlockCommands::changeFlags_, "actChangeFlags", "Chan&ge Flags", "Ctrl+G", &BlockCommands::ChangeFlags},
        {&BlockCommands::saveAsWav_, "actSaveAsWAV", "Save as &WAV", "Ctrl+Shift+W", &BlockCommands::SaveAsWav},
        {&BlockCommands::loadFromWav_, "actLoadFromWAV", "Load from WA&V", "Ctrl+Alt+W", &BlockCommands::LoadFromWav},
        {&BlockCommands::saveFrames_, "actSaveFramesAsPNG", "Save frames as &PNG...", "Ctrl+Shift+M",
         &BlockCommands::SaveFramesAsPng},
        {&BlockCommands::loadFrames_, "actLoadFramesFromPNG", "Load frames fr&om PNG...", "Ctrl+M",
         &BlockCommands::LoadFramesFromPng},
    };
    for (const Command& c : kCommands)
        this->*c.action = Make(c.name, QString::fromLatin1(c.caption),
                               c.key ? QKeySequence(QString::fromLatin1(c.key)) : QKeySequence(QKeySequence::Delete),
                               c.run);
    // Delete belongs to the tree: in a text box it deletes text.
    remove_->setShortcutContext(Qt::WidgetShortcut);
    SetCurrent(std::nullopt);
}

QAction* BlockCommands::Make(const char* name, const QString& caption, const QKeySequence& key,
                             void (BlockCommands::*run)()) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(key);
    connect(a, &QAction::triggered, this,
            [this, run, title = QString(caption).remove(QLatin1Char('&'))] {
                RunGuarded(window_, title, [&] { (this->*run)(); });
            });
    actions_.append(a);
    return a;
}

void BlockCommands::SetCurrent(std::optional<BlockId> id) {
    current_ = id;
    const bool block = id && id->IsBlock();
    const bool fileType = id && !id->IsBlock();
    const std::uint8_t f = id ? id->fileId : 0;
    remove_->setEnabled(block);
    saveToFile_->setEnabled(block);
    changeFlags_->setEnabled(block);
    saveToBmp_->setEnabled(block && (f == kGumps || IsTileOrTexture(f)));
    saveAsWav_->setEnabled(block && f == kSound);
    saveFrames_->setEnabled(block && f == kAnim);
    loadFrames_->setEnabled(id && f == kAnim);
    loadFromDatafile_->setEnabled(id && IsDataFileType(f));
    addFromCompare_->setEnabled(fileType && IsDataFileType(f));
    loadFromBmp_->setEnabled(id && (f == kGumps || IsTileOrTexture(f)));
    loadFromWav_->setEnabled(id && f == kSound);
    addFile_->setEnabled(fileType && f == kFiles);
}

bool BlockCommands::PrepareMenu(QMenu* menu) const {
    menu->clear();
    if (!current_) return false;
    if (current_->IsBlock()) {
        menu->addAction(remove_);
        menu->addSeparator();
    }
    for (QAction* a : {saveToFile_, saveToBmp_, saveFrames_, saveAsWav_, changeFlags_, loadFromDatafile_, addFile_,
                       loadFromBmp_, loadFromWav_, loadFrames_, addFromCompare_})
        if (a->isEnabled()) menu->addAction(a);
    return true;
}

bool BlockCommands::Done(const Status& done, const QString& title) const {
    if (!done) CurrentPrompts().Message(window_, QString::fromStdString(done.error().message), title);
    return done.has_value();
}

void BlockCommands::KeepFlags(Patch& added, std::uint8_t fileId) const {
    for (PatchBlock& b : added[fileId].blocks)
        if (const PatchBlock* old = document_.patch().LiveBlock(fileId, b.number)) {
            b.flagA = old->flagA;
            b.flagB = old->flagB;
        }
}

QString BlockCommands::NameOf(BlockId id) {
    return QString::fromStdString(FileTypes()[id.fileId].name + " " + BlockNodeText(id.fileId, id.blockNumber, false));
}

std::optional<std::int32_t> BlockCommands::AskNumber(const QString& title, const QString& illegal,
                                                     const QString& illegalTitle, std::int32_t highest) {
    for (QString typed;;) {
        typed = CurrentPrompts().Input(
            window_, QStringLiteral("Select block number"), title, typed,
            QStringLiteral("From 0 to %1, in decimal or in hexadecimal after 0x or &H.").arg(highest));
        if (typed.isEmpty()) return std::nullopt;
        if (const auto n = ParseEditorNumber(typed.toStdString(), 0, highest)) return static_cast<std::int32_t>(*n);
        CurrentPrompts().Message(window_, illegal, illegalTitle);
    }
}

void BlockCommands::Remove() {
    if (!current_ || !current_->IsBlock()) return;
    const BlockId id = *current_;
    const auto slot = document_.patch().FindLiveBlock(id.fileId, id.blockNumber);
    if (!slot) return;
    PatchEdit edit;
    edit.removals.push_back({id.fileId, static_cast<std::int32_t>(*slot), id.blockNumber});
    if (document_.Run(QStringLiteral("Remove"), std::move(edit))) emit Reported(QStringLiteral("Removed %1").arg(NameOf(id)));
}

void BlockCommands::SaveToFile() {
    if (!current_ || !current_->IsBlock()) return;
    const PatchBlock* block = document_.patch().LiveBlock(current_->fileId, current_->blockNumber);
    if (!block) return;
    if (block->Length() <= 0 || block->bytes.empty()) {
        CurrentPrompts().Message(window_, QStringLiteral("That block is empty."), QStringLiteral("Save block"));
        return;
    }
    // The patch cannot change while the dialog is open, but the data is
    // taken after it, so that nothing holds on to a slot across it.
    const QString name = QStringLiteral("%1-0x%2.dat")
                             .arg(QString::fromStdString(FileTypes()[current_->fileId].name).toLower())
                             .arg(current_->blockNumber, 4, 16, QLatin1Char('0'));
    const QString chosen = ShowSaveDialog(window_, kDatafileFilter, QStringLiteral("Select data to save to"),
                                          Folder::RawBlocks, QStringLiteral("dat"), name);
    if (chosen.isEmpty()) return;
    block = document_.patch().LiveBlock(current_->fileId, current_->blockNumber);
    if (!block) return;
    const QString path = EnsureExtension(chosen, QStringLiteral("dat"));
    if (Done(WriteBeside(path.toStdString(), block->bytes), QStringLiteral("Save block")))
        emit Reported(QStringLiteral("Saved %1 to %2").arg(NameOf(*current_), path));
}

void BlockCommands::LoadFromDatafile() {
    if (!current_ || !IsDataFileType(current_->fileId)) return;
    const std::uint8_t fileId = current_->fileId;
    // On a block it replaces that block.
    const std::optional<std::int32_t> n =
        current_->IsBlock() ? std::optional(current_->blockNumber)
                            : AskNumber(QStringLiteral("Import from datafile"), QStringLiteral("Illegal blocknumber!"),
                                        QStringLiteral("Import block from datafile"));
    if (!n) return;
    const QString path =
        ShowOpenDialog(window_, kDatafileFilter, QStringLiteral("Select datafile to import"), Folder::RawBlocks);
    if (path.isEmpty()) return;
    PatchEdit edit;
    if (!Done(LoadBlockFromDatafile(edit.added, fileId, *n, path.toStdString()),
              QStringLiteral("Import block from datafile")))
        return;
    KeepFlags(edit.added, fileId);
    if (document_.Run(QStringLiteral("Load from Datafile"), std::move(edit)))
        emit Reported(QStringLiteral("Loaded %1 from %2").arg(NameOf({fileId, *n}), path));
}

void BlockCommands::SaveToBmp() {
    if (!current_ || !current_->IsBlock() || (current_->fileId != kGumps && !IsTileOrTexture(current_->fileId))) return;
    const bool gump = current_->fileId == kGumps;
    const QString name = gump ? QStringLiteral("gump") : QString::fromStdString(FileTypes()[current_->fileId].name).toLower();
    QString path = ShowSaveDialog(window_, kBitmapFilter, QStringLiteral("Select windows bitmap to save to"),
                                  Folder::Pictures, QStringLiteral("bmp"),
                                  QStringLiteral("%1-0x%2.bmp").arg(name).arg(current_->blockNumber, 4, 16, QLatin1Char('0')));
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path = EnsureExtension(path, QStringLiteral("bmp"));
    const std::string target = QFile::encodeName(path).toStdString();
    Status saved = RefuseOverwriting(target, document_.Path(), "the patch");
    Notes notes;
    if (gump) {
        if (saved && panel_->Picture().isNull()) saved = Error("The gump has no picture to save.");
        if (saved) saved = SavePicture(panel_->Picture(), path);
    } else if (saved) {
        const PatchBlock* block = document_.patch().LiveBlock(current_->fileId, current_->blockNumber);
        if (!block) return;
        const Result<BlockFileReport> report = SaveBlockFile(current_->fileId, current_->blockNumber, *block, target);
        if (report) notes = report->notes;
        else saved = report.error();
    }
    if (!Done(saved, QStringLiteral("Save to Bmp"))) return;
    emit Reported(QStringLiteral("Saved the picture of %1 to %2").arg(NameOf(*current_), path));
    SayNotes(notes, QStringLiteral("Save to Bmp"));
}

void BlockCommands::LoadFromBmp() {
    if (!current_) return;
    if (current_->fileId == kGumps) LoadGumpPicture(QString(), *current_);
    else if (IsTileOrTexture(current_->fileId)) LoadBlockFile(*current_);
}

void BlockCommands::LoadFromWav() {
    if (current_ && current_->fileId == kSound) LoadBlockFile(*current_);
}

void BlockCommands::LoadBlockFile(BlockId target, const QString& dropped) {
    const std::uint8_t fileId = target.fileId;
    const bool sound = fileId == kSound;
    if (!sound && !IsTileOrTexture(fileId)) return;
    const QString title = sound              ? QStringLiteral("Import Sound from WAV")
                          : fileId == kArt   ? QStringLiteral("Import Art from Bmp")
                                             : QStringLiteral("Import Texture from Bmp");
    const std::int32_t highest = FileTypes()[fileId].highestBlock;
    const QString blocks = sound ? QStringLiteral("sounds") : fileId == kArt ? QStringLiteral("art") : QStringLiteral("textures");
    const std::optional<std::int32_t> n =
        target.IsBlock() ? std::optional(target.blockNumber)
                         : AskNumber(title, QStringLiteral("Block numbers of %1 go from 0 to %2.").arg(blocks).arg(highest),
                                     title, highest);
    if (!n) return;
    const QString path =
        !dropped.isEmpty() ? dropped
        : sound ? ShowOpenDialog(window_, kSoundFilter, QStringLiteral("Select sound to import"), Folder::RawBlocks)
                : ShowOpenDialog(window_, kBitmapFilter, QStringLiteral("Select picture to import"), Folder::Pictures);
    if (path.isEmpty()) return;
    const Result<BuiltBlock> built = ::LoadBlockFile(fileId, *n, QFile::encodeName(path).toStdString(),
                                                     document_.patch().LiveBlock(fileId, *n), std::nullopt);
    if (!Done(built ? Status() : Status(built.error()), title)) return;
    PatchEdit edit;
    edit.added.Append(fileId, *n, built->bytes, built->flagA, built->flagB);
    if (!document_.Run(sound ? QStringLiteral("Load from WAV") : QStringLiteral("Load from BMP"), std::move(edit))) return;
    const QString converted =
        built->report.converted.empty() ? QString() : QStringLiteral(" (%1)").arg(QString::fromStdString(built->report.converted));
    emit Reported(QStringLiteral("%1 is now the %2 %3%4")
                      .arg(NameOf({fileId, *n}), sound ? QStringLiteral("sound") : QStringLiteral("picture"), path, converted));
    SayNotes(built->report.notes, title);
}

void BlockCommands::SayNotes(const Notes& notes, const QString& title) const {
    if (notes.empty()) return;
    QString text;
    for (const std::string& note : notes) text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(note);
    CurrentPrompts().Message(window_, text, title);
}

void BlockCommands::LoadGumpPicture(const QString& dropped, BlockId target) {
    if (target.fileId != kGumps) return;
    const QString title = QStringLiteral("Import Gump from Bmp");
    const std::optional<std::int32_t> n =
        target.IsBlock() ? std::optional(target.blockNumber)
                         : AskNumber(title, QStringLiteral("Illegal blocknumber! Gump blocks goes from 0 to 65535."), title);
    if (!n) return;
    const QString path = !dropped.isEmpty() ? dropped
                                            : ShowOpenDialog(window_, kBitmapFilter,
                                                             QStringLiteral("Select windows bitmap to import"), Folder::Pictures);
    if (path.isEmpty()) return;
    const Result<QImage> picture = LoadPicture(path);
    PatchEdit edit;
    if (!Done(picture ? ImportGumpFromBmp(edit.added, *n, *picture) : Status(picture.error()), title)) return;
    if (document_.Run(QStringLiteral("Load from BMP"), std::move(edit)))
        emit Reported(QStringLiteral("%1 is now the picture %2").arg(NameOf({kGumps, *n}), path));
}

void BlockCommands::AddFromCompare() {
    if (!current_ || current_->IsBlock() || !IsDataFileType(current_->fileId)) return;
    const std::uint8_t fileId = current_->fileId;
    CompareChoice choice;
    {
        CompareDialog dialog(window_, fileId);
        if (CurrentPrompts().Exec(&dialog) != QDialog::Accepted) return;
        choice = dialog.Choice();
    }
    PatchEdit edit;
    const Result<ImportReport> report = [&] {
        WaitScope wait(window_, QStringLiteral("Comparing muls. Please wait."), QStringLiteral("Comparing"));
        return CompareBlocks(edit.added, fileId, choice.base, choice.altered, {}, wait.Cancellable());
    }();
    if (!report && report.error().code == ErrorCode::kCancelled) {
        emit Reported(QString::fromStdString(report.error().message));
        return;
    }
    if (!report) {
        Done(report.error(), QStringLiteral("Compare"));
        return;
    }
    const QString into = QString::fromStdString(FileTypes()[fileId].name);
    if (!document_.Run(QStringLiteral("Add from compare"), std::move(edit))) return;
    const std::int64_t added = report->added;
    emit Reported((added == 1 ? QStringLiteral("1 block differs: added to %1")
                              : QStringLiteral("%1 blocks differ: added to %2").arg(added))
                      .arg(into) +
                  LeftOut(*report));
    if (const QString more = LeftOutLines(*report); !more.isEmpty())
        CurrentPrompts().Message(window_,
                                 QStringLiteral("Added %1 that %2.\n").arg(Blocks(added), added == 1 ? "differs" : "differ") +
                                     more,
                                 QStringLiteral("Compare"));
}

void BlockCommands::AddFile() {
    if (!current_ || current_->IsBlock() || current_->fileId != kFiles) return;
    PatchEdit edit;
    {
        AddFileDialog dialog(window_);
        if (CurrentPrompts().Exec(&dialog) != QDialog::Accepted) return;
        edit.added = std::move(dialog.Added());
    }
    KeepFlags(edit.added, kFiles);
    QString added;
    for (const PatchBlock& b : edit.added[kFiles].blocks) {
        added = QStringLiteral("Added %1 (%2)")
                    .arg(QString::fromStdString(WholeFileText(b.number)),
                         QString::fromStdString(Counted(b.Length(), "byte")));
    }
    if (document_.Run(QStringLiteral("Add file"), std::move(edit))) emit Reported(added);
}

void BlockCommands::ChangeFlags() {
    if (!current_ || !current_->IsBlock()) return;
    const BlockId id = *current_;
    const auto slot = document_.patch().FindLiveBlock(id.fileId, id.blockNumber);
    if (!slot) return;
    const PatchBlock& block = document_.patch()[id.fileId].blocks[*slot];
    FlagsDialog dialog(window_, static_cast<std::uint16_t>(block.flagA), static_cast<std::uint16_t>(block.flagB));
    if (CurrentPrompts().Exec(&dialog) != QDialog::Accepted) return;
    const auto a = static_cast<std::int16_t>(dialog.FlagA() & 0xFFFF);
    const auto b = static_cast<std::int16_t>(dialog.FlagB() & 0xFFFF);
    const PatchBlock& now = document_.patch()[id.fileId].blocks[*slot];
    if (now.flagA == a && now.flagB == b) return;
    PatchEdit edit;
    edit.flags.push_back({id.fileId, static_cast<std::int32_t>(*slot), a, b});
    if (document_.Run(QStringLiteral("Change Flags"), std::move(edit)))
        emit Reported(QStringLiteral("Flags of %1 set to %2 and %3")
                          .arg(NameOf(id))
                          .arg(static_cast<std::uint16_t>(a))
                          .arg(static_cast<std::uint16_t>(b)));
}

Status BlockCommands::WriteWav(const std::string& path) const {
    const PatchBlock* sound = current_ ? document_.patch().LiveBlock(current_->fileId, current_->blockNumber) : nullptr;
    if (!sound) return Error("No sound block is selected.");
    const Result<Bytes> wav = SoundToWav(sound->bytes);
    return wav ? WriteBeside(path, *wav) : Status(wav.error());
}

Status BlockCommands::WriteBeside(const std::string& path, ByteView bytes) const {
    if (Status other = RefuseOverwriting(path, document_.Path(), "the patch"); !other) return other;
    SaveFile file;
    if (Status opened = file.Open(path); !opened) return opened;
    file.Write(bytes);
    return file.Commit();
}

void BlockCommands::SaveAsWav() {
    if (!current_ || !current_->IsBlock() || current_->fileId != kSound) return;
    const QString chosen = ShowSaveDialog(window_, QStringLiteral("WAV sound (*.wav) |*.wav"), QStringLiteral("Save as WAV"),
                                          Folder::RawBlocks, QStringLiteral("wav"),
                                          QStringLiteral("sound-0x%1.wav").arg(current_->blockNumber, 4, 16, QLatin1Char('0')));
    if (chosen.isEmpty()) return;
    const QString path = EnsureExtension(chosen, QStringLiteral("wav"));
    if (Done(WriteWav(path.toStdString()), QStringLiteral("Save as WAV"))) emit Reported(QStringLiteral("Saved %1").arg(path));
}

void BlockCommands::PlaySound() {
    if (!current_ || !current_->IsBlock() || current_->fileId != kSound) return;
    if (!sounds_) sounds_ = std::make_unique<QTemporaryDir>();
    const QString path = sounds_->filePath(QStringLiteral("sound-%1.wav").arg(current_->blockNumber));
    const Status written = sounds_->isValid() ? WriteWav(path.toStdString()) : Error("Cannot make a temporary folder.");
    if (!Done(written, QStringLiteral("Play"))) return;
    emit Reported(QStringLiteral("Playing %1").arg(NameOf(*current_)));
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) SayNoPlayer();
#else
    // The opener's exit code tells whether the desktop found a player for it.
    auto* opener = new QProcess(this);
    connect(opener, &QProcess::errorOccurred, this, [this, opener](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        SayNoPlayer();
        opener->deleteLater();
    });
    connect(opener, &QProcess::finished, this, [this, opener](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0) SayNoPlayer();
        opener->deleteLater();
    });
    opener->start(soundOpener_, {path});
#endif
}

void BlockCommands::SayNoPlayer() {
    emit Reported(QStringLiteral("The desktop found no player for the sound"));
    CurrentPrompts().Message(window_,
                             QStringLiteral("The desktop has no program that plays this sound. Use Save as WAV to "
                                            "keep it as a file and play it with a player of your choice."),
                             QStringLiteral("Play"));
}
