// remove and set-flags: changes to blocks already in a patch.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

class CliSession;

int Remove(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int SetFlags(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
