// Where the blocks of one file type come from: a client data source opened
// from its path(s) and read as what its content shows it to be, whatever its
// name says. The decision is made here and nowhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/package_blocks.h"
#include "io/read_budget.h"
#include "io/result.h"
#include "patch/patch.h"

enum class SourceForm {
    kPackage,    // a game data package: starts with "MYP\0"
    kPatchFile,  // a patch project file: starts with "UOP"
    kVerdata,    // the client's patch file: a directory that holds together
    kIndexed,    // a data file with its index
    kFixedSize,  // a data file of fixed-size blocks
    kGrouped,    // a data file of groups of two sizes (tiledata)
};

// The files a source is read from: a data file and, for a type that has one,
// its index; every other form of the client's data is one file.
struct SourceFiles {
    std::string data;
    std::string index;  // "" where the type or the form needs none
};

// What `path` is by its content: a package or a patch project file by its
// first bytes, a verdata (when `verdata` asks) by a directory that holds
// together; nothing for anything else, which is read as a data file. Fails
// when the file cannot be read at all (missing, a Git LFS pointer, ...).
Result<std::optional<SourceForm>> ProbeSource(const std::string& path, bool verdata);

// Whether blocks of `fileId` read from `dataPath` need an index file: the
// type has one and the file is none of the forms that carry their own.
bool SourceNeedsIndex(std::uint8_t fileId, const std::string& dataPath);

// The type whose usual name (FileIdOfUsualName) the data file or the index
// of `files` bears when that is another type than `fileId`, with the name:
// art.mul chosen to import gumps from. A verdata or a patch project file
// serves every type and bears none.
struct OtherTypeName {
    std::string name;    // the file's name without its folder
    std::uint8_t fileId;  // the type that name stands for
};
std::optional<OtherTypeName> OtherTypeNamed(std::uint8_t fileId, const SourceFiles& files);

// Reads a patch project file or a verdata, as its content shows it to be,
// into `patch`; anything else is refused.
Status ReadPatchOrVerdata(const std::string& path, Patch& patch, const ReadOptions& options = {});

class DataSource : public BlockSource {
public:
    // Opens the blocks of file type `fileId`: a package, a patch project
    // file or a verdata (their blocks of that type; no index is used), else
    // the data file cut as the type's files are, with its index where the
    // type has one. The message of a failure names the file.
    Status Open(std::uint8_t fileId, const SourceFiles& files);

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
    Result<SourceBlock> Load(std::int32_t n) override;
    // A package's declared sizes against its budget; the other forms were
    // read within theirs, or count each block they hand out.
    Status Reserve(std::int32_t first, std::int32_t last) const override;
    Status Keep(std::int64_t bytes) override;

private:
    Status OpenHeld();

    SourceForm form_ = SourceForm::kIndexed;
    std::uint8_t fileId_ = 0;
    std::string path_;
    std::int32_t highest_ = -1;
    DataFile file_;
    ByteArena arena_;           // of a data file's blocks handed out
    ReadBudget budget_{"", 0};  // the same
    PackageBlocks package_;
    // A patch project file's or a verdata's blocks of the type, by number.
    Patch held_;
    std::vector<std::pair<std::int32_t, std::size_t>> heldSlots_;
};
