// palindra-cli sound-to-wav: a sound block of a patch as a WAV file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

class CliSession;
int SoundToWavCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession&);
