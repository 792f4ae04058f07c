#include "cli/commands.h"

#include <algorithm>
#include <new>
#include <optional>
#include <ostream>
#include <sstream>
#include <string_view>

#include "cli/bake_command.h"
#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/client_status.h"
#include "cli/diff.h"
#include "cli/edit_blocks.h"
#include "cli/info.h"
#include "cli/line_writer.h"
#include "cli/package_command.h"
#include "cli/picture_commands.h"
#include "cli/samples.h"
#include "cli/sound_to_wav.h"
#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/verdata.h"
#include "gamefiles/forms/whole_files.h"
#include "patch/file_types.h"
#include "patch/patch.h"
#include "io/binary_io.h"
#include "io/counted.h"
#include "patch/patch_file.h"
#include "io/save_file.h"
#include "patch/settle_duplicates.h"

namespace {
// A patch lists by file ID, as the editor shows it; a verdata in the order of its directory.
int List(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 1) return kUsage;
    const Result<std::optional<Form>> form = ProbeSource(args.words[0], false);
    if (!form) return Fail(err, form.error());
    if (*form == Form::kPackage)
        return Fail(err, args.words[0] + " is a game data package: palindra-cli package lists its entries.");
    Patch patch;
    std::vector<VerdataEntry> entries;
    const bool isPatch = *form == Form::kPatchFile;
    if (isPatch) {
        if (Status done = ReadPatchHeaders(args.words[0], patch); !done) return Fail(err, done.error());
        if (session.json)
            for (int f = 0; f < Patch::kFileIds; ++f)
                patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
                    entries.push_back({static_cast<std::uint8_t>(f), b.number, 0, b.Length(), b.flagA, b.flagB});
                });
    } else {
        Result<std::vector<VerdataEntry>> directory = ReadVerdataDirectory(args.words[0]);
        if (!directory)
            return Fail(err, directory.error().message + " Nor is it a patch project file: those start with \"UOP\".");
        entries = std::move(*directory);
    }
    if (session.json) return PrintBlocksJson(out, entries);
    LineWriter lines(out);
    if (isPatch)
        for (int f = 0; f < Patch::kFileIds; ++f)
            patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
                lines.Line({}, {f, b.number, b.Length(), b.flagA, b.flagB});
            });
    for (const VerdataEntry& e : entries) lines.Line({}, {e.fileId, e.blockNumber, e.length, e.flagA, e.flagB});
    return kOk;
}

bool ParseBlockAddress(const CliArgs& args, std::uint8_t& fileId, std::int32_t& block, std::string& why) {
    std::int64_t n = 0;
    if (!ReadFileIdArgument(args.words[1], fileId, why) || !ReadNumberArgument(args.words[2], "BLOCK", 0, INT32_MAX, n, why))
        return false;
    block = static_cast<std::int32_t>(n);
    return true;
}

int Insert(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    if (args.words.size() != 4 || !ParseBlockAddress(args, fileId, block, session.usage)) return kUsage;
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const Result<Bytes> data = ReadWholeFile(args.words[3]);
    if (!data) return Fail(err, data.error());
    const std::size_t size = data->size();
    patch.Append(fileId, block, *data, 0, 0);
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out,
                   "Added block " + std::to_string(block) + " of file ID " + std::to_string(fileId) + " (" +
                       Counted(static_cast<std::int64_t>(size), "byte") + ").\n",
                   {{"fileId", fileId}, {"block", block}, {"bytes", size}});
    return kOk;
}

