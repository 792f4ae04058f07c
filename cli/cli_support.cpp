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

int Fail(std::ostream& err, const Error& error) { return Fail(err, error.message); }

bool ParseInt(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& out) {
    const auto v = ParseCommandLineNumber(text, min, max);
    if (v) out = *v;
    return v.has_value();
}

bool ReadNumberArgument(const std::string& text, const char* name, std::int64_t min, std::int64_t max,
                        std::int64_t& out, std::string& why) {
    if (ParseInt(text, min, max, out)) return true;
    why = std::string(name) + " takes a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
          ", not '" + text + "'";
    return false;
}

bool ParseRange(const std::string& text, std::int64_t min, std::int64_t max, std::int64_t& from, std::int64_t& to) {
    const auto dash = text.find('-', 1);
    return dash != std::string::npos && ParseInt(text.substr(0, dash), min, max, from) &&
           ParseInt(text.substr(dash + 1), min, max, to);
}

Status LoadOrStart(const std::string& path, Patch& patch) {
    if (!IsExistingFile(path)) return {};
    Status read = ReadPatchFile(path, patch);
    SettleDuplicates(patch);
    return read;
}

Status LoadForChange(const std::string& path, Patch& patch, PatchLock& lock, std::ostream& err) {
    Status locked = lock.Acquire(path, std::chrono::minutes(1), [&] {
        err << "palindra-cli: waiting for another program to finish saving '" << path << "'...\n" << std::flush;
    });
    return locked ? LoadOrStart(path, patch) : locked;
}

Result<const PatchBlock*> ReadLiveBlock(const std::string& path, std::uint8_t fileId, std::int64_t number,
                                        const std::string& text, const std::string& kind, Patch& patch) {
    if (Status read = ReadPatchFile(path, patch); !read) return read.error();
    const PatchBlock* block = patch.LiveBlock(fileId, static_cast<std::int32_t>(number));
    if (!block) return Error("'" + path + "' has no " + kind + " block " + text + ".");
    return block;
}

Status RefuseMissingBase(const std::string& base) {
    if (base.empty() || IsExistingFile(base)) return {};
    return Error("Cannot find the base verdata file '" + base + "'.", ErrorCode::kBaseMissing);
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

bool ReadFileIdArgument(const std::string& text, std::uint8_t& fileId, std::string& why) {
    if (ParseFileId(text, fileId)) return true;
    why = "FILEID takes a file ID from 0 to 255 or a file type's name (see the types command), not '" + text + "'";
    return false;
}

const FileTypeEntry* DataFileType(const std::string& text) {
    std::uint8_t id = 0;
    if (!ParseFileId(text, id) || !IsDataFileType(id)) return nullptr;
    return &FileTypes()[id];
}

void ReportImport(const ImportReport& report, std::ostream& out, std::ostream& err) {
    for (const LeftOutLine& line : DescribeLeftOut(report, "--skip-absent"))
        (line.warning ? err << "palindra-cli: " : out) << line.text << "\n";
}
