// A command's words as GNU tools take them: options anywhere, "--opt VALUE"
// or "--opt=VALUE", "--" ends the options, -h/--help explains the command.
// The command's declaration says what its words are; the same parsing serves
// the command line and the lines of a manifest.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "cli/declaration.h"
#include "io/result.h"

// What a command was given: its options, and its arguments read as the
// declaration says, found by their declared names.
class CommandArgs : public OptionValues {
public:
    const CommandDeclaration& Command() const { return *command_; }
    // The words behind the command's name as they were given.
    const std::vector<std::string>& Line() const { return line_; }

    // The argument's word (a path of a manifest taken relative to its folder);
    // "" for an optional one not given.
    const std::string& Text(std::string_view name) const;
    // Every word of an argument that takes several.
    const std::vector<std::string>& Texts(std::string_view name) const;
    bool Given(std::string_view name) const { return !Texts(name).empty(); }
    // A number, a file ID or a data type; of a range its first number.
    std::int64_t Number(std::string_view name) const;
    std::uint8_t FileId(std::string_view name) const { return static_cast<std::uint8_t>(Number(name)); }
    NumberRange Range(std::string_view name) const;
    // Which of its words an argument of words was: 0 for the first, -1 for a file ID.
    int Word(std::string_view name) const;

    // What one declared argument was given as.
    struct Value {
        std::vector<std::string> words;
        std::int64_t number = 0, to = 0;
        int word = -1;
    };

private:
    friend Result<CommandArgs> ParseCommandArgs(const CommandDeclaration&, const std::vector<std::string>&);
    friend Result<CommandArgs> ParseManifestLine(const CommandDeclaration&, const std::vector<std::string>&,
                                                 const std::filesystem::path&, const std::string&);
    const Value& Find(std::string_view name) const;

    const CommandDeclaration* command_ = nullptr;
    std::vector<std::string> line_;
    std::vector<Value> values_;  // one for each declared argument
};

// The program's own options, which stand before the command.
struct ProgramArgs {
    bool help = false, version = false, json = false;
    std::vector<std::string> command;  // the command's name and its words, left to it
};
Result<ProgramArgs> ParseProgramLine(const std::vector<std::string>& words);

// Parses `words` (behind the command's name); an error is a usage error,
// worded for the user. Asked for help, the rest of the line is not looked at.
Result<CommandArgs> ParseCommandArgs(const CommandDeclaration& command, const std::vector<std::string>& words);

// Parses a manifest's line (behind the command's name) for `patch`, which it
// does not repeat: the paths the line gives are taken relative to `folder`.
Result<CommandArgs> ParseManifestLine(const CommandDeclaration& command, const std::vector<std::string>& words,
                                      const std::filesystem::path& folder, const std::string& patch);
