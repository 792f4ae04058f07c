// The texts made from the declaration of the command line: the program's
// --help (which the manual page is made from), each command's --help and
// usage, and the bash completion.
#pragma once

#include <cstddef>
#include <string>

#include "cli/declaration.h"

// How the usage shows an argument, without the brackets of an optional one:
// "BLOCK[-BLOCK]", "client|readme|map".
std::string ArgUsage(const ArgDeclaration& arg);

// The command's options and arguments, e.g. "[--base VERDATA.mul] PATCH.uop
// NEW.mul"; from its argument `first` on (a manifest does not repeat the patch).
std::string Usage(const CommandDeclaration& command, std::size_t first = 0);

std::string ProgramHelp();
std::string CommandHelp(const CommandDeclaration& command);

// The script that completes palindra-cli's words in bash.
std::string BashCompletion();
