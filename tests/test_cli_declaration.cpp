// The declaration of the command line, command by command: what the help
// shows, what the parser refuses and what a manifest resolves all follow it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/command_line.h"
#include "cli/help_text.h"
#include "cli_runner.h"

namespace {
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}
}  // namespace

// Each command explains itself from its declaration, runs somewhere, and its
// example is a line the declaration takes.
TEST(CliDeclaration, EveryCommandHasItsHelpARunAndAnExampleItTakes) {
    const std::string program = Cli({"--help"}).out;
    for (const CommandDeclaration& c : Commands()) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(RunOf(c), nullptr);
        const CliResult help = Cli({c.name, "--help"});
        EXPECT_EQ(std::pair(help.code, help.out), std::pair(0, CommandHelp(c)));
        EXPECT_EQ(help.out.rfind("Usage: palindra-cli " + std::string(c.name) + " " + Usage(c) + "\n", 0), 0u);
        EXPECT_TRUE(Has(program, "\n  " + std::string(c.name) + " " + Usage(c) + "\n"));
        EXPECT_TRUE(ParseCommandArgs(c, Words(c.example)).has_value());
    }
    EXPECT_EQ(Usage(*FindCommand("remove")), "PATCH.uop FILEID BLOCK[-BLOCK]");
    EXPECT_EQ(Usage(*FindCommand("bake")), "[--client-verdata apply|ignore] [--compact] PATCH.uop CLIENT_DIR OUT_DIR");
    EXPECT_EQ(Usage(*FindCommand("import"), 1),
              "[--files A-B] [--blocks A-B] [--skip-absent] [--trust-type] uop|verdata|FILEID SOURCE [INDEX.idx]");
}

// Too few or too many words is a usage error naming what is wrong, before
// the command touches anything.
TEST(CliDeclaration, WrongCountsOfWordsAreUsageErrors) {
    for (const CommandDeclaration& c : Commands()) {
        SCOPED_TRACE(c.name);
        const std::string usage = "Usage: palindra-cli " + std::string(c.name) + " " + Usage(c) + "\n";
        std::vector<std::string> line = {c.name};
        for (const std::string& w : Words(c.example)) line.push_back(w);
        line.push_back("extra");
        const CliResult extra = Cli(line);
        EXPECT_EQ(std::tuple(extra.code, extra.out), std::tuple(2, ""));
        EXPECT_TRUE(Has(extra.err, ": too many arguments: 'extra'\n" + usage)) << extra.err;
        if (c.args.empty()) continue;
        const CliResult none = Cli({c.name});
        EXPECT_EQ(none.code, 2);
        EXPECT_TRUE(Has(none.err, ": " + ArgUsage(c.args[0]) + " is missing\n" + usage)) << none.err;
    }
    // Of the words a command takes several of, the declared number.
    const CliResult few = Cli({"compare", "p.uop", "art", "a.mul"});
    EXPECT_TRUE(Has(few.err, "BASE [BASE.idx] ALTERED [ALTERED.idx] takes 2 to 4 words, not 1")) << few.err;
}

// A manifest's line takes its paths relative to the manifest's folder, and
// nothing else: numbers, file IDs and words stay as written.
TEST(CliDeclaration, ManifestsResolveExactlyThePathsTheDeclarationNames) {
    int commands = 0;
    for (const CommandDeclaration& c : Commands()) {
        if (!c.Has(kInManifest)) continue;
        SCOPED_TRACE(c.name);
        ++commands;
        std::vector<std::string> words = Words(c.example);
        const Result<CommandArgs> direct = ParseCommandArgs(c, words);
        words.erase(std::find(words.begin(), words.end(), "patch.uop"));
        words.push_back("--");  // a line may end its options too
        const Result<CommandArgs> line = ParseManifestLine(c, words, "m", "p.uop");
        ASSERT_TRUE(direct.has_value() && line.has_value());
        EXPECT_EQ(line->Text("PATCH.uop"), "p.uop");
        for (std::size_t i = 1; i < c.args.size(); ++i) {
            std::vector<std::string> expected = direct->Texts(c.args[i].name);
            if (c.args[i].IsPath())
                for (std::string& w : expected) w = w[0] == '/' ? w : "m/" + w;
            EXPECT_EQ(line->Texts(c.args[i].name), expected) << c.args[i].name;
        }
        EXPECT_EQ(line->base, direct->base ? std::optional("m/" + *direct->base) : std::nullopt);
        EXPECT_EQ(line->client, direct->client ? std::optional("m/" + *direct->client) : std::nullopt);
    }
    EXPECT_EQ(commands, 11);
    const Result<CommandArgs> absolute =
        ParseManifestLine(*FindCommand("insert"), {"art", "7", "/in/a.dat"}, "m", "p.uop");
    EXPECT_EQ(absolute->Text("IN.dat"), "/in/a.dat");
}
