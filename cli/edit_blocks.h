// remove and set-flags: changes to blocks already in a patch.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CliSession;

int Remove(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session);
int SetFlags(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session);
