#include "cli/cli_session.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <unistd.h>

#include "cli/cli_json.h"
#include "cli/cli_support.h"
#include "gamefiles/verdata.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"

CliSession::~CliSession() {
    for (const auto& [target, temp] : exports_) std::remove(temp.c_str());
}

void CliSession::Show(const std::string& step) const {
    // Under a manifest the line says which line runs.
    if (line && !held_) line->Show(step);
}

std::string CliSession::Load(const std::string& path, Patch& patch) {
    if (held_) {
        patch = *held_;
        return "";
    }
    Show("reading " + path);
    std::string error = ReadPatchFile(path, patch, true, 0, 255, INT32_MIN, INT32_MAX);
    Show("working");
    return error;
}

std::string CliSession::LoadForWriting(const std::string& path, Patch& patch) {
    if (held_) {
        patch = std::move(*held_);
        return "";
    }
    Show("reading " + path);
    std::string error = messages ? LoadForChange(path, patch, lock_, *messages) : LoadOrStart(path, patch);
    Show("working");
    return error;
}

std::string CliSession::Save(const std::string& path, Patch&& patch) {
    SettleDuplicates(patch);
    if (held_) {
        *held_ = std::move(patch);
        return "";
    }
    Show("saving " + path);
    return WritePatchFile(path, patch);
}

std::string CliSession::Export(const std::string& target, const std::string& base, const Patch& patch) {
    Show("writing " + target);
    if (!held_) return WriteVerdata(target, base, patch);
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = folder + (slash == std::string::npos ? "/." : ".") + name + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return "Cannot write '" + target + "': " + std::strerror(errno) + ".";
    // Only the unique name is wanted: the export makes the file with the usual permissions.
    ::close(fd);
    std::remove(temp.c_str());
    if (std::string e = WriteVerdata(temp, base, patch); !e.empty()) {
        std::remove(temp.c_str());
        return e;
    }
    if (auto old = exports_.find(target); old != exports_.end()) std::remove(old->second.c_str());
    exports_[target] = temp;
    return "";
}

void CliSession::Report(std::ostream& out, const std::string& text, const Json& result) const {
    if (json) PrintJson(out, result);
    else out << text;
}

void CliSession::Hold(const std::string& path, Patch&& patch) {
    held_ = std::move(patch);
    heldPath_ = path;
}

std::string CliSession::Commit() {
    if (line) line->Show("saving " + heldPath_);
    if (std::string e = WritePatchFile(heldPath_, *held_); !e.empty()) return e;
    std::string error;
    for (const auto& [target, temp] : exports_) {
        if (std::rename(temp.c_str(), target.c_str()) == 0) continue;
        if (error.empty()) error = "Cannot write '" + target + "': " + std::strerror(errno) + ".";
        std::remove(temp.c_str());
    }
    exports_.clear();
    return error;
}
