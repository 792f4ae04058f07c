#include "app/BlockCommands.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

#include "app/InfoPanel.h"
#include "app/block_tree.h"
#include "app/frmChangeFlag.h"
#include "app/frmStart.h"
#include "app/mComdlg.h"
#include "app/prompts.h"
#include "codecs/bitmap.h"
#include "gamefiles/frmAddFile.h"
#include "gamefiles/frmCompare.h"
#include "gamefiles/whole_files.h"
#include "patch/FileTypes.h"
#include "patch/app_values.h"
#include "patch/user_numbers.h"
#include "patch/save_file.h"

namespace {
const QString kDatafileFilter = QStringLiteral("Datafile (*.dat) |*.dat");
const QString kBitmapFilter = QStringLiteral("Windows bitmap (*.bmp) |*.bmp|PNG picture (*.png) |*.png");
}  // namespace

BlockCommands::BlockCommands(frmStart* window, QMenu* popup) : QObject(window), window_(window), popup_(popup) {
    const QList<QAction*> items = popup_->actions();
    for (int i = 0; i < items.size(); ++i) connect(items[i], &QAction::triggered, this, [this, i] { OnMenuItem(i); });
}

QString BlockCommands::SelectedKey() const { return frmStart::KeyOf(window_->Tree()->currentItem()); }

bool BlockCommands::PrepareMenu() {
    const QString key = SelectedKey();
    if (key.isEmpty()) return false;
    const NodeKey k = ParseNodeKey(key.toStdString());
    const QList<QAction*> items = popup_->actions();
    for (int i = 1; i < items.size(); ++i) items[i]->setVisible(false);
    items[0]->setVisible(true);
    items[1]->setSeparator(false);
    if (!k.isBlock) {
        items[0]->setText(QStringLiteral("Load from Datafile"));
        if (k.fileId == kGumpFileId) {
            items[1]->setText(QStringLiteral("Load from BMP"));
            items[1]->setVisible(true);
        }
        if (k.fileId < 200) {
            items[2]->setText(QStringLiteral("Add from compare"));
            items[2]->setVisible(true);
        }
        if (k.fileId == kFilesFileId) items[0]->setText(QStringLiteral("Add file"));
    } else {
        items[0]->setText(QStringLiteral("Remove"));
        items[1]->setText(QStringLiteral("-"));
        items[1]->setSeparator(true);
        items[2]->setText(QStringLiteral("Save to File"));
        items[1]->setVisible(true);
        items[2]->setVisible(true);
        if (k.fileId == kGumpFileId) {
            items[3]->setText(QStringLiteral("Save to Bmp"));
            items[3]->setVisible(true);
        }
        items[4]->setText(QStringLiteral("Change Flags"));
        items[4]->setVisible(true);
    }
    return true;
}

void BlockCommands::OnMenuItem(int index) {
    const QString key = SelectedKey();
    if (key.isEmpty()) return;
    const NodeKey k = ParseNodeKey(key.toStdString());
    if (k.isBlock) {
        switch (index) {
            case 0: RemoveSelected(); break;
            case 2: SaveBlockToDatafile(k.fileId, k.blockNumber); break;
            case 3: if (k.fileId == kGumpFileId) SaveToBmp(); break;
            case 4: ChangeFlags(k.fileId, k.blockNumber); break;
            default: break;
        }
        return;
    }
    if (!k.isFileType) return;
    if (index == 0 && k.fileId < 200) LoadFromDatafile(k.fileId);
    else if (index == 0 && k.fileId == kFilesFileId) AddFile();
    else if (index == 1 && k.fileId == kGumpFileId) LoadFromBmp();
    else if (index == 2 && k.fileId < 200) {
        RunCompare(window_, k.fileId);
        window_->RefreshTreeView();
    }
}

void BlockCommands::OnDeleteKey() {
    const NodeKey k = ParseNodeKey(SelectedKey().toStdString());
    if (k.isBlock) RemoveSelected();
}

void BlockCommands::RemoveSelected() {
    const QString key = SelectedKey();
    const NodeKey k = ParseNodeKey(key.toStdString());
    App().WorkingPatch.RemoveBlock(k.fileId, k.blockNumber);
    window_->RemoveNode(key);
    window_->Panel()->Forget();
}

