// What the usual names of the client's data files (the table of
// UsualNamesOf) tell: the file type a name stands for ("gumpart.mul" holds
// gumps) and the index that lies beside a data file ("art.mul" beside
// "artidx.mul"), in any case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The file type of a data or index file by its name, without its folder.
std::optional<std::uint8_t> FileIdOfName(const std::string& fileName);

// The file type whose usual name `fileName` (without its folder) is: of its
// data file, its index or its package, another number allowed where the
// name has one (map1.mul, staidx2.mul, anim4.idx); nothing for other names.
std::optional<std::uint8_t> FileIdOfUsualName(const std::string& fileName);

// The path of the usual index of the data file at `dataPath` when such a file
// lies in the same folder; "" when the name has no usual index or none is there.
std::string IndexBeside(const std::string& dataPath);