int Extract(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    if (args.words.size() != 4 || !ParseBlockAddress(args, fileId, block, session.usage)) return kUsage;
    Patch patch;
    if (Status done = ReadPatchFile(args.words[0], patch); !done) return Fail(err, done.error());
    const PatchBlock* b = patch.LiveBlock(fileId, block);
    if (!b)
        return Fail(err, "'" + args.words[0] + "' has no block " + std::to_string(block) + " of file ID " +
                             std::to_string(fileId) + ".");
    if (b->Length() <= 0) return Fail(err, "That block is empty.");
    if (Status done = RefuseOverwriting(args.words[3], args.words[0], "the patch"); !done) return Fail(err, done.error());
    SaveFile file;
    if (Status done = file.Open(args.words[3]); !done) return Fail(err, done.error());
    file.Write(b->bytes);
    if (Status done = file.Commit(); !done) return Fail(err, done.error());
    const auto size = static_cast<std::int64_t>(b->bytes.size());
    session.Report(out, "Wrote " + Counted(size, "byte") + " to " + args.words[3] + ".\n",
                   {{"written", args.words[3]}, {"bytes", size}});
    return kOk;
}

int Export(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 2) return kUsage;
    const std::string base = args.base.value_or("");
    if (args.base && base.empty()) return Fail(err, "--base needs the path of a verdata file.");
    if (Status done = RefuseMissingBase(base); !done) return Fail(err, done.error());
    if (Status done = RefuseOverwriting(args.words[1], args.words[0], "the patch"); !done) return Fail(err, done.error());
    Patch patch;
    if (Status done = session.Load(args.words[0], patch); !done) return Fail(err, done.error());
    SettleDuplicates(patch);
    if (Status done = session.Export(args.words[1], patch, base); !done) return Fail(err, done.error());
    session.Report(out, "Wrote " + args.words[1] + ".\n", {{"written", args.words[1]}});
    return kOk;
}

int Import(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() < 2) return kUsage;
    const std::vector<std::string> positional(args.words.begin() + 1, args.words.end());
    for (const auto& [range, name, text] : {std::tuple(&args.files, "--files", &args.filesText),
                                            std::tuple(&args.blocks, "--blocks", &args.blocksText)})
        if (*range && (*range)->from > (*range)->to) return Fail(err, "The range " + *text + " of " + name + " selects nothing.");
    const NumberRange files = args.files.value_or(NumberRange{0, 255}), blocks = args.blocks.value_or(NumberRange{0, INT32_MAX});
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const BlockRange range{static_cast<std::int32_t>(blocks.from), static_cast<std::int32_t>(blocks.to)};
    ImportSelection what = ImportSelection::EveryType(static_cast<std::uint8_t>(files.from),
                                                      static_cast<std::uint8_t>(files.to));
    SourceFiles source{positional.back(), ""};
    const bool patchOrVerdata = positional.size() == 2 && (positional[0] == "uop" || positional[0] == "verdata");
    if (patchOrVerdata) {
        if (!IsExistingFile(positional[1])) return Fail(err, "Cannot find the file '" + positional[1] + "'!");
    } else {
        std::uint8_t id = 0;
        if (args.files || !ParseFileId(positional[0], id) || positional.size() < 2 || positional.size() > 3)
            return kUsage;
        if (!IsDataFileType(id)) return Fail(err, "File ID " + positional[0] + " is not a known file type.");
        const FileTypeEntry& type = FileTypes()[id];
        if (positional.size() == 3 && type.fixedBlockSize > 0) return Fail(err, type.name + " files have no index file.");
        what = ImportSelection::OneType(id);
        source = {positional[1], positional.size() == 3 ? positional[2] : ""};
        // Most often the file of the type chosen before, still on the line.
        if (const std::optional<OtherTypeName> other = OtherTypeNamed(id, source); other && !args.trustType)
            return Fail(err, other->name + " is usually the " + TypeWord(other->fileId) + " file, not one of " +
                                 TypeWord(id) + "; --trust-type imports it as " + TypeWord(id) + " all the same.");
    }
    const Result<ImportReport> report = ImportBlocks(patch, what, source, range, {args.skipAbsent});
    if (!report) return Fail(err, report.error());
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out, "Imported " + Counted(report->added, "block") + " into " + args.words[0] + ".\n",
                   ResultJson(*report));
    if (!session.json) ReportImport(*report, out, err);
    return kOk;
}

