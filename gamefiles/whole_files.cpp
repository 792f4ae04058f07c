#include "gamefiles/whole_files.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "patch/file_types.h"
#include "io/binary_io.h"

Status AddWholeFile(Patch& patch, std::int32_t fileType, const std::string& path) {
    const Result<Bytes> data = ReadWholeFile(path);
    if (!data) return data.error();
    if (fileType == 0) {
        const char* marker = kClientMarker;
        const auto found = std::search(data->begin(), data->end(),
                                       std::boyer_moore_horspool_searcher(marker, marker + std::strlen(marker)));
        if (found == data->end()) return Error(kNotAClient);
    }
    if (const auto slot = patch.FindBlock(kFiles, fileType)) patch[kFiles].blocks[*slot].bytes = *data;
    else patch.Append(kFiles, fileType, *data, 0, 0);
    return {};
}

Status LoadBlockFromDatafile(Patch& patch, std::uint8_t fileId, std::int32_t blockNumber, const std::string& path) {
    const Result<Bytes> data = ReadWholeFile(path);
    if (!data) return data.error();
    patch.Append(fileId, blockNumber, *data, 0, 0);
    return {};
}
