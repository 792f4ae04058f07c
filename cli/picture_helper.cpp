// palindra-cli's side of the picture commands: it becomes the program that
// has Qt's image code, with the same arguments, so that output, exit code
// and signals stay the user's own.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/picture_commands.h"

namespace {
constexpr const char* kHelper = "palindra-cli-pictures";

int RunInHelper(const char* command, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliSession& session) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
    // Beside the program in the build tree; under libexec once installed.
    const std::filesystem::path places[] = {folder / kHelper, folder / "../libexec/palindra" / kHelper};
    std::vector<std::string> words = {"", command};
    words.insert(words.end(), args.begin(), args.end());
    if (session.json) words.push_back("--json");
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
    return Fail(err, std::string(command) + " runs in the helper program " + kHelper + ", which cannot be started from " +
                         places[1].lexically_normal().string() + ": " + std::strerror(why) + ".");
}
}  // namespace

int GumpToBmpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    return RunInHelper("gump-to-bmp", args, out, err, session);
}

int BmpToGumpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    return RunInHelper("bmp-to-gump", args, out, err, session);
}

int ApplyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    return RunInHelper("apply", args, out, err, session);
}
