#include <iostream>
#include <unistd.h>

#include "cli/commands.h"
#include "io/save_file.h"

int main(int argc, char** argv) {
    RemoveTemporaryFilesOnSignals();
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