int Compare(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() < 4) return kUsage;
    const FileTypeEntry* type = DataFileType(args.words[1]);
    if (!type) return kUsage;
    const auto id = static_cast<std::uint8_t>(type - FileTypes().data());
    // Each side is one file, or a data file and its index where it needs one.
    SourceFiles sides[2];
    std::size_t at = 2;
    for (std::size_t s = 0; s < 2; ++s) {
        if (at >= args.words.size()) return kUsage;
        sides[s].data = args.words[at++];
        if (SourceNeedsIndex(id, sides[s].data) && args.words.size() - at > 1 - s) sides[s].index = args.words[at++];
    }
    if (at != args.words.size()) return kUsage;
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const Result<ImportReport> report = CompareBlocks(patch, id, sides[0], sides[1]);
    if (!report) return Fail(err, report.error());
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out,
                   "Added " + Counted(report->added, "block") + " that " +
                       std::string(ForCount(report->added, "differs", "differ")) + ".\n",
                   ResultJson(*report));
    if (!session.json) ReportImport(*report, out, err);
    return kOk;
}

int AddFile(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 3) return kUsage;
    const std::vector<std::string> kinds = {"client", "readme", "map"};
    const auto kind = std::find(kinds.begin(), kinds.end(), args.words[1]);
    if (kind == kinds.end()) return kUsage;
    if (!IsExistingFile(args.words[2])) return Fail(err, "You must select a file to add first.");
    Patch patch;
    if (Status done = session.LoadForWriting(args.words[0], patch); !done) return Fail(err, done.error());
    const auto fileType = static_cast<std::int32_t>(kind - kinds.begin());
    if (Status done = AddWholeFile(patch, fileType, args.words[2]); !done) return Fail(err, done.error());
    if (Status done = session.Save(args.words[0], std::move(patch)); !done) return Fail(err, done.error());
    session.Report(out, "Added " + args.words[2] + " as the " + args.words[1] + " file.\n",
                   {{"kind", args.words[1]}, {"file", args.words[2]}});
    return kOk;
}

int Samples(const CliArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.words.size() != 1) return kUsage;
    if (Status done = MakeSamples(args.words[0]); !done) return Fail(err, done.error());
    std::string text = "Wrote " + std::to_string(SampleFileNames().size()) + " sample files to " + args.words[0] + ":";
    Json files = Json::array();
    for (const std::string& name : SampleFileNames()) {
        text += " " + name;
        files.push_back(name);
    }
    session.Report(out, text + "\n", {{"folder", args.words[0]}, {"files", files}});
    return kOk;
}

// How numbers are written; a command that takes one repeats it in its help.
constexpr const char* kNumbersHelp =
    "Numbers are whole: decimal (leading zeros stay decimal) or hexadecimal after\n"
    "0x or &H (0xFFFF is 65535). Only FLAGA and FLAGB take a minus sign, before the\n"
    "number (-0x10); no plus sign, blank, fraction or exponent.\n";

void PrintHelp(std::ostream& out) {
    out << "Usage: palindra-cli [--json] COMMAND [OPTION]... ARGUMENT...\n"
           "Works on patch project files (.uop) without the editor.\n"
           "Options may stand anywhere after the command, as --blocks 0-2 or --blocks=0-2; -- ends them.\n"
           << kNumbersHelp << "A FILEID may also be a file type's name in any case (see the types command).\n"
           "palindra-cli COMMAND --help explains a command.\n\nCommands:\n";
    for (const CliCommand& c : CliCommands())
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n      e.g. palindra-cli " << c.name
            << " " << c.example << "\n";
    out << "  -h, --help\n      Shows this text.\n  --version\n      Shows the version.\n\n" << kJsonHelp;
}

// `text` broken into lines of at most 79 characters at blanks.
std::string Wrapped(const std::string& text) {
    std::string out, line;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!line.empty() && line.size() + 1 + word.size() > 79) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return out + line + "\n";
}

