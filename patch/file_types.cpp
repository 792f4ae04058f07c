#include "patch/file_types.h"

#include <cctype>

namespace {
FileTypeTable MakeCatalogue() {
    FileTypeTable t{};
    t[kMap] = {"Map", kMapBlockSize, 393215};
    t[kStatics] = {"Statics", 0, 393215};
    t[kArt] = {"Art", 0, 65535};
    t[kAnim] = {"Anim", 0, 148809};
    t[kSound] = {"Sound", 0, 255};
    t[kTexmaps] = {"Texmaps", 0, 4095};
    t[kGumps] = {"Gumps", 0, 65535};
    t[kMultis] = {"Multis", 0, 8182};
    t[kSkills] = {"Skills", 0, 255};
    t[kTiledata] = {"Tiledata", 196, 2559};  // no index; imports cut it into 512 land and up to 2048 static groups
    t[kAnimdata] = {"Animdata", 548, 2047};
    t[kHues] = {"Hues", 708, 374};
    t[kFiles] = {"Files", 0, 2};
    return t;
}
}  // namespace

const FileTypeTable& FileTypes() {
    static const FileTypeTable table = MakeCatalogue();
    return table;
}

std::string TypeName(std::uint8_t fileId) {
    const std::string& name = FileTypes()[fileId].name;
    return name.empty() ? "file ID " + std::to_string(fileId) : name;
}

std::string TypeNameAtStart(std::uint8_t fileId) {
    std::string name = TypeName(fileId);
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

bool IsDataFileType(std::uint8_t fileId) { return fileId <= kLastDataFileId && !FileTypes()[fileId].name.empty(); }

std::string TypeWord(std::uint8_t fileId) {
    std::string word = TypeName(fileId);
    for (char& c : word)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return word;
}
