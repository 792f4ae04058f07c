// Hostile and careless use: files that are not files, read-only and foreign
// targets, odd names, two writers at once, signals, tight memory, a full
// device, entries that alias one region, and patches that hold more than they
// declare. Every writer that fails leaves an existing target as it was.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "cli/commands.h"
#include "images/bitmap.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/verdata.h"
#include "patch/patch_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
std::size_t LeftoverTemporaryFiles(const std::filesystem::path& dir) {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        n += e.path().filename().string().find(".palindra-") != std::string::npos;
    return n;
}

// Starts the command-line program with `args`, its temporary folder `tmp`.
pid_t Start(const std::vector<std::string>& args, const std::string& tmp) {
    std::vector<char*> argv = {const_cast<char*>(PALINDRA_CLI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Runs `work` in a child process and returns its wait status.
int InChild(const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(work());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// Files may grow to `bytes` at most while it lives: writes beyond fail as on
// a full device.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit{bytes, old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, handler);
    }
    rlimit old{};
    void (*handler)(int);
};

Patch BigPatch() {
    Patch p;
    for (int n = 0; n < 2000; ++n) p.Append(0, n, B(196, static_cast<std::uint8_t>(n)), 0, 0);
    return p;
}

bool Sanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}
}  // namespace

// Each command in turn; the patch on disk holds duplicates the commands settle.
TEST(HostileFiles, CommandsRefuseOrKeepFilesAsTheyWere) {
    TempDir d;
    WriteFileBytes(d / "a.dat", {42});
    for (const char* name : {"ro.uop", "own.uop"}) ASSERT_EQ(Cli(d, std::string("insert @") + name + " 1 1 @a.dat").code, 0);
    const Patch duplicates = PatchOf({{1, 1, {42}}, {4, 3, {}}, {252, 1, {'o', 'l', 'd'}}, {252, 1, {'m', 'i', 'd'}}});
    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", duplicates)));
    WriteText(d / "readme.txt", "newer");
    std::filesystem::create_directory(d / "client");
    WriteFileBytes(d / "client/verdata.mul", {1, 2});
    ::chmod((d / "ro.uop").c_str(), 0444);
    const bool root = ::geteuid() == 0;  // only root can give files away
    ASSERT_TRUE(!root || ::chown((d / "own.uop").c_str(), 1234, 5678) == 0);
    ::chmod((d / "own.uop").c_str(), 0640);
    ::mkfifo((d / "fifo").c_str(), 0644);
    std::filesystem::create_symlink(d / "p.uop", d / "link.uop");
    std::filesystem::create_directory(d / "linked");
    std::filesystem::create_symlink("linked/new.uop", d / "dangling.uop");
    std::filesystem::create_symlink("loop.uop", d / "loop.uop");
    std::filesystem::create_symlink("loopB", d / "loopA");
    std::filesystem::create_symlink("loopA", d / "loopB");
    std::filesystem::create_symlink("gone", d / "nowhere");
    std::filesystem::create_symlink("nowhere", d / "via");
    QImage picture(5, 3, QImage::Format_RGB32);
    picture.fill(qRgb(200, 10, 40));
    picture.setPixel(1, 1, qRgb(8, 16, 24));
    ASSERT_TRUE(Ok(SavePicture(picture, d / "in.bmp")));
    QImage big(6000, 6000, QImage::Format_RGB32);  // above Qt's default limit of 128 MB
    big.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(big.save(QString::fromStdString(d / "big.png"), "PNG"));
    big = {};
    // Bitmap headers claiming 20000 x 16000 pixels (1.2 GiB at four bytes each) and 9000 x 9000, more than a
    // gump's picture may have.
    for (const auto& [name, width, height] : {std::tuple{"huge.bmp", 20000u, 16000u}, {"9000.bmp", 9000u, 9000u}}) {
        B bmp = {'B', 'M'};
        for (const std::uint32_t v : {54u, 0u, 54u, 40u, width, height, 0x00180001u, 0u, 0u, 0u, 0u, 0u, 0u})
            PutLE(bmp, v, 4);
        WriteFileBytes(d / name, bmp);
    }
    const std::string longName = std::string(246, 'n') + ".uop";

    RunSteps(d, {
        {"add-file @p.uop readme @readme.txt", 0, "*"}, {"export @p.uop @v.mul", 0, "*"},
        {"list @v.mul", 0, "1 1 1 0 0\n4 3 0 0 0\n252 1 5 0 0\n"},
        {"extract @p.uop 4 3 @o.dat", 1, "That block is empty."},
        {"make-samples @client", 1, "already holds verdata.mul"},
        // An output folder that is a link leading nowhere is named with what is wrong with it.
        {"make-samples @loopA", 1, "Cannot create the folder '" + d / "loopA" + "': it is a symbolic link that leads round in a loop."},
        {"make-samples @loopA/new", 1, "'" + d / "loopA/new" + "': a folder on its way is a symbolic link that leads round"},
        {"make-samples @via", 1, "'" + d / "via" + "': it is a symbolic link to 'nowhere', which leads to '" + d / "gone" +
                                     "', which does not exist."},
        {"insert @ro.uop 2 2 @a.dat", 1, "the file is read-only"}, {"list @ro.uop", 0, "1 1 1 0 0\n"},
        {"insert @own.uop 2 2 @a.dat", 0, "*"}, {"list @own.uop", 0, "1 1 1 0 0\n2 2 1 0 0\n"},
        {"insert @p.uop 2 2 @fifo", 1, "not a regular file"}, {"list @fifo", 1, "not a regular file"},
        {"bmp-to-gump @p.uop 1 @fifo", 1, "not a regular file"}, {"insert @p.uop 2 2 @", 1, "not a regular file"},
        {"insert @" + longName + " 1 1 @a.dat", 0, "*"}, {"list @" + longName, 0, "1 1 1 0 0\n"},
        {"insert @link.uop 3 3 @a.dat", 0, "*"}, {"list @p.uop", 0, "1 1 1 0 0\n3 3 1 0 0\n4 3 0 0 0\n252 1 5 0 0\n"},
        {"insert @dangling.uop 1 1 @a.dat", 0, "*"}, {"list @linked/new.uop", 0, "1 1 1 0 0\n"},
        {"insert @loop.uop 1 1 @a.dat", 1, "loop"},
        // A picture's name need not be UTF-8.
        {"bmp-to-gump @p.uop 7 @in.bmp", 0, "*"}, {"gump-to-bmp @p.uop 7 @caf\xe9.bmp", 0, "*"},
        {"bmp-to-gump @p.uop 8 @caf\xe9.bmp", 0, "*"},
        {"list @p.uop", 0, "1 1 1 0 0\n3 3 1 0 0\n4 3 0 0 0\n12 7 32 3 5\n12 8 32 3 5\n252 1 5 0 0\n"},
        {"bmp-to-gump @p.uop 9 @big.png", 0, "*"},
        {"bmp-to-gump @p.uop 10 @huge.bmp", 1, "too large"}, {"bmp-to-gump @p.uop 10 @9000.bmp", 1, "too large"},
    });
    struct stat st {};
    ::stat((d / "ro.uop").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_TRUE(std::filesystem::exists(d / "linked/.new.uop.lock"));
    EXPECT_FALSE(std::filesystem::exists(d / ".new.uop.lock"));  // the patch was never made
    EXPECT_FALSE(std::filesystem::exists(d / "caf\xef\xbf\xbd.bmp"));
    EXPECT_FALSE(std::filesystem::exists(d / "o.dat"));

    // export, and export in a manifest, save as every command saves.
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (d / "sock").c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // A device node like the system's null device, in the test's own folder.
    ASSERT_TRUE(!root || ::mknod((d / "device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    const B patch = ReadFileBytes(d / "p.uop");
    std::vector<std::pair<std::string, std::string>> exports = {  // the target, what refuses it ("": written)
        {"@fifo", "not a regular file"}, {"@sock", "not a regular file"}, {"@ro.uop", "read-only"},
        {"@client", "folder"}, {"@loop.uop", "loop"}, {"@link.uop", "it is the patch '" + d / "p.uop" + "' itself"},
        {"@client/verdata.mul --base @client/verdata.mul", "it is the base verdata '" + d / "client/verdata.mul"},
        {"@own.uop", ""}, {"@dangling.uop", ""}};
    if (root) exports.push_back({"@device", "not a regular file"});
    for (const auto& [target, refusal] : exports) {
        std::string words = target;
        std::erase(words, '@');
        WriteText(d / "m", "export " + words + "\n");
        for (const std::string& line : {"export @p.uop " + target, std::string("apply @p.uop @m")}) {
            SCOPED_TRACE(line + " " + words);
            const CliResult r = Cli(d, line);
            EXPECT_TRUE(r.code == (refusal.empty() ? 0 : 1) && Has(r.err, refusal)) << r.err;
        }
    }
    ::close(sock);
    EXPECT_TRUE(std::filesystem::is_fifo(d / "fifo") && std::filesystem::is_socket(d / "sock"));
    EXPECT_TRUE(!root || std::filesystem::is_character_file(d / "device"));
    EXPECT_EQ(ReadFileBytes(d / "p.uop"), patch);
    EXPECT_EQ(Cli(d, "list @own.uop").out, Cli(d, "list @linked/new.uop").out);  // exported through the link
    ::stat((d / "own.uop").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(!root || (st.st_uid == 1234 && st.st_gid == 5678));
    for (const char* link : {"link.uop", "dangling.uop", "loop.uop"}) EXPECT_TRUE(std::filesystem::is_symlink(d / link));
    EXPECT_EQ(ReadFileBytes(d / "client/verdata.mul"), (B{1, 2}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d / "client"), {}), 1);
    EXPECT_FALSE(LeftoverTemporaryFiles(d.path()));
}

// A real process, signalled while it works: a signal that can be caught
// leaves nothing behind, and what kill -9 leaves goes with the next save.
TEST(HostileFiles, InterruptedCommandsLeaveNothingAndTheNextSaveRemovesWhatAKilledOneLeft) {
    TempDir d;
    std::filesystem::create_directory(d / "tmp");
    Patch big;
    for (int n = 0; n < 64; ++n) big.Append(4, n, B(64 << 10, static_cast<std::uint8_t>(n)), 0, 0);
    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", big)));
    ASSERT_TRUE(Ok(WriteVerdata(d / "v.mul", big)));
    const B patch = ReadFileBytes(d / "p.uop");
    std::string manifest;
    for (int i = 0; i < 100; ++i) manifest += "export e" + std::to_string(i % 2) + ".mul\n";
    WriteText(d / "m", manifest);
    // A save under way in a live process is never taken for a leftover.
    const std::string live = d / (".e0.mul.palindra-" + std::to_string(::getpid()) + "-live");
    WriteFileBytes(live, {1});

    const std::vector<std::string> apply = {"apply", d / "p.uop", d / "m"};
    const std::vector<std::string> verify = {"verify", d / "p.uop", d / "v.mul"};
    for (const auto& [args, signal] : {std::pair{apply, SIGINT}, {apply, SIGTERM}, {apply, SIGHUP}, {apply, SIGKILL},
                                       {verify, SIGINT}}) {
        SCOPED_TRACE(args[0] + " " + std::to_string(signal));
        const pid_t pid = Start(args, d / "tmp");
        // Signalled once the exports are being written; verify, which needs no file, after a moment.
        const auto start = std::chrono::steady_clock::now();
        const auto patience = args == verify ? std::chrono::milliseconds(50) : std::chrono::milliseconds(60000);
        while (LeftoverTemporaryFiles(d.path()) < 3 && std::filesystem::is_empty(d / "tmp") &&
               std::chrono::steady_clock::now() - start < patience)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(std::filesystem::is_empty(d / "tmp"));
        EXPECT_EQ(ReadFileBytes(d / "p.uop"), patch);
        if (args == verify) continue;
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(std::filesystem::exists(d / "e0.mul"));
        if (signal != SIGKILL) {
            EXPECT_EQ(LeftoverTemporaryFiles(d.path()), 1u);
            continue;
        }
        ASSERT_GT(LeftoverTemporaryFiles(d.path()), 2u);
        for (const char* target : {"@e0.mul", "@e1.mul"}) EXPECT_EQ(Cli(d, std::string("export @p.uop ") + target).code, 0);
        EXPECT_EQ(LeftoverTemporaryFiles(d.path()), 1u);
    }
    EXPECT_TRUE(std::filesystem::exists(live));
}

// A bake or a frame export stopped while it writes leaves the output folder
// as it was: missing or empty as it was; what kill -9 leaves of a bake
// beside the output folder goes with the next bake into that folder.
TEST(HostileFiles, AnInterruptedBakeOrFrameExportLeavesTheOutputFolderAsItWas) {
    TempDir d;
    std::filesystem::create_directories(d / "client");
    std::filesystem::create_directory(d / "tmp");
    constexpr int kEntries = 100000, kLength = 400;
    WriteFileBytes(d / "client/art.mul", B(std::size_t{kEntries} * kLength, 7));
    std::vector<std::array<std::int32_t, 3>> index;
    for (int n = 0; n < kEntries; ++n) index.push_back({n * kLength, kLength, 0});
    WriteFileBytes(d / "client/artidx.mul", IndexBytes(index));
    // Frames enough to be stopped among: 3,000 sharing the bytes of one 1 x 1 frame without runs.
    constexpr std::uint32_t kFrames = 3000;
    B anim(512, 0);
    PutLE(anim, kFrames, 4);
    for (std::uint32_t i = 0; i < kFrames; ++i) PutLE(anim, 4 + 4 * kFrames, 4);
    for (const std::uint32_t v : {0u, 0x00010001u, 0x7FFF7FFFu}) PutLE(anim, v, 4);
    ASSERT_TRUE(Ok(WritePatchFile(d / "p.uop", PatchOf({{4, 5, B(10, 1)}, {6, 110, anim}}))));
    const std::vector<std::string> bake = {"bake", d / "p.uop", d / "client", d / "out"};
    const std::vector<std::string> frames = {"anim-to-png", d / "p.uop", "110", d / "out"};
    for (const auto& [args, signal, made] : {std::tuple{bake, SIGINT, false}, {bake, SIGTERM, true}, {bake, SIGKILL, false},
                                             {frames, SIGINT, false}, {frames, SIGTERM, true}}) {
        SCOPED_TRACE(args[0] + " " + std::to_string(signal));
        std::filesystem::remove_all(d / "out");
        if (made) std::filesystem::create_directory(d / "out");
        const pid_t pid = Start(args, d / "tmp");
        // A bake is stopped among its temporaries in the new folder beside
        // the output folder, an export once frames are in place.
        const auto begun = [&, &args = args] {
            std::error_code ec;
            if (args == bake) {
                for (const auto& e : std::filesystem::directory_iterator(d.path(), ec))
                    if (e.path().filename().string().starts_with(".out.palindra-") &&
                        !std::filesystem::is_empty(e.path(), ec))
                        return true;
                return false;
            }
            for (const auto& e : std::filesystem::directory_iterator(d / "out", ec))
                if (!e.path().filename().string().starts_with('.')) return true;
            return false;
        };
        const auto start = std::chrono::steady_clock::now();
        while (!begun() && std::chrono::steady_clock::now() - start < std::chrono::seconds(60))
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(d / "client"), {}), 2);
        if (signal == SIGKILL) {
            EXPECT_FALSE(std::filesystem::exists(d / "out"));
            ASSERT_EQ(LeftoverTemporaryFiles(d.path()), 1u);
            EXPECT_EQ(Cli(d, "bake @p.uop @client @out").code, 0);
            EXPECT_EQ(LeftoverTemporaryFiles(d.path()), 0u);
            EXPECT_EQ(LeftoverTemporaryFiles(d / "out"), 0u);
            continue;
        }
        EXPECT_EQ(LeftoverTemporaryFiles(d.path()), 0u);
        EXPECT_EQ(std::filesystem::exists(d / "out"), made);
        EXPECT_TRUE(!made || std::filesystem::is_empty(d / "out"));
    }
}

// Another user may not replace a file through its folder, but a member of
// the patch's group may lock and save it, whoever made the lock file.
TEST(HostileFiles, AnotherUserSavesWhatHisGroupMayWriteAndNothingElse) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    TempDir dir;
    WriteFileBytes(dir / "p.uop", {1, 2, 3});
    ::chmod((dir / "p.uop").c_str(), 0644);
    ::chmod(dir.path().c_str(), 0777);  // the folder would allow the rename
    WriteFileBytes(dir / "a.dat", {5});
    ASSERT_EQ(Cli(dir, "insert @g.uop 1 1 @a.dat").code, 0);
    ASSERT_EQ(::chown((dir / "g.uop").c_str(), 1234, 65534), 0);
    ::chmod((dir / "g.uop").c_str(), 0664);
    std::filesystem::remove(dir / ".g.uop.lock");
    ASSERT_EQ(Cli(dir, "insert @g.uop 1 2 @a.dat").code, 0);
    struct stat st {};
    ::stat((dir / ".g.uop.lock").c_str(), &st);
    EXPECT_EQ(std::pair(st.st_mode & 0777, st.st_gid), std::pair(0664u, 65534u));
    ::chmod((dir / ".g.uop.lock").c_str(), 0644);  // as older versions made it
    const int status = InChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
        if (!Has(WritePatchFile(dir / "p.uop", Patch{}), "no permission")) return 4;
        return Cli(dir, "insert @g.uop 1 3 @a.dat").code;
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFileBytes(dir / "p.uop"), (B{1, 2, 3}));
    EXPECT_EQ(Cli(dir, "list @g.uop").out, "1 1 1 0 0\n1 2 1 0 0\n1 3 1 0 0\n");
    ::stat((dir / "g.uop").c_str(), &st);
    EXPECT_EQ(std::pair(st.st_mode & 0777, st.st_gid), std::pair(0664u, 65534u));
    EXPECT_FALSE(LeftoverTemporaryFiles(dir.path()));
}