bool BlockCommands::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && PrepareMenu()) popup_->popup(mouse->globalPosition().toPoint());
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnDeleteKey();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void BlockCommands::SaveBlockToDatafile(std::uint8_t fileId, std::int32_t blockNumber) {
    // Copies are taken first: the patch may not change while dialogs are open,
    // but nothing here should hold on to its slots across them.
    std::vector<Bytes> blocks;
    for (const PatchBlock& b : App().WorkingPatch[fileId].Blocks)
        if (b.BlockNumber == blockNumber) blocks.push_back(b.Length > 0 ? b.ByteArray : Bytes{});
    for (const Bytes& data : blocks) {
        if (data.empty()) {
            CurrentPrompts().Message(window_, QStringLiteral("That block is empty."), QStringLiteral("Save block"));
            return;
        }
        const QString chosen =
            ShowSaveDialog(window_, kDatafileFilter, QStringLiteral("Select data to save to"), ProgramFolder());
        if (chosen.isEmpty()) continue;
        const std::string path = EnsureExtension(chosen, QStringLiteral("dat")).toStdString();
        SaveFile file;
        std::string error = file.Open(path);
        if (error.empty()) {
            file.Write(data);
            error = file.Commit();
        }
        if (!error.empty()) CurrentPrompts().Message(window_, QString::fromStdString(error), QStringLiteral("Save block"));
    }
}

void BlockCommands::LoadFromDatafile(std::uint8_t fileId) {
    const QString typed = CurrentPrompts().Input(window_, QStringLiteral("Select block number"),
                                                 QStringLiteral("Import from datafile"), QStringLiteral("0"));
    if (typed.isEmpty()) return;
    const auto n = ParseBlockNumberInput(typed.toStdString());
    if (!n) {
        CurrentPrompts().Message(window_, QStringLiteral("Illegal blocknumber!"), QStringLiteral("Import block from datafile"));
        return;
    }
    const QString path =
        ShowOpenDialog(window_, kDatafileFilter, QStringLiteral("Select datafile to import"), ProgramFolder());
    if (path.isEmpty()) return;
    const std::string error = LoadBlockFromDatafile(App().WorkingPatch, path.toStdString(), fileId, *n);
    if (!error.empty()) {
        CurrentPrompts().Message(window_, QString::fromStdString(error), QStringLiteral("Import block from datafile"));
        return;
    }
    window_->RefreshTreeView();
}

void BlockCommands::SaveToBmp() {
    QString path = ShowSaveDialog(window_, kBitmapFilter, QStringLiteral("Select windows bitmap to save to"), ProgramFolder());
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path = EnsureExtension(path, QStringLiteral("bmp"));
    const std::string error = SavePicture(window_->Panel()->Picture(), path);
    if (!error.empty()) CurrentPrompts().Message(window_, QString::fromStdString(error), QStringLiteral("Save to Bmp"));
}

void BlockCommands::LoadFromBmp() {
    const QString title = QStringLiteral("Import Gump from Bmp");
    const QString typed = CurrentPrompts().Input(window_, QStringLiteral("Select block number"), title, QStringLiteral("0"));
    const std::optional<std::int32_t> n = ParseBlockNumberInput(typed.toStdString());
    if (!n) {
        CurrentPrompts().Message(window_, QStringLiteral("Illegal blocknumber! Gump blocks goes from 0 to 65535."), title);
        return;
    }
    const QString path = ShowOpenDialog(window_, kBitmapFilter, QStringLiteral("Select windows bitmap to import"), ProgramFolder());
    if (path.isEmpty()) return;
    std::string error;
    const QImage picture = LoadPicture(path, error);
    if (error.empty()) error = ImportGumpFromBmp(App().WorkingPatch, *n, picture);
    if (!error.empty()) {
        CurrentPrompts().Message(window_, QString::fromStdString(error), title);
        return;
    }
    window_->AddNode({BlockKey(kGumpFileId, *n), BlockText(*n), FileTypeKey(kGumpFileId), 2});
    window_->Panel()->ClearPicture();
}

void BlockCommands::AddFile() {
    frmAddFile dialog(window_);
    CurrentPrompts().Exec(&dialog);
    if (App().DialogResult == 1) window_->RefreshTreeView();
}

void BlockCommands::ChangeFlags(std::uint8_t fileId, std::int32_t blockNumber) {
    const std::int32_t slot = App().WorkingPatch.FindBlock(fileId, blockNumber);
    if (slot < 0) return;
    App().EditFlagA = static_cast<std::uint16_t>(App().WorkingPatch[fileId].Blocks[static_cast<std::size_t>(slot)].FlagA);
    App().EditFlagB = static_cast<std::uint16_t>(App().WorkingPatch[fileId].Blocks[static_cast<std::size_t>(slot)].FlagB);
    frmChangeFlag dialog(window_);
    if (CurrentPrompts().Exec(&dialog) != QDialog::Accepted) return;
    PatchBlock& block = App().WorkingPatch[fileId].Blocks[static_cast<std::size_t>(slot)];
    block.FlagA = static_cast<std::int16_t>(App().EditFlagA & 0xFFFF);
    block.FlagB = static_cast<std::int16_t>(App().EditFlagB & 0xFFFF);
    window_->Panel()->Forget();
    window_->ShowNodeInfo(window_->Tree()->currentItem());
}
