#include "cli/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "cli/cli_support.h"

namespace {
struct OptionText {
    unsigned option;
    const char* name;
    const char* help;
};

constexpr OptionText kOptionTexts[] = {
    {kBaseOption, "--base VERDATA.mul", "the client's own verdata.mul, merged under the patch"},
    {kFilesOption, "--files A-B", "only blocks of file IDs A to B (0-255)"},
    {kBlocksOption, "--blocks A-B", "only blocks numbered A to B"},
    {kSkipAbsentOption, "--skip-absent", "leaves out blocks without data"},
    {kClientVerdataOption, "--client-verdata WHAT",
     "apply (the default): the client's verdata.mul lies over its data files (bake writes it in first); "
     "ignore: the data files alone"},
    {kCompactOption, "--compact", "data files hold only what their live entries point at"},
    {kTrustTypeOption, "--trust-type", "imports a file whose name is another type's usual name (art.mul as gumps)"},
};

// Takes an "A-B" range of numbers within min..max.
void AddRange(CLI::App& app, const char* name, std::int64_t max, std::optional<NumberRange>& range,
              std::string& text) {
    app.add_option_function<std::string>(
        name,
        [&range, &text, name, max](const std::string& value) {
            NumberRange r;
            if (!ParseRange(value, 0, max, r.from, r.to))
                throw CLI::ValidationError(std::string(name) + " needs a range A-B of numbers from 0 to " +
                                           std::to_string(max) + ", not '" + value + "'");
            range = r;
            text = value;
        })
        ->type_name("A-B")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

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
            return Error(e.what());
        }
        return {};
    }
};
}  // namespace

Result<CliArgs> ParseCommandLine(unsigned options, const std::vector<std::string>& words) {
    CliArgs args;
    Parser parser(args.help, args.json);
    CLI::App& app = parser.app;
    if (options & kBaseOption)
        app.add_option_function<std::string>("--base", [&args](const std::string& path) { args.base = path; })
            ->type_name("FILE")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    if (options & kFilesOption) AddRange(app, "--files", 255, args.files, args.filesText);
    if (options & kBlocksOption) AddRange(app, "--blocks", INT32_MAX, args.blocks, args.blocksText);
    if (options & kSkipAbsentOption) app.add_flag("--skip-absent", args.skipAbsent);
    if (options & kClientVerdataOption)
        app.add_option_function<std::string>(
               "--client-verdata",
               [&args](const std::string& what) {
                   if (what != "apply" && what != "ignore")
                       throw CLI::ValidationError("--client-verdata takes apply or ignore, not '" + what + "'");
                   args.ignoreClientVerdata = what == "ignore";
               })
            ->type_name("apply|ignore")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    if (options & kCompactOption) app.add_flag("--compact", args.compact);
    if (options & kTrustTypeOption) app.add_flag("--trust-type", args.trustType);
    app.add_option("words", args.words);
    app.allow_extras();
    const Status parsed = parser.Parse(words);
    // Asked for help, the user gets it whatever else the line holds.
    if (args.help) return args;
    if (!parsed) return parsed.error();
    // Whatever the parser did not take but the "--" that ends the options is
    // an option the command does not know.
    for (const std::string& word : app.remaining())
        if (word != "--") return Error("unknown option '" + word + "'");
    return args;
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

std::string OptionsHelp(unsigned options) {
    std::string text;
    auto line = [&](const std::string& name, const char* help) {
        text += "  " + name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ') + help + "\n";
    };
    for (const OptionText& o : kOptionTexts)
        if (options & o.option) line(o.name, o.help);
    line("--json", "prints the result as one JSON document");
    line("-h, --help", "shows this text");
    line("--", "ends the options: what follows are arguments");
    return text;
}
