#include "cli/commands.h"

#include <algorithm>
#include <charconv>
#include <new>
#include <optional>
#include <ostream>
#include <string_view>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/diff.h"
#include "cli/edit_blocks.h"
#include "cli/info.h"
#include "cli/package_command.h"
#include "cli/picture_commands.h"
#include "cli/samples.h"
#include "cli/sound_to_wav.h"
#include "gamefiles/block_source.h"
#include "gamefiles/compare.h"
#include "gamefiles/import.h"
#include "gamefiles/package.h"
#include "gamefiles/verdata.h"
#include "gamefiles/whole_files.h"
#include "patch/FileTypes.h"
#include "patch/Patch.h"
#include "patch/binary_io.h"
#include "patch/counted.h"
#include "patch/patch_file.h"
#include "patch/save_file.h"
#include "patch/settle_duplicates.h"

namespace {
// A patch lists by file ID, as the editor shows it; a verdata in the order of its directory.
int List(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.size() != 1) return kUsage;
    if (IsPackageFile(args[0]))
        return Fail(err, args[0] + " is a game data package: palindra-cli package lists its entries.");
    Patch patch;
    std::vector<VerdataEntry> entries;
    const bool isPatch = LooksLikePatchFile(args[0]);
    if (isPatch) {
        if (std::string e = ReadPatchHeaders(args[0], patch); !e.empty()) return Fail(err, e);
        if (session.json)
            for (int f = 0; f < Patch::kFileIds; ++f)
                patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
                    entries.push_back({static_cast<std::uint8_t>(f), b.BlockNumber, 0, b.Length(), b.FlagA, b.FlagB});
                });
    } else {
        if (std::string e = ReadVerdataDirectory(args[0], entries); !e.empty())
            return Fail(err, e + " Nor is it a patch project file: those start with \"UOP\".");
    }
    if (session.json) return PrintBlocksJson(out, entries);
    // Lines are formatted into a buffer that goes out in large pieces.
    std::string text(1 << 16, '\0');
    std::size_t used = 0;
    auto line = [&](std::int32_t fileId, std::int32_t block, std::int32_t length, std::int16_t flagA, std::int16_t flagB) {
        if (text.size() - used < 64) {
            out.write(text.data(), static_cast<std::streamsize>(used));
            used = 0;
        }
        char* p = text.data() + used;
        char* const end = text.data() + text.size();
        for (const std::int32_t v : {fileId, block, length, std::int32_t{flagA}, std::int32_t{flagB}}) {
            p = std::to_chars(p, end, v).ptr;
            *p++ = ' ';
        }
        p[-1] = '\n';
        used = static_cast<std::size_t>(p - text.data());
    };
    if (isPatch)
        for (int f = 0; f < Patch::kFileIds; ++f)
            patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
                line(f, b.BlockNumber, b.Length(), b.FlagA, b.FlagB);
            });
    for (const VerdataEntry& e : entries) line(e.fileId, e.blockNumber, e.length, e.flagA, e.flagB);
    out.write(text.data(), static_cast<std::streamsize>(used));
    return kOk;
}

bool ParseBlockAddress(const std::vector<std::string>& args, std::uint8_t& fileId, std::int32_t& block) {
    std::int64_t n = 0;
    if (!ParseFileId(args[1], fileId) || !ParseInt(args[2], 0, INT32_MAX, n)) return false;
    block = static_cast<std::int32_t>(n);
    return true;
}

int Insert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    if (args.size() != 4 || !ParseBlockAddress(args, fileId, block)) return kUsage;
    Patch patch;
    if (std::string e = session.LoadForWriting(args[0], patch); !e.empty()) return Fail(err, e);
    Bytes data;
    if (std::string e = ReadWholeFile(args[3], data); !e.empty()) return Fail(err, e);
    const std::size_t size = data.size();
    patch.Append(fileId, block, std::move(data), 0, 0);
    if (std::string e = session.Save(args[0], std::move(patch)); !e.empty()) return Fail(err, e);
    session.Report(out,
                   "Added block " + std::to_string(block) + " of file ID " + std::to_string(fileId) + " (" +
                       Counted(static_cast<std::int64_t>(size), "byte") + ").\n",
                   {{"fileId", fileId}, {"block", block}, {"bytes", size}});
    return kOk;
}

int Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    if (args.size() != 4 || !ParseBlockAddress(args, fileId, block)) return kUsage;
    Patch patch;
    if (std::string e = ReadPatchFile(args[0], patch, true, 0, 255, INT32_MIN, INT32_MAX); !e.empty())
        return Fail(err, e);
    const std::int32_t i = patch.FindLiveBlock(fileId, block);
    if (i < 0)
        return Fail(err, "'" + args[0] + "' has no block " + std::to_string(block) + " of file ID " +
                             std::to_string(fileId) + ".");
    const PatchBlock& b = patch[fileId].Blocks[static_cast<std::size_t>(i)];
    if (b.Length() <= 0) return Fail(err, "That block is empty.");
    if (std::string e = OverwritesInput(args[3], args[0], "the patch"); !e.empty()) return Fail(err, e);
    SaveFile file;
    if (std::string e = file.Open(args[3]); !e.empty()) return Fail(err, e);
    file.Write(b.ByteArray);
    if (std::string e = file.Commit(); !e.empty()) return Fail(err, e);
    const auto size = static_cast<std::int64_t>(b.ByteArray.size());
    session.Report(out, "Wrote " + Counted(size, "byte") + " to " + args[3] + ".\n", {{"written", args[3]}, {"bytes", size}});
    return kOk;
}

// Says which argument is an option the command does not know; false when none is.
bool UnknownOption(const std::vector<std::string>& args, std::initializer_list<std::string_view> known,
                   std::ostream& err) {
    for (const std::string& a : args)
        if (a.starts_with("--") && std::find(known.begin(), known.end(), a) == known.end()) {
            err << "palindra-cli: unknown option '" << a << "'.\n";
            return true;
        }
    return false;
}

int Export(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (UnknownOption(args, {"--base"}, err)) return kUsage;
    std::string base;
    if (args.size() == 4 && args[2] == "--base") base = args[3];
    else if (args.size() != 2) return kUsage;
    if (std::string e = MissingBase(base); !e.empty()) return Fail(err, e);
    if (std::string e = OverwritesInput(args[1], args[0], "the patch"); !e.empty()) return Fail(err, e);
    Patch patch;
    if (std::string e = session.Load(args[0], patch); !e.empty()) return Fail(err, e);
    SettleDuplicates(patch);
    if (std::string e = session.Export(args[1], base, patch); !e.empty()) return Fail(err, e);
    session.Report(out, "Wrote " + args[1] + ".\n", {{"written", args[1]}});
    return kOk;
}

struct ImportOptions {
    std::vector<std::string> positional;
    std::int64_t fileFrom = 0, fileTo = 255, blockFrom = 0, blockTo = INT32_MAX;
    bool filesGiven = false, skipAbsent = false;
};

// Reads "--files A-B", "--blocks A-B" and "--skip-absent" among the
// positional arguments. kOk, or the exit code after saying what is wrong.
int ParseImportOptions(const std::vector<std::string>& args, ImportOptions& o, std::ostream& err) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--skip-absent") {
            o.skipAbsent = true;
        } else if (a == "--files" || a == "--blocks") {
            const bool files = a == "--files";
            if (i + 1 == args.size()) {
                err << "palindra-cli: " << a << " needs a range A-B.\n";
                return kUsage;
            }
            const std::string& range = args[++i];
            std::int64_t& from = files ? o.fileFrom : o.blockFrom;
            std::int64_t& to = files ? o.fileTo : o.blockTo;
            if (!ParseRange(range, 0, files ? 255 : INT32_MAX, from, to)) return kUsage;
            if (from > to) return Fail(err, "The range " + range + " of " + a + " selects nothing.");
            o.filesGiven = o.filesGiven || files;
        } else if (UnknownOption({a}, {}, err)) {
            return kUsage;
        } else {
            o.positional.push_back(a);
        }
    }
    return o.positional.empty() ? kUsage : kOk;
}

