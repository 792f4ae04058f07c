// The commands of palindra-cli. Each takes its arguments (after the command
// name) and returns the exit code: 0 done, 1 failed (message on stderr),
// 2 wrong usage, or kCannotTell (exit 2 without the usage).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/command_line.h"

class CliSession;

struct CliCommand {
    const char* name;
    const char* usage;    // the arguments, e.g. "FILE"
    const char* summary;  // one line
    const char* example;
    unsigned options;  // the CliOption flags it takes
    int (*run)(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
};

const std::vector<CliCommand>& CliCommands();
// The command of this name, or nullptr.
const CliCommand* FindCliCommand(const std::string& name);

// Runs one command line (without the program name); --json before or after
// the command asks for the result as one JSON document.
// `progress`: stderr is a terminal that may show a line following long work.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress = false);
