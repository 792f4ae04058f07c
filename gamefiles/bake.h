// Baking a patch into copies of the client's own files, for clients that
// read no verdata.mul for some types (or none at all): the files that change
// are written to an output folder under the spelling the client folder gives
// them, so that the folder is what a server operator ships.
//
// - Data files with an index keep their bytes where they were; the patched
//   blocks are appended in block-number order and their index entries
//   rewritten (or, compacted, the data file holds only what live entries
//   point at). Fixed-size slots are replaced in place; game data packages get
//   their patched entries replaced, added or dropped and every other entry
//   copied as stored.
// - What a form cannot take (see FitBlock) is left out and reported; the
//   client's own verdata.mul is baked first, and what of it cannot be baked
//   stays in the output's verdata.mul.
// - Every output is written into a new folder beside the output folder and
//   read back through the readers; once all of them hold what they should,
//   that folder takes the output folder's place in one rename. A failure, a
//   refusal, a stop or a kill leaves the output folder as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gamefiles/bake_report.h"
#include "io/progress.h"
#include "io/result.h"
#include "patch/patch.h"
#include "patch/patch_file.h"

struct BakeOptions {
    // Bake the client's verdata.mul first, and write what of it (and of the
    // patch) cannot be baked to the output's verdata.mul; else leave the
    // client's verdata.mul alone.
    bool clientVerdata = true;
    // Data files with an index hold only the bytes their live entries point at.
    bool compact = false;
    // Told the bytes written and read back so far; a stop discards everything.
    Progress progress;
};

// A bake written and read back, waiting to be put in place of the output
// folder; dropped uncommitted, it leaves nothing behind.
class PreparedBake {
public:
    virtual ~PreparedBake() = default;
    virtual const BakeReport& Report() const = 0;
    // Puts the written files in place of the output folder at once (see
    // SaveFolder::Commit: a stop signal that came before is honoured, with
    // kCancelled and nothing in place).
    virtual Status Commit() = 0;
};

// Bakes the live blocks of `patch` (the last copy of a block number wins)
// into copies of the files in `clientDir`, written for `outDir`, which must
// be missing or empty (a link is followed to the folder it names), must not
// be the client folder and must be replaceable by one rename. The client
// folder is only read. Refused before anything is written when the folder or
// a file the bake needs cannot be used; kCancelled when `progress` stopped it.
// For a patch read without its data, `data` is the file its blocks' bytes
// are read from as they are written, so that the bake holds no more of the
// patch than a window and a whole map it carries.
Result<std::unique_ptr<PreparedBake>> PrepareBake(const Patch& patch, const std::string& clientDir,
                                                  const std::string& outDir, const BakeOptions& options = {},
                                                  const PatchFileData* data = nullptr);
// Prepares and commits.
Result<BakeReport> Bake(const Patch& patch, const std::string& clientDir, const std::string& outDir,
                        const BakeOptions& options = {});

// "Left out block 5 of Map (map0.mul): WHY." for messages.
std::string LeftOutText(const LeftOutBlock& block);
