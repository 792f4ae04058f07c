// palindra-cli sound-to-wav: a sound block of a patch as a WAV file.
#pragma once

#include <iosfwd>

#include "cli/command_line.h"
#include <string>
#include <vector>

class CliSession;
int SoundToWavCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession&);
