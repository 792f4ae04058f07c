// What the commands of palindra-cli share: exit codes, number and range
// parsing, and loading the patch a command works on.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "gamefiles/import.h"
#include "io/result.h"
#include "patch/file_types.h"
#include "patch/patch.h"
#include "io/patch_lock.h"

inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// Prints "palindra-cli: MESSAGE" and returns kFailed.
int Fail(std::ostream& err, const std::string& message);
int Fail(std::ostream& err, const Error& error);

// A command-line number (see patch/user_numbers.h) within min..max.
bool ParseInt(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& out);
// ParseInt of the command's argument `name` ("BLOCK"); a refusal leaves in
// `why` the reason for the usage error, naming the word refused.
bool ReadNumberArgument(const std::string& text, const char* name, std::int64_t min, std::int64_t max,
                        std::int64_t& out, std::string& why);
// ParseFileId of the argument FILEID, refused as ReadNumberArgument refuses.
bool ReadFileIdArgument(const std::string& text, std::uint8_t& fileId, std::string& why);
// "A-B" with two whole numbers.
bool ParseRange(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& from, std::int64_t& to);

// Loads PATCH.uop with its duplicates settled, or starts an empty patch when
// the file does not exist yet.
Status LoadOrStart(const std::string& path, Patch& patch);

// The start of a read–modify–write of PATCH.uop: takes its lock (waiting for
// another writer, with a line on `err` after a second), then LoadOrStart. The
// lock is held until `lock` goes out of scope, after the save.
Status LoadForChange(const std::string& path, Patch& patch, PatchLock& lock, std::ostream& err);

// Reads the patch at `path` into `patch` and finds its live `kind` block
// ("gump", "sound") numbered `number` (as the user wrote it in `text`).
Result<const PatchBlock*> ReadLiveBlock(const std::string& path, std::uint8_t fileId, std::int64_t number,
                                        const std::string& text, const std::string& kind, Patch& patch);

// Fails, naming it, when `base` (a base verdata to merge over) is neither ""
// nor an existing file.
Status RefuseMissingBase(const std::string& base);

// A known file type of the data-file sources (IsDataFileType) and its catalogue row,
// given by number or by its catalogue name in any case ("gumps", "ART").
const FileTypeEntry* DataFileType(const std::string& text);

// A file ID 0..255 given by number or by a catalogue name.
bool ParseFileId(const std::string& text, std::uint8_t& fileId);

// Says on stdout what became of the blocks without data and on stderr what
// went wrong with the sources (see DescribeLeftOut).
void ReportImport(const ImportReport& report, std::ostream& out, std::ostream& err);
