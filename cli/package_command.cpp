#include "cli/package_command.h"

#include <cstdio>
#include <iomanip>
#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "gamefiles/block_source.h"
#include "gamefiles/package.h"
#include "gamefiles/package_blocks.h"
#include "patch/counted.h"

int ListPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliSession& session) {
    if (args.size() != 1) return kUsage;
    Package package;
    if (std::string e = package.Open(args[0]); !e.empty()) return Fail(err, e);
    const std::vector<std::string> names = KnownEntryNames(package);
    if (session.json) {
        Json entries = Json::Array();
        for (std::size_t i = 0; i < package.Entries().size(); ++i) {
            const PackageEntry& e = package.Entries()[i];
            char hash[17];
            std::snprintf(hash, sizeof hash, "%016llX", static_cast<unsigned long long>(e.hash));
            Json entry{{"hash", hash}, {"flag", e.flag}, {"stored", e.storedSize}, {"decoded", e.decodedSize}};
            if (!names[i].empty()) entry.Set("name", names[i]);
            entries.Append(std::move(entry));
        }
        PrintJson(out, {{"version", package.Version()}, {"tables", package.TableCount()}, {"entries", entries}});
        return kOk;
    }
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

int CompareWithPackage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       CliSession& session) {
    const FileTypeEntry* type = DataFileType(args[1]);
    std::string sides[2][2];
    if (!type || !SplitSides(args, *type, sides)) return kUsage;
    const auto id = static_cast<std::uint8_t>(type - FileTypes().data());
    Patch patch;
    if (std::string e = session.LoadForWriting(args[0], patch); !e.empty()) return Fail(err, e);
    const ImportResult r = CompareFiles(patch, id, sides[0][0], sides[0][1], sides[1][0], sides[1][1]);
    if (!r.error.empty()) return Fail(err, r.error);
    if (std::string e = session.Save(args[0], std::move(patch)); !e.empty()) return Fail(err, e);
    session.Report(out, "Added " + Counted(r.added, "block") + (r.added == 1 ? " that differs.\n" : " that differ.\n"), ResultJson(r));
    if (!session.json) ReportImport(r, out, err);
    return kOk;
}
