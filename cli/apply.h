// apply: runs a manifest of commands against one patch, all or nothing.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/declaration.h"
#include "io/result.h"

// Splits a line into words as a POSIX shell does, without expanding
// anything: blanks separate, quotes and backslashes quote, '#' at the start
// of a word begins a comment.
Result<std::vector<std::string>> SplitWords(const std::string& line);

// Runs the lines of the manifest, each parsed by its command's declaration,
// against the patch held in `session`.
CommandResult Apply(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
