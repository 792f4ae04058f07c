// Writes a folder of files that appears whole or not at all: the files are
// saved into a new hidden folder beside the target folder, which replaces
// the target (missing, or empty) in one rename once everything is on disk.
// A failure, a stop or a kill before that rename leaves the target as it was;
// what a kill leaves beside it is removed by the next save of that folder.
#pragma once

#include <string>

#include "io/result.h"
#include "io/save_file.h"

// Where a folder lies, for whether one rename can replace it.
struct FolderPlace {
    bool mountPoint = false;     // the root of a mount: the system refuses to rename it away
    bool otherDevice = false;    // on another file system than the folder holding it
};
// How `path` (an existing folder) lies against its parent folder.
FolderPlace PlaceOfFolder(const std::string& path);
// Refuses a folder that one rename cannot replace, naming `name` and the
// reason and suggesting a folder inside it.
Status CheckReplaceable(const std::string& name, const FolderPlace& place);

// The folder `path` names once symbolic links are followed; a link that
// loops or leads nowhere is refused, naming it and what is wrong with it
// (BrokenLinkReason).
// A path that is no link, or names nothing yet, is given back as it is.
Result<std::string> FolderBehindLinks(const std::string& path);

class SaveFolder {
public:
    SaveFolder() = default;
    SaveFolder(const SaveFolder&) = delete;
    SaveFolder& operator=(const SaveFolder&) = delete;
    ~SaveFolder();  // removes the new folder and what it holds unless committed

    // Makes the new folder beside `target` (a folder behind no link, missing
    // or empty; the caller checks that), with the mode and group of
    // `target` when it exists. Refuses a target that one rename cannot
    // replace, or whose parent folder cannot take the new one.
    Status Open(const std::string& target);
    // Where the files go until Commit.
    const std::string& Path() const { return path_; }
    // Flushes the new folder, then renames it onto the target and flushes
    // the parent folder. Holds SIGINT, SIGTERM and SIGHUP meanwhile: one
    // that came before is honoured (kCancelled, nothing in place); hold
    // them around Commit and the report after it, and one that comes later
    // finds the work done (see DropStopSignals).
    Status Commit();

private:
    void Discard();

    std::string target_, parent_, path_;
    int lock_ = -1;  // the new folder, locked while this save owns it
    RemovedOnSignal armed_;
};
