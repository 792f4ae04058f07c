// Shared by the fuzz targets: the readers take paths, so each input is
// written to a scratch file of the process first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Writes `data` to a scratch file named by `slot` and returns its path.
inline std::string ScratchFile(const char* slot, const std::uint8_t* data, std::size_t size) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/palindra-fuzz-XXXXXX";
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
