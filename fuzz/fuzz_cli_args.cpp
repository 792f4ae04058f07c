// The command-line tool's argument parsing: the input is split at NUL bytes
// into arguments. Every argument is made a plain name inside a scratch
// folder, so a command that writes can only write there.
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The fuzzer reads its corpus by relative paths: come back after each run.
    static const std::string home = std::filesystem::current_path().string();
    static const std::string scratch = [] {
        const std::string file = ScratchFile("cli", nullptr, 0);
        return file.substr(0, file.rfind('/'));
    }();
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() < 16; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back().push_back(data[i] == '/' ? '_' : static_cast<char>(data[i]));
    }
    for (std::string& a : args)
        if (a == "." || a == "..") a = "_";
    // Samples are megabytes each; the parser is what is fuzzed here.
    if (args[0] == "make-samples") return 0;
    if (::chdir(scratch.c_str()) != 0) std::abort();
    std::ostringstream out, err;
    const int code = RunCli(args, out, err);
    if (::chdir(home.c_str()) != 0) std::abort();
    FUZZ_CHECK(code >= 0 && code <= 2);
    return 0;
}