int Import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.empty()) return kUsage;
    ImportOptions o;
    if (const int code = ParseImportOptions(args, o, err); code != kOk) return code;
    const std::vector<std::string>& positional = o.positional;
    Patch patch;
    if (std::string e = session.LoadForWriting(args[0], patch); !e.empty()) return Fail(err, e);
    const auto f1 = static_cast<std::uint8_t>(o.fileFrom), f2 = static_cast<std::uint8_t>(o.fileTo);
    const auto b1 = static_cast<std::int32_t>(o.blockFrom), b2 = static_cast<std::int32_t>(o.blockTo);
    Patch imported;
    ImportResult result;
    const bool patchOrVerdata = positional.size() == 2 && (positional[0] == "uop" || positional[0] == "verdata");
    if (patchOrVerdata) {
        if (!IsExistingFile(positional[1])) return Fail(err, "Cannot find the file '" + positional[1] + "'!");
        result.error = positional[0] == "uop" ? ReadPatchFile(positional[1], imported, false, f1, f2, b1, b2)
                                              : ReadVerdata(positional[1], imported, false, f1, f2, b1, b2);
        result.added = imported.LiveCount();
        result.absent = CountWithoutData(imported);
    } else {
        std::uint8_t id = 0;
        if (o.filesGiven || !ParseFileId(positional[0], id)) return kUsage;
        const FileTypeEntry& type = FileTypes()[id];
        if (id > 200 || type.Name.empty()) return Fail(err, "File ID " + positional[0] + " is not a known file type.");
        const std::size_t wanted = type.ConstantIndex > 0 || (positional.size() > 1 && IsPackageFile(positional[1])) ? 2 : 3;
        if (positional.size() != wanted) {
            return Fail(err, type.Name + (type.ConstantIndex > 0 ? " files have no index file."
                                                                  : " files need their index file."));
        }
        const std::string idx = wanted == 3 ? positional[2] : "";
        result = wanted == 2 && type.ConstantIndex <= 0
                     ? ImportFromFiles(imported, id, positional[1], "", b1, b2, o.skipAbsent)
                     : ImportMulRange(imported, idx, positional[1], id, b1, b2, o.skipAbsent);
    }
    if (!result.error.empty()) return Fail(err, result.error);
    patch.AppendAll(std::move(imported));
    if (std::string w = session.Save(args[0], std::move(patch)); !w.empty()) return Fail(err, w);
    session.Report(out, "Imported " + Counted(result.added, "block") + " into " + args[0] + ".\n",
                   ResultJson(result));
    if (!session.json) ReportImport(result, out, err);
    return kOk;
}

int Compare(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (UnknownOption(args, {}, err) || args.size() < 4) return kUsage;
    if (ComparesWithPackage(args)) return CompareWithPackage(args, out, err, session);
    const FileTypeEntry* type = DataFileType(args[1]);
    if (!type) return kUsage;
    const bool indexed = type->ConstantIndex <= 0;
    if (args.size() != (indexed ? 6u : 4u)) {
        return Fail(err, type->Name + (indexed ? " files need their index files: BASE.mul BASE.idx ALTERED.mul ALTERED.idx."
                                               : " files have no index files: BASE.mul ALTERED.mul."));
    }
    const std::string mul1 = args[2], idx1 = indexed ? args[3] : "";
    const std::string mul2 = indexed ? args[4] : args[3], idx2 = indexed ? args[5] : "";
    for (const std::string& path : indexed ? std::vector{mul1, idx1, mul2, idx2} : std::vector{mul1, mul2})
        if (!IsExistingFile(path)) return Fail(err, "Cannot find the file '" + path + "'!");
    Patch patch;
    if (std::string e = session.LoadForWriting(args[0], patch); !e.empty()) return Fail(err, e);
    const auto id = static_cast<std::uint8_t>(type - FileTypes().data());
    const ImportResult result = CompareMuls(patch, idx1, mul1, idx2, mul2, id);
    if (!result.error.empty()) return Fail(err, result.error);
    if (std::string e = session.Save(args[0], std::move(patch)); !e.empty()) return Fail(err, e);
    session.Report(out, "Added " + Counted(result.added, "block") + (result.added == 1 ? " that differs.\n" : " that differ.\n"), ResultJson(result));
    if (!session.json) ReportImport(result, out, err);
    return kOk;
}

