#include "cli/package_command.h"

#include <iomanip>
#include <ostream>

#include "cli/cli_support.h"
#include "gamefiles/block_source.h"
#include "gamefiles/package.h"
#include "gamefiles/package_blocks.h"
#include "patch/patch_file.h"

namespace {
std::vector<std::string> Positional(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--blocks") ++i;
        else if (args[i] != "--skip-absent") positional.push_back(args[i]);
    }
    return positional;
}

std::string Counts(const ImportResult& r) {
    std::string text;
    if (r.absent) text += ", " + std::to_string(r.absent) + " of them absent";
    if (r.leftOut) text += ", " + std::to_string(r.leftOut) + " absent blocks left out";
    if (r.damaged) text += ", " + std::to_string(r.damaged) + " damaged entries left out";
    return text;
}

int Save(const std::string& path, Patch& patch, std::ostream& err) {
    if (std::string e = WritePatchFile(path, patch); !e.empty()) return Fail(err, e);
    return kOk;
}
}  // namespace

int ListPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1) return kUsage;
    Package package;
    if (std::string e = package.Open(args[0]); !e.empty()) return Fail(err, e);
    const std::vector<std::string> names = KnownEntryNames(package);
    out << args[0] << ": version " << package.Version() << ", " << package.TableCount() << " tables, "
        << package.Entries().size() << " entries\n"
        << "hash flag stored decoded name\n";
    for (std::size_t i = 0; i < package.Entries().size(); ++i) {
        const PackageEntry& e = package.Entries()[i];
        out << std::hex << std::uppercase << std::setw(16) << std::setfill('0') << e.hash << std::dec << ' ' << e.flag
            << ' ' << e.storedSize << ' ' << e.decodedSize;
        if (!names[i].empty()) out << ' ' << names[i];
        out << '\n';
    }
    return kOk;
}

bool ImportsFromPackage(const std::vector<std::string>& args) {
    const std::vector<std::string> p = Positional(args);
    return p.size() == 3 && p[1] != "uop" && p[1] != "verdata" && IsPackageFile(p[2]);
}

int ImportFromPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::int64_t blockFrom = 0, blockTo = kMaxBlockNumber;
    bool skipAbsent = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--skip-absent") skipAbsent = true;
        else if (args[i] == "--blocks" && (i + 1 == args.size() || !ParseRange(args[++i], 0, INT32_MAX, blockFrom, blockTo)))
            return kUsage;
    }
    const std::vector<std::string> p = Positional(args);
    const FileTypeEntry* type = DataFileType(p[1]);
    if (!type) return kUsage;
    const auto id = static_cast<std::uint8_t>(type - FileTypes().data());
    Patch patch;
    if (std::string e = LoadOrStart(p[0], patch); !e.empty()) return Fail(err, e);
    const ImportResult r = ImportFromFiles(patch, id, p[2], "", static_cast<std::int32_t>(blockFrom),
                                           static_cast<std::int32_t>(blockTo), skipAbsent);
    if (!r.error.empty()) return Fail(err, r.error);
    if (int code = Save(p[0], patch, err); code != kOk) return code;
    out << "Imported " << r.added << " blocks into " << p[0] << Counts(r) << ".\n";
    return kOk;
}

namespace {
// The sides of a compare: each a package (one path) or a data file with its
// index when the type has one.
bool SplitSides(const std::vector<std::string>& args, const FileTypeEntry& type, std::string sides[2][2]) {
    std::size_t at = 2;
    for (int s = 0; s < 2; ++s) {
        if (at >= args.size()) return false;
        sides[s][0] = args[at++];
        if (!IsPackageFile(sides[s][0]) && type.ConstantIndex <= 0) {
            if (at >= args.size()) return false;
            sides[s][1] = args[at++];
        }
    }
    return at == args.size();
}
}  // namespace

bool ComparesWithPackage(const std::vector<std::string>& args) {
    if (args.size() < 4) return false;
    for (std::size_t i = 2; i < args.size(); ++i)
        if (IsPackageFile(args[i])) return true;
    return false;
}

int CompareWithPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const FileTypeEntry* type = DataFileType(args[1]);
    std::string sides[2][2];
    if (!type || !SplitSides(args, *type, sides)) return kUsage;
    const auto id = static_cast<std::uint8_t>(type - FileTypes().data());
    Patch patch;
    if (std::string e = LoadOrStart(args[0], patch); !e.empty()) return Fail(err, e);
    const ImportResult r = CompareFiles(patch, id, sides[0][0], sides[0][1], sides[1][0], sides[1][1]);
    if (!r.error.empty()) return Fail(err, r.error);
    if (int code = Save(args[0], patch, err); code != kOk) return code;
    out << "Added " << r.added << " blocks that differ" << Counts(r) << ".\n";
    return kOk;
}
