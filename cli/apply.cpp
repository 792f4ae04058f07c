#include "cli/apply.h"

#include <cstring>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "io/binary_io.h"
#include "io/counted.h"

namespace {
// The commands a manifest may use, and from which of their arguments (not
// counting options) on the words are paths, resolved against the manifest's
// folder.
struct ManifestCommand {
    const char* name;
    int firstPath;  // -1: no paths
};
constexpr ManifestCommand kManifestCommands[] = {
    {"insert", 2},  {"import", 1}, {"bmp-to-gump", 1}, {"compare", 1},
    {"add-file", 1}, {"remove", -1}, {"set-flags", -1}, {"export", 0}, {"png-to-anim", 1}, {"prune", 0},
};

struct Operation {
    int line = 0;
    std::vector<std::string> words;
};

std::string Resolve(const std::filesystem::path& folder, const std::string& path) {
    if (path.empty() || path[0] == '/' || folder.empty()) return path;
    return (folder / path).string();
}

// The command's arguments as the command line takes them, behind the
// patch; of its words only the paths are made relative to the manifest's
// folder, options stay as they are. An error is a usage error.
Result<CliArgs> Arguments(const ManifestCommand& manifest, const CliCommand& command,
                          const std::vector<std::string>& words, const std::filesystem::path& folder,
                          const std::string& patch) {
    Result<CliArgs> parsed = ParseCommandLine(command.options, {words.begin() + 1, words.end()});
    if (!parsed) return parsed;
    CliArgs& args = *parsed;
    if (args.help) return Error("--help has no place in a manifest");
    if (manifest.firstPath >= 0)
        for (auto i = static_cast<std::size_t>(manifest.firstPath); i < args.words.size(); ++i)
            args.words[i] = Resolve(folder, args.words[i]);
    if (args.base) args.base = Resolve(folder, *args.base);
    args.words.insert(args.words.begin(), patch);
    return parsed;
}

// The command's usage without the patch argument the manifest does not repeat.
std::string ManifestUsage(const CliCommand& command) {
    std::string usage = command.usage;
    for (std::size_t at; (at = usage.find("PATCH.uop ")) != std::string::npos;) usage.erase(at, 10);
    return std::string(command.name) + " " + usage;
}

// The first line of a command's message, without the program's prefix.
std::string MessageOf(const std::string& err) {
    std::string m = err.substr(0, err.find('\n'));
    const std::string prefix = "palindra-cli: ";
    return m.rfind(prefix, 0) == 0 ? m.substr(prefix.size()) : m;
}
}  // namespace

Result<std::vector<std::string>> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        // A path would end at it unseen.
        if (c == '\0') return Error("the line holds a NUL byte");
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        if (c == '#' && !inWord) break;
        inWord = true;
        if (c == '\\') {
            if (i + 1 >= line.size()) return Error("the line ends in a backslash");
            word += line[++i];
        } else if (c == '\'') {
            const auto end = line.find('\'', i + 1);
            if (end == std::string::npos) return Error("a single quote is not closed");
            word += line.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size() && std::strchr("$`\"\\", line[i + 1])) ++i;
                word += line[i];
            }
            if (i >= line.size()) return Error("a double quote is not closed");
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

namespace {
// The operations a manifest lists, and how many lines it has.
struct Manifest {
    std::vector<Operation> operations;
    int lines = 0;
};

Result<Manifest> ReadManifest(const std::string& manifest) {
    const Result<Bytes> read = ReadWholeFile(manifest, 64 << 20);
    if (!read) return read.error();
    const Bytes& text = *read;
    Manifest m;
    // Editors may start a UTF-8 file with a byte-order mark.
    const std::size_t mark = text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF ? 3 : 0;
    std::istringstream lines(std::string(text.begin() + mark, text.end()));
    std::string line;
    while (std::getline(lines, line)) {
        ++m.lines;
        Result<std::vector<std::string>> words = SplitWords(line);
        if (!words)
            return Error(manifest + " line " + std::to_string(m.lines) + ": " + words.error().message +
                         ". Nothing was saved.");
        if (!words->empty()) m.operations.push_back({m.lines, std::move(*words)});
    }
    return m;
}
}  // namespace

int Apply(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 2) return kUsage;
    const std::string& manifest = args.words[1];
    const Result<Manifest> read = ReadManifest(manifest);
    if (!read) return Fail(err, read.error());
    const std::vector<Operation>& operations = read->operations;
    const int number = read->lines;

    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    session.Hold(args.words[0], std::move(patch));
    const std::filesystem::path folder = std::filesystem::path(manifest).parent_path();
    Json exports = Json::array();
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const Operation& op = operations[i];
        const std::string where = manifest + " line " + std::to_string(op.line) + ": ";
        const ManifestCommand* allowed = nullptr;
        for (const ManifestCommand& m : kManifestCommands)
            if (op.words[0] == m.name) allowed = &m;
        const CliCommand* command = nullptr;
        for (const CliCommand& c : CliCommands())
            if (allowed && op.words[0] == c.name) command = &c;
        if (!command)
            return Fail(err, where + "'" + op.words[0] + "' is not a command that changes or exports a patch. "
                                     "Nothing was saved.");
        if (session.progress)
            err << "\r\033[K[" << i + 1 << "/" << operations.size() << "] " << op.words[0] << std::flush;
        const Result<CliArgs> commandArgs = Arguments(*allowed, *command, op.words, folder, args.words[0]);
        std::ostringstream lineOut, lineErr;
        session.usage.clear();
        const int code = commandArgs ? command->run(*commandArgs, lineOut, lineErr, session) : kUsage;
        if (session.progress) err << "\r\033[K" << std::flush;
        if (code == kUsage)
            return Fail(err, where + (!commandArgs          ? commandArgs.error().message
                                      : session.usage.empty() ? std::string("wrong arguments")
                                                              : session.usage) +
                                 "; usage: " +
                                 ManifestUsage(*command) + ". Nothing was saved.");
        if (code != kOk) return Fail(err, where + MessageOf(lineErr.str()) + " Nothing was saved.");
        if (op.words[0] == "export") exports.push_back(commandArgs->words[1]);
    }
    const std::int64_t live = session.Held().LiveCount();
    if (Status done = session.Commit(); !done) return Fail(err, done.error());
    session.Report(out,
                   "Applied " + Counted(static_cast<std::int64_t>(operations.size()), "operation") + " of " + manifest +
                       " to " + args.words[0] + " (" + Counted(live, "live block") + ", " +
                       Counted(static_cast<std::int64_t>(exports.size()), "export") + ").\n",
                   {{"lines", number}, {"operations", operations.size()}, {"live", live}, {"exports", exports}});
    return kOk;
}
