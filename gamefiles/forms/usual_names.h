// The usual names of the client's files, in one table, and what they tell:
// the file type a name stands for ("gumpart.mul" holds gumps) and the index
// that lies beside a data file ("art.mul" beside "artidx.mul"), in any case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The usual names of a type's files ("" where it has none); nullptr for a
// file ID the client keeps no files of.
struct UsualNames {
    std::string_view data, index = {}, package = {};
};
const UsualNames* UsualNamesOf(std::uint8_t fileId);

// "verdata.mul".
inline constexpr std::string_view kVerdataName = "verdata.mul";

// The usual names of the whole files of kFiles, by block; nullptr past them.
const char* WholeFileName(std::int32_t block);

// Whether `lowerName` (lower case, without its folder) is a usual name of
// any file of the client's: a type's, a whole file's or verdata.mul.
bool IsUsualName(const std::string& lowerName);

// The file type of a data or index file by its name, without its folder.
std::optional<std::uint8_t> FileIdOfName(const std::string& fileName);

// The file type whose usual name `fileName` (without its folder) is: of its
// data file, its index or its package, another number allowed where the
// name has one (map1.mul, staidx2.mul, anim4.idx); nothing for other names.
std::optional<std::uint8_t> FileIdOfUsualName(const std::string& fileName);

// The path of the usual index of the data file at `dataPath` when such a file
// lies in the same folder; "" when the name has no usual index, none is
// there, or no data file is there (the folder is listed only then).
std::string IndexBeside(const std::string& dataPath);
