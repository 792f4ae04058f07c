// apply: runs a manifest of commands against one patch, all or nothing.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

class CliSession;

// Splits a line into words as a POSIX shell does, without expanding
// anything: blanks separate, quotes and backslashes quote, '#' at the start
// of a word begins a comment. "" or a message.
std::string SplitWords(const std::string& line, std::vector<std::string>& words);

int Apply(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