int AddFile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.size() != 3) return kUsage;
    const std::vector<std::string> kinds = {"client", "readme", "map"};
    const auto kind = std::find(kinds.begin(), kinds.end(), args[1]);
    if (kind == kinds.end()) return kUsage;
    if (!IsExistingFile(args[2])) return Fail(err, "You must select a file to add first.");
    Patch patch;
    if (std::string e = session.LoadForWriting(args[0], patch); !e.empty()) return Fail(err, e);
    const auto fileType = static_cast<std::int32_t>(kind - kinds.begin());
    if (std::string e = AddWholeFile(patch, fileType, args[2]); !e.empty()) return Fail(err, e);
    if (std::string e = session.Save(args[0], std::move(patch)); !e.empty()) return Fail(err, e);
    session.Report(out, "Added " + args[2] + " as the " + args[1] + " file.\n", {{"kind", args[1]}, {"file", args[2]}});
    return kOk;
}

int Samples(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.size() != 1) return kUsage;
    if (std::string e = MakeSamples(args[0]); !e.empty()) return Fail(err, e);
    std::string text = "Wrote " + std::to_string(SampleFileNames().size()) + " sample files to " + args[0] + ":";
    Json files = Json::Array();
    for (const std::string& name : SampleFileNames()) {
        text += " " + name;
        files.Append(name);
    }
    session.Report(out, text + "\n", {{"folder", args[0]}, {"files", files}});
    return kOk;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: palindra-cli COMMAND ARGUMENTS...\n"
           "Works on patch project files (.uop) without the editor.\n"
           "Numbers may be written in decimal or with a 0x prefix in hexadecimal; a FILEID may also be a file\n"
           "type's name in any case (see the types command).\n\nCommands:\n";
    for (const CliCommand& c : CliCommands())
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n      e.g. palindra-cli " << c.name
            << " " << c.example << "\n";
    out << "  --help\n      Shows this text.\n  --version\n      Shows the version.\n\n" << kJsonHelp;
}
}  // namespace

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {
        {"list", "FILE", "Lists the blocks of a patch project file or the entries of a verdata.mul: file ID, "
         "block number, length, FlagA, FlagB.",
         "patch.uop", List},
        {"insert", "PATCH.uop FILEID BLOCK IN.dat",
         "Appends the raw file's bytes as a block (flags 0) and saves the patch; a missing patch starts empty.",
         "patch.uop 12 0x1F4 gump.dat", Insert},
        {"extract", "PATCH.uop FILEID BLOCK OUT.dat", "Writes the bytes of the live block to a raw file.",
         "patch.uop 12 500 gump.dat", Extract},
        {"export", "PATCH.uop NEW.mul [--base VERDATA.mul]",
         "Writes a verdata.mul from the patch, merged over the base verdata when given.",
         "patch.uop verdata.mul --base client/verdata.mul", Export},
        {"import", "PATCH.uop uop|verdata SOURCE [--files A-B] [--blocks A-B]  or  PATCH.uop FILEID DATA.mul "
                   "[INDEX.idx] [--blocks A-B] [--skip-absent]  or  PATCH.uop FILEID PACKAGE.uop [--blocks A-B] [--skip-absent]",
         "Appends blocks from a patch project file, a verdata.mul, or a block range of a data file (with its "
         "index where the type has one) and saves the patch; a missing patch starts empty. Damaged entries are "
         "left out; --skip-absent also leaves out blocks without data.",
         "patch.uop 12 gumpart.mul gumpidx.mul --blocks 0-100", Import},
        {"package", "FILE.uop",
         "Lists a game data package: version, tables, and per entry its name hash, compression flag, stored and "
         "decoded size and its name where a legacy name scheme gives it.",
         "gumpartLegacyMUL.uop", ListPackage},
        {"gump-to-bmp", "PATCH.uop BLOCK OUT.bmp",
         "Writes the gump block's picture as a Windows bitmap (PNG when the name ends in .png).",
         "patch.uop 500 gump.bmp", GumpToBmpCommand},
        {"bmp-to-gump", "PATCH.uop BLOCK IN.bmp",
         "Builds gump block BLOCK (0-65535) from a bitmap or PNG picture and saves the patch.",
         "patch.uop 500 gump.png", BmpToGumpCommand},
        {"sound-to-wav", "PATCH.uop BLOCK OUT.wav", "Writes a sound block as a WAV file.", "patch.uop 42 sound.wav", SoundToWavCommand},
        {"compare", "PATCH.uop FILEID BASE.mul [BASE.idx] ALTERED.mul [ALTERED.idx] (either side may be a PACKAGE.uop)",
         "Appends every block that differs between the base and the altered data file (index files only for "
         "types that have them) and saves the patch.",
         "patch.uop 4 art.mul artidx.mul myart.mul myartidx.mul", Compare},
        {"add-file", "PATCH.uop client|readme|map FILE",
         "Carries a whole client file in the patch, replacing an earlier copy; the client must contain its "
         "marker text.",
         "patch.uop readme readme.txt", AddFile},
        {"remove", "PATCH.uop FILEID BLOCK[-BLOCK]", "Removes the live blocks with these numbers and saves the patch.",
         "patch.uop art 0x4001", Remove},
        {"set-flags", "PATCH.uop FILEID BLOCK FLAGA FLAGB",
         "Sets the two flags (-32768 to 65535 each, kept as 16 bits) of the live block and saves the patch.",
         "patch.uop gumps 0x1234 90 120", SetFlags},
        {"apply", "PATCH.uop MANIFEST",
         "Runs the commands of a manifest (one per line without the program and patch arguments, # comments, "
         "paths relative to the manifest's folder) on one patch: all lines, or at the first failing line nothing "
         "is saved or exported.",
         "patch.uop build/patch.manifest", ApplyCommand},
        {"verify", "PATCH.uop VERDATA.mul [--base BASE.mul]",
         "Checks that a written verdata holds exactly what export of the patch writes: exit 0 when it does, 1 with "
         "one line per difference, 2 when it cannot tell.",
         "patch.uop out/verdata.mul --base client/verdata.mul", Verify},
        {"diff", "A B",
         "Compares two patch project files or verdata files block by block (settled duplicates, flags and a "
         "SHA-256 of the bytes): exit 0 when equal, 1 when they differ, 2 when it cannot tell.",
         "old.uop new.uop", Diff},
        {"info", "PATCH.uop", "Counts the blocks per file type: live, superseded duplicates, without data; and "
         "the total bytes.", "patch.uop", Info},
        {"types", "", "Lists the known file types: ID, name, layout and highest block number.", "", Types},
        {"make-samples", "DIR",
         "Writes a small set of client files drawn by the program (map, radar colours, art, gumps, hues, "
         "tiledata, animdata, verdata.mul, readme, stand-in client, a sample patch) to try every feature on.",
         "samples", Samples},
    };
    return commands;
}

