#include "cli/cli_session.h"

#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_support.h"
#include "gamefiles/verdata.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"

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
    return held_ ? WriteVerdata(pending_.Add(), target, base, patch) : WriteVerdata(target, base, patch);
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
    if (std::string e = WritePatchFile(pending_.Add(), heldPath_, *held_); !e.empty()) return e;
    return pending_.Commit();
}
