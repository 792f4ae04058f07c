#include "cli/commands.h"

#include <algorithm>
#include <new>
#include <ostream>

#include "cli/cli_support.h"
#include "cli/samples.h"
#include "codecs/bitmap.h"
#include "gamefiles/compare.h"
#include "gamefiles/import.h"
#include "gamefiles/verdata.h"
#include "gamefiles/whole_files.h"
#include "patch/FileTypes.h"
#include "patch/Patch.h"
#include "patch/binary_io.h"
#include "patch/patch_file.h"
#include "patch/save_file.h"
#include "patch/settle_duplicates.h"

namespace {
int List(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return kUsage;
    Patch patch;
    const std::string e = LooksLikePatchFile(args[0])
                              ? ReadPatchHeaders(args[0], patch)
                              : ReadVerdata(args[0], patch, true, 0, 255, INT32_MIN, INT32_MAX);
    if (!e.empty()) return Fail(err, e);
    for (int f = 0; f < Patch::kFileIds; ++f)
        patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
            out << int(b.FileID) << ' ' << b.BlockNumber << ' ' << b.Length << ' ' << b.FlagA << ' ' << b.FlagB
                << '\n';
        });
    return kOk;
}

bool ParseBlockAddress(const std::vector<std::string>& args, std::uint8_t& fileId, std::int32_t& block) {
    std::int64_t f = 0, n = 0;
    if (!ParseInt(args[1], 0, 255, f) || !ParseInt(args[2], 0, INT32_MAX, n)) return false;
    fileId = static_cast<std::uint8_t>(f);
    block = static_cast<std::int32_t>(n);
    return true;
}

int Insert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    if (args.size() != 4 || !ParseBlockAddress(args, fileId, block)) return kUsage;
    Patch patch;
    PatchLock lock;
    if (std::string e = LoadForChange(args[0], patch, lock, err); !e.empty()) return Fail(err, e);
    Bytes data;
    if (std::string e = ReadWholeFile(args[3], data); !e.empty()) return Fail(err, e);
    const std::size_t size = data.size();
    patch.Append(fileId, block, std::move(data), 0, 0);
    if (std::string e = WritePatchFile(args[0], patch); !e.empty()) return Fail(err, e);
    out << "Added block " << block << " of file ID " << int(fileId) << " (" << size << " bytes).\n";
    return kOk;
}

int Extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
    if (b.Length <= 0) return Fail(err, "That block is empty.");
    SaveFile file;
    if (std::string e = file.Open(args[3]); !e.empty()) return Fail(err, e);
    file.Write(b.ByteArray);
    if (std::string e = file.Commit(); !e.empty()) return Fail(err, e);
    out << "Wrote " << b.ByteArray.size() << " bytes to " << args[3] << ".\n";
    return kOk;
}

int Export(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string base;
    if (args.size() == 4 && args[2] == "--base") base = args[3];
    else if (args.size() != 2) return kUsage;
    Patch patch;
    if (std::string e = ReadPatchFile(args[0], patch, true, 0, 255, 0, kMaxBlockNumber); !e.empty())
        return Fail(err, e);
    SettleDuplicates(patch);
    if (std::string e = WriteVerdata(args[1], base, patch); !e.empty()) return Fail(err, e);
    out << "Wrote " << args[1] << ".\n";
    return kOk;
}

