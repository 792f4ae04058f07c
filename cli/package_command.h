// The commands of palindra-cli that read game data packages.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// package FILE.uop: the header and every live entry.
class CliSession;
int ListPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession&);

