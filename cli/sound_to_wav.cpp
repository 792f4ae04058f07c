#include "cli/sound_to_wav.h"

#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "codecs/wav.h"
#include "io/counted.h"
#include "io/save_file.h"

int SoundToWavCommand(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::int64_t block = 0;
    if (args.words.size() != 3 || !ReadNumberArgument(args.words[1], "BLOCK", 0, INT32_MAX, block, session.usage))
        return kUsage;
    Patch patch;
    const Result<const PatchBlock*> sound = ReadLiveBlock(args.words[0], kSound, block, args.words[1], "sound", patch);
    if (!sound) return Fail(err, sound.error());
    const Result<Bytes> wav = SoundToWav((*sound)->bytes);
    if (!wav) return Fail(err, "Sound block " + args.words[1] + ": " + wav.error().message);
    if (Status done = RefuseOverwriting(args.words[2], args.words[0], "the patch"); !done) return Fail(err, done.error());
    SaveFile file;
    if (Status done = file.Open(args.words[2]); !done) return Fail(err, done.error());
    file.Write(*wav);
    if (Status done = file.Commit(); !done) return Fail(err, done.error());
    const auto samples = static_cast<std::int64_t>(wav->size() - 44) / 2;
    session.Report(out, "Wrote " + Counted(samples, "sample") + " to " + args.words[2] + ".\n",
                   {{"written", args.words[2]}, {"samples", samples}});
    return kOk;
}
