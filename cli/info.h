// info and types: what a patch holds per file type, and the catalogue.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CliSession;

int Info(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session);
int Types(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session);
