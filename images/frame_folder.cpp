#include "images/frame_folder.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <limits>

#include "io/json.h"
#include "io/binary_io.h"
#include "io/broken_links.h"
#include "io/counted.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kFramePrefix = "frame-";
constexpr const char* kFrameSuffix = ".png";
constexpr std::int64_t kLargestFramesJson = 16 << 20;  // a palette and a few numbers a frame

bool IsFrameFile(const std::string& name) {
    return name.size() >= 10 && name.starts_with(kFramePrefix) && name.ends_with(kFrameSuffix);
}

// Name order reading each run of digits as its number, so that frame-2.png
// comes before frame-10.png as whoever numbered them meant; names alike that
// way (frame-02.png, frame-2.png) go in plain order. Our own names, padded to
// one width, sort the same either way.
bool NumberedBefore(const std::string& l, const std::string& r) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < l.size() && j < r.size()) {
        if (!digit(l[i]) || !digit(r[j])) {
            if (l[i] != r[j]) return static_cast<unsigned char>(l[i]) < static_cast<unsigned char>(r[j]);
            ++i, ++j;
            continue;
        }
        while (i + 1 < l.size() && l[i] == '0' && digit(l[i + 1])) ++i;
        while (j + 1 < r.size() && r[j] == '0' && digit(r[j + 1])) ++j;
        std::size_t li = i, rj = j;
        while (li < l.size() && digit(l[li])) ++li;
        while (rj < r.size() && digit(r[rj])) ++rj;
        if (li - i != rj - j) return li - i < rj - j;
        if (const int c = l.compare(i, li - i, r, j, rj - j); c != 0) return c < 0;
        i = li, j = rj;
    }
    if (l.size() - i != r.size() - j) return l.size() - i < r.size() - j;
    return l < r;
}

// The names of the folder's entries, or why they cannot be read.
Result<std::vector<std::string>> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator at(folder, ec), end; !ec && at != end; at.increment(ec))
        names.push_back(at->path().filename().string());
    if (ec) return Error("Cannot read the folder '" + folder + "': " + ec.message() + ".");
    return names;
}

// A JSON number that is whole and within min..max.
std::optional<std::int64_t> WholeNumber(const Json& v, std::int64_t min, std::int64_t max) {
    if (v.is_number_unsigned()) {
        const auto n = v.get<std::uint64_t>();
        return n <= static_cast<std::uint64_t>(max) ? std::optional(static_cast<std::int64_t>(n)) : std::nullopt;
    }
    if (!v.is_number_integer()) return std::nullopt;
    const auto n = v.get<std::int64_t>();
    return n >= min && n <= max ? std::optional(n) : std::nullopt;
}

// The entry's field `name`, when it has one.
template <class T>
Status ReadField(const Json& entry, const char* name, std::optional<T>& field, const std::string& where) {
    const auto at = entry.find(name);
    if (at == entry.end()) return {};
    constexpr std::int64_t min = std::numeric_limits<T>::min(), max = std::numeric_limits<T>::max();
    const std::optional<std::int64_t> v = WholeNumber(*at, min, max);
    if (!v)
        return Error(where + ": \"" + name + "\" must be a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ".");
    field = static_cast<T>(*v);
    return {};
}
}  // namespace

Status ParseFramesJson(const std::string& path, ByteView text, FrameFolder& folder) {
    const Json document = Json::parse(text.begin(), text.end(), nullptr, false);
    if (!document.is_object())
        return Error("'" + path +
                     "' is not a JSON object as anim-to-png writes it: {\"frames\": [...], \"palette\": [...]}.");
    if (const auto palette = document.find("palette"); palette != document.end()) {
        const Error wrong("'" + path + "': \"palette\" must be a list of 256 whole numbers from 0 to 65535.");
        if (!palette->is_array() || palette->size() != 256) return wrong;
        AnimPalette colours{};
        for (std::size_t i = 0; i < colours.size(); ++i) {
            const std::optional<std::int64_t> c = WholeNumber((*palette)[i], 0, 0xFFFF);
            if (!c) return wrong;
            colours[i] = static_cast<std::uint16_t>(*c);
        }
        folder.palette = colours;
    }
    const auto frames = document.find("frames");
    if (frames == document.end()) return {};
    if (!frames->is_array()) return Error("'" + path + "': \"frames\" must be a list.");
    for (std::size_t i = 0; i < frames->size(); ++i) {
        const Json& e = (*frames)[i];
        const std::string where = "'" + path + "', frame entry " + std::to_string(i);
        const auto file = e.is_object() ? e.find("file") : e.end();
        if (!e.is_object() || file == e.end() || !file->is_string())
            return Error(where + ": it needs the picture's name as \"file\".");
        FrameEntry entry;
        for (Status read :
             {ReadField(e, "centreX", entry.centreX, where), ReadField(e, "centreY", entry.centreY, where),
              ReadField(e, "width", entry.width, where), ReadField(e, "height", entry.height, where)})
            if (!read) return read;
        if (!folder.entries.emplace(file->get<std::string>(), entry).second)
            return Error("'" + path + "' names " + file->get<std::string>() + " twice.");
    }
    return {};
}

