#include "cli/help_text.h"

#include <sstream>

#include "cli/cli_json.h"
#include "patch/file_types.h"

namespace {
// How numbers are written; the help of a command that takes one repeats it.
constexpr const char* kNumbersHelp =
    "Numbers are whole: decimal (leading zeros stay decimal) or hexadecimal after\n"
    "0x or &H (0xFFFF is 65535). Only FLAGA and FLAGB take a minus sign, before the\n"
    "number (-0x10); no plus sign, blank, fraction or exponent.\n";

std::string Joined(const std::vector<const char*>& words, const char* between) {
    std::string text;
    for (const char* w : words) text += (text.empty() ? "" : between) + std::string(w);
    return text;
}

bool TakesNumbers(const CommandDeclaration& c) {
    for (const ArgDeclaration& arg : c.args)
        if (arg.kind != ArgKind::kFile && arg.kind != ArgKind::kFolder && (arg.kind != ArgKind::kWords || arg.orFileId))
            return true;
    return false;
}

// `text` broken into lines of at most 79 characters at blanks.
std::string Wrapped(const std::string& text) {
    std::string out, line;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() > 79) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + line + "\n";
}

// The lines of a command's --help on its options.
std::string OptionsHelp(unsigned options) {
    std::string text;
    auto line = [&](const std::string& name, const char* help) {
        text += "  " + name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ') + help + "\n";
    };
    for (const OptionDeclaration& o : Options())
        if (options & o.option) line(std::string(o.name) + (o.value ? std::string(" ") + o.value : ""), o.help);
    line("--json", "prints the result as one JSON document");
    line("-h, --help", "shows this text");
    line("--", "ends the options: what follows are arguments");
    return text;
}
}  // namespace

std::string ArgUsage(const ArgDeclaration& arg) {
    return arg.shown                     ? arg.shown
           : arg.kind == ArgKind::kRange ? std::string(arg.name) + "[-" + arg.name + "]"
           : arg.kind == ArgKind::kWords ? Joined(arg.words, "|") + (arg.orFileId ? "|FILEID" : "")
                                         : arg.name;
}

std::string Usage(const CommandDeclaration& command, std::size_t first) {
    std::string usage;
    for (const OptionDeclaration& o : Options()) {
        if (!(command.options & o.option)) continue;
        const std::string value = !o.words.empty() ? Joined(o.words, "|") : o.value ? o.value : "";
        usage += "[" + std::string(o.name) + (value.empty() ? "" : " " + value) + "] ";
    }
    for (std::size_t i = first; i < command.args.size(); ++i) {
        const ArgDeclaration& arg = command.args[i];
        usage += (arg.least == 0 ? "[" + ArgUsage(arg) + "]" : ArgUsage(arg)) + " ";
    }
    if (!usage.empty()) usage.pop_back();
    return usage;
}

std::string ProgramHelp() {
    std::string text = std::string("Usage: palindra-cli [--json] COMMAND [OPTION]... ARGUMENT...\n"
                                   "Works on patch project files (.uop) without the editor.\n"
                                   "Options may stand anywhere after the command, as --blocks 0-2 or --blocks=0-2; -- "
                                   "ends them.\n") +
                       kNumbersHelp +
                       "A FILEID may also be a file type's name in any case (see the types command).\n"
                       "palindra-cli COMMAND --help explains a command.\n\nCommands:\n";
    for (const CommandDeclaration& c : Commands())
        text += "  " + std::string(c.name) + " " + Usage(c) + "\n      " + c.summary + "\n      e.g. palindra-cli " +
                c.name + " " + c.example + "\n";
    return text + "  -h, --help\n      Shows this text.\n  --version\n      Shows the version.\n\n" + kJsonHelp;
}

std::string CommandHelp(const CommandDeclaration& c) {
    return "Usage: palindra-cli " + std::string(c.name) + " " + Usage(c) + "\n" + Wrapped(c.summary) +
           (TakesNumbers(c) ? kNumbersHelp : "") + "\nOptions:\n" + OptionsHelp(c.options) +
           "\nExample: palindra-cli " + c.name + " " + c.example + "\n";
}