TEST(HostileFiles, TwoWritersKeepEachOthersBlocks) {
    TempDir dir;
    WriteFileBytes(dir / "a.dat", {5, 6});
    auto writer = [&](int first) {
        return [&dir, first] {
            int failed = 0;
            for (int n = first; n < first + 20; ++n)
                failed += Cli({"insert", dir / "p.uop", "3", std::to_string(n), dir / "a.dat"}).code != 0;
            return failed;
        };
    };
    const pid_t one = ::fork();
    if (one == 0) ::_exit(writer(0)());
    const int other = InChild(writer(100));
    int status = 0;
    ::waitpid(one, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0 && WIFEXITED(other) && WEXITSTATUS(other) == 0);
    const std::string listed = Cli(dir, "list @p.uop").out;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 40) << listed;

    // The lock file takes the patch's permissions, so that whoever may write the patch may lock it.
    ::chmod((dir / "p.uop").c_str(), 0660);
    std::filesystem::remove(dir / ".p.uop.lock");
    ASSERT_EQ(Cli(dir, "insert @p.uop 3 1 @a.dat").code, 0);
    EXPECT_EQ(std::filesystem::status(dir / ".p.uop.lock").permissions(), std::filesystem::status(dir / "p.uop").permissions());
}

TEST(HostileFiles, RunningOutOfMemoryIsAFailedCommandNotAnAbort) {
    if (Sanitized()) GTEST_SKIP() << "sanitizers reserve address space of their own";
    TempDir dir;
    WriteFileBytes(dir / "map0.mul", {});
    std::filesystem::resize_file(dir / "map0.mul", 393216 * 196);  // a whole map, sparse on disk
    const int status = InChild([&] {
        // Allow what the process holds now and 48 MB more: less than the map.
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (48 << 20);
        const rlimit r{limit, limit};
        ::setrlimit(RLIMIT_AS, &r);
        std::ostringstream out, err;
        const int code = RunCli({"import", dir / "p.uop", "0", dir / "map0.mul"}, out, err);
        return code == 1 && err.str().find("not enough memory") != std::string::npos ? 1 : 10 + code;
    });
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_FALSE(std::filesystem::exists(dir / "p.uop"));
}

