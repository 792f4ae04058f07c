#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "gamefiles/forms/block_source.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"
#include "patch/patch_file.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;

// What another program may do to a file the editor has read.
void RewriteInPlace(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY);
    const B zeros(static_cast<std::size_t>(std::filesystem::file_size(path)), 0xEE);
    ASSERT_EQ(::pwrite(fd, zeros.data(), zeros.size(), 0), static_cast<ssize_t>(zeros.size()));
    ::close(fd);
}
void Truncate(const std::string& path) { std::filesystem::resize_file(path, 0); }
void ReplaceByRename(const std::string& path) {
    WriteFileBytes(path + ".new", B(64, 0xDD));
    std::filesystem::rename(path + ".new", path);
}

// A file of 1 MB of random bytes at `path`, opened as `file`.
B OpenRandomFile(const std::string& path, InputFile& file) {
    std::mt19937 rng(3);
    B bytes = RandomBytes(rng, 1 << 20);
    WriteFileBytes(path, bytes);
    EXPECT_TRUE(Ok(file.Open(path)));
    return bytes;
}
}  // namespace

// Blocks hold the program's own copy of their bytes: whatever happens to the
// file they were read from afterwards, they keep them, and so does a copy of
// a block that outlives its patch (as the undo stack's do).
TEST(BlockBytes, BlocksKeepTheirBytesWhenTheirSourceFileChanges) {
    std::mt19937 rng(15);
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> changes = {
        {"rewritten in place", RewriteInPlace}, {"truncated", Truncate}, {"replaced by rename", ReplaceByRename}};
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        TempDir dir;
        Patch source;
        for (int n = 0; n < 300; ++n) source.Append(static_cast<std::uint8_t>(n % 3 * 4), n, RandomBytes(rng, 1 + n % 700), 0, 0);
        ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", source)));
        ASSERT_TRUE(Ok(WriteVerdata(dir / "verdata.mul", source)));
        WriteFileBytes(dir / "map0.mul", RandomBytes(rng, 196 * 50));
        const B map = ReadFileBytes(dir / "map0.mul");

        Patch fromPatch, fromVerdata, fromMap;
        ASSERT_TRUE(Ok(ReadPatchFile(dir / "p.uop", fromPatch)));
        ASSERT_TRUE(Ok(ReadVerdata(dir / "verdata.mul", fromVerdata)));
        ASSERT_TRUE(Ok(ImportType(fromMap, 0, {dir / "map0.mul", ""}, {0, 49})));
        const PatchBlock kept = fromPatch[4].blocks[7];
        const B keptBytes(kept.bytes.begin(), kept.bytes.end());
        for (const char* name : {"p.uop", "verdata.mul", "map0.mul"}) change(dir / name);
        fromPatch.Clear();

        ASSERT_TRUE(Ok(WriteVerdata(dir / "expected.mul", source)));
        ASSERT_TRUE(Ok(WriteVerdata(dir / "kept.mul", fromVerdata)));
        EXPECT_EQ(ReadFileBytes(dir / "kept.mul"), ReadFileBytes(dir / "expected.mul"));
        ASSERT_EQ(fromMap[0].blocks.size(), 50u);
        for (std::size_t n = 0; n < 50; ++n)
            EXPECT_EQ(fromMap[0].blocks[n].bytes, B(map.begin() + 196 * n, map.begin() + 196 * (n + 1))) << n;
        EXPECT_EQ(kept.bytes, keptBytes);
    }
}

// Changing a block's bytes changes no other block sharing its buffer.
TEST(BlockBytes, ChangingACopyLeavesTheBlocksSharingItsBufferAlone) {
    TempDir dir;
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", PatchOf({{4, 1, {1, 2, 3}}, {4, 2, {4, 5}}}))));
    Patch read;
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "p.uop", read)));
    PatchBlock copy = read[4].blocks[0];
    copy.bytes.Mutable()[0] = 9;
    EXPECT_EQ(copy.bytes, (B{9, 2, 3}));
    EXPECT_EQ(read[4].blocks[0].bytes, (B{1, 2, 3}));
    EXPECT_EQ(read[4].blocks[1].bytes, (B{4, 5}));
}

// A file that shrinks while it is read fails the reads past its new end, and
// the reader says so; the bytes read before are still handed out from where
// they lie.
TEST(BlockBytes, AFileShrinkingUnderTheReaderNeverMixesUpItsBytes) {
    TempDir dir;
    InputFile file;
    const B bytes = OpenRandomFile(dir / "data.mul", file);
    WindowedReader reader(file, 1 << 14);
    B got(100);
    ASSERT_TRUE(reader.ReadAt(0, got));
    std::filesystem::resize_file(dir / "data.mul", 50000);
    B past(8000);
    EXPECT_TRUE(reader.Intact());
    EXPECT_FALSE(reader.ReadAt(45000, past));
    EXPECT_FALSE(reader.View(45000, past.size()));
    EXPECT_FALSE(reader.Intact());
    ASSERT_TRUE(reader.ReadAt(0, got));
    EXPECT_EQ(got, B(bytes.begin(), bytes.begin() + 100));
    const auto view = reader.View(30000, 100);
    ASSERT_TRUE(view);
    EXPECT_EQ(B(view->begin(), view->end()), B(bytes.begin() + 30000, bytes.begin() + 30100));
}

