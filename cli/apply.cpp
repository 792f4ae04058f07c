#include "cli/apply.h"

#include <cstring>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/help_text.h"
#include "io/binary_io.h"
#include "io/counted.h"

namespace {
struct Operation {
    int line = 0;
    std::vector<std::string> words;  // the command's name and its words
};
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

CommandResult Apply(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &manifest = args.Text("MANIFEST");
    const Result<Manifest> read = ReadManifest(manifest);
    if (!read) return read.error();
    const std::vector<Operation>& operations = read->operations;
    const int number = read->lines;

    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    session.Hold(path, std::move(patch));
    const std::filesystem::path folder = std::filesystem::path(manifest).parent_path();
    // What the lines report is theirs; only how they end matters here.
    std::ostream discard(nullptr);
    for (std::size_t i = 0; i < operations.size(); ++i) {
        const Operation& op = operations[i];
        const std::string& name = op.words.front();
        const std::string where = manifest + " line " + std::to_string(op.line) + ": ";
        const CommandDeclaration* command = FindCommand(name);
        if (!command || !command->Has(kInManifest))
            return Error(where + "'" + name + "' is not a command that changes or exports a patch. Nothing was saved.");
        if (session.progress) err << "\r\033[K[" << i + 1 << "/" << operations.size() << "] " << name << std::flush;
        const Result<CommandArgs> line = ParseManifestLine(*command, {op.words.begin() + 1, op.words.end()}, folder, path);
        const CommandResult done = line ? RunOf(*command)(*line, discard, discard, session) : line.error();
        if (session.progress) err << "\r\033[K" << std::flush;
        if (!done && done.error().code == ErrorCode::kUsage)
            return Error(where + done.error().message + "; usage: " + name + " " + Usage(*command, 1) +
                         ". Nothing was saved.");
        if (!done) return Error(where + done.error().message + " Nothing was saved.");
    }
    const std::int64_t live = session.Held().LiveCount();
    Json exports = Json::array();
    for (const std::string& target : session.Exports()) exports.push_back(target);
    if (Status done = session.Commit(); !done) return done.error();
    session.Report(out,
                   "Applied " + Counted(static_cast<std::int64_t>(operations.size()), "operation") + " of " + manifest +
                       " to " + path + " (" + Counted(live, "live block") + ", " +
                       Counted(static_cast<std::int64_t>(exports.size()), "export") + ").\n",
                   {{"lines", number}, {"operations", operations.size()}, {"live", live}, {"exports", exports}});
    return kDone;
}
