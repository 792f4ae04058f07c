// The commands of palindra-cli that read game data packages.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// package FILE.uop: the header and every live entry.
class CliSession;
int ListPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession&);

// True when either side of the compare is a game data package.
bool ComparesWithPackage(const std::vector<std::string>& args);
// compare PATCH FILEID BASE ALTERED, each side a package or a data file with its index.
int CompareWithPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       CliSession& session);