void PrintCommandHelp(const CliCommand& c, std::ostream& out) {
    const std::string usage = c.usage;
    const bool numbers = usage.find("BLOCK") != std::string::npos || usage.find("FILEID") != std::string::npos;
    out << "Usage: palindra-cli " << c.name << " " << c.usage << "\n" << Wrapped(c.summary) << (numbers ? kNumbersHelp : "")
        << "\nOptions:\n" << OptionsHelp(c.options) << "\nExample: palindra-cli " << c.name << " " << c.example << "\n";
}

int UsageError(const CliCommand& c, const std::string& message, std::ostream& err) {
    if (!message.empty()) err << "palindra-cli " << c.name << ": " << message << "\n";
    err << "Usage: palindra-cli " << c.name << " " << c.usage << "\nTry 'palindra-cli " << c.name
        << " --help' for more.\n";
    return kUsage;
}

// Runs a command with its words (behind its name).
int RunCommand(const CliCommand& c, const std::vector<std::string>& words, std::ostream& out, std::ostream& err,
               CliSession& session) {
    const Result<CliArgs> parsed = ParseCommandLine(c.options, words);
    if (!parsed) return UsageError(c, parsed.error().message, err);
    const CliArgs& args = *parsed;
    if (args.help) {
        PrintCommandHelp(c, out);
        return kOk;
    }
    session.json = session.json || args.json;
    std::optional<ProgressLine> line;
    if (session.progress) {
        line.emplace(out, err, c.name);
        session.line = &*line;
    }
    int code = kFailed;
    try {
        code = c.run(args, out, err, session);
    } catch (const std::bad_alloc&) {
        // Every command saves through a temporary file, so nothing was changed.
        code = Fail(err, std::string("There is not enough memory for ") + c.name + "; nothing was changed.");
    }
    if (code == kUsage) return UsageError(c, session.usage, err);
    return code == kCannotTell ? kUsage : code;
}
}  // namespace

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {
        {"list", "FILE", "Lists the blocks of a patch project file or the entries of a verdata.mul: file ID, "
         "block number, length, FlagA, FlagB.",
         "patch.uop", 0, List},
        {"insert", "PATCH.uop FILEID BLOCK IN.dat",
         "Appends the raw file's bytes as a block (flags 0) and saves the patch; a missing patch starts empty.",
         "patch.uop 12 0x1F4 gump.dat", 0, Insert},
        {"extract", "PATCH.uop FILEID BLOCK OUT.dat", "Writes the bytes of the live block to a raw file.",
         "patch.uop 12 500 gump.dat", 0, Extract},
        {"export", "[--base VERDATA.mul] PATCH.uop NEW.mul",
         "Writes a verdata.mul from the patch, merged over the base verdata when given.",
         "patch.uop verdata.mul --base client/verdata.mul", kBaseOption, Export},
        {"import", "[--files A-B] [--blocks A-B] PATCH.uop uop|verdata SOURCE  or  [--blocks A-B] [--skip-absent] "
                   "[--trust-type] PATCH.uop FILEID SOURCE [INDEX.idx]",
         "Appends blocks and saves the patch; a missing patch starts empty. uop and verdata take every file type "
         "of a patch project file or a verdata.mul; a FILEID takes that type's blocks from a data file (with its "
         "index where the type has one), a game data package, a verdata.mul or a patch project file, each read "
         "as what its content shows it to be. Damaged entries are left out; --skip-absent also leaves out blocks "
         "without data. A file bearing another type's usual name (art.mul given as gumps) is refused unless "
         "--trust-type.",
         "patch.uop 12 gumpart.mul gumpidx.mul --blocks 0-100",
         kFilesOption | kBlocksOption | kSkipAbsentOption | kTrustTypeOption, Import},
        {"package", "FILE.uop",
         "Lists a game data package: version, tables, and per entry its name hash, compression flag, stored and "
         "decoded size and its name where a legacy name scheme gives it.",
         "gumpartLegacyMUL.uop", 0, ListPackage},
        {"gump-to-bmp", "PATCH.uop BLOCK OUT.bmp",
         "Writes the gump block's picture as a Windows bitmap (PNG when the name ends in .png).",
         "patch.uop 500 gump.bmp", 0, GumpToBmpCommand},
        {"bmp-to-gump", "PATCH.uop BLOCK IN.bmp",
         "Builds gump block BLOCK (0-65535) from a bitmap or PNG picture and saves the patch.",
         "patch.uop 500 gump.png", 0, BmpToGumpCommand},
        {"anim-to-png", "PATCH.uop BLOCK DIR",
         "Writes every frame of the anim block as a PNG picture, DIR/frame-000.png, frame-001.png, ... (transparent "
         "where no run covers it), and DIR/frames.json with the palette and each frame's centre. DIR is created "
         "when missing and must not hold frame pictures or frames.json yet. A block of more than 4,096 frames is "
         "refused; frames that do not decode (one wider or higher than 2,048 pixels, ...) are left out and named.",
         "patch.uop 110 frames", 0, AnimToPngCommand},
        {"png-to-anim", "PATCH.uop BLOCK DIR",
         "Builds anim block BLOCK from the pictures DIR/frame-*.png in name order (frame-2.png before frame-10.png) and saves the patch. Centres and "
         "the palette come from DIR/frames.json where it gives them (else the middle of the bottom edge, and the "
         "pictures' colours, at most 256); alpha below 128 is transparent.",
         "patch.uop 110 frames", 0, PngToAnimCommand},
        {"sound-to-wav", "PATCH.uop BLOCK OUT.wav", "Writes a sound block as a WAV file.", "patch.uop 42 sound.wav", 0,
         SoundToWavCommand},
        {"compare", "PATCH.uop FILEID BASE [BASE.idx] ALTERED [ALTERED.idx] (either side may be a PACKAGE.uop)",
         "Appends every block that differs between the base and the altered data file (index files only for "
         "types that have them) and saves the patch.",
         "patch.uop 4 art.mul artidx.mul myart.mul myartidx.mul", 0, Compare},
        {"add-file", "PATCH.uop client|readme|map FILE",
         "Carries a whole client file in the patch, replacing an earlier copy; the client must contain its "
         "marker text.",
         "patch.uop readme readme.txt", 0, AddFile},
        {"remove", "PATCH.uop FILEID BLOCK[-BLOCK]", "Removes the live blocks with these numbers and saves the patch.",
         "patch.uop art 0x4001", 0, Remove},
        {"set-flags", "PATCH.uop FILEID BLOCK FLAGA FLAGB",
         "Sets the two flags (-32768 to 65535 each, kept as 16 bits) of the live block and saves the patch.",
         "patch.uop gumps 0x1234 90 120", 0, SetFlags},
        {"apply", "PATCH.uop MANIFEST",
         "Runs the commands of a manifest (one per line without the program and patch arguments, # comments, "
         "paths relative to the manifest's folder) on one patch: all lines, or at the first failing line nothing "
         "is saved or exported.",
         "patch.uop build/patch.manifest", 0, ApplyCommand},
        {"bake", "[--client-verdata apply|ignore] [--compact] PATCH.uop CLIENT_DIR OUT_DIR",
         "Writes the patch into copies of the client's own files: OUT_DIR (missing or empty) receives the files that "
         "change, under the client folder's spelling, verified before they are put in place. The client's "
         "verdata.mul is baked first, and what cannot be baked stays in OUT_DIR/verdata.mul; blocks a file cannot "
         "take are left out and named on stderr. Game data packages are written too.",
         "patch.uop client/ shipped/", kClientVerdataOption | kCompactOption, BakeCommand},
        {"verify", "[--base BASE.mul] PATCH.uop VERDATA.mul",
         "Checks that a written verdata holds exactly what export of the patch writes: exit 0 when it does, 1 with "
         "one line per difference, 2 when it cannot tell.",
         "patch.uop out/verdata.mul --base client/verdata.mul", kBaseOption, Verify},
        {"diff", "A B",
         "Compares two patch project files or verdata files block by block (settled duplicates, flags and a "
         "SHA-256 of the bytes): exit 0 when equal, 1 when they differ, 2 when it cannot tell.",
         "old.uop new.uop", 0, Diff},
        {"status", "[--client-verdata apply|ignore] PATCH.uop CLIENT_DIR",
         "Tells what each block does to the client's files in CLIENT_DIR: one line STATE FILEID BLOCK in file-ID "
         "and block order, then the counts per type. new: the client has no data there; changes: the client has "
         "other bytes or flags; same: the client has just this (or the block removes what is not there); removes: "
         "the block has no data and the client has; unfit: writing into the client's files would leave it out; "
         "unknown: the folder lacks the type's files. The client's verdata.mul lies over its data files unless "
         "--client-verdata ignore. Where the folder holds a type both as a package and as data files, a block is same "
         "only when both have it, else its state is the one against the first that differs (the package first), and a "
         "fourth word names the files that differ.",
         "patch.uop /games/client", kClientVerdataOption, StatusCommand},
        {"prune", "[--client-verdata apply|ignore] PATCH.uop CLIENT_DIR",
         "Removes the blocks the client in CLIENT_DIR already has (those status calls same) and saves the patch; "
         "blocks of unknown types are kept.",
         "patch.uop /games/client", kClientVerdataOption, PruneCommand},
        {"info", "PATCH.uop", "Counts the blocks per file type: live, superseded duplicates, without data; and "
         "the total bytes.", "patch.uop", 0, Info},
        {"types", "", "Lists the known file types: ID, name, how their files are read, and the highest block number "
         "a usual file holds (files may hold more; every block is kept).", "", 0, Types},
        {"make-samples", "DIR",
         "Writes a small set of client files drawn by the program (map, radar colours, art, gumps, hues, "
         "tiledata, animdata, verdata.mul, readme, stand-in client, a sample patch) to try every feature on.",
         "samples", 0, Samples},
    };
    return commands;
}

