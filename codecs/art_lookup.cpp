#include "codecs/art_lookup.h"

#include "codecs/block_fields.h"
#include "codecs/file_ids.h"

std::int32_t ArtLookup::ItemHeight(std::int32_t item) {
    if (item < 0) return 0;
    const std::int32_t group = kTiledataLandGroups + item / kTiledataGroupRecords;
    const ByteView bytes = Block(kTiledata, group);
    const BlockType& type = *BlockTypeOf(kTiledata, group);
    const RecordLayout& layout = LayoutOf(type, bytes);
    const auto record = static_cast<std::size_t>(item % kTiledataGroupRecords);
    const BlockField* height = FindField(layout, "height");
    if (!height || record >= RecordsHeld(type, layout, bytes.size())) return 0;
    return static_cast<std::int32_t>(FieldNumber(*height, bytes.subspan(RecordOffset(type, layout, record), layout.size)));
}