int Import(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 3) return kUsage;
    std::vector<std::string> positional;
    std::int64_t fileFrom = 0, fileTo = 255, blockFrom = 0, blockTo = kMaxBlockNumber;
    bool filesGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--files" && i + 1 < args.size()) {
            if (!ParseRange(args[++i], 0, 255, fileFrom, fileTo)) return kUsage;
            filesGiven = true;
        } else if (args[i] == "--blocks" && i + 1 < args.size()) {
            if (!ParseRange(args[++i], 0, INT32_MAX, blockFrom, blockTo)) return kUsage;
        } else {
            positional.push_back(args[i]);
        }
    }
    Patch patch;
    PatchLock lock;
    if (std::string e = LoadForChange(args[0], patch, lock, err); !e.empty()) return Fail(err, e);
    const auto f1 = static_cast<std::uint8_t>(fileFrom), f2 = static_cast<std::uint8_t>(fileTo);
    const auto b1 = static_cast<std::int32_t>(blockFrom), b2 = static_cast<std::int32_t>(blockTo);
    Patch imported;
    std::string e;
    if (positional[0] == "uop" && positional.size() == 2) {
        if (!IsExistingFile(positional[1])) return Fail(err, "Cannot find the file '" + positional[1] + "'!");
        e = ReadPatchFile(positional[1], imported, false, f1, f2, b1, b2);
    } else if (positional[0] == "verdata" && positional.size() == 2) {
        e = ReadVerdata(positional[1], imported, false, f1, f2, b1, b2);
    } else {
        std::int64_t id = 0;
        if (filesGiven || !ParseInt(positional[0], 0, 200, id)) return kUsage;
        const FileTypeEntry& type = FileTypes()[static_cast<std::size_t>(id)];
        if (type.Name.empty()) return Fail(err, "File ID " + positional[0] + " is not a known file type.");
        const std::size_t wanted = type.ConstantIndex > 0 ? 2 : 3;
        if (positional.size() != wanted) {
            return Fail(err, type.Name + (type.ConstantIndex > 0 ? " files have no index file."
                                                                  : " files need their index file."));
        }
        const std::string idx = wanted == 3 ? positional[2] : "";
        e = ImportMulRange(imported, idx, positional[1], static_cast<std::uint8_t>(id), b1, b2, type.NbrOfBlocks,
                           type.ConstantIndex);
    }
    if (!e.empty()) return Fail(err, e);
    const std::int64_t added = imported.LiveCount();
    patch.AppendAll(std::move(imported));
    if (std::string w = WritePatchFile(args[0], patch); !w.empty()) return Fail(err, w);
    out << "Imported " << added << " blocks into " << args[0] << ".\n";
    return kOk;
}

int GumpToBmp(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::int64_t block = 0;
    if (args.size() != 3 || !ParseInt(args[1], 0, INT32_MAX, block)) return kUsage;
    Patch patch;
    if (std::string e = ReadPatchFile(args[0], patch, true, 0, 255, INT32_MIN, INT32_MAX); !e.empty())
        return Fail(err, e);
    const std::int32_t i = patch.FindLiveBlock(kGumpFileId, static_cast<std::int32_t>(block));
    if (i < 0) return Fail(err, "'" + args[0] + "' has no gump block " + args[1] + ".");
    std::string e;
    const QImage picture = GumpPicture(patch[kGumpFileId].Blocks[static_cast<std::size_t>(i)], e);
    if (!e.empty()) return Fail(err, "Gump block " + args[1] + " does not decode: " + e);
    if (e = SavePicture(picture, args[2]); !e.empty()) return Fail(err, e);
    out << "Wrote " << picture.width() << "x" << picture.height() << " pixels to " << args[2] << ".\n";
    return kOk;
}

int BmpToGump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::int64_t block = 0;
    if (args.size() != 3 || !ParseInt(args[1], 0, 65535, block)) return kUsage;
    Patch patch;
    PatchLock lock;
    if (std::string e = LoadForChange(args[0], patch, lock, err); !e.empty()) return Fail(err, e);
    std::string e;
    const QImage picture = LoadPicture(args[2], e);
    if (e.empty()) e = ImportGumpFromBmp(patch, static_cast<std::int32_t>(block), picture);
    if (!e.empty()) return Fail(err, e);
    if (e = WritePatchFile(args[0], patch); !e.empty()) return Fail(err, e);
    out << "Gump block " << block << " is now " << picture.width() << "x" << picture.height() << " pixels.\n";
    return kOk;
}

