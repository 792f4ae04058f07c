#include "cli/cli_support.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ostream>

#include "io/binary_io.h"
#include "io/counted.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"
#include "patch/user_numbers.h"

int Fail(std::ostream& err, const std::string& message) {
    err << "palindra-cli: " << message << "\n";
    return kFailed;
}

bool ParseInt(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& out) {
    const auto v = ParseNumber(text, min, max);
    if (v) out = *v;
    return v.has_value();
}

bool ParseRange(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& from, std::int64_t& to) {
    const auto dash = text.find('-', 1);
    return dash != std::string::npos && ParseInt(text.substr(0, dash), min, max, from) &&
           ParseInt(text.substr(dash + 1), min, max, to);
}

std::string LoadOrStart(const std::string& path, Patch& patch) {
    if (!IsExistingFile(path)) return "";
    std::string e = ReadPatchFile(path, patch, true, 0, 255, 0, kMaxBlockNumber);
    SettleDuplicates(patch);
    return e;
}

std::string LoadForChange(const std::string& path, Patch& patch, PatchLock& lock, std::ostream& err) {
    const std::string e = lock.Acquire(path, std::chrono::minutes(1), [&] {
        err << "palindra-cli: waiting for another program to finish saving '" << path << "'...\n" << std::flush;
    });
    return e.empty() ? LoadOrStart(path, patch) : e;
}

std::string ReadLiveBlock(const std::string& path, std::uint8_t fileId, std::int64_t number, const std::string& text,
                          const std::string& kind, Patch& patch, const PatchBlock*& block) {
    if (std::string e = ReadPatchFile(path, patch, true, 0, 255, INT32_MIN, INT32_MAX); !e.empty()) return e;
    const std::int32_t i = patch.FindLiveBlock(fileId, static_cast<std::int32_t>(number));
    if (i < 0) return "'" + path + "' has no " + kind + " block " + text + ".";
    block = &patch[fileId].blocks[static_cast<std::size_t>(i)];
    return "";
}

std::string MissingBase(const std::string& base) {
    return base.empty() || IsExistingFile(base) ? "" : "Cannot find the base verdata file '" + base + "'.";
}

namespace {
bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

bool ParseFileId(const std::string& text, std::uint8_t& fileId) {
    std::int64_t id = 0;
    if (ParseInt(text, 0, 255, id)) {
        fileId = static_cast<std::uint8_t>(id);
        return true;
    }
    for (std::size_t i = 0; i < FileTypes().size(); ++i) {
        if (FileTypes()[i].name.empty() || !SameName(FileTypes()[i].name, text)) continue;
        fileId = static_cast<std::uint8_t>(i);
        return true;
    }
    return false;
}

const FileTypeEntry* DataFileType(const std::string& text) {
    std::uint8_t id = 0;
    if (!ParseFileId(text, id) || !IsDataFileType(id)) return nullptr;
    return &FileTypes()[id];
}

void ReportImport(const ImportResult& r, std::ostream& out, std::ostream& err) {
    if (r.absent > 0)
        out << r.absent << (r.absent == 1 ? " of them carries" : " of them carry")
            << " no data: the client drops its own copy of those blocks"
            << " (--skip-absent leaves them out).\n";
    if (r.leftOut > 0) out << "Left out " << Counted(r.leftOut, "block") << " without data.\n";
    if (r.damaged > 0) err << "palindra-cli: " << DamagedText(r.damaged) << "\n";
    for (std::size_t at = 0; at < r.note.size();) {
        const std::size_t end = std::min(r.note.find('\n', at), r.note.size());
        err << "palindra-cli: " << r.note.substr(at, end - at) << "\n";
        at = end + 1;
    }
}
