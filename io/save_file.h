// Writes a file through a temporary file in the target's folder that replaces
// the target only when every byte was written and flushed to disk: a failed
// save leaves an existing file exactly as it was, and a power cut leaves the
// old file or the new one, never an empty one. A save replaces nothing but a
// regular file the user may write: a symbolic link is followed to the file it
// names, which is written while the link stays.
#pragma once

#include <csignal>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "io/result.h"

class InputFile;

// A file that a signal removes before the process ends, while it is armed
// (see RemoveTemporaryFilesOnSignals). With `unless` given, it is removed
// only when no file `unless` exists at that moment. A folder is removed when
// it is empty by then (files armed after it go first).
class RemovedOnSignal {
public:
    RemovedOnSignal() = default;
    RemovedOnSignal(const RemovedOnSignal&) = delete;
    RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;
    ~RemovedOnSignal() { Disarm(); }

    void Arm(const std::string& path, const std::string& unless = {});
    void Disarm();
    // Removes every armed file now; safe in a signal handler.
    static void RemoveAllArmed();

private:
    std::string path_, unless_;
    RemovedOnSignal* next_ = nullptr;
    bool armed_ = false;
};

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that a file made
// and armed in its time is never left behind unarmed.
class SignalsHeld {
public:
    SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
    ~SignalsHeld();

private:
    sigset_t old_;
};

// Whether SIGINT, SIGTERM or SIGHUP came while held and waits to be delivered.
bool StopSignalPending();
// Drops such signals that wait: the work they would have stopped is done
// (call it while they are held, just before the hold ends).
void DropStopSignals();

// Whether SaveFile::Open removes the stale temporaries of its target's saves.
// Each sweep lists the whole folder: a caller saving many files into one
// folder removes them once for all (RemoveStaleTemporaries) instead.
enum class StaleTemporaries { kRemove, kRemovedByCaller };

class SaveFile {
public:
    SaveFile() = default;
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;
    ~SaveFile();  // discards the temporary file unless committed

    // The message names the target and the reason. Refuses a target that is
    // not a regular file, that is read-only (no write permission bit at all,
    // whoever saves), that the user could not write in place, or a symbolic
    // link that loops. Removes the temporaries that saves of the target left
    // when their process was killed, unless the caller did.
    Status Open(const std::string& targetPath, StaleTemporaries stale = StaleTemporaries::kRemove);
    // Buffered append; a failure is remembered and reported by Commit. Large
    // spans are written straight from the caller's memory.
    void Write(std::span<const std::uint8_t> bytes);
    // Appends bytes that stay where they are until Commit, such as a block's
    // data: pieces lying end to end in memory go out together, straight from
    // there, and only short runs are copied through the buffer.
    void WriteKept(std::span<const std::uint8_t> bytes);
    // Appends `length` bytes of `from` from `offset`, copied by the kernel
    // (or the file system itself) where it offers copy_file_range, else
    // through a small buffer: memory does not grow with the file.
    void Copy(const InputFile& from, std::int64_t offset, std::int64_t length);
    // Overwrites bytes already written (for headers completed at the end), or
    // writes past the end.
    void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    std::int64_t Position() const {
        return written_ + static_cast<std::int64_t>(buffer_.size() + kept_.size());
    }
    // Flushes every byte to disk and keeps the temporary file: the new file
    // is whole, the target not replaced yet. A failure fails later calls too.
    Status Finish();
    // Finishes, checks the target again, renames over it and flushes the folder.
    Status Commit();
    // The new file until it replaces the target, for reading it back first.
    const std::string& TemporaryPath() const { return temp_; }

private:
    friend class SaveSet;
    // How Replace put the new file in place, so that Restore can undo it.
    enum class Placed { kNot, kSwapped, kNew, kForGood };

    bool Flush();
    // Writes or buffers the run of kept bytes.
    void EndRun();
    bool WriteAll(const std::uint8_t* data, std::size_t size);
    Error Fail(const std::string& what);
    // Whether the target may still be replaced.
    Status CheckTarget() const;
    // Moves the finished file onto the target; the old one, where the file
    // system can swap the two, stays under the temporary name until Settle.
    Status Replace();
    void Restore();
    void Settle();
    void Discard();

    int fd_ = -1;  // open, and locked, until the save is settled or discarded
    bool finished_ = false;
    Placed placed_ = Placed::kNot;
    std::string name_;    // the target as the caller named it
    std::string target_;  // the file replaced: a link's target
    std::string temp_;
    RemovedOnSignal armed_;
    std::vector<std::uint8_t> buffer_;
    std::span<const std::uint8_t> kept_;  // a run of kept bytes not yet written
    std::int64_t written_ = 0;
    std::string error_;
};

// Saves that replace their targets together: each is opened and written as
// any SaveFile, and only the set commits them.
class SaveSet {
public:
    SaveFile& Add();
    // Finishes every save, checks every target again, then replaces them
    // all. When any step fails no target is replaced and every temporary
    // file is removed; the error is the first failure's.
    Status Commit();
    bool Empty() const { return saves_.empty(); }

private:
    std::vector<std::unique_ptr<SaveFile>> saves_;
};

// Follows `path` through symbolic links to the file a save of it replaces,
// which need not exist yet. Fails when the links loop.
Result<std::string> FollowLinks(const std::string& path);

// Fails when writing `target` would replace `input`, which is `what` ("the
// patch"): the same file however either is named. The message names both.
Status RefuseOverwriting(const std::string& target, const std::string& input, const std::string& what);

// Removes the temporary files in `folder` whose names start with `prefix`
// (a dot, and the saved file's name where only its saves are meant)
// that saves left when their process was killed: the process is gone and
// nobody holds the lock a save keeps on its temporary file. Either alone
// could mislead (a reused process ID, a file system without locks). A new
// folder of a SaveFolder left so goes with the files in it.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix = ".");

// Removes the files (not the folders) in the open folder `folderFd`.
void RemoveFilesIn(int folderFd);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of the saves
// under way (and every other armed RemovedOnSignal) before the process ends
// as the signal asks (for the command-line tool).
void RemoveTemporaryFilesOnSignals();
