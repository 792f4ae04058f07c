#include "gamefiles/client_folder.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

#include "codecs/file_ids.h"

namespace {
std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}
}  // namespace

Result<ClientFolder> ClientFolder::Open(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return Error("'" + dir + "' is not a folder.");
    ClientFolder folder;
    folder.path_ = dir;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string lower = Lower(name);
        if (!IsUsualName(lower)) continue;
        const std::string path = it->path().string();
        if (const ClientFile* other = folder.Find(lower))
            return Error("The client folder holds both '" + other->name + "' and '" + name +
                         "', one name in different case: remove the one the client does not read.");
        std::error_code regular;
        if (!fs::is_regular_file(it->path(), regular))
            return Error("'" + path + "' is not a regular file, though it bears the name of a client file.");
        folder.found_.push_back({path, name});
    }
    if (ec) return Error("Cannot list the client folder '" + dir + "': " + ec.message() + ".");
    auto find = [&](std::string_view usual) {
        const ClientFile* f = folder.Find(usual);
        return f ? std::optional(*f) : std::nullopt;
    };
    for (int f = 0; f < 256; ++f)
        if (const UsualNames* names = UsualNamesOf(static_cast<std::uint8_t>(f)))
            folder.types_[static_cast<std::size_t>(f)] = {find(names->data), find(names->index), find(names->package)};
    folder.verdata_ = find(kVerdataName);
    return folder;
}

const ClientFile* ClientFolder::Find(std::string_view usualName) const {
    const std::string lower = Lower(usualName);
    for (const ClientFile& f : found_)
        if (!lower.empty() && Lower(f.name) == lower) return &f;
    return nullptr;
}

std::optional<ClientFile> ClientFolder::WholeFile(std::int32_t block) const {
    const char* name = WholeFileName(block);
    const ClientFile* f = name ? Find(name) : nullptr;
    return f ? std::optional(*f) : std::nullopt;
}

bool ClientFolder::Has(std::uint8_t fileId, Form form) const {
    if (form == Form::kPackage) return types_[fileId].package.has_value();
    if (form != DataFilesOf(fileId)) return false;
    if (fileId == kFiles) return true;
    return UsualNamesOf(fileId) && MissingFiles(fileId).empty();
}

std::optional<Form> ClientFolder::ShownForm(std::uint8_t fileId) const {
    const std::vector<Form> forms = Forms(fileId);
    return forms.empty() ? std::nullopt : std::optional(forms[0]);
}

std::vector<Form> ClientFolder::Forms(std::uint8_t fileId) const {
    std::vector<Form> forms;
    for (Form form : {Form::kPackage, DataFilesOf(fileId)})
        if (Has(fileId, form)) forms.push_back(form);
    return forms;
}

std::vector<std::string> ClientFolder::MissingFiles(std::uint8_t fileId) const {
    std::vector<std::string> missing;
    const UsualNames* names = UsualNamesOf(fileId);
    if (!names) return missing;
    const ClientTypeFiles& files = types_[fileId];
    if (!files.data) missing.emplace_back(names->data);
    if (!names->index.empty() && !files.index) missing.emplace_back(names->index);
    return missing;
}

std::string ClientFolder::SpellingOf(std::string_view usualName) const {
    const ClientFile* f = Find(usualName);
    return f ? f->name : std::string(usualName);
}
