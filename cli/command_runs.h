// The functions that run palindra-cli's commands (see Run in declaration.h),
// each in the file named after what it does.
#pragma once

#include "cli/declaration.h"

// patch_commands.cpp: patches, data files and raw blocks.
CommandResult List(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Insert(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Extract(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Export(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Import(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Compare(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult AddFile(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Samples(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// edit_blocks.cpp: changes to blocks already in a patch.
CommandResult Remove(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult SetFlags(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// diff.cpp: what differs between two patches, and whether a written verdata
// holds what export of a patch writes.
CommandResult Diff(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Verify(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// info.cpp: what a patch holds per file type, and the catalogue.
CommandResult Info(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult Types(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// client_status.cpp: what a patch does to the client's own files, block by
// block, and dropping the blocks that do nothing.
CommandResult StatusCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
CommandResult PruneCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// package_command.cpp: a game data package's header and every live entry.
CommandResult ListPackage(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// sound_to_wav.cpp: a sound block as a WAV file.
CommandResult SoundToWavCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// bake_command.cpp: the patch written into copies of the client's own files.
CommandResult BakeCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);

// convert_command.cpp: a type's whole client files from one form into the other.
CommandResult ConvertCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
// map_to_png.cpp: map 0 in radar colours as a PNG picture.
CommandResult MapToPng(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session);
