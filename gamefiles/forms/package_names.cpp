#include "gamefiles/forms/package_names.h"

#include <cstdio>

#include "patch/file_types.h"

namespace {
// The gump that shipped packages file under "build/gumpartlegacymul/0009834.tga".
constexpr std::uint32_t kSevenDigitGump = 9834;

std::uint32_t Rot(std::uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

std::uint32_t Word(const std::uint8_t* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

std::vector<LegacyScheme> MakeSchemes() {
    std::vector<LegacyScheme> s = {
        {"art", kArt, {"build/artlegacymul/%08u.tga"}, 0x1FFFF},
        {"gumps", kGumps, {"build/gumpartlegacymul/%08u.tga", "build/gumpartlegacymul/%07u.tga"}, 0x1FFFF},
        {"sounds", 8, {"build/soundlegacymul/%08u.dat"}, 0xFFFF},
        {"multis", 14, {"build/multicollection/%06u.bin"}, 0xFFFF},
        {"map 0 blocks", kMap, {"build/map0legacymul/%08u.dat", "build/map0xlegacymul/%08u.dat"}, 511},
    };
    for (int facet = 1; facet <= 5; ++facet) {
        const std::string n = std::to_string(facet);
        s.push_back({"map " + n + " blocks", -1,
                     {"build/map" + n + "legacymul/%08u.dat", "build/map" + n + "xlegacymul/%08u.dat"}, 511});
    }
    return s;
}
}  // namespace

std::uint64_t PackageNameHash(std::string_view name) {
    const auto* k = reinterpret_cast<const std::uint8_t*>(name.data());
    std::size_t n = name.size();
    std::uint32_t a, b, c;
    a = b = c = 0xDEADBEEF + static_cast<std::uint32_t>(n);
    while (n > 12) {
        a += Word(k);
        b += Word(k + 4);
        c += Word(k + 8);
        a -= c; a ^= Rot(c, 4);  c += b;
        b -= a; b ^= Rot(a, 6);  a += c;
        c -= b; c ^= Rot(b, 8);  b += a;
        a -= c; a ^= Rot(c, 16); c += b;
        b -= a; b ^= Rot(a, 19); a += c;
        c -= b; c ^= Rot(b, 4);  b += a;
        k += 12;
        n -= 12;
    }
    if (n == 0) return (static_cast<std::uint64_t>(b) << 32) | c;
    std::uint8_t t[12] = {};
    for (std::size_t i = 0; i < n; ++i) t[i] = k[i];
    a += Word(t);
    b += Word(t + 4);
    c += Word(t + 8);
    c ^= b; c -= Rot(b, 14);
    a ^= c; a -= Rot(c, 11);
    b ^= a; b -= Rot(a, 25);
    c ^= b; c -= Rot(b, 16);
    a ^= c; a -= Rot(c, 4);
    b ^= a; b -= Rot(a, 14);
    c ^= b; c -= Rot(b, 24);
    return (static_cast<std::uint64_t>(b) << 32) | c;
}

const std::vector<LegacyScheme>& LegacySchemes() {
    static const std::vector<LegacyScheme> schemes = MakeSchemes();
    return schemes;
}

const LegacyScheme* SchemeOfFileId(int fileId) {
    for (const LegacyScheme& s : LegacySchemes())
        if (s.fileId == fileId) return &s;
    return nullptr;
}

std::string LegacyName(const std::string& format, std::uint32_t index) {
    char name[96];
    std::snprintf(name, sizeof name, format.c_str(), index);
    return name;
}

std::string WrittenName(const LegacyScheme& scheme, std::uint32_t index) {
    const bool sevenDigits = scheme.fileId == kGumps && index == kSevenDigitGump && scheme.formats.size() > 1;
    return LegacyName(scheme.formats[sevenDigits ? 1 : 0], index);
}
