// info and types: what a patch holds per file type, and the catalogue.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

class CliSession;

int Info(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int Types(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
