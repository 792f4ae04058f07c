#include "gamefiles/forms/data_layout.h"

#include <algorithm>

#include "codecs/hues.h"
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

Result<BlockCut> CutOfFile(std::uint8_t fileId, std::int64_t size, const std::string& path) {
    if (fileId != kTiledata) return BlockCut::Fixed(FileTypes()[fileId].fixedBlockSize);
    const Result<TiledataLayout> layout = TiledataLayoutOf(size, path);
    if (!layout) return layout.error();
    return BlockCut{kTiledataLandGroups, layout->landGroup, layout->staticGroup};
}

Status OpenDataFile(DataFile& file, std::uint8_t fileId, const std::string& dataPath, const std::string& indexPath) {
    if (FileTypes()[fileId].fixedBlockSize <= 0) return file.Open(dataPath, indexPath);
    // Only tiledata's cut depends on the file's size.
    std::int64_t size = 0;
    if (fileId == kTiledata) {
        InputFile probe;
        if (Status opened = probe.Open(dataPath); !opened) return opened;
        size = probe.Size();
    }
    const Result<BlockCut> cut = CutOfFile(fileId, size, dataPath);
    if (!cut) return cut.error();
    return file.OpenCut(dataPath, *cut);
}

Bytes HueBlockOfGroup(ByteView group) { return HuesToVerdataBytes(group); }

Bytes HueGroupOfBlock(ByteView block) {
    VerdataHuesBlock verdata{};
    std::copy_n(block.begin(), std::min(block.size(), verdata.size()), verdata.begin());
    const HuesBlock group = ToHuesGroup(verdata);
    return Bytes(group.begin(), group.end());
}

Bytes HueBlockAsStored(ByteView block) { return HueBlockOfGroup(HueGroupOfBlock(block)); }
