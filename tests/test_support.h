// Small helpers shared by the tests: a temporary folder, byte files, patches.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "gamefiles/import.h"
#include "io/result.h"
#include "patch/patch.h"

// The bytes of a file or a block.
using B = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("palindra-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The entries of a folder but patch locks, which stay by design.
inline std::size_t FilesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) n += e.path().extension() != ".lock";
    return n;
}

inline std::vector<std::uint8_t> RandomBytes(std::mt19937& rng, std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng());
    return v;
}

// What version control leaves in place of a file it has not fetched.
inline const std::vector<std::uint8_t> kLfsPointer = [] {
    const std::string text = "version https://git-lfs.github.com/spec/v1\n"
                             "oid sha256:4d7a214614ab2935c943f9e0ff69d22eadbb8f32b1258daaa5e2ca24d17e2393\n"
                             "size 77070336\n";
    return std::vector<std::uint8_t>(text.begin(), text.end());
}();

// Bytes written as hexadecimal pairs: "4D 59 50".
inline std::vector<std::uint8_t> HexBytes(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::istringstream in(text);
    for (unsigned v = 0; in >> std::hex >> v;) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline void PutLE(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The bytes of an index file: offset, length and extra of each entry.
inline std::vector<std::uint8_t> IndexBytes(const std::vector<std::array<std::int32_t, 3>>& entries) {
    std::vector<std::uint8_t> out;
    for (const auto& e : entries)
        for (const std::int32_t v : e) PutLE(out, static_cast<std::uint32_t>(v), 4);
    return out;
}

struct BlockFields {
    std::uint8_t fileId;
    std::int32_t number;
    std::vector<std::uint8_t> bytes;
    std::int16_t flagA = 0, flagB = 0;
};

// A patch holding these blocks in this order.
inline Patch PatchOf(const std::vector<BlockFields>& blocks) {
    Patch p;
    for (const BlockFields& b : blocks) p.Append(b.fileId, b.number, b.bytes, b.flagA, b.flagB);
    return p;
}

// Number, length and flags of each slot of one file ID, removed ones included.
using SlotFacts = std::tuple<std::int32_t, std::int32_t, std::int16_t, std::int16_t>;
inline std::vector<SlotFacts> SlotsOf(const Patch& p, std::uint8_t fileId) {
    std::vector<SlotFacts> out;
    for (const PatchBlock& b : p[fileId].blocks) out.emplace_back(b.number, b.Length(), b.flagA, b.flagB);
    return out;
}

// The bytes of each slot of one file ID, removed ones included.
inline std::vector<B> DataOf(const Patch& p, std::uint8_t fileId) {
    std::vector<B> out;
    for (const PatchBlock& b : p[fileId].blocks) out.emplace_back(b.bytes.begin(), b.bytes.end());
    return out;
}

// Succeeds when `result` holds a value; a failure shows the error's message.
template <class T>
::testing::AssertionResult Ok(const Result<T>& result) {
    if (result) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.error().message;
}

// Whether `result` failed, and why.
template <class T>
Status StatusOf(const Result<T>& result) {
    return result ? Status() : Status(result.error());
}

// The message of a failure; "" when there was none.
template <class T>
std::string Why(const Result<T>& result) {
    return result ? std::string() : result.error().message;
}

// One file type's blocks imported from a source, as the editor and the tool import them.
inline Result<ImportReport> ImportType(Patch& patch, std::uint8_t fileId, const SourceFiles& source,
                                       BlockRange blocks = {}, bool skipAbsent = false, const Progress& progress = {}) {
    return ImportBlocks(patch, ImportSelection::OneType(fileId), source, blocks, {skipAbsent}, progress);
}

// Whether `text` holds `part`; a failure shows the whole text.
inline ::testing::AssertionResult Has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text << "\" lacks \"" << part << "\"";
}
// Whether a failure's message holds `part`.
template <class T>
::testing::AssertionResult Has(const Result<T>& result, const std::string& part) {
    return Has(Why(result), part);
}