std::string FrameFileName(std::size_t index, std::size_t count) {
    const std::string number = std::to_string(index);
    const std::size_t digits = std::max<std::size_t>(3, std::to_string(count > 0 ? count - 1 : 0).size());
    return kFramePrefix + std::string(digits - std::min(digits, number.size()), '0') + number + kFrameSuffix;
}

RgbaPicture SavedPicture(const AnimFrame& frame, const AnimPalette& palette) {
    if (frame.width == 0 || frame.height == 0) return {1, 1, {0, 0, 0, 0}};
    return FrameToPicture(frame, palette);
}

std::string FramesJsonText(const Animation& animation, const std::vector<std::string>& files) {
    Json frames = Json::array();
    for (std::size_t i = 0; i < animation.frames.size(); ++i) {
        const AnimFrame& f = animation.frames[i];
        Json entry{{"file", files[i]}, {"centreX", f.centreX}, {"centreY", f.centreY}};
        if (f.width == 0 || f.height == 0) {
            entry["width"] = f.width;
            entry["height"] = f.height;
        }
        frames.push_back(std::move(entry));
    }
    return JsonText({{"frames", frames}, {"palette", animation.palette}});
}

Result<bool> MakeFrameFolder(const std::string& folder) {
    if (const std::string broken = BrokenLinkReason(folder); !broken.empty())
        return Error("Cannot create the folder '" + folder + "': " + broken + ".");
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);  // a link to a folder is that folder
    if (status.type() == fs::file_type::not_found) {
        fs::create_directories(folder, ec);
        if (ec) return Error("Cannot create the folder '" + folder + "': " + ec.message() + ".");
        return true;
    }
    if (ec) return Error("Cannot use the folder '" + folder + "': " + ec.message() + ".");
    if (status.type() != fs::file_type::directory) return Error("'" + folder + "' is not a folder.");
    const Result<std::vector<std::string>> names = NamesIn(folder);
    if (!names) return names.error();
    const auto frames = std::count_if(names->begin(), names->end(), IsFrameFile);
    const bool json = std::find(names->begin(), names->end(), kFramesJson) != names->end();
    if (frames == 0 && !json) return false;
    const std::string held = frames == 0 ? std::string(kFramesJson)
                                         : Counted(frames, "frame-*.png file") + (json ? " and frames.json" : "");
    return Error("The folder '" + folder + "' already holds " + held +
                 "; nothing was written. Give a new or empty folder.");
}

Result<FrameFolder> ReadFrameFolder(const std::string& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return Error(fs::exists(folder, ec) ? "'" + folder + "' is not a folder."
                                            : "Cannot find the folder '" + folder + "'.");
    Result<std::vector<std::string>> names = NamesIn(folder);
    if (!names) return names.error();
    FrameFolder read;
    std::copy_if(names->begin(), names->end(), std::back_inserter(read.files), IsFrameFile);
    if (read.files.empty()) return Error("The folder '" + folder + "' holds no frame pictures (frame-*.png).");
    if (read.files.size() > kMostFrameFiles)
        return Error("The folder '" + folder + "' holds " + std::to_string(read.files.size()) +
                     " frame pictures, more than the " + std::to_string(kMostFrameFiles) + " of an animation block.");
    std::sort(read.files.begin(), read.files.end(), NumberedBefore);
    if (std::find(names->begin(), names->end(), kFramesJson) == names->end()) return read;
    const std::string path = (fs::path(folder) / kFramesJson).string();
    const Result<Bytes> text = ReadWholeFile(path, kLargestFramesJson);
    if (!text) return text.error();
    if (Status parsed = ParseFramesJson(path, *text, read); !parsed) return parsed.error();
    return read;
}

std::vector<FramePicture> FramePictures(const FrameFolder& folder, std::vector<RgbaPicture>&& pictures) {
    std::vector<FramePicture> framed;
    for (std::size_t i = 0; i < folder.files.size() && i < pictures.size(); ++i) {
        FramePicture p{folder.files[i], std::move(pictures[i]), {}, {}};
        const auto entry = folder.entries.find(p.name);
        if (entry != folder.entries.end()) {
            const FrameEntry& e = entry->second;
            p.centreX = e.centreX;
            p.centreY = e.centreY;
            // The stand-in pixel of an empty frame, left as it was.
            if (e.width && e.height && (*e.width == 0 || *e.height == 0) && p.picture.rgba.size() == 4 &&
                p.picture.rgba[3] < 128)
                p.picture = {*e.width, *e.height, {}};
        }
        framed.push_back(std::move(p));
    }
    return framed;
}
