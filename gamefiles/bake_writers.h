// Writing each form of the client's files from a bake's changes, and reading
// what was written back through the readers of that form. A writer leaves
// its file unfinished in its SaveFile; a check reads the finished temporary
// file and fails, naming the file and the block, where it does not hold what
// the changes and the client's file say it should.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "gamefiles/bake_report.h"
#include "gamefiles/bake_changes.h"
#include "gamefiles/client_folder.h"
#include "io/progress.h"
#include "io/save_file.h"

// One file of the output folder, while the bake is under way.
struct OutputFile {
    SaveFile* save = nullptr;
    BakedFile report;

    const std::string& Written() const { return save->TemporaryPath(); }
    // Adds the counts of `changes` (and the blocks it left out) to the report.
    void Count(const FormChanges& changes);
};

// Counts the bytes written and read back for the progress; false once the
// user stopped the bake.
class BakeMeter {
public:
    BakeMeter(const Progress& progress, std::int64_t total) : progress_(progress), total_(std::max<std::int64_t>(total, 1)) {}
    bool Add(std::int64_t bytes);

private:
    const Progress& progress_;
    std::int64_t done_ = 0, total_;
};

// A data file with its index. Refused before anything is written (Prepare)
// when the index cannot take entries or the data file would outgrow what
// its index's 32-bit offsets address.
Status PrepareIndexed(const FormChanges& changes, const ClientTypeFiles& files, bool compact);
Status WriteIndexed(const FormChanges& changes, const ClientTypeFiles& files, bool compact, OutputFile& data,
                    OutputFile& index, BakeMeter& meter, std::vector<std::string>& notes);
Status CheckIndexed(const FormChanges& changes, const ClientTypeFiles& files, const OutputFile& data,
                    const OutputFile& index, BakeMeter& meter);

// A file of fixed-size slots or tiledata groups, copied from the client's
// file (`base`), or from a whole map the patch carries (`carried`).
Status WriteSlots(const FormChanges& changes, const std::string& base, ByteView carried, OutputFile& out,
                  BakeMeter& meter, std::vector<std::string>& notes);
Status CheckSlots(const FormChanges& changes, const std::string& base, ByteView carried, const OutputFile& out,
                  BakeMeter& meter);

// A whole file the patch carries (client.exe, readme.txt, map0.mul).
Status WriteWhole(const FormChanges& changes, const BlockChange& change, OutputFile& out, BakeMeter& meter);
Status CheckWhole(const FormChanges& changes, const BlockChange& change, const OutputFile& out, BakeMeter& meter);

// A legacy game data package.
// Starts from the client's package as the changes were judged against it.
Status WritePackage(const FormChanges& changes, OutputFile& out, BakeMeter& meter);
Status CheckPackage(const FormChanges& changes, const OutputFile& out, BakeMeter& meter);

// The size and SHA-256 of a written file, read back in pieces.
Status Fingerprint(OutputFile& out, BakeMeter& meter);

// "the written art.mul: " for messages about what a check found.
std::string WrittenFileText(const OutputFile& out);
