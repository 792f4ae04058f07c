// palindra-cli's side of the picture commands: it becomes the program that
// has Qt's image code, with the same words, so that output, exit code and
// signals stay the user's own.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/picture_commands.h"

namespace {
constexpr const char* kHelper = "palindra-cli-pictures";

CommandResult RunInHelper(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const char* command = args.Command().name;
    const std::string cannot = std::string(command) + " runs in the helper program " + kHelper + ", which ";
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    // Only ever a path from this program's own folder, never one relative to the working folder.
    if (ec || !program.is_absolute()) return Error(cannot + "cannot be found: this program does not know where it lies.");
    const std::filesystem::path folder = program.parent_path();
    const std::filesystem::path places[] = {folder / kHelper, (folder / PALINDRA_HELPER_DIR / kHelper).lexically_normal()};
    std::vector<std::string> words = {""};
    if (session.json) words.push_back("--json");
    words.push_back(command);
    words.insert(words.end(), args.Line().begin(), args.Line().end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    out.flush();
    err.flush();
    int why = ENOENT;
    for (const std::filesystem::path& place : places) {
        words[0] = place.string();
        argv[0] = words[0].data();
        ::execv(argv[0], argv.data());
        if (errno != ENOENT) why = errno;
    }
    return Error(cannot + "cannot be started from " + places[0].string() + " or " + places[1].string() + ": " +
                 std::strerror(why) + ".");
}
}  // namespace

Run PictureRun(const CommandDeclaration&) { return RunInHelper; }
