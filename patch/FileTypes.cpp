#include "patch/FileTypes.h"

namespace {
FileTypeTable MakeCatalogue() {
    FileTypeTable t{};
    t[0] = {"Map", 196, 393215};
    t[2] = {"Statics", 0, 393215};
    t[4] = {"Art", 0, 65535};
    t[6] = {"Anim", 0, 148809};
    t[8] = {"Sound", 0, 255};
    t[10] = {"Texmaps", 0, 4095};
    t[12] = {"Gumps", 0, 65535};
    t[14] = {"Multis", 0, 8182};
    t[16] = {"Skills", 0, 255};
    t[30] = {"Tiledata", 196, 2559};  // no index; imports cut it into 512 land and up to 2048 static groups
    t[31] = {"Animdata", 548, 2047};
    t[32] = {"Hues", 708, 374};
    t[252] = {"Files", 0, 2};
    return t;
}
}  // namespace

const FileTypeTable& FileTypes() {
    static const FileTypeTable table = MakeCatalogue();
    return table;
}
