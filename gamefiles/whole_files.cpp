#include "gamefiles/whole_files.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "patch/file_types.h"
#include "io/binary_io.h"

std::string AddWholeFile(Patch& patch, std::int32_t fileType, const std::string& path) {
    Bytes data;
    if (std::string err = ReadWholeFile(path, data); !err.empty()) return err;
    if (fileType == 0) {
        const char* marker = kClientMarker;
        const auto found = std::search(data.begin(), data.end(),
                                       std::boyer_moore_horspool_searcher(marker, marker + std::strlen(marker)));
        if (found == data.end()) return kNotAClient;
    }
    const std::int32_t slot = patch.FindBlock(kFiles, fileType);
    if (slot < 0) {
        patch.Append(kFiles, fileType, std::move(data), 0, 0);
        return "";
    }
    PatchBlock& b = patch[kFiles].blocks[static_cast<std::size_t>(slot)];
    b.bytes = std::move(data);
    return "";
}

std::string LoadBlockFromDatafile(Patch& patch, const std::string& path, std::uint8_t fileId, std::int32_t blockNumber) {
    Bytes data;
    if (std::string err = ReadWholeFile(path, data); !err.empty()) return err;
    patch.Append(fileId, blockNumber, std::move(data), 0, 0);
    return "";
}
