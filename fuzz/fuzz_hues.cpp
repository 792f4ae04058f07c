// The hues conversions: forward and back gives the block with a zero header.
#include <algorithm>

#include "codecs/hues.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes verdata = HuesToVerdataBytes(ByteView(data, size));
    if (size < kHuesBlockSize) {
        FUZZ_CHECK(verdata.empty());
        return 0;
    }
    FUZZ_CHECK(verdata.size() == kVerdataHuesBlockSize);
    VerdataHuesBlock v;
    std::copy(verdata.begin(), verdata.end(), v.begin());
    const HuesBlock back = ToHuesGroup(v);
    FUZZ_CHECK(back[0] == 0 && back[1] == 0 && back[2] == 0 && back[3] == 0);
    FUZZ_CHECK(std::equal(back.begin() + 4, back.end(), data + 4));
    return 0;
}
