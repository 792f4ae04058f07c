// The command-line tool's insert and extract of one 500 MB block: the block
// is held once, never copied into the save buffer; list reads no data at all.
#include <sstream>

#include "bench_support.h"
#include "cli/commands.h"

namespace {
constexpr long long kBlockBytes = 500'000'000;

struct LargeBlock {
    ScratchDir dir;
    std::string raw = dir / "block.dat";
    std::string patch = dir / "large.uop";
    LargeBlock() { Shell("head -c " + std::to_string(kBlockBytes) + " /dev/urandom > '" + raw + "'"); }
};
}  // namespace

void RegisterLargeBlockMemory() {
    RegisterPeakWork("cli", [](const std::vector<std::string>& args) {
        std::ostringstream out, err;
        if (RunCli(args, out, err) != 0) std::abort();
    });
}

void ReportLargeBlockMemory() {
    LargeBlock b;
    const long long idle = PeakBytesOf({"idle"});
    AddMemoryLine("insert of one 500 MB block",
                  PeakBytesOf({"cli", "insert", b.patch, "12", "1", b.raw}) - idle, kBlockBytes, 1.5);
    AddMemoryLine("extract of one 500 MB block",
                  PeakBytesOf({"cli", "extract", b.patch, "12", "1", b.dir / "out.dat"}) - idle, kBlockBytes, 1.5);
    AddMemoryLine("list of a patch of one 500 MB block", PeakBytesOf({"cli", "list", b.patch}) - idle, kBlockBytes, 0.1);
}
