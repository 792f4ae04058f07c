// The commands of palindra-cli that read game data packages.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

// package FILE.uop: the header and every live entry.
class CliSession;
int ListPackage(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession&);

