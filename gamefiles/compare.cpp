#include "gamefiles/compare.h"

#include <algorithm>

#include "codecs/hues.h"
#include "gamefiles/cMUL.h"
#include "gamefiles/import.h"
#include "patch/FileTypes.h"
#include "patch/read_budget.h"

bool ArraysEqual(ByteView a, ByteView b) {
    return a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin());
}

CompareResult CompareMuls(Patch& patch, const std::string& idx1, const std::string& mul1, const std::string& idx2,
                          const std::string& mul2, std::uint8_t fileId, std::int32_t nbrOfBlocks,
                          std::int32_t constantIndex) {
    CompareResult result;
    cMUL base, altered;
    result.error = OpenDataFile(base, idx1, mul1, nbrOfBlocks, constantIndex);
    if (result.error.empty()) result.error = OpenDataFile(altered, idx2, mul2, nbrOfBlocks, constantIndex);
    if (!result.error.empty()) return result;

    Patch added;
    ReadBudget budget(mul2);
    for (std::int32_t n = 0; n <= nbrOfBlocks; ++n) {
        Bytes a, b;
        std::int16_t flagA = 0, flagB = 0, unusedA = 0, unusedB = 0;
        std::int32_t l1 = base.cLoad(n, a, unusedA, unusedB);
        std::int32_t l2 = altered.cLoad(n, b, flagA, flagB);
        if (l1 < 1) l1 = -1;
        if (l2 < 1) l2 = -1;
        if (l1 == l2 && (l2 < 1 || ArraysEqual(a, b))) continue;
        if (result.error = budget.Take(l2); !result.error.empty()) return result;
        if (fileId == kHuesFileId && l2 > 0) {
            b = HuesToVerdataBytes(b);
            l2 = static_cast<std::int32_t>(b.size());
        }
        added.AppendWithLength(fileId, n, l2, std::move(b), flagA, flagB);
        ++result.added;
    }
    patch.AppendAll(std::move(added));
    return result;
}
