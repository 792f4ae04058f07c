// palindra-cli's command line: the program's own options, then a command
// (see declaration.h) and its words.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/declaration.h"

// Runs one command line (without the program name) and returns the exit
// code: 0 done, 1 failed (message on stderr) or, for diff and verify, the
// files differ; 2 wrong usage, or diff and verify cannot tell. --json before
// or after the command asks for the result as one JSON document.
// `progress`: stderr is a terminal that may show a line following long work.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress = false);

// What runs the command in this program: its own function, or PictureRun's.
Run RunOf(const CommandDeclaration& command);
