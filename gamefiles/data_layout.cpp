#include "gamefiles/data_layout.h"

#include "patch/file_types.h"

namespace {
// The static group count when `size` is 512 land groups and whole static groups.
std::int64_t StaticGroups(std::int64_t size, TiledataLayout l) {
    const std::int64_t rest = size - std::int64_t{kTiledataLandGroups} * l.landGroup;
    return rest >= 0 && rest % l.staticGroup == 0 ? rest / l.staticGroup : -1;
}

bool IsPowerOfTwo(std::int64_t n) { return n > 0 && (n & (n - 1)) == 0; }
}  // namespace

std::string TiledataLayoutOf(std::int64_t size, const std::string& path, TiledataLayout& layout) {
    const std::int64_t older = StaticGroups(size, kTiledataOlder), newer = StaticGroups(size, kTiledataNewer);
    if (older < 0 && newer < 0)
        return "'" + path + "' is not a tiledata file: its " + std::to_string(size) +
               " bytes are not 512 land groups followed by whole static groups of either layout.";
    const bool takeNewer = older < 0 || (newer >= 0 && IsPowerOfTwo(newer) && !IsPowerOfTwo(older));
    layout = takeNewer ? kTiledataNewer : kTiledataOlder;
    return "";
}

std::string OpenDataFile(DataFile& file, std::uint8_t fileId, const std::string& idxFilename,
                         const std::string& mulFilename) {
    if (fileId == kTiledata) {
        InputFile probe;
        if (std::string err = probe.Open(mulFilename); !err.empty()) return err;
        TiledataLayout layout{};
        if (std::string err = TiledataLayoutOf(probe.Size(), mulFilename, layout); !err.empty()) return err;
        return file.OpenCut(mulFilename, {kTiledataLandGroups, layout.landGroup, layout.staticGroup});
    }
    return file.Open(idxFilename, mulFilename, FileTypes()[fileId].fixedBlockSize);
}
