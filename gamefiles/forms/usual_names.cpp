#include "gamefiles/forms/usual_names.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "codecs/file_ids.h"

namespace {
std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool IsNumber(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// A usual name without its extension and its number: "staidx0.mul" -> "staidx".
std::string_view Stem(std::string_view name) {
    name = name.substr(0, name.find('.'));
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back()))) name.remove_suffix(1);
    return name;
}

// The usual index name of a lower-case data file name; "" when it has none.
// The number after the stem carries over: statics2.mul is indexed by
// staidx2.mul, anim4.mul by anim4.idx.
std::string IndexName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.substr(dot) != ".mul") return "";
    const std::string_view stem = std::string_view(name).substr(0, dot);
    for (int fileId = 0; fileId < 256; ++fileId) {
        const UsualNames* names = UsualNamesOf(static_cast<std::uint8_t>(fileId));
        if (!names || names->index.empty()) continue;
        const std::string_view dataStem = Stem(names->data);
        if (!stem.starts_with(dataStem) || !IsNumber(stem.substr(dataStem.size()))) continue;
        return std::string(Stem(names->index)) + std::string(stem.substr(dataStem.size())) +
               std::string(names->index.substr(names->index.find('.')));
    }
    return "";
}

constexpr std::array<const char*, 3> kWholeFiles = {"client.exe", "readme.txt", "map0.mul"};

const std::vector<std::pair<std::uint8_t, UsualNames>>& UsualTable() {
    static const std::vector<std::pair<std::uint8_t, UsualNames>> table = {
        {kMap, {"map0.mul", "", "map0LegacyMUL.uop"}},
        {kArt, {"art.mul", "artidx.mul", "artLegacyMUL.uop"}},
        {kSound, {"sound.mul", "soundidx.mul", "soundLegacyMUL.uop"}},
        {kGumps, {"gumpart.mul", "gumpidx.mul", "gumpartLegacyMUL.uop"}},
        {kMultis, {"multi.mul", "multi.idx", "MultiCollection.uop"}},
        {kStatics, {"statics0.mul", "staidx0.mul"}},
        {kAnim, {"anim.mul", "anim.idx"}},
        {kTexmaps, {"texmaps.mul", "texidx.mul"}},
        {kSkills, {"skills.mul", "skills.idx"}},
        {kTiledata, {"tiledata.mul"}},
        {kAnimdata, {"animdata.mul"}},
        {kHues, {"hues.mul"}},
    };
    return table;
}
}  // namespace

bool IsUsualName(const std::string& lower) {
    if (lower == kVerdataName) return true;
    for (const char* whole : kWholeFiles)
        if (lower == whole) return true;
    for (const auto& [fileId, names] : UsualTable())
        for (std::string_view n : {names.data, names.index, names.package})
            if (!n.empty() && lower == Lower(std::string(n))) return true;
    return false;
}

const UsualNames* UsualNamesOf(std::uint8_t fileId) {
    for (const auto& [id, names] : UsualTable())
        if (id == fileId) return &names;
    return nullptr;
}

const char* WholeFileName(std::int32_t block) {
    return block >= 0 && block < static_cast<std::int32_t>(kWholeFiles.size()) ? kWholeFiles[static_cast<std::size_t>(block)]
                                                                               : nullptr;
}

std::optional<std::uint8_t> FileIdOfName(const std::string& fileName) {
    // The longest usual stem the name starts with: "animdata" before "anim".
    const std::string lower = Lower(fileName);
    std::optional<std::uint8_t> found;
    std::size_t longest = 0;
    for (int fileId = 0; fileId < 256; ++fileId) {
        const UsualNames* names = UsualNamesOf(static_cast<std::uint8_t>(fileId));
        if (!names) continue;
        for (std::string_view usual : {names->data, names->index}) {
            const std::string_view stem = Stem(usual);
            if (!stem.empty() && stem.size() > longest && lower.starts_with(stem)) {
                found = static_cast<std::uint8_t>(fileId);
                longest = stem.size();
            }
        }
    }
    return found;
}

std::optional<std::uint8_t> FileIdOfUsualName(const std::string& fileName) {
    const std::string lower = Lower(fileName);
    for (int fileId = 0; fileId < 256; ++fileId) {
        const UsualNames* names = UsualNamesOf(static_cast<std::uint8_t>(fileId));
        if (!names) continue;
        for (std::string_view usual : {names->data, names->index, names->package}) {
            if (usual.empty()) continue;
            // The usual name as its letters, a number and the rest: "map", "0", "legacymul.uop".
            const std::string name = Lower(std::string(usual));
            std::size_t number = 0;
            while (number < name.size() && !std::isdigit(static_cast<unsigned char>(name[number])) && name[number] != '.')
                ++number;
            std::size_t rest = number;
            while (rest < name.size() && std::isdigit(static_cast<unsigned char>(name[rest]))) ++rest;
            const std::string_view letters = std::string_view(name).substr(0, number), tail = std::string_view(name).substr(rest);
            if (!lower.starts_with(letters) || !lower.ends_with(tail) || lower.size() < letters.size() + tail.size())
                continue;
            if (IsNumber(std::string_view(lower).substr(letters.size(), lower.size() - letters.size() - tail.size())))
                return static_cast<std::uint8_t>(fileId);
        }
    }
    return std::nullopt;
}

std::string IndexBeside(const std::string& dataPath) {
    // A name still being typed names no file: the folder is not listed for it.
    std::error_code error;
    if (!std::filesystem::is_regular_file(dataPath, error)) return "";
    const std::filesystem::path data(dataPath);
    const std::string wanted = IndexName(Lower(data.filename().string()));
    if (wanted.empty()) return "";
    const std::filesystem::path folder = data.has_parent_path() ? data.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (Lower(it->path().filename().string()) == wanted && it->is_regular_file(error))
            return (data.has_parent_path() ? folder / it->path().filename() : it->path().filename()).string();
    return "";
}
