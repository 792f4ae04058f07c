// bake: the patch written into copies of the client's own files.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"

class CliSession;

int BakeCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