namespace {
// The bash that fills COMPREPLY with `words` (an expression) matching $cur.
std::string Offer(const std::string& words) {
    return "mapfile -t COMPREPLY < <(compgen " + words + " -- \"$cur\")";
}

// What the completion offers for an argument: "" for any file.
std::string Offered(const ArgDeclaration& arg) {
    switch (arg.kind) {
    case ArgKind::kFile: return "";
    case ArgKind::kFolder: return Offer("-d");
    case ArgKind::kNumber:
    case ArgKind::kRange: return ":";
    case ArgKind::kFileId:
    case ArgKind::kDataType: return Offer("-W \"$types\"");
    case ArgKind::kWords:
        return Offer("-W \"" + Joined(arg.words, " ") + (arg.orFileId ? " $types" : "") + "\"");
    }
    return "";
}
}  // namespace

std::string BashCompletion() {
    std::string commands, types, valued, values, options, arguments;
    for (const CommandDeclaration& c : Commands()) {
        commands += (commands.empty() ? "" : " ") + std::string(c.name);
        std::string own;
        for (const OptionDeclaration& o : Options())
            if (c.options & o.option) own += std::string(" ") + o.name;
        if (!own.empty()) options += "        " + std::string(c.name) + ") options=\"$options" + own + "\" ;;\n";
        // Each position after the command that is not any file.
        std::size_t position = 0;
        for (const ArgDeclaration& arg : c.args) {
            const std::string offer = Offered(arg);
            for (int n = 0; n < arg.most; ++n, ++position)
                if (!offer.empty())
                    arguments += "    \"" + std::string(c.name) + " " + std::to_string(position) + "\") " + offer +
                                 "; return ;;\n";
        }
    }
    for (std::size_t id = 0; id < FileTypes().size(); ++id)
        if (!FileTypes()[id].name.empty()) types += (types.empty() ? "" : " ") + TypeWord(static_cast<std::uint8_t>(id));
    for (const OptionDeclaration& o : Options()) {
        if (!o.value) continue;
        valued += (valued.empty() ? "" : "|") + std::string(o.name);
        const std::string offer = !o.words.empty()                 ? Offer("-W \"" + Joined(o.words, " ") + "\"")
                                  : o.max > 0                        ? std::string(":")
                                  : std::string_view(o.value) == "FILEID" ? Offer("-W \"$types\"")
                                                                     : Offer("-f");
        values += "    " + std::string(o.name) + ") " + offer + "; return ;;\n";
    }
    return "# Completion of palindra-cli's commands, arguments and options. Made by the\n"
           "# build from the program's declaration of its command line: do not edit.\n"
           "_palindra_cli() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
           "    local commands=\"" + commands + "\"\n"
           "    local types=\"" + types + "\"\n"
           "    local valued=\"^(" + valued + ")$\"\n"
           "    # The command is the first word that is not an option; options may stand anywhere after it,\n"
           "    # and a negative number is an argument.\n"
           "    local command=\"\" position=0 i word ended=\"\"\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        word=${COMP_WORDS[i]}\n"
           "        if [ -z \"$ended\" ] && [ \"$word\" = \"--\" ]; then\n"
           "            ended=1\n"
           "        elif [ -z \"$ended\" ] && [[ \"$word\" == -* && \"$word\" != -[0-9]* ]]; then\n"
           "            :\n"
           "        elif [ -z \"$command\" ]; then\n"
           "            command=$word\n"
           "        else\n"
           "            position=$((position + 1))\n"
           "        fi\n"
           "        # An option's value is not an argument.\n"
           "        if [ -z \"$ended\" ] && [[ \"${COMP_WORDS[i - 1]}\" =~ $valued ]] && [ \"$word\" != \"--\" ]; then\n"
           "            [ \"$command\" = \"$word\" ] && command=\"\" || position=$((position - 1))\n"
           "        fi\n"
           "    done\n"
           "    case \"$prev\" in\n" + values +
           "    esac\n"
           "    if [ -z \"$command\" ]; then\n"
           "        " + Offer("-W \"$commands --help --version --json\"") + "\n"
           "        return\n"
           "    fi\n"
           "    if [ -z \"$ended\" ] && [[ \"$cur\" == -* ]]; then\n"
           "        local options=\"--json --help --\"\n"
           "        case \"$command\" in\n" + options +
           "        esac\n"
           "        " + Offer("-W \"$options\"") + "\n"
           "        return\n"
           "    fi\n"
           "    case \"$command $position\" in\n" + arguments +
           "    esac\n"
           "    " + Offer("-f") + "\n"
           "}\n"
           "complete -o filenames -F _palindra_cli palindra-cli\n";
}