int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, bool progress) {
    CliSession session;
    session.progress = progress;
    session.messages = &err;
    std::vector<std::string> args;
    for (const std::string& w : words) {
        if (w == "--json") session.json = true;
        else args.push_back(w);
    }
    if (!args.empty() && args[0] == "--version") {
        out << "palindra-cli " << PALINDRA_VERSION << "\n";
        return kOk;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(args.empty() ? err : out);
        return args.empty() ? kUsage : kOk;
    }
    for (const CliCommand& c : CliCommands()) {
        if (args[0] != c.name) continue;
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (!rest.empty() && rest[0] == "--help") {
            out << "Usage: palindra-cli " << c.name << " " << c.usage << "\n" << c.summary << "\nExample: palindra-cli "
                << c.name << " " << c.example << "\n";
            return kOk;
        }
        int code = kFailed;
        std::optional<ProgressLine> line;
        if (progress) {
            line.emplace(out, err, c.name);
            session.line = &*line;
        }
        try {
            code = c.run(rest, out, err, session);
        } catch (const std::bad_alloc&) {
            // Every command saves through a temporary file, so nothing was changed.
            code = Fail(err, std::string("There is not enough memory for ") + c.name + "; nothing was changed.");
        }
        if (code == kUsage) err << "Usage: palindra-cli " << c.name << " " << c.usage << "\n";
        return code;
    }
    err << "palindra-cli: unknown command '" << args[0] << "'. Try palindra-cli --help.\n";
    return kUsage;
}
