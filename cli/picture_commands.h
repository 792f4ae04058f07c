// The commands that read or write pictures, and apply, whose manifest may
// run them. Pictures go through Qt's image code, and loading its libraries
// takes longer than most commands take to run. So their declarations name no
// function (see CommandDeclaration::run): palindra-cli links
// picture_helper.cpp, whose PictureRun hands them to the program
// palindra-cli-pictures; that program and the tests link
// picture_commands.cpp and anim_commands.cpp, whose PictureRun runs them.
#pragma once

#include "cli/declaration.h"

// What runs a command declared without a function; nullptr for none.
Run PictureRun(const CommandDeclaration& command);

CommandResult GumpToBmp(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult BmpToGump(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult AnimToPng(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult PngToAnim(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
// block_file_commands.cpp: a block as a picture, a sound, JSON or raw bytes, and back.
CommandResult SaveBlock(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult LoadBlock(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
