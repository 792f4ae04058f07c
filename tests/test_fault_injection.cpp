// Saving onto a full device, into folders nothing can be created in and over
// devices: every writer reports it and leaves an existing target byte for
// byte as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "gamefiles/verdata.h"
#include "patch/patch_file.h"
#include "patch/save_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;

// Files may grow to `bytes` at most while it lives: writes beyond fail as on
// a full device.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

Patch BigPatch() {
    Patch p;
    for (int n = 0; n < 2000; ++n) p.Append(0, n, B(196, static_cast<std::uint8_t>(n)), 0, 0);
    return p;
}

// Entries other than patch locks, which stay by design.
std::size_t EntriesIn(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) n += e.path().extension() != ".lock";
    return n;
}
}  // namespace

TEST(FaultInjection, AFullDeviceFailsEverySaveAndKeepsTheOldFile) {
    TempDir dir;
    const B old = {7, 7, 7};
    for (const char* name : {"p.uop", "v.mul", "b.dat"}) WriteFileBytes(dir / name, old);
    const Patch patch = BigPatch();
    ASSERT_EQ(WritePatchFile(dir / "big.uop", patch), "");
    {
        FileSizeLimit full(4096);
        EXPECT_TRUE(Has(WritePatchFile(dir / "p.uop", patch), "Cannot save"));
        EXPECT_NE(WriteVerdata(dir / "v.mul", "", patch), "");
        SaveFile raw;
        ASSERT_EQ(raw.Open(dir / "b.dat"), "");
        raw.Write(B(1 << 20, 1));
        EXPECT_NE(raw.Commit(), "");
        RunSteps(dir, {{"export @big.uop @v.mul", 1, dir / "v.mul"}});
    }
    for (const char* name : {"p.uop", "v.mul", "b.dat"}) EXPECT_EQ(ReadFileBytes(dir / name), old) << name;
    EXPECT_EQ(EntriesIn(dir.path()), 4u);  // no temporary file left behind
}

TEST(FaultInjection, FoldersThatTakeNoFilesAndDevicesAreRefused) {
    EXPECT_NE(WritePatchFile("/proc/palindra-test.uop", Patch{}), "");
    EXPECT_NE(WriteVerdata("/proc/palindra-test.mul", "", Patch{}), "");
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_TRUE(Has(WritePatchFile("/dev/full", BigPatch()), "not a regular file"));
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    }
    if (::geteuid() != 0) {  // permissions bind everybody but root
        TempDir dir;
        WriteFileBytes(dir / "p.uop", {5});
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_NE(WritePatchFile(dir / "p.uop", Patch{}), "");
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
        EXPECT_EQ(ReadFileBytes(dir / "p.uop"), B{5});
    }
}
