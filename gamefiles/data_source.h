// Where the blocks of one file type come from: a client data source opened
// from its path(s) and read as what its content shows it to be, whatever its
// name says. The decision is made here and nowhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gamefiles/block_source.h"
#include "gamefiles/data_file.h"
#include "gamefiles/package_blocks.h"
#include "patch/patch.h"
#include "io/read_budget.h"

enum class SourceForm {
    kPackage,    // a game data package: starts with "MYP\0"
    kPatchFile,  // a patch project file: starts with "UOP"
    kVerdata,    // the client's patch file: a directory that holds together
    kIndexed,    // a data file with its index
    kFixedSize,  // a data file of fixed-size blocks
    kGrouped,    // a data file of groups of two sizes (tiledata)
};

// What `path` is by its content: a package or a patch project file by its
// first bytes, a verdata (when `verdata` asks) by a directory that holds
// together; nullopt for anything else, which is read as a data file. "" or
// why the file cannot be read at all (missing, a Git LFS pointer, ...).
std::string ProbeSource(const std::string& path, bool verdata, std::optional<SourceForm>& form);

// Whether blocks of `fileId` read from `dataPath` need an index file: the
// type has one and the file is none of the forms that carry their own.
bool SourceNeedsIndex(std::uint8_t fileId, const std::string& dataPath);

// Appends the blocks in the ranges of a patch project file or a verdata, as
// its content shows it to be; anything else is refused.
std::string ReadPatchOrVerdata(const std::string& path, Patch& patch, std::uint8_t fileFrom = 0,
                               std::uint8_t fileTo = 255, std::int32_t blockFrom = INT32_MIN,
                               std::int32_t blockTo = INT32_MAX);

class DataSource : public BlockSource {
public:
    // Opens the blocks of file type `fileId`: a package, a patch project
    // file or a verdata (their blocks of that type; `idxPath` is not used),
    // else the data file cut as the type's files are, with its index where
    // the type has one. "" or a message naming the file.
    std::string Open(std::uint8_t fileId, const std::string& dataPath, const std::string& idxPath = "");

    SourceForm Form() const { return form_; }
    const std::string& Path() const { return path_; }
    // The data file of the forms read from one, for readers that look at the
    // blocks where they lie; nullptr for the other forms.
    DataFile* File() { return form_ >= SourceForm::kIndexed ? &file_ : nullptr; }
    // What the user should hear about a fixed-size or grouped file with more
    // blocks than a client file of its type usually has; "" when nothing.
    std::string SizeRemark() const;

    std::int32_t Highest() const override { return highest_; }
    std::int32_t Next(std::int32_t n) const override;
    std::string Load(std::int32_t n, std::int32_t& length, Bytes& data, std::int16_t& flagA,
                     std::int16_t& flagB) override;
    // A package's declared sizes against its budget; the other forms were
    // read within theirs, or count each block they hand out.
    std::string Reserve(std::int32_t first, std::int32_t last) const override;
    std::string Keep(std::int64_t bytes) override;

private:
    std::string OpenHeld();

    SourceForm form_ = SourceForm::kIndexed;
    std::uint8_t fileId_ = 0;
    std::string path_;
    std::int32_t highest_ = -1;
    DataFile file_;
    ReadBudget budget_{"", 0};  // of a data file's blocks handed out
    PackageBlocks package_;
    // A patch project file's or a verdata's blocks of the type, by number.
    Patch held_;
    std::vector<std::pair<std::int32_t, std::size_t>> heldSlots_;
};
