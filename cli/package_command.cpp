#include <cstdio>
#include <iomanip>
#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"

CommandResult ListPackage(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("FILE.uop");
    Package package;
    if (Status done = package.Open(path); !done) return done.error();
    const std::vector<std::string> names = KnownEntryNames(package);
    if (session.json) {
        Json entries = Json::array();
        for (std::size_t i = 0; i < package.Entries().size(); ++i) {
            const PackageEntry& e = package.Entries()[i];
            char hash[17];
            std::snprintf(hash, sizeof hash, "%016llX", static_cast<unsigned long long>(e.hash));
            Json entry{{"hash", hash}, {"flag", e.flag}, {"stored", e.storedSize}, {"decoded", e.decodedSize}};
            if (!names[i].empty()) entry["name"] = names[i];
            entries.push_back(std::move(entry));
        }
        PrintJson(out, {{"version", package.Version()}, {"tables", package.TableCount()}, {"entries", entries}});
        return kDone;
    }
    out << path << ": version " << package.Version() << ", " << package.TableCount() << " tables, "
        << package.Entries().size() << " entries\n"
        << "hash flag stored decoded name\n";
    for (std::size_t i = 0; i < package.Entries().size(); ++i) {
        const PackageEntry& e = package.Entries()[i];
        out << std::hex << std::uppercase << std::setw(16) << std::setfill('0') << e.hash << std::dec << ' ' << e.flag
            << ' ' << e.storedSize << ' ' << e.decodedSize;
        if (!names[i].empty()) out << ' ' << names[i];
        out << '\n';
    }
    return kDone;
}
