#include <ostream>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "codecs/wav.h"
#include "io/counted.h"
#include "io/save_file.h"

CommandResult SoundToWavCommand(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &number = args.Text("BLOCK"), &target = args.Text("OUT.wav");
    Patch patch;
    const Result<const PatchBlock*> sound = ReadLiveBlock(path, kSound, args.Number("BLOCK"), number, "sound", patch);
    if (!sound) return sound.error();
    const Result<Bytes> wav = SoundToWav((*sound)->bytes);
    if (!wav) return Error("Sound block " + number + ": " + wav.error().message);
    if (Status done = RefuseOverwriting(target, path, "the patch"); !done) return done.error();
    SaveFile file;
    if (Status done = file.Open(target); !done) return done.error();
    file.Write(*wav);
    if (Status done = file.Commit(); !done) return done.error();
    const auto samples = static_cast<std::int64_t>(wav->size() - 44) / 2;
    session.Report(out, "Wrote " + Counted(samples, "sample") + " to " + target + ".\n",
                   {{"written", target}, {"samples", samples}});
    return kDone;
}