// Entries that all point at one small stream inflating to 16 MiB each: the
// commands that read the client's packages refuse them before decoding any,
// within a memory limit far below what decoding them would take.
TEST(HostileFiles, APackageBombIsRefusedBeforeItIsDecoded) {
    if (Sanitized()) GTEST_SKIP() << "sanitizers reserve address space of their own";
    TempDir dir;
    std::filesystem::create_directory(dir / "client");
    constexpr std::uint32_t kEntries = 300;
    const StoredEntry stream = StoreEntry(B(16 << 20, 0), 1);
    B bytes(0x200, 0);
    PutLE(bytes, 0, 0);
    bytes[0] = 'M', bytes[1] = 'Y', bytes[2] = 'P', bytes[4] = 5, bytes[12] = 0, bytes[13] = 2;  // version 5, table at 0x200
    bytes[20] = kEntries & 0xFF, bytes[21] = kEntries >> 8, bytes[24] = kEntries & 0xFF, bytes[25] = kEntries >> 8;
    PutLE(bytes, kEntries, 4);
    PutLE(bytes, 0, 4), PutLE(bytes, 0, 4);
    const std::uint64_t streamAt = bytes.size() + kEntries * sizeof(PackageSlotRecord);
    B patch;
    Patch blocks;
    for (std::uint32_t i = 0; i < kEntries; ++i) {
        const PackageSlotRecord r = SlotRecord(streamAt, 5, stream, PackageNameHash(LegacyName(SchemeOfFileId(4)->formats[0], i)));
        bytes.insert(bytes.end(), r.begin(), r.end());
        blocks.Append(4, static_cast<std::int32_t>(i), B(3, 1), 0, 0);
    }
    bytes.insert(bytes.end(), stream.stored.begin(), stream.stored.end());
    WriteFileBytes(dir / "client/artLegacyMUL.uop", bytes);
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", blocks)));
    const B saved = ReadFileBytes(dir / "p.uop");
    for (const char* command : {"status", "prune", "bake"}) {
        SCOPED_TRACE(command);
        const int status = InChild([&] {
            // What the process holds now and 256 MB more: far less than the entries decode to.
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (256 << 20);
            const rlimit r{limit, limit};
            ::setrlimit(RLIMIT_AS, &r);
            std::vector<std::string> args = {command, dir / "p.uop", dir / "client"};
            if (std::string(command) == "bake") args.push_back(dir / "out");
            std::ostringstream out, err;
            const int code = RunCli(args, out, err);
            return code == 1 && err.str().find("artLegacyMUL.uop' is damaged") != std::string::npos ? 1 : 10 + code;
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    }
    EXPECT_EQ(ReadFileBytes(dir / "p.uop"), saved);
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

TEST(HostileFiles, RecordsAfterTheDeclaredOnesAreRefusedAndRecoverable) {
    TempDir dir;
    Patch seven;
    for (int n = 0; n < 7; ++n)
        seven.Append(static_cast<std::uint8_t>(n), 10 + n, B(static_cast<std::size_t>(n), 0x40),
                     static_cast<std::int16_t>(n), static_cast<std::int16_t>(-n));
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", seven)));
    const B whole = ReadFileBytes(dir / "p.uop");
    B bytes = whole;
    bytes[4] = 2;  // the header now counts 2 of the 7
    bytes.insert(bytes.end(), {0xAA, 0xBB, 0xCC});
    WriteFileBytes(dir / "p.uop", bytes);

    Patch p;
    EXPECT_TRUE(Has(ReadPatchFile(dir / "p.uop", p), "counts 2 blocks, but 5 more blocks and 3 further bytes"));
    EXPECT_EQ(Cli(dir, "insert @p.uop 1 1 @p.uop").code, 1);
    EXPECT_EQ(ReadFileBytes(dir / "p.uop"), bytes);

    const Result<Recovery> r = RecoverPatchFile(dir / "p.uop");
    ASSERT_TRUE(Ok(r));
    EXPECT_EQ(std::tuple(r->declared, r->recovered, r->unreadBytes), std::tuple(2, 7, 3));
    ASSERT_TRUE(Ok(WritePatchFile(dir / "recovered.uop", r->patch)));
    EXPECT_EQ(ReadFileBytes(dir / "recovered.uop"), whole);
}

TEST(FaultInjection, AFullDeviceAndFoldersThatTakeNoFilesFailEverySaveAndKeepTheOldFile) {
    TempDir dir;
    const B old = {7, 7, 7};
    for (const char* name : {"p.uop", "v.mul"}) WriteFileBytes(dir / name, old);
    const Patch patch = BigPatch();
    ASSERT_TRUE(Ok(WritePatchFile(dir / "big.uop", patch)));
    WriteText(dir / "m", "export v.mul\n");
    {
        FileSizeLimit full(4096);
        EXPECT_TRUE(Has(WritePatchFile(dir / "p.uop", patch), "Cannot save"));
        EXPECT_FALSE(Ok(WriteVerdata(dir / "v.mul", patch)));
        // The message names the file the user asked for, not a temporary one.
        RunSteps(dir, {{"export @big.uop @v.mul", 1, "'" + dir / "v.mul" + "'"},
                       {"apply @big.uop @m", 1, "'" + dir / "v.mul" + "'"}});
    }
    for (const char* name : {"p.uop", "v.mul"}) EXPECT_EQ(ReadFileBytes(dir / name), old) << name;
    EXPECT_EQ(FilesIn(dir.path()), 4u);  // no temporary file left behind

    EXPECT_FALSE(Ok(WritePatchFile("/proc/palindra-test.uop", Patch{})));
    EXPECT_FALSE(Ok(WriteVerdata("/proc/palindra-test.mul", Patch{})));
}
