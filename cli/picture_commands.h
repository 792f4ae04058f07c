// The commands that read or write pictures, and apply, whose manifest may
// run them. Pictures go through Qt's image code, and loading its libraries
// takes longer than most commands take to run. So palindra-cli links
// picture_helper.cpp, which hands these commands to the program
// palindra-cli-pictures; that program and the tests link
// picture_commands.cpp and anim_commands.cpp, which run them.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

class CliSession;

int GumpToBmpCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int BmpToGumpCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int AnimToPngCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int PngToAnimCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
int ApplyCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
