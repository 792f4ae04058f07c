// The client's own folder: which of its files are there, under which
// spelling. Files are found by their usual names in any case; nothing is
// opened here, only the folder is listed.
//
// What the folder's entries mean:
// - Two entries that match one usual name in different case are refused,
//   naming both: which of them the client reads depends on its system.
// - An entry with a usual name that is no regular file (a folder, a FIFO, a
//   device, a dangling link) is refused, naming it: reading a FIFO would
//   hang, and taking it for missing would send its blocks elsewhere without
//   a word. A link to a regular file is followed.
// - Half a pair (art.mul without artidx.mul, or the index alone) gives no
//   data-file form: neither half can be read or written without the other.
//   It is kept in Files() and MissingFiles() names the absent half, so the
//   messages say what to add.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/usual_names.h"
#include "io/result.h"


struct ClientFile {
    std::string path;  // the folder joined with `name`
    std::string name;  // as spelled in the folder: outputs are written under it
};

// The files of one type that the folder holds.
struct ClientTypeFiles {
    std::optional<ClientFile> data, index, package;
};


class ClientFolder {
public:
    // Lists `dir`; refused when it is no folder, on a case clash or on a
    // usual name that is no regular file.
    static Result<ClientFolder> Open(const std::string& dir);

    const std::string& Path() const { return path_; }
    const ClientTypeFiles& Files(std::uint8_t fileId) const { return types_[fileId]; }
    const std::optional<ClientFile>& Verdata() const { return verdata_; }
    // The whole file carried as block `block` of kFiles (0 client.exe,
    // 1 readme.txt, 2 map0.mul); nothing when the folder lacks it.
    std::optional<ClientFile> WholeFile(std::int32_t block) const;

    // Whether the type's blocks can be read in `form` (the package, or the
    // type's data files: DataFilesOf): the whole pair, the fixed-size or
    // grouped file, the package. kFiles always has its whole files: one the
    // folder lacks is a block without data.
    bool Has(std::uint8_t fileId, Form form) const;
    // The form that holds what the client has: the package where there is
    // one (newer clients read it and no data file of the type), else the
    // data files; nothing when the folder lacks the type's files.
    std::optional<Form> ShownForm(std::uint8_t fileId) const;
    // Every form of the type the folder holds, and a bake writes: the
    // package first, as ShownForm.
    std::vector<Form> Forms(std::uint8_t fileId) const;
    // The usual names of the data-file form's files the folder lacks, for
    // messages; empty when the form is whole.
    std::vector<std::string> MissingFiles(std::uint8_t fileId) const;
    // The folder's spelling of a usual name, or the name itself when the
    // folder lacks it: what an output standing for that file is called.
    std::string SpellingOf(std::string_view usualName) const;

private:
    const ClientFile* Find(std::string_view usualName) const;

    std::string path_;
    std::vector<ClientTypeFiles> types_ = std::vector<ClientTypeFiles>(256);
    std::optional<ClientFile> verdata_;
    std::vector<ClientFile> found_;  // every entry with a usual name
};

