// diff and verify: what differs between two patches, and whether a written
// verdata holds what export of a patch writes.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

class CliSession;

int Diff(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int Verify(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
