// status and prune: what a patch does to the client's own files, block by
// block, and dropping the blocks that do nothing.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"

class CliSession;

int StatusCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int PruneCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
