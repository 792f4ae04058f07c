// The JSON form of table blocks: the first byte picks a kind of block, the
// rest is read as a document (alone and over a base) and as a block. What is
// read is whole in its layout, and its document gives the same bytes again.
#include "codecs/block_fields.h"
#include "codecs/block_json.h"
#include "codecs/file_ids.h"
#include "fuzz_support.h"

namespace {
struct Kind {
    std::uint8_t fileId;
    std::int32_t blockNumber;
    Bytes base;
};

void CheckRoundTrip(const Kind& k, const Bytes& block) {
    const Result<std::string> json = BlockToJson(k.fileId, k.blockNumber, block);
    FUZZ_CHECK(json.has_value());
    const Result<Bytes> again = BlockFromJson(k.fileId, k.blockNumber, *json, std::nullopt);
    FUZZ_CHECK(again.has_value() && *again == block);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Kind kinds[] = {{kTiledata, 5, Bytes(836, 1)}, {kTiledata, 600, Bytes(1316, 2)}, {kHues, 0, Bytes(1220, 3)},
                          {kAnimdata, 0, Bytes(548, 4)}, {kMultis, 0, Bytes(32, 0)},       {kSkills, 0, Bytes{1, 'a', 0}},
                          {kStatics, 0, Bytes(14, 5)},   {kMap, 0, Bytes(196, 6)}};
    const Kind& k = kinds[data[0] % std::size(kinds)];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const std::optional<ByteView> base : {std::optional<ByteView>(), std::optional<ByteView>(k.base)})
        if (const Result<Bytes> block = BlockFromJson(k.fileId, k.blockNumber, text, base)) {
            const BlockType& type = *BlockTypeOf(k.fileId, k.blockNumber);
            FUZZ_CHECK(FitsLayout(type, LayoutOf(type, *block), block->size()));
            CheckRoundTrip(k, *block);
        }
    const Bytes raw(data + 1, data + size);
    const BlockType& type = *BlockTypeOf(k.fileId, k.blockNumber);
    if (FitsLayout(type, LayoutOf(type, raw), raw.size())) CheckRoundTrip(k, raw);
    return 0;
}