const CliCommand* FindCliCommand(const std::string& name) {
    for (const CliCommand& c : CliCommands())
        if (name == c.name) return &c;
    return nullptr;
}

int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, bool progress) {
    CliSession session;
    session.progress = progress;
    session.messages = &err;
    const Result<ProgramArgs> parsed = ParseProgramLine(words);
    if (!parsed) {
        err << "palindra-cli: " << parsed.error().message << "\nTry 'palindra-cli --help'.\n";
        return kUsage;
    }
    const ProgramArgs& program = *parsed;
    session.json = program.json;
    bool help = program.help;
    const std::vector<std::string>& rest = program.command;
    if (program.version) {
        out << "palindra-cli " << PALINDRA_VERSION << "\n";
        return kOk;
    }
    if (!rest.empty() && rest[0] == "help") {
        if (const CliCommand* c = rest.size() == 2 ? FindCliCommand(rest[1]) : nullptr) {
            PrintCommandHelp(*c, out);
            return kOk;
        }
        help = true;
    }
    if (help || rest.empty()) {
        PrintHelp(help ? out : err);
        return help ? kOk : kUsage;
    }
    if (rest[0].starts_with("-")) {
        err << "palindra-cli: unknown option '" << rest[0] << "'. Try 'palindra-cli --help'.\n";
        return kUsage;
    }
    const CliCommand* c = FindCliCommand(rest[0]);
    if (!c) {
        err << "palindra-cli: unknown command '" << rest[0] << "'. Try 'palindra-cli --help'.\n";
        return kUsage;
    }
    return RunCommand(*c, std::vector<std::string>(rest.begin() + 1, rest.end()), out, err, session);
}
