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

Result<TiledataLayout> TiledataLayoutOf(std::int64_t size, const std::string& path) {
    const std::int64_t older = StaticGroups(size, kTiledataOlder), newer = StaticGroups(size, kTiledataNewer);
    if (older < 0 && newer < 0)
        return Error("'" + path + "' is not a tiledata file: its " + std::to_string(size) +
                     " bytes are not 512 land groups followed by whole static groups of either layout.");
    const bool takeNewer = older < 0 || (newer >= 0 && IsPowerOfTwo(newer) && !IsPowerOfTwo(older));
    return takeNewer ? kTiledataNewer : kTiledataOlder;
}

Status OpenDataFile(DataFile& file, std::uint8_t fileId, const std::string& dataPath, const std::string& indexPath) {
    if (fileId == kTiledata) {
        InputFile probe;
        if (Status opened = probe.Open(dataPath); !opened) return opened;
        const Result<TiledataLayout> layout = TiledataLayoutOf(probe.Size(), dataPath);
        if (!layout) return layout.error();
        return file.OpenCut(dataPath, {kTiledataLandGroups, layout->landGroup, layout->staticGroup});
    }
    const std::int32_t fixed = FileTypes()[fileId].fixedBlockSize;
    return fixed > 0 ? file.OpenCut(dataPath, BlockCut::Fixed(fixed)) : file.Open(dataPath, indexPath);
}
