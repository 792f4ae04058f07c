// Writes the bash completion of palindra-cli, made from the declaration of
// its command line, to the file named on the command line.
#include <fstream>
#include <iostream>

#include "cli/help_text.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: palindra-cli-completion OUT.bash\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << BashCompletion();
    out.close();
    if (!out) {
        std::cerr << "palindra-cli-completion: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
