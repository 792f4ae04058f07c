// The command line declared once: every command of palindra-cli and of its
// picture helper, with its arguments, options, texts and where it runs. The
// parser, the help (and so the manual page), the bash completion and apply's
// manifests are all made from it, so they cannot drift apart.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "io/result.h"

class CliSession;
class CommandArgs;

// What a command's argument is: how it is read, what the completion offers,
// and whether a manifest takes it relative to its own folder (paths do).
enum class ArgKind {
    kFile,      // a path
    kFolder,    // a path to a folder
    kNumber,    // a whole number from min to max, as the command line writes numbers
    kRange,     // such a number, or two joined by '-' (5-9)
    kFileId,    // a file ID 0..255 or a file type's name
    kDataType,  // the ID or name of a type of data files
    kWords,     // one of `words`, or (orFileId) a file ID
};

struct ArgDeclaration {
    const char* name;  // in the usage and messages; the command finds its value by it
    ArgKind kind = ArgKind::kFile;
    std::int64_t min = 0, max = 0;  // kNumber, kRange
    std::vector<const char*> words = {};
    bool orFileId = false;
    int least = 1, most = 1;      // how many words it takes; only the last may take more than one
    const char* shown = nullptr;  // the usage's text for it, when not made of the name
    bool IsPath() const { return kind == ArgKind::kFile || kind == ArgKind::kFolder; }
};

// The options beyond --json and --help that a command takes.
enum CliOption : unsigned {
    kBaseOption = 1,
    kFilesOption = 2,
    kBlocksOption = 4,
    kSkipAbsentOption = 8,
    kClientVerdataOption = 16,
    kCompactOption = 32,
    kTrustTypeOption = 64,
    kClientOption = 128,
    kTypeOption = 256,
    kPackageVersionOption = 512,
    kCompressionOption = 1024,
    kBasePackageOption = 2048,
    kSkipDamagedOption = 4096,
    kPatchOption = 8192,
    kAreaOption = 16384,
    kScaleOption = 32768,
};

struct NumberRange {
    std::int64_t from = 0, to = 0;
    std::string text;  // as typed, for messages
};

// Whole numbers joined by commas (10,20,300,200).
struct NumberList {
    std::vector<std::int64_t> numbers;
    std::string text;  // as typed, for messages
};

// What the options were given as.
struct OptionValues {
    std::optional<std::string> base, client;
    std::optional<NumberRange> files, blocks;
    bool skipAbsent = false, compact = false, trustType = false, skipDamaged = false;
    std::optional<std::string> type, basePackage;  // convert's FILEID and base package
    std::string packageVersion, compression;
    std::optional<std::string> patch;
    std::optional<NumberList> area, scale;
    std::string clientVerdata;  // "apply", "ignore", or "" when not given (apply)
    bool json = false, help = false;
};

struct OptionDeclaration {
    CliOption option;
    const char* name;   // "--base"
    const char* value;  // its value in the help ("VERDATA.mul"); nullptr for a flag
    const char* help;
    // Where its value goes, which says what it takes: a flag, a path, a range
    // of numbers from 0 to `max`, one of `words`, or `count` numbers from 0
    // to `max` joined by commas.
    std::variant<bool OptionValues::*, std::optional<std::string> OptionValues::*,
                 std::optional<NumberRange> OptionValues::*, std::string OptionValues::*,
                 std::optional<NumberList> OptionValues::*>
        into;
    std::int64_t max = 0;
    std::vector<const char*> words = {};
    std::size_t count = 1;
};

// How a command ends: done, or done and (diff, verify) the two sides differ.
// An error is a failure (exit 1, or 2 for a command that compares), a usage
// error (ErrorCode::kUsage: exit 2 with the usage) or a stop by the user
// (ErrorCode::kCancelled: exit 1 without a message).
enum class Finished { kDone, kDiffers };
inline constexpr Finished kDone = Finished::kDone;
using CommandResult = Result<Finished>;

// A usage error: the message says which word was refused.
inline Error UsageError(std::string message) { return Error(std::move(message), ErrorCode::kUsage); }

// Runs a command: its report goes to `out` (text, or one JSON document when
// the session says so), its warnings to `err`.
using Run = CommandResult (*)(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// What sets a command apart.
enum CommandTrait : unsigned {
    kInManifest = 1,  // it changes or exports a patch, so a manifest may use it; its first argument is that patch
    kCompares = 2,    // exit 1 says the files differ, so a failure exits 2: it cannot tell
};

struct CommandDeclaration {
    const char* name;
    std::vector<ArgDeclaration> args;
    unsigned options = 0;  // CliOption flags
    const char* summary = "";
    const char* example = "";
    // nullptr: it needs Qt's image code and runs in the picture helper (see picture_commands.h).
    Run run = nullptr;
    unsigned traits = 0;

    bool Has(CommandTrait trait) const { return (traits & trait) != 0; }
};

// Every command, in the order the help lists them.
const std::vector<CommandDeclaration>& Commands();
// The command of this name, or nullptr.
const CommandDeclaration* FindCommand(std::string_view name);
// Every option, in the order usages and helps list them.
const std::vector<OptionDeclaration>& Options();
