#include "cli/commands.h"

#include <new>
#include <optional>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/help_text.h"
#include "cli/picture_commands.h"

namespace {
int UsageError(const CommandDeclaration& c, const std::string& message, std::ostream& err) {
    err << "palindra-cli " << c.name << ": " << message << "\nUsage: palindra-cli " << c.name << " " << Usage(c)
        << "\nTry 'palindra-cli " << c.name << " --help' for more.\n";
    return kUsage;
}

// The exit code of what the command ended with, saying why it failed.
int ExitCode(const CommandDeclaration& c, const CommandResult& result, std::ostream& err) {
    if (result) return *result == Finished::kDiffers ? kFailed : kOk;
    const Error& error = result.error();
    if (error.code == ErrorCode::kUsage) return UsageError(c, error.message, err);
    // A stop by the user ends the command without a message.
    if (error.code == ErrorCode::kCancelled) return kFailed;
    Fail(err, error);
    return c.Has(kCompares) ? kUsage : kFailed;
}

// Runs a command with its words (behind its name).
int RunCommand(const CommandDeclaration& c, const std::vector<std::string>& words, std::ostream& out,
               std::ostream& err, CliSession& session) {
    const Result<CommandArgs> parsed = ParseCommandArgs(c, words);
    if (!parsed) return UsageError(c, parsed.error().message, err);
    const CommandArgs& args = *parsed;
    if (args.help) {
        out << CommandHelp(c);
        return kOk;
    }
    session.json = session.json || args.json;
    std::optional<ProgressLine> line;
    if (session.progress) {
        line.emplace(out, err, c.name);
        session.line = &*line;
    }
    CommandResult result = Error("");
    try {
        result = RunOf(c)(args, out, err, session);
    } catch (const std::bad_alloc&) {
        // Every command saves through a temporary file, so nothing was changed.
        result = Error(std::string("There is not enough memory for ") + c.name + "; nothing was changed.");
    }
    return ExitCode(c, result, err);
}
}  // namespace

Run RunOf(const CommandDeclaration& command) { return command.run ? command.run : PictureRun(command); }

int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, bool progress) {
    CliSession session;
    session.progress = progress;
    session.messages = &err;
    const Result<ProgramArgs> parsed = ParseProgramLine(words);
    if (!parsed) {
        err << "palindra-cli: " << parsed.error().message << "\nTry 'palindra-cli --help'.\n";
        return kUsage;
    }
    const ProgramArgs& program = *parsed;
    session.json = program.json;
    bool help = program.help;
    const std::vector<std::string>& rest = program.command;
    if (program.version) {
        out << "palindra-cli " << PALINDRA_VERSION << "\n";
        return kOk;
    }
    if (!rest.empty() && rest[0] == "help") {
        if (const CommandDeclaration* c = rest.size() == 2 ? FindCommand(rest[1]) : nullptr) {
            out << CommandHelp(*c);
            return kOk;
        }
        help = true;
    }
    if (help || rest.empty()) {
        (help ? out : err) << ProgramHelp();
        return help ? kOk : kUsage;
    }
    if (rest[0].starts_with("-")) {
        err << "palindra-cli: unknown option '" << rest[0] << "'. Try 'palindra-cli --help'.\n";
        return kUsage;
    }
    const CommandDeclaration* c = FindCommand(rest[0]);
    if (!c) {
        err << "palindra-cli: unknown command '" << rest[0] << "'. Try 'palindra-cli --help'.\n";
        return kUsage;
    }
    return RunCommand(*c, std::vector<std::string>(rest.begin() + 1, rest.end()), out, err, session);
}
