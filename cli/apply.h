// apply: runs a manifest of commands against one patch, all or nothing.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "io/result.h"

class CliSession;

// Splits a line into words as a POSIX shell does, without expanding
// anything: blanks separate, quotes and backslashes quote, '#' at the start
// of a word begins a comment.
Result<std::vector<std::string>> SplitWords(const std::string& line);

int Apply(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
