// A command's words as GNU tools take them: options anywhere, "--opt VALUE"
// or "--opt=VALUE", "--" ends the options, -h/--help explains the command.
// The same parsing serves the command line and the lines of a manifest.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/result.h"

// The options beyond --json and --help that a command takes.
enum CliOption : unsigned {
    kBaseOption = 1,        // --base VERDATA.mul
    kFilesOption = 2,       // --files A-B
    kBlocksOption = 4,      // --blocks A-B
    kSkipAbsentOption = 8,  // --skip-absent
    kClientVerdataOption = 16,  // --client-verdata apply|ignore
    kCompactOption = 32,        // --compact
    kTrustTypeOption = 64,      // --trust-type
};

struct NumberRange {
    std::int64_t from = 0, to = 0;
};

// What a command was given.
struct CliArgs {
    std::vector<std::string> words;  // the arguments that are not options, in order
    std::optional<std::string> base;
    std::optional<NumberRange> files, blocks;  // checked to lie within 0..255 and 0..2^31-1
    std::string filesText, blocksText;         // as typed, for messages
    bool skipAbsent = false;
    bool ignoreClientVerdata = false;  // --client-verdata ignore
    bool compact = false;
    bool trustType = false;
    bool json = false;
    bool help = false;
};

// The program's own options, which stand before the command.
struct ProgramArgs {
    bool help = false, version = false, json = false;
    std::vector<std::string> command;  // the command's name and its words, left to it
};
Result<ProgramArgs> ParseProgramLine(const std::vector<std::string>& words);

// Parses `words` (behind the command's name) for a command that takes
// `options`; an error is a usage error, worded for the user.
Result<CliArgs> ParseCommandLine(unsigned options, const std::vector<std::string>& words);

// The lines of a command's --help on its options.
std::string OptionsHelp(unsigned options);
