#include "gamefiles/file_names.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

#include "codecs/file_ids.h"

namespace {
std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The usual index name of a lower-case data file name; "" when it has none.
// A digit after the stem carries over: statics2.mul is indexed by staidx2.mul.
std::string IndexName(const std::string& name) {
    static const std::pair<const char*, const char*> kIndexes[] = {
        {"art", "artidx.mul"}, {"gumpart", "gumpidx.mul"}, {"statics", "staidx%.mul"}, {"anim", "anim%.idx"},
        {"multi", "multi.idx"}, {"skills", "skills.idx"},  {"sound", "soundidx.mul"},  {"texmaps", "texidx.mul"}};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.substr(dot) != ".mul") return "";
    const std::string stem = name.substr(0, dot);
    for (const auto& [data, index] : kIndexes) {
        if (!StartsWith(stem, data)) continue;
        const std::string number = stem.substr(std::char_traits<char>::length(data));
        if (!std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c); })) continue;
        std::string result = index;
        const std::size_t mark = result.find('%');
        if (mark != std::string::npos) result.replace(mark, 1, number);
        else if (!number.empty()) continue;
        return result;
    }
    return "";
}
}  // namespace

std::optional<std::uint8_t> FileIdOfName(const std::string& fileName) {
    static const std::pair<const char*, std::uint8_t> kNames[] = {
        {"animdata", kAnimdata}, {"gumpart", kGumps},  {"gumpidx", kGumps},   {"artidx", kArt},  {"art", kArt},
        {"statics", kStatics},   {"staidx", kStatics}, {"map", kMap},         {"anim", kAnim},   {"sound", kSound},
        {"texmaps", kTexmaps},   {"texidx", kTexmaps}, {"multi", kMultis},    {"skill", kSkills},
        {"tiledata", kTiledata}, {"hues", kHues}};
    const std::string lower = Lower(fileName);
    for (const auto& [prefix, fileId] : kNames)
        if (StartsWith(lower, prefix)) return fileId;
    return std::nullopt;
}

std::string IndexBeside(const std::string& dataPath) {
    const std::filesystem::path data(dataPath);
    const std::string wanted = IndexName(Lower(data.filename().string()));
    if (wanted.empty()) return "";
    std::error_code error;
    const std::filesystem::path folder = data.has_parent_path() ? data.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (Lower(it->path().filename().string()) == wanted && it->is_regular_file(error))
            return (data.has_parent_path() ? folder / it->path().filename() : it->path().filename()).string();
    return "";
}