int Compare(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 4) return kUsage;
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
    PatchLock lock;
    if (std::string e = LoadForChange(args[0], patch, lock, err); !e.empty()) return Fail(err, e);
    const auto id = static_cast<std::uint8_t>(type - FileTypes().data());
    const CompareResult result = CompareMuls(patch, idx1, mul1, idx2, mul2, id, type->NbrOfBlocks, type->ConstantIndex);
    if (!result.error.empty()) return Fail(err, result.error);
    if (std::string e = WritePatchFile(args[0], patch); !e.empty()) return Fail(err, e);
    out << "Added " << result.added << " blocks that differ.\n";
    return kOk;
}

int AddFile(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) return kUsage;
    const std::vector<std::string> kinds = {"client", "readme", "map"};
    const auto kind = std::find(kinds.begin(), kinds.end(), args[1]);
    if (kind == kinds.end()) return kUsage;
    if (!IsExistingFile(args[2])) return Fail(err, "You must select a file to add first.");
    Patch patch;
    PatchLock lock;
    if (std::string e = LoadForChange(args[0], patch, lock, err); !e.empty()) return Fail(err, e);
    const auto fileType = static_cast<std::int32_t>(kind - kinds.begin());
    if (std::string e = AddWholeFile(patch, fileType, args[2]); !e.empty()) return Fail(err, e);
    if (std::string e = WritePatchFile(args[0], patch); !e.empty()) return Fail(err, e);
    out << "Added " << args[2] << " as the " << args[1] << " file.\n";
    return kOk;
}

int Samples(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return kUsage;
    if (std::string e = MakeSamples(args[0]); !e.empty()) return Fail(err, e);
    out << "Wrote " << SampleFileNames().size() << " sample files to " << args[0] << ":";
    for (const std::string& name : SampleFileNames()) out << ' ' << name;
    out << "\n";
    return kOk;
}

void PrintHelp(std::ostream& out) {
    out << "Usage: palindra-cli COMMAND ARGUMENTS...\n"
           "Works on patch project files (.uop) without the editor.\n"
           "Numbers may be written in decimal or with a 0x prefix in hexadecimal.\n\nCommands:\n";
    for (const CliCommand& c : CliCommands())
        out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n      e.g. palindra-cli " << c.name
            << " " << c.example << "\n";
    out << "  --help\n      Shows this text.\n";
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
                   "[INDEX.idx] [--blocks A-B]",
         "Appends blocks from a patch project file, a verdata.mul, or a block range of a data file (with its "
         "index where the type has one) and saves the patch; a missing patch starts empty.",
         "patch.uop 12 gumpart.mul gumpidx.mul --blocks 0-100", Import},
        {"gump-to-bmp", "PATCH.uop BLOCK OUT.bmp",
         "Writes the gump block's picture as a Windows bitmap (PNG when the name ends in .png).",
         "patch.uop 500 gump.bmp", GumpToBmp},
        {"bmp-to-gump", "PATCH.uop BLOCK IN.bmp",
         "Builds gump block BLOCK (0-65535) from a bitmap or PNG picture and saves the patch.",
         "patch.uop 500 gump.png", BmpToGump},
        {"compare", "PATCH.uop FILEID BASE.mul [BASE.idx] ALTERED.mul [ALTERED.idx]",
         "Appends every block that differs between the base and the altered data file (index files only for "
         "types that have them) and saves the patch.",
         "patch.uop 4 art.mul artidx.mul myart.mul myartidx.mul", Compare},
        {"add-file", "PATCH.uop client|readme|map FILE",
         "Carries a whole client file in the patch, replacing an earlier copy; the client must contain its "
         "marker text.",
         "patch.uop readme readme.txt", AddFile},
        {"make-samples", "DIR",
         "Writes a small set of client files drawn by the program (map, radar colours, art, gumps, hues, "
         "verdata.mul, readme, stand-in client, a sample patch) to try every feature on.",
         "samples", Samples},
    };
    return commands;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
        try {
            code = c.run(rest, out, err);
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
