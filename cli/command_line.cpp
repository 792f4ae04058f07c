#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <stdexcept>

#include "cli/cli_support.h"
#include "cli/help_text.h"

namespace {
// An app that takes -h/--help and --json, and what it makes of `words`: the
// parser's message when it refuses them.
struct Parser {
    CLI::App app;
    Parser(bool& help, bool& json) {
        app.set_help_flag();
        app.add_flag("-h,--help", help);
        app.add_flag("--json", json);
    }
    Status Parse(const std::vector<std::string>& words) {
        std::vector<std::string> reversed(words.rbegin(), words.rend());
        try {
            app.parse(reversed);
        } catch (const CLI::Error& e) {
            return UsageError(e.what());
        }
        return {};
    }
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// "a, b or c"
std::string Listed(const std::vector<const char*>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + std::string(words[i]);
    return text;
}

void AddOption(CLI::App& app, const OptionDeclaration& o, OptionValues& values) {
    const std::string name = o.name;
    std::visit(Overloaded{
                   [&](bool OptionValues::*flag) { app.add_flag(name, values.*flag); },
                   [&](std::optional<std::string> OptionValues::*path) {
                       app.add_option_function<std::string>(name, [&values, path](const std::string& p) {
                              values.*path = p;
                          })->type_name(o.value);
                   },
                   [&](std::optional<NumberRange> OptionValues::*range) {
                       const std::int64_t max = o.max;
                       app.add_option_function<std::string>(name, [&values, range, name, max](const std::string& v) {
                              NumberRange r{0, 0, v};
                              if (!ParseRange(v, 0, max, r.from, r.to))
                                  throw CLI::ValidationError(name + " needs a range A-B of numbers from 0 to " +
                                                             std::to_string(max) + ", not '" + v + "'");
                              values.*range = r;
                          })->type_name(o.value);
                   },
                   [&](std::string OptionValues::*word) {
                       const std::vector<const char*> words = o.words;
                       app.add_option_function<std::string>(name, [&values, word, name, words](const std::string& w) {
                              if (std::find(words.begin(), words.end(), w) == words.end())
                                  throw CLI::ValidationError(name + " takes " + Listed(words) + ", not '" + w + "'");
                              values.*word = w;
                          })->type_name(o.value);
                   },
                   [&](std::optional<NumberList> OptionValues::*list) {
                       const std::int64_t max = o.max;
                       const std::size_t count = o.count;
                       app.add_option_function<std::string>(name, [&values, list, name, max, count](const std::string& v) {
                              NumberList l{{}, v};
                              bool read = true;
                              for (std::size_t from = 0; read;) {
                                  const std::size_t comma = v.find(',', from);
                                  std::int64_t n = 0;
                                  read = ParseInt(v.substr(from, comma == std::string::npos ? comma : comma - from), 0, max, n);
                                  if (read) l.numbers.push_back(n);
                                  if (comma == std::string::npos) break;
                                  from = comma + 1;
                              }
                              if (!read || l.numbers.size() != count)
                                  throw CLI::ValidationError(name + " needs " +
                                                             (count == 1 ? std::string("a number")
                                                                         : std::to_string(count) + " numbers joined by commas") +
                                                             " from 0 to " + std::to_string(max) + ", not '" + v + "'");
                              values.*list = l;
                          })->type_name(o.value);
                   },
               },
               o.into);
    app.get_option(name)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// Reads `word` as `arg` declares it into `value`; an error says why not.
Status Read(const ArgDeclaration& arg, const std::string& word, CommandArgs::Value& value) {
    std::string why;
    switch (arg.kind) {
    case ArgKind::kFile:
    case ArgKind::kFolder:
        return {};
    case ArgKind::kNumber:
        if (!ReadNumberArgument(word, arg.name, arg.min, arg.max, value.number, why)) return UsageError(why);
        return {};
    case ArgKind::kRange:
        if (!ParseRange(word, arg.min, arg.max, value.number, value.to)) {
            if (!ReadNumberArgument(word, arg.name, arg.min, arg.max, value.number, why)) return UsageError(why);
            value.to = value.number;
        }
        if (value.number > value.to) return UsageError("the range " + word + " selects nothing");
        return {};
    case ArgKind::kFileId: {
        std::uint8_t id = 0;
        if (!ReadFileIdArgument(word, id, why)) return UsageError(why);
        value.number = id;
        return {};
    }
    case ArgKind::kDataType:
        if (const FileTypeEntry* type = DataFileType(word)) {
            value.number = type - FileTypes().data();
            return {};
        }
        return UsageError(std::string(arg.name) + " takes the ID or name of a type of data files (see the types "
                                                  "command), not '" + word + "'");
    case ArgKind::kWords: {
        const auto found = std::find(arg.words.begin(), arg.words.end(), word);
        value.word = found == arg.words.end() ? -1 : static_cast<int>(found - arg.words.begin());
        std::uint8_t id = 0;
        if (value.word >= 0) return {};
        if (arg.orFileId && ParseFileId(word, id)) {
            value.number = id;
            return {};
        }
        std::vector<const char*> taken = arg.words;
        if (arg.orFileId) taken.push_back("a file ID from 0 to 255 or a file type's name (see the types command)");
        return UsageError("'" + word + "' is not " + Listed(taken));
    }
    }
    return {};
}

std::string Resolve(const std::filesystem::path& folder, const std::string& path) {
    if (path.empty() || path[0] == '/' || folder.empty()) return path;
    return (folder / path).string();
}

// Parses the words for `command`, whose arguments from `first` on they give.
Result<CommandArgs> Parse(const CommandDeclaration& command, const std::vector<std::string>& words,
                          std::size_t first, CommandArgs& args, std::vector<CommandArgs::Value>& values) {
    Parser parser(args.help, args.json);
    CLI::App& app = parser.app;
    for (const OptionDeclaration& o : Options())
        if (command.options & o.option) AddOption(app, o, args);
    std::vector<std::string> singles(command.args.size());
    std::vector<CLI::Option*> positional(command.args.size(), nullptr);
    for (std::size_t i = first; i < command.args.size(); ++i) {
        const ArgDeclaration& arg = command.args[i];
        positional[i] = arg.most > 1 ? app.add_option(arg.name, values[i].words)->expected(0, CLI::detail::expected_max_vector_size)
                                     : app.add_option(arg.name, singles[i]);
    }
    app.allow_extras();
    const Status parsed = parser.Parse(words);
    // Asked for help, the user gets it whatever else the line holds.
    if (args.help) return std::move(args);
    if (!parsed) return parsed.error();
    // Whatever the parser did not take is an option the command does not
    // know, or an argument too many.
    bool ended = false;
    for (const std::string& word : app.remaining()) {
        if (word == "--") {
            ended = true;
            continue;
        }
        if (!ended && word.size() > 1 && word[0] == '-') return UsageError("unknown option '" + word + "'");
        return UsageError("too many arguments: '" + word + "'");
    }
    for (std::size_t i = first; i < command.args.size(); ++i) {
        const ArgDeclaration& arg = command.args[i];
        if (arg.most == 1 && positional[i]->count() > 0) values[i].words = {singles[i]};
        const auto count = static_cast<int>(values[i].words.size());
        if (count < arg.least)
            return UsageError(ArgUsage(arg) + (arg.least == 1 ? " is missing"
                                                              : " takes " + std::to_string(arg.least) + " to " +
                                                                    std::to_string(arg.most) + " words, not " +
                                                                    std::to_string(count)));
        if (count > arg.most) return UsageError("too many arguments: '" + values[i].words[arg.most] + "'");
        for (const std::string& word : values[i].words)
            if (Status read = Read(arg, word, values[i]); !read) return read.error();
    }
    return std::move(args);
}
}  // namespace

const CommandArgs::Value& CommandArgs::Find(std::string_view name) const {
    for (std::size_t i = 0; i < command_->args.size(); ++i)
        if (name == command_->args[i].name) return values_[i];
    throw std::logic_error("palindra-cli " + std::string(command_->name) + " declares no argument " + std::string(name));
}

const std::string& CommandArgs::Text(std::string_view name) const {
    static const std::string none;
    const Value& v = Find(name);
    return v.words.empty() ? none : v.words.front();
}

const std::vector<std::string>& CommandArgs::Texts(std::string_view name) const { return Find(name).words; }

std::int64_t CommandArgs::Number(std::string_view name) const { return Find(name).number; }

NumberRange CommandArgs::Range(std::string_view name) const {
    const Value& v = Find(name);
    return {v.number, v.to, Text(name)};
}

int CommandArgs::Word(std::string_view name) const { return Find(name).word; }

Result<CommandArgs> ParseCommandArgs(const CommandDeclaration& command, const std::vector<std::string>& words) {
    CommandArgs args;
    args.command_ = &command;
    args.line_ = words;
    args.values_.resize(command.args.size());
    return Parse(command, words, 0, args, args.values_);
}

Result<CommandArgs> ParseManifestLine(const CommandDeclaration& command, const std::vector<std::string>& words,
                                      const std::filesystem::path& folder, const std::string& patch) {
    CommandArgs args;
    args.command_ = &command;
    args.line_ = words;
    args.values_.resize(command.args.size());
    args.values_.front().words = {patch};
    Result<CommandArgs> parsed = Parse(command, words, 1, args, args.values_);
    if (!parsed) return parsed;
    if (parsed->help) return UsageError("--help has no place in a manifest");
    // The paths the line gives are the manifest's; options stay as they are.
    for (std::size_t i = 1; i < command.args.size(); ++i)
        if (command.args[i].IsPath())
            for (std::string& word : parsed->values_[i].words) word = Resolve(folder, word);
    for (const OptionDeclaration& o : Options()) {
        const auto* path = std::get_if<std::optional<std::string> OptionValues::*>(&o.into);
        if (!path || !(command.options & o.option)) continue;
        std::optional<std::string>& value = (*parsed).*(*path);
        if (value) value = Resolve(folder, *value);
    }
    return parsed;
}

Result<ProgramArgs> ParseProgramLine(const std::vector<std::string>& words) {
    ProgramArgs args;
    Parser parser(args.help, args.json);
    parser.app.add_flag("--version", args.version);
    parser.app.prefix_command();
    if (Status parsed = parser.Parse(words); !parsed) return parsed.error();
    args.command = parser.app.remaining();
    return args;
}
