#include "cli/cli_session.h"

#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_support.h"
#include "gamefiles/forms/verdata.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"

void CliSession::Show(const std::string& step) const {
    // Under a manifest the line says which line runs.
    if (line && !held_) line->Show(step);
}

Status CliSession::Load(const std::string& path, Patch& patch) {
    if (held_) {
        patch = *held_;
        return {};
    }
    Show("reading " + path);
    Status read = ReadPatchFile(path, patch);
    Show("working");
    return read;
}

Result<const PatchFileData*> CliSession::LoadLeavingData(const std::string& path, Patch& patch, PatchFileData& data) {
    if (held_) {
        patch = *held_;
        return nullptr;
    }
    Show("reading " + path);
    const Status read = data.Open(path, patch);
    Show("working");
    if (!read) return read.error();
    return &data;
}

Status CliSession::LoadForWriting(const std::string& path, Patch& patch) {
    if (held_) {
        patch = std::move(*held_);
        return {};
    }
    Show("reading " + path);
    Status read = messages ? LoadForChange(path, patch, lock_, *messages) : LoadOrStart(path, patch);
    Show("working");
    return read;
}

Status CliSession::Save(const std::string& path, Patch&& patch) {
    SettleDuplicates(patch);
    if (held_) {
        *held_ = std::move(patch);
        return {};
    }
    Show("saving " + path);
    return WritePatchFile(path, patch);
}

Status CliSession::Export(const std::string& target, const Patch& patch, const std::string& base) {
    Show("writing " + target);
    if (!held_) return WriteVerdata(target, patch, base);
    exports_.push_back(target);
    return WriteVerdata(pending_.Add(), target, patch, base);
}

void CliSession::Report(std::ostream& out, const std::string& text, const Json& result) const {
    if (json) PrintJson(out, result);
    else out << text;
}

void CliSession::Hold(const std::string& path, Patch&& patch) {
    held_ = std::move(patch);
    heldPath_ = path;
}

Status CliSession::Commit() {
    if (line) line->Show("saving " + heldPath_);
    if (Status written = WritePatchFile(pending_.Add(), heldPath_, *held_); !written) return written;
    return pending_.Commit();
}
