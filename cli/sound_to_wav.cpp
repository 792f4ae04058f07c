#include "cli/sound_to_wav.h"

#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "codecs/wav.h"
#include "io/counted.h"
#include "io/save_file.h"

int SoundToWavCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ParseInt(args.words[1], 0, INT32_MAX, block)) return kUsage;
    Patch patch;
    const PatchBlock* sound = nullptr;
    if (std::string e = ReadLiveBlock(args.words[0], kSound, block, args.words[1], "sound", patch, sound); !e.empty())
        return Fail(err, e);
    Bytes wav;
    if (std::string e = SoundToWav(sound->bytes, wav);
        !e.empty())
        return Fail(err, "Sound block " + args.words[1] + ": " + e);
    if (std::string e = OverwritesInput(args.words[2], args.words[0], "the patch"); !e.empty()) return Fail(err, e);
    SaveFile file;
    if (std::string e = file.Open(args.words[2]); !e.empty()) return Fail(err, e);
    file.Write(wav);
    if (std::string e = file.Commit(); !e.empty()) return Fail(err, e);
    const auto samples = static_cast<std::int64_t>(wav.size() - 44) / 2;
    session.Report(out, "Wrote " + Counted(samples, "sample") + " to " + args.words[2] + ".\n",
                   {{"written", args.words[2]}, {"samples", samples}});
    return kOk;
}
