// The commands on single blocks and file types, as named actions: the Block
// menu, the tree's context menu and the keyboard reach the same actions.
// Every command acts on the current node and changes the patch only through
// the document.
#pragma once

#include <QObject>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>

#include "io/bytes.h"
#include "io/result.h"
#include "patch/block_tree.h"

class InfoPanel;
class PatchDocument;
class QAction;
class QMenu;
class QWidget;

class BlockCommands : public QObject {
    Q_OBJECT
public:
    BlockCommands(QWidget* window, PatchDocument& document, InfoPanel* panel);

    // The node the commands act on; enables the actions that fit it.
    void SetCurrent(std::optional<BlockId> id);
    std::optional<BlockId> Current() const { return current_; }

    // The actions in menu order; each has the objectName "act" + its caption
    // without spaces, e.g. "actSaveToFile".
    const QList<QAction*>& Actions() const { return actions_; }
    // Fills the context menu with the actions for the current node; false
    // when no node is current.
    bool PrepareMenu(QMenu* menu) const;

    void Remove();
    void SaveToFile();
    void LoadFromDatafile();
    void SaveToBmp();
    void LoadFromBmp();
    void AddFromCompare();
    void AddFile();
    void ChangeFlags();
    void SaveAsWav();
    void LoadFromWav();
    // An anim block's frames to and from a folder of pictures (images/frame_folder.h).
    void SaveFramesAsPng();
    void LoadFramesFromPng();
    // Makes the picture at `path` gump block `target` (a block node), or one
    // whose number the user is asked for (the Gumps node); undoable.
    void LoadGumpPicture(const QString& path, BlockId target);
    // Builds art or texture block `target` (a block node, or one whose number
    // the user is asked for on the type's node) from a picture, or a sound
    // block from a sound file: the one at `dropped`, or one the user picks;
    // undoable.
    void LoadBlockFile(BlockId target, const QString& dropped = QString());
    // Writes the current sound block as a WAV file in a temporary folder and
    // hands it to the desktop's player; says so when the desktop cannot play it.
    void PlaySound();
    // The program that hands a sound file to the desktop's player.
    void SetSoundOpener(const QString& program) { soundOpener_ = program; }

signals:
    // The result of a command, for the status bar.
    void Reported(const QString& text);

private:
    // The sound block's WAV bytes written to `path`.
    Status WriteWav(const std::string& path) const;
    // Writes `bytes` to `path` unless that is the document's own patch file.
    Status WriteBeside(const std::string& path, ByteView bytes) const;
    // Tells what a conversion could not keep, when anything.
    void SayNotes(const std::vector<std::string>& notes, const QString& title) const;
    // Says why under `title` when `done` failed; whether it succeeded.
    bool Done(const Status& done, const QString& title) const;
    // A block number from 0 to `highest`, asked again after `illegal` until
    // the user gives one or cancels.
    std::optional<std::int32_t> AskNumber(const QString& title, const QString& illegal, const QString& illegalTitle,
                                          std::int32_t highest = 65535);
    // A block that replaces one of the patch keeps that one's flags: a
    // gump's size, a file's marks; raw data and whole files carry none.
    void KeepFlags(Patch& added, std::uint8_t fileId) const;
    // "Gumps 0x00005", as the tree names the block.
    static QString NameOf(BlockId id);
    void SayNoPlayer();
    QAction* Make(const char* name, const QString& caption, const QKeySequence& key, void (BlockCommands::*run)());

    QWidget* window_;
    PatchDocument& document_;
    InfoPanel* panel_;
    std::optional<BlockId> current_;
    QList<QAction*> actions_;
    QAction *remove_, *saveToFile_, *loadFromDatafile_, *saveToBmp_, *loadFromBmp_, *addFromCompare_, *addFile_,
        *changeFlags_, *saveAsWav_, *loadFromWav_, *saveFrames_, *loadFrames_;
    // The WAV files handed to the player live until the program ends.
    std::unique_ptr<QTemporaryDir> sounds_;
    QString soundOpener_ = QStringLiteral("xdg-open");
};
