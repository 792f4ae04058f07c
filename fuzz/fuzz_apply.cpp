// apply is all or nothing: whatever the manifest, the run either succeeds or
// leaves every file of its folder as it was, with no temporary file behind.
// Slashes become '_', so that every path a manifest names lies in a scratch
// folder made anew for each run.
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/commands.h"
#include "fuzz_support.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"

namespace fs = std::filesystem;

namespace {
// The files of the folder and their bytes; the patch's lock file may stay.
std::map<std::string, Bytes> Snapshot(const fs::path& dir) {
    std::map<std::string, Bytes> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.path().extension() == ".lock") continue;
        Bytes& bytes = files[e.path().string()];
        if (!e.is_regular_file()) continue;
        Result<Bytes> read = ReadWholeFile(e.path().string());
        if (!read) std::abort();
        bytes = std::move(*read);
    }
    return files;
}

// A patch, a base verdata, a raw block, art with its index and a folder.
void MakeInputs(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir / "out");
    Patch patch;
    patch.Append(4, 1, {1, 2, 3}, 0, 0);
    patch.Append(12, 7, {9}, 2, 3);
    if (!WritePatchFile((dir / "p.uop").string(), patch) || !WriteVerdata((dir / "base.mul").string(), patch))
        std::abort();
    ScratchFile("apply/a.dat", patch[4].blocks[0].bytes.data(), 3);
    const std::uint8_t art[] = {1, 2, 3, 4, 5}, index[] = {0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    ScratchFile("apply/art.mul", art, sizeof art);
    ScratchFile("apply/art.idx", index, sizeof index);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path dir = fs::path(ScratchFile("apply-home", nullptr, 0)).parent_path() / "apply";
    MakeInputs(dir);
    std::string manifest(reinterpret_cast<const char*>(data), size);
    for (char& c : manifest)
        if (c == '/') c = '_';
    ScratchFile("apply/m", reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size());
    const std::map<std::string, Bytes> before = Snapshot(dir);
    std::ostringstream out, err;
    const int code = RunCli({"apply", (dir / "p.uop").string(), (dir / "m").string()}, out, err);
    FUZZ_CHECK(code >= 0 && code <= 2);
    if (code != 0) FUZZ_CHECK(Snapshot(dir) == before);
    return 0;
}
