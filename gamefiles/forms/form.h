// The table of forms: what a file of the client's data (or a patch) is, told
// by its content, and the one road by which every operation opens it. Each
// form is probed, read and written in its own file of this folder; here they
// are put together.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamefiles/forms/block_source.h"
#include "io/result.h"
#include "patch/patch.h"

// The files a source is read from: a data file and, for a type that has one,
// its index; every other form of the client's data is one file.
struct SourceFiles {
    std::string data;
    std::string index;  // "" where the type or the form needs none
};

// One row of the table: a form, its name in messages and the patterns of
// the file dialogs' filter for it ("" where no dialog opens it alone).
struct FormEntry {
    Form form;
    std::string_view name;
    std::string_view filter;
};
const std::vector<FormEntry>& FormTable();
const FormEntry& EntryOf(Form form);

// What `path` is by its content: a package or a patch project file by its
// first bytes, a verdata (when `verdata` asks) by a directory that holds
// together; nothing for anything else, which is read as a data file. Fails
// when the file cannot be read at all (missing, a Git LFS pointer, ...).
Result<std::optional<Form>> ProbeSource(const std::string& path, bool verdata);

// Whether blocks of `fileId` read from `dataPath` need an index file: the
// type has one and the file is none of the forms that carry their own
// (`probed`, as ProbeSource found it; nothing for a data file).
bool SourceNeedsIndex(std::uint8_t fileId, const std::string& dataPath);
bool SourceNeedsIndex(std::uint8_t fileId, std::optional<Form> probed);

// The type whose usual name (FileIdOfUsualName) the data file or the index
// of `files` bears when that is another type than `fileId`, with the name:
// art.mul chosen to import gumps from. A verdata or a patch project file
// serves every type and bears none.
struct OtherTypeName {
    std::string name;     // the file's name without its folder
    std::uint8_t fileId;  // the type that name stands for
};
std::optional<OtherTypeName> OtherTypeNamed(std::uint8_t fileId, const SourceFiles& files);

// Reads a patch project file or a verdata, as its content shows it to be,
// into `patch`; anything else is refused.
Status ReadPatchOrVerdata(const std::string& path, Patch& patch, const ReadOptions& options = {});

// Opens the blocks of file type `fileId` from `files` as what their content
// shows them to be: a package, a patch project file or a verdata (their
// blocks of that type; no index is used), else the data file cut as the
// type's files are, with its index where the type has one. With `expected`,
// a file of another form is refused (a data file whose content is a
// package). The message of a failure names the file.
Result<std::unique_ptr<BlockSource>> OpenSource(std::uint8_t fileId, const SourceFiles& files,
                                                std::optional<Form> expected = std::nullopt);
