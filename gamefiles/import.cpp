#include "gamefiles/import.h"

#include <algorithm>

#include "codecs/hues.h"
#include "gamefiles/cMUL.h"
#include "patch/FileTypes.h"
#include "patch/read_budget.h"

std::string OpenDataFile(cMUL& file, const std::string& idxFilename, const std::string& mulFilename,
                         std::int32_t nbrOfBlocks, std::int32_t constantIndex) {
    if (constantIndex < 1) return file.cOpen(idxFilename, mulFilename, -1, -1);
    return file.cOpen(idxFilename, mulFilename, constantIndex, nbrOfBlocks + 1);
}

std::string ImportMulRange(Patch& patch, const std::string& idxFilename, const std::string& mulFilename,
                           std::uint8_t fileId, std::int32_t blockFrom, std::int32_t blockTo,
                           std::int32_t nbrOfBlocks, std::int32_t constantIndex) {
    cMUL file;
    if (std::string err = OpenDataFile(file, idxFilename, mulFilename, nbrOfBlocks, constantIndex); !err.empty())
        return err;
    ReadBudget budget(mulFilename);
    const std::int32_t first = std::max(blockFrom, 0);
    const std::int32_t last = std::min(blockTo, nbrOfBlocks);
    for (std::int32_t n = first; n <= last; ++n) {
        std::int16_t flagA = 0, flagB = 0;
        Bytes data;
        std::int32_t length = file.cLoad(n, data, flagA, flagB);
        if (std::string err = budget.Take(length); !err.empty()) return err;
        if (fileId == kHuesFileId && length > 0) {
            data = HuesToVerdataBytes(data);
            length = static_cast<std::int32_t>(data.size());
        }
        patch.AppendWithLength(fileId, n, length, std::move(data), flagA, flagB);
    }
    file.cClose();
    return "";
}
