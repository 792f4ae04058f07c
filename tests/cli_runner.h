// Runs the command-line tool in-process and keeps what it printed.
#pragma once

#include <algorithm>
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

// A command line split at spaces; "@NAME" is NAME in `dir`.
inline CliResult Cli(const TempDir& dir, const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w[0] == '@' ? dir / w.substr(1) : w);
    return Cli(words);
}

struct CliStep {
    std::string line;  // words; "@NAME" is NAME in the folder
    int code;
    std::string text;  // a success prints exactly this ("*": anything); a failure's message holds it
};

// Runs the steps in turn. A failure prints nothing on stdout and one line on
// stderr when it exits 1.
inline void RunSteps(const TempDir& dir, const std::vector<CliStep>& steps) {
    for (const CliStep& s : steps) {
        SCOPED_TRACE(s.line);
        const CliResult r = Cli(dir, s.line);
        EXPECT_EQ(r.code, s.code) << r.err;
        if (s.code == 0) {
            EXPECT_TRUE(s.text == "*" || r.out == s.text) << r.out << "\nexpected:\n" << s.text;
            continue;
        }
        EXPECT_TRUE(Has(r.err, s.text));
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(s.code != 1 || (r.err.rfind("palindra-cli: ", 0) == 0 && std::count(r.err.begin(), r.err.end(), '\n') == 1))
            << r.err;
    }
}
