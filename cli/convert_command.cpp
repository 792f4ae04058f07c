#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "codecs/notes.h"
#include "gamefiles/convert.h"
#include "io/counted.h"

namespace {
Json ReportJson(const ConvertReport& report) {
    Json files = Json::array();
    for (const ConvertedFile& f : report.files)
        files.push_back({{"path", f.path}, {"written", f.written}, {"leftOut", f.leftOut}, {"empty", f.empty},
                         {"lossy", f.lossy}, {"size", f.size}, {"sha256", f.sha256}});
    return {{"fileId", report.fileId}, {"from", report.from},     {"to", report.to},         {"files", files},
            {"damaged", report.damaged}, {"lossy", report.lossy}, {"missing", report.missing}};
}

std::string ReportText(const ConvertReport& report) {
    std::string text;
    for (const ConvertedFile& f : report.files)
        text += f.path + ": " + Grouped(f.written) + " written, " + Grouped(f.leftOut) + " left out, " + Grouped(f.empty) +
                " empty, " + Grouped(f.lossy) + " lossy; " + Counted(f.size, "byte") + ", sha256 " + f.sha256 + "\n";
    return text + "Converted " + report.from + " into " + report.to + ".\n";
}

EntryCompression CompressionOf(const std::string& word) {
    if (word.empty() || word == "usual") return EntryCompression::kUsual;
    if (word == "none") return EntryCompression::kNone;
    if (word == "zlib") return EntryCompression::kZlib;
    return EntryCompression::kZlib2;
}
}  // namespace

CommandResult ConvertCommand(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    ConvertOptions options;
    if (args.type) {
        std::uint8_t id = 0;
        if (!ParseFileId(*args.type, id))
            return UsageError("--type takes a file ID from 0 to 255 or a file type's name, not '" + *args.type + "'");
        options.fileId = id;
    }
    if (!args.packageVersion.empty()) options.packageVersion = args.packageVersion == "4" ? 4u : 5u;
    options.compression = CompressionOf(args.compression);
    options.base = args.basePackage.value_or("");
    if (args.basePackage && options.base.empty()) return Error("--base needs the path of a game data package.");
    options.skipDamaged = args.skipDamaged;
    if (session.line) {
        options.progress.report = [&](std::int64_t done, std::int64_t total) {
            session.line->Show(std::to_string(100 * done / total) + "%");
            return true;
        };
    }
    // The declaration cuts the words only roughly: the source's content tells where the targets start.
    std::vector<std::string> paths = {args.Text("SOURCE")};
    for (const std::string& path : args.Texts("FILES")) paths.push_back(path);
    const Result<ConvertReport> report = Convert(paths, options);
    if (!report) return report.error();
    session.Report(out, ReportText(*report), ReportJson(*report));
    if (!report->damaged.empty())
        err << "Left out " << Counted(report->files.front().leftOut, "damaged block") << " of the source:\n";
    for (const std::string& d : report->damaged) err << "  " << d << "\n";
    if (!report->lossy.empty())
        err << Counted(std::ssize(report->lossy), "block") << " with values the target cannot hold as they were:\n";
    for (const std::string& l : report->lossy) err << "  " << l << "\n";
    for (const std::string& m : report->missing) err << "Not carried: " << m << "\n";
    return kDone;
}
