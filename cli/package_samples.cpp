#include "cli/package_samples.h"

#include <algorithm>
#include <cmath>

#include "io/bytes.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "patch/file_types.h"

namespace {
// Every block of an indexed sample file as a package entry; gumps carry
// their width (FlagB) and height (FlagA) in front.
Status FromDataFile(const std::string& d, const std::string& mul, const std::string& idx, std::uint8_t fileId,
                         const std::string& package, std::uint32_t version, std::uint16_t flag) {
    DataFile file;
    if (Status done = file.Open(d + mul, d + idx); !done) return done;
    PackageWriter writer;
    if (Status done = writer.Open(d + package, version, 100); !done) return done;
    const std::string& format = SchemeOfFileId(fileId)->formats[0];
    for (std::int64_t n = 0; n < file.Count(); ++n) {
        const Result<LoadedBlock> loaded = file.Load(static_cast<std::int32_t>(n));
        if (!loaded || loaded->length < 1) continue;
        const auto number = static_cast<std::int32_t>(n);
        writer.Add(LegacyName(format, static_cast<std::uint32_t>(n)),
                   PayloadOfBlock(fileId, number, loaded->bytes, loaded->flagA, loaded->flagB), flag);
    }
    file.Close();
    return writer.Commit();
}

Status Map(const std::string& d) {
    DataFile map;
    if (Status done = map.OpenCut(d + "map0.mul", BlockCut::Fixed(kMapBlockSize)); !done) return done;
    Bytes chunk;
    for (std::int32_t n = 0; n < std::min<std::int64_t>(512, map.Count()); ++n)
        if (const Result<LoadedBlock> block = map.Load(n)) chunk.insert(chunk.end(), block->bytes.begin(), block->bytes.end());
    map.Close();
    PackageWriter writer;
    if (Status done = writer.Open(d + "map0LegacyMUL.uop", 5, 1000); !done) return done;
    writer.Add(LegacyName(SchemeOfFileId(kMap)->formats[0], 0), chunk, 0);
    return writer.Commit();
}

// Two short tones: a 40-byte name, then 16-bit samples.
Status Sounds(const std::string& d) {
    PackageWriter writer;
    if (Status done = writer.Open(d + "soundLegacyMUL.uop", 4, 100); !done) return done;
    for (std::uint32_t s = 0; s < 2; ++s) {
        Bytes b(40, 0);
        const std::string name = "tone" + std::to_string(s) + ".wav";
        std::copy(name.begin(), name.end(), b.begin());
        for (int i = 0; i < 2205; ++i) {
            const auto v = static_cast<std::int16_t>(8000 * std::sin(i * 0.06 * (s + 1)));
            b.push_back(static_cast<std::uint8_t>(v));
            b.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
        }
        writer.Add(LegacyName(SchemeOfFileId(kSound)->formats[0], s), b, 0);
    }
    return writer.Commit();
}

// A small house: a 3 by 3 floor, one invisible marker tile.
Status Multis(const std::string& d) {
    Bytes rows;
    auto tile = [&](std::uint16_t item, int x, int y, int z, std::uint32_t flag, std::uint32_t extra) {
        std::uint8_t row[kMultiRowSize] = {};
        PutLE16(row, item);
        PutLE16(row + 2, static_cast<std::uint16_t>(x));
        PutLE16(row + 4, static_cast<std::uint16_t>(y));
        PutLE16(row + 6, static_cast<std::uint16_t>(z));
        PutLE32(row + 8, flag);
        PutLE32(row + 12, extra);
        rows.insert(rows.end(), row, row + kMultiRowSize);
    };
    for (int i = 0; i < 9; ++i) tile(0x0496, i % 3 - 1, i / 3 - 1, 0, 1, 1);
    tile(0x0001, 0, 0, 0, 0, 0);
    PackageWriter writer;
    if (Status done = writer.Open(d + "MultiCollection.uop", 4, 100); !done) return done;
    writer.Add(LegacyName(SchemeOfFileId(kMultis)->formats[0], 0), PayloadOfBlock(kMultis, 0, rows, 0, 0), 1);
    return writer.Commit();
}
}  // namespace

const std::vector<std::string>& PackageSampleNames() {
    static const std::vector<std::string> names = {"artLegacyMUL.uop", "gumpartLegacyMUL.uop", "map0LegacyMUL.uop",
                                                   "soundLegacyMUL.uop", "MultiCollection.uop"};
    return names;
}

Status WritePackageSamples(const std::string& folder) {
    const std::string d = folder + "/";
    if (Status done = FromDataFile(d, "art.mul", "artidx.mul", kArt, "artLegacyMUL.uop", 5, 0); !done)
        return done;
    if (Status done = FromDataFile(d, "gumpart.mul", "gumpidx.mul", kGumps, "gumpartLegacyMUL.uop", 4, 3);
        !done)
        return done;
    if (Status done = Map(d); !done) return done;
    if (Status done = Sounds(d); !done) return done;
    return Multis(d);
}
