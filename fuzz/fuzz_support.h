// Shared by the fuzz targets: the readers take paths, so each input is
// written to a scratch file of the process first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "patch/patch_file.h"

// Writes `data` to a scratch file named by `slot` and returns its path.
inline std::string ScratchFile(const char* slot, const std::uint8_t* data, std::size_t size) {
    // In memory where the system offers it: every save flushes its file to disk.
    static const std::string dir = [] {
        char pattern[] = "/dev/shm/palindra-fuzz-XXXXXX";
        if (::mkdtemp(pattern)) return std::string(pattern);
        std::snprintf(pattern, sizeof pattern, "/tmp/palindra-fuzz-XXXXXX");
        if (!::mkdtemp(pattern)) std::abort();
        return std::string(pattern);
    }();
    const std::string path = dir + "/" + slot;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return path;
}

// Stops the run with a message when a property does not hold.
#define FUZZ_CHECK(condition)                                                   \
    do {                                                                        \
        if (!(condition)) {                                                     \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                       \
        }                                                                       \
    } while (0)

// The whole cycle: a patch saved as a patch project file and opened again
// holds the same live blocks (file ID, number, length, flags, bytes).
inline bool SavedAndOpenedAgainIsTheSame(const Patch& a) {
    const std::string path = ScratchFile("cycle.uop", nullptr, 0);
    Patch b;
    if (!WritePatchFile(path, a) || !ReadPatchFile(path, b)) return false;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        std::vector<const PatchBlock*> x, y;
        a.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& p) { x.push_back(&p); });
        b.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& p) { y.push_back(&p); });
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i)
            if (x[i]->number != y[i]->number || x[i]->Length() != y[i]->Length() || x[i]->flagA != y[i]->flagA ||
                x[i]->flagB != y[i]->flagB || x[i]->bytes != y[i]->bytes)
                return false;
    }
    return true;
}
