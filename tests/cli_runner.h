// Runs the command-line tool in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "test_support.h"

struct CliResult {
    int code;
    std::string out, err;
};

inline CliResult Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// The words of `line`, split at spaces; "@NAME" is NAME in `dir`.
inline std::vector<std::string> Words(const TempDir& dir, const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string w; in >> w;) out.push_back(w[0] == '@' ? dir / w.substr(1) : w);
    return out;
}

inline CliResult Cli(const TempDir& dir, const std::string& line) { return Cli(Words(dir, line)); }
