// Where a command loads its patch, saves it and writes its exports. On its
// own a command reads and writes files; under `apply` every command of the
// manifest works on one patch held in memory, and nothing reaches the disk
// before the last line has succeeded.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "io/json.h"
#include "cli/progress_line.h"
#include "patch/patch.h"
#include "patch/patch_file.h"
#include "io/patch_lock.h"
#include "io/save_file.h"

class CliSession {
public:
    CliSession() = default;
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Results as one JSON document instead of text.
    bool json = false;
    // A line on stderr that follows long work (only when it is a terminal).
    bool progress = false;
    // Where that line is shown while a command runs; nullptr for none.
    ProgressLine* line = nullptr;
    // Where a writer waiting for another one's lock says so.
    std::ostream* messages = nullptr;
    // Reads the patch a command only looks at; the file must exist.
    Status Load(const std::string& path, Patch& patch);
    // Reads the patch a command looks at once, block by block, without its
    // blocks' data, which `data` then reads from the file: a large patch is
    // never held whole. A held patch is handed out with its data (`data`
    // stays closed). Returns where the data is read from: `data` or none.
    Result<const PatchFileData*> LoadLeavingData(const std::string& path, Patch& patch, PatchFileData& data);
    // Reads the patch a command changes and saves, with its duplicates
    // settled: a missing file starts empty. Takes the patch's lock and holds
    // it for the life of the session, so the save happens under it.
    Status LoadForWriting(const std::string& path, Patch& patch);
    Status Save(const std::string& path, Patch&& patch);
    // Writes a verdata file of the patch as it stands.
    Status Export(const std::string& target, const Patch& patch, const std::string& base);

    // Prints the text, or the JSON object when `json` is set.
    void Report(std::ostream& out, const std::string& text, const Json& result) const;

    // Holds `patch` (read from `path`) in memory: later loads hand it out,
    // saves keep it, exports are written but do not replace their targets.
    void Hold(const std::string& path, Patch&& patch);
    const Patch& Held() const { return *held_; }
    bool Holding() const { return held_.has_value(); }
    // The targets of the exports written while holding a patch, in order.
    const std::vector<std::string>& Exports() const { return exports_; }
    // Writes the held patch and replaces it and every export's target
    // together; on a failure none of them changes.
    Status Commit();

private:
    // Shows a step on the progress line of a command working on files.
    void Show(const std::string& step) const;

    PatchLock lock_;
    std::optional<Patch> held_;
    std::string heldPath_;
    SaveSet pending_;  // the exports, then the patch
    std::vector<std::string> exports_;
};
