// Item data, hues, houses and the other tables as JSON documents and back.
#include <gtest/gtest.h>

#include "codecs/block_fields.h"
#include "codecs/block_json.h"
#include "codecs/file_ids.h"
#include "test_support.h"

namespace {
struct Kind {
    std::uint8_t fileId;
    std::int32_t blockNumber;
    std::size_t size;  // a length that fits a layout
};
// Every type in every layout; a 48-byte multi fits both, and its rows decide.
const Kind kKinds[] = {{kTiledata, 5, 836},  {kTiledata, 5, 964}, {kTiledata, 600, 1188}, {kTiledata, 600, 1316},
                       {kHues, 2, 1220},     {kAnimdata, 3, 548}, {kMultis, 0, 60},       {kMultis, 0, 32},
                       {kMultis, 0, 48},     {kMultis, 0, 0},     {kStatics, 0, 21},      {kStatics, 0, 0},
                       {kMap, 0, 196},       {kSkills, 0, 9},     {kSkills, 0, 1}};

// Random bytes whose names and trailing bytes come in every form another program may leave.
B RandomBlock(std::mt19937& rng, const Kind& k, bool zeroExtras = false) {
    B b = RandomBytes(rng, k.size);
    if (k.fileId == kMultis && rng() % 2 == 0)  // rows ending in words of 0 or 1, as 16-byte rows do
        for (std::size_t at = 12; at + 4 <= b.size(); at += 16) PutLE32(&b[at], rng() % 2);
    const BlockType& type = *BlockTypeOf(k.fileId, k.blockNumber);
    const RecordLayout& layout = LayoutOf(type, b);
    for (std::size_t i = 0; i < RecordsHeld(type, layout, b.size()); ++i)
        for (const BlockField& f : layout.fields) {
            const std::size_t at = RecordOffset(type, layout, i) + f.offset;
            const std::size_t width = f.width > 0 ? f.width : b.size() - at;
            const std::size_t text = rng() % (width + 1), form = rng() % 4;
            if (f.kind == FieldKind::kBytes && (form < 2 || zeroExtras)) std::fill_n(&b[at], width, 0);
            if (f.kind != FieldKind::kName || form == 0) continue;  // form 0: random bytes
            for (std::size_t j = 0; j < width; ++j)
                b[at + j] = j < text ? static_cast<std::uint8_t>(0x20 + rng() % 95) : j == text || form == 1 ? 0 : b[at + j];
        }
    return b;
}

// A name's 20 bytes.
B Padded(const std::string& name) {
    B b(name.begin(), name.end());
    b.resize(20, 0);
    return b;
}

std::string Text(const Result<std::string>& json) { return json ? *json : json.error().message; }
}  // namespace

TEST(BlockJson, EveryTypeAndLayoutGoesToJsonAndBackByteForByteWhateverItHolds) {
    std::mt19937 rng(38);
    for (const Kind& k : kKinds) {
        SCOPED_TRACE(std::to_string(k.fileId) + "/" + std::to_string(k.size));
        // The fields tile their records.
        for (const RecordLayout& layout : BlockTypeOf(k.fileId, k.blockNumber)->layouts) {
            std::size_t covered = 0;
            for (const BlockField& f : layout.fields) {
                EXPECT_EQ(f.offset, covered) << f.name;
                covered += f.width * f.count;
            }
            EXPECT_EQ(covered, layout.size > 0 ? layout.size : covered);
        }
        for (int round = 0; round < 20; ++round) {
            // A hue's "extra" is left out where it is zero, so that of a base would stay.
            const B block = RandomBlock(rng, k), other = RandomBlock(rng, k, true);
            const Result<std::string> json = BlockToJson(k.fileId, k.blockNumber, block);
            ASSERT_TRUE(Ok(json));
            ASSERT_EQ(BlockFromJson(k.fileId, k.blockNumber, *json, std::nullopt).value(), block) << *json;
            // A whole document leaves nothing of the block it builds on.
            ASSERT_EQ(BlockFromJson(k.fileId, k.blockNumber, *json, ByteView(other)).value(), block) << *json;
        }
    }
    B skill = {1, 'A', 'n', 'a', 't', 'o', 'm', 'y', 0};
    EXPECT_EQ(Text(BlockToJson(kSkills, 0, skill)), "{\n    \"type\": \"skill\",\n    \"action\": 1,\n    \"name\": \"Anatomy\"\n}\n");
    skill.push_back(0);  // a second zero: the name's bytes keep the length
    EXPECT_EQ(Text(BlockToJson(kSkills, 0, skill)),
              "{\n    \"type\": \"skill\",\n    \"action\": 1,\n    \"nameBytes\": \"416E61746F6D790000\"\n}\n");
}

TEST(BlockJson, WritesOneRecordALineWithFlagNamesAndOnlyExtrasThatHoldSomething) {
    B statics = {0x34, 0x12, 1, 7, 0xFB, 0x2C, 0x01};
    EXPECT_EQ(Text(BlockToJson(kStatics, 9, statics)),
              "{\n    \"type\": \"statics\",\n    \"items\": [\n"
              "        {\"item\": 4660, \"x\": 1, \"y\": 7, \"z\": -5, \"hue\": 300}\n    ]\n}\n");
    B land(836, 0);
    PutLE32(&land[0], 7);
    PutLE32(&land[4 + 26], 0x20000080);  // entry 1: Wet and Door
    std::copy_n("anvil", 5, &land[4 + 26 + 6]);
    const std::string json = Text(BlockToJson(kTiledata, 1, land));
    EXPECT_TRUE(Has(json, "{\n    \"type\": \"tiledata-land\",\n    \"layout\": \"older\",\n    \"header\": 7,\n    \"entries\": [\n"));
    EXPECT_TRUE(Has(json, "        {\"flags\": \"0x20000080\", \"flagNames\": [\"Wet\", \"Door\"], \"texture\": 0, \"name\": \"anvil\"},\n"));
    EXPECT_TRUE(Has(json, "{\"flags\": \"0x00000000\", \"flagNames\": [], \"texture\": 0, \"name\": \"\"}\n    ]\n}\n"));
    B hues(1220, 0);
    hues[4 + 152 + 88 + 63] = 0xAB;  // hue 1's last trailing byte
    const std::string hueJson = Text(BlockToJson(kHues, 0, hues));
    EXPECT_EQ(std::count(hueJson.begin(), hueJson.end(), 'x'), 1);  // one "extra"
    EXPECT_TRUE(Has(hueJson, "\"extra\": \"" + std::string(126, '0') + "AB\""));
    EXPECT_TRUE(Has(Text(BlockToJson(kMultis, 0, B(32, 0))), "\"layout\": 16,"));
}

TEST(BlockJson, EachFieldLandsOnItsOwnBytes) {
    const struct {
        std::uint8_t fileId;
        std::int32_t blockNumber;
        std::size_t size;
        std::string record;    // the members of one record of the document
        std::size_t at;        // where the bytes it changes start
        B bytes;
    } cases[] = {
        {kTiledata, 1, 836, R"("index": 2, "texture": 48879)", 4 + 52 + 4, {0xEF, 0xBE}},
        {kTiledata, 1, 836, R"("index": 2, "flagNames": ["Wet", "Door"])", 4 + 52, {0x80, 0, 0, 0x20}},
        {kTiledata, 1, 964, R"("index": 31, "flags": "0x8000000000000001", "flagNames": ["Background", "Bit63"])",
         4 + 30 * 31, {1, 0, 0, 0, 0, 0, 0, 0x80}},
        {kTiledata, 1, 964, R"("index": 31, "name": "iron anvil")", 4 + 30 * 31 + 10,
         Padded("iron anvil")},
        {kTiledata, 512, 1188, R"("index": 5, "weight": 201)", 4 + 37 * 5 + 4, {201}},
        {kTiledata, 512, 1188, R"("index": 5, "quality": 202)", 4 + 37 * 5 + 5, {202}},
        {kTiledata, 512, 1188, R"("index": 5, "miscData": 4660)", 4 + 37 * 5 + 6, {0x34, 0x12}},
        {kTiledata, 512, 1188, R"("index": 5, "unknown2": 203)", 4 + 37 * 5 + 8, {203}},
        {kTiledata, 512, 1188, R"("index": 5, "quantity": 204)", 4 + 37 * 5 + 9, {204}},
        {kTiledata, 512, 1188, R"("index": 5, "animation": 4661)", 4 + 37 * 5 + 10, {0x35, 0x12}},
        {kTiledata, 512, 1188, R"("index": 5, "unknown3": 205)", 4 + 37 * 5 + 12, {205}},
        {kTiledata, 512, 1188, R"("index": 5, "hue": 206)", 4 + 37 * 5 + 13, {206}},
        {kTiledata, 512, 1188, R"("index": 5, "stackingOffset": 207)", 4 + 37 * 5 + 14, {207}},
        {kTiledata, 512, 1188, R"("index": 5, "value": 208)", 4 + 37 * 5 + 15, {208}},
        {kTiledata, 512, 1316, R"("index": 5, "height": 219)", 4 + 41 * 5 + 20, {219}},
        {kTiledata, 512, 1316, R"("index": 0, "nameBytes": "00112233445566778899AABBCCDDEEFF01020304")", 4 + 21,
         {0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 1, 2, 3, 4}},
        {kHues, 0, 1220, R"("index": 3, "colors": [1, 2])", 4 + 152 * 3, {1, 0, 2, 0}},
        {kHues, 0, 1220, R"("index": 3, "tableStart": 4662)", 4 + 152 * 3 + 64, {0x36, 0x12}},
        {kHues, 0, 1220, R"("index": 3, "tableEnd": 4663)", 4 + 152 * 3 + 66, {0x37, 0x12}},
        {kHues, 0, 1220, R"("index": 7, "name": "Dusk")", 4 + 152 * 7 + 68, Padded("Dusk")},
        {kAnimdata, 0, 548, R"("index": 7, "frames": [-1, 5])", 4 + 68 * 7, {0xFF, 5}},
        {kAnimdata, 0, 548, R"("index": 7, "unknown": 210)", 4 + 68 * 7 + 64, {210}},
        {kAnimdata, 0, 548, R"("index": 7, "frameCount": 211)", 4 + 68 * 7 + 65, {211}},
        {kAnimdata, 0, 548, R"("index": 7, "interval": 212)", 4 + 68 * 7 + 66, {212}},
        {kAnimdata, 0, 548, R"("index": 7, "startDelay": 213)", 4 + 68 * 7 + 67, {213}},
        {kMultis, 0, 32, R"("index": 1, "item": 4664)", 16, {0x38, 0x12}},
        {kMultis, 0, 32, R"("index": 1, "x": -2)", 18, {0xFE, 0xFF}},
        {kMultis, 0, 32, R"("index": 1, "y": -3)", 20, {0xFD, 0xFF}},
        {kMultis, 0, 36, R"("index": 2, "z": 300)", 30, {0x2C, 0x01}},
        {kMultis, 0, 36, R"("index": 2, "flags": "0x01020304")", 32, {4, 3, 2, 1}},
        {kMultis, 0, 32, R"("index": 1, "unknown": 1)", 28, {1, 0, 0, 0}},
        {kStatics, 0, 14, R"("index": 1, "item": 4665)", 7, {0x39, 0x12}},
        {kStatics, 0, 14, R"("index": 1, "x": 6)", 9, {6}},
        {kStatics, 0, 14, R"("index": 1, "y": 5)", 10, {5}},
        {kStatics, 0, 14, R"("index": 1, "z": -128)", 11, {0x80}},
        {kStatics, 0, 14, R"("index": 1, "hue": 301)", 12, {0x2D, 0x01}},
        {kMap, 0, 196, R"("index": 63, "tile": 4666)", 4 + 3 * 63, {0x3A, 0x12}},
        {kMap, 0, 196, R"("index": 63, "z": -7)", 4 + 3 * 63 + 2, {0xF9}},
    };
    std::mt19937 rng(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        const BlockType& type = *BlockTypeOf(c.fileId, c.blockNumber);
        B base = RandomBytes(rng, c.size);
        if (c.fileId == kMultis)  // the 16-byte rows of a 32-byte multi end in 0 or 1
            for (std::size_t at = 12; at < base.size(); at += 16) PutLE32(&base[at], 0);
        const std::string json =
            "{\"type\": \"" + std::string(type.type) + "\", \"" + std::string(type.recordsKey) + "\": [{" + c.record + "}]}";
        B expected = base;
        std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(c.at));
        ASSERT_NE(expected, base);
        EXPECT_EQ(BlockFromJson(c.fileId, c.blockNumber, json, ByteView(base)).value(), expected);
    }

    // The header, and a skill's fields at the top of the document.
    B group(548, 9);
    EXPECT_EQ(BlockFromJson(kAnimdata, 0, R"({"type": "animdata", "header": 16909060})", ByteView(group)).value(),
              [&] { B g = group; PutLE32(g.data(), 0x01020304); return g; }());
    const B skill = {1, 'A', 0};
    EXPECT_EQ(BlockFromJson(kSkills, 0, R"({"type": "skill", "name": "Hiding"})", ByteView(skill)).value(),
              (B{1, 'H', 'i', 'd', 'i', 'n', 'g', 0}));
    EXPECT_EQ(BlockFromJson(kSkills, 0, R"({"type": "skill", "action": 0, "nameBytes": "41"})", ByteView(skill)).value(),
              (B{0, 'A'}));
}

TEST(BlockJson, APartialFileKeepsTheBaseAndFollowsItsOrder) {
    std::mt19937 rng(7);
    const B items = RandomBytes(rng, 1188);
    // Records without an index follow the one before.
    B expected = items;
    expected[4 + 37 * 3 + 4] = 1;
    expected[4 + 37 * 4 + 4] = 2;
    expected[4 + 37 * 0 + 5] = 3;
    EXPECT_EQ(BlockFromJson(kTiledata, 512,
                            R"({"type": "tiledata-items", "entries": [{"index": 3, "weight": 1}, {"weight": 2}, {"index": 0, "quality": 3}]})",
                            ByteView(items))
                  .value(),
              expected);

    // A list of statics without an index is the whole list; with one, it edits and grows the base's.
    const B statics = {1, 0, 2, 3, 4, 5, 0, 6, 0, 7, 7, 7, 8, 0};
    EXPECT_EQ(BlockFromJson(kStatics, 0, R"({"type": "statics", "items": [{"z": 9}]})", ByteView(statics)).value(),
              (B{1, 0, 2, 3, 9, 5, 0}));
    EXPECT_EQ(BlockFromJson(kStatics, 0, R"({"type": "statics", "items": []})", ByteView(statics)).value(), B{});
    EXPECT_EQ(BlockFromJson(kStatics, 0,
                            R"({"type": "statics", "items": [{"index": 1, "x": 1}, {"item": 2, "x": 3, "y": 4, "z": 5, "hue": 6}]})",
                            ByteView(statics))
                  .value(),
              (B{1, 0, 2, 3, 4, 5, 0, 6, 0, 1, 7, 7, 8, 0, 2, 0, 3, 4, 5, 6, 0}));

    // A layout the file names takes the base's fields over; a 16-byte multi's "unknown" is dropped.
    B older(836, 0), newer(964, 0);
    PutLE32(&older[4 + 26], 0x80000001);
    PutLE32(&newer[4 + 30], 0x80000001);
    EXPECT_EQ(BlockFromJson(kTiledata, 0, R"({"type": "tiledata-land", "layout": "newer"})", ByteView(older)).value(), newer);
    EXPECT_EQ(BlockFromJson(kTiledata, 0, R"({"type": "tiledata-land", "layout": "older"})", ByteView(newer)).value(), older);
    const B sixteen = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(BlockFromJson(kMultis, 0, R"({"type": "multi", "layout": 12})", ByteView(sixteen)).value(),
              B(sixteen.begin(), sixteen.begin() + 12));

    // The panel's cell texts.
    EXPECT_EQ(SetBlockField(kTiledata, 0, older, 1, "flags", "Wet Door").value()[4 + 26], 0x80);
    EXPECT_EQ(SetBlockField(kTiledata, 0, older, 1, "texture", "0x1234").value()[4 + 26 + 4], 0x34);
    EXPECT_EQ(SetBlockField(kStatics, 0, statics, 1, "z", "-1").value()[11], 0xFF);
    EXPECT_EQ(SetBlockField(kSkills, 0, B{1, 'A', 0}, 0, "name", "Bc").value(), (B{1, 'B', 'c', 0}));
    EXPECT_EQ(SetBlockField(kAnimdata, 0, B(548, 0), 0, "frames", "1 -2 3").value()[5], 0xFE);
    EXPECT_EQ(Why(SetBlockField(kStatics, 0, statics, 0, "hue", "red")),
              "Item 0, \"hue\": \"red\" is not an integer from 0 to 65535.");
}

TEST(BlockJson, RefusalsNameTheRecordTheFieldAndTheValuesItTakes) {
    const B items(1188, 0), newer(964, 0xFF), multi(36, 0);
    const std::string e = R"({"type": "tiledata-items", "entries": [)";
    std::string thirtyThree = "{}";
    for (int i = 0; i < 32; ++i) thirtyThree += ", {}";
    const struct {
        std::uint8_t fileId;
        std::int32_t blockNumber;
        std::string json;
        std::optional<B> base;
        std::string why;
    } cases[] = {
        {kTiledata, 512, "{\"type\": ", items, "The document is not JSON: it breaks off or goes wrong at byte 10."},
        {kMultis, 0, R"({"type": "multi", "components": [{"x": 4.4E4444}]})", multi,  // found by fuzzing
         "The document holds a number too large to read."},
        {kTiledata, 512, "[]", items, "The document is not a JSON object: {\"type\": \"tiledata-items\", ...}."},
        {kTiledata, 512, R"({"entries": []})", items, "The document's \"type\" is missing; this block takes \"tiledata-items\"."},
        {kTiledata, 5, e + "]}", items, "The document's \"type\" is \"tiledata-items\"; this block takes \"tiledata-land\"."},
        {kTiledata, 512, R"({"type": "tiledata-items", "hues": []})", items,
         "\"hues\" is no member of a tiledata-items document; it has type, layout, header, entries."},
        {kTiledata, 512, e + R"({"index": 5, "wieght": 1}]})", items,
         "Entry 5: \"wieght\" is no field of tiledata-items records; they have index, flags, flagNames, weight, quality, "
         "miscData, unknown2, quantity, animation, unknown3, hue, stackingOffset, value, height, name, nameBytes."},
        {kTiledata, 512, e + R"({"index": 5, "weight": 300}]})", items, "Entry 5, \"weight\": 300 is outside 0 to 255."},
        {kTiledata, 512, e + R"({"weight": -1}]})", items, "Entry 0, \"weight\": -1 is outside 0 to 255."},
        {kTiledata, 512, e + R"({"weight": "1"}]})", items, "Entry 0, \"weight\": \"1\" is not an integer from 0 to 255."},
        {kTiledata, 512, e + R"({"weight": 1.5}]})", items, "Entry 0, \"weight\": 1.5 is not an integer from 0 to 255."},
        {kTiledata, 512, e + R"({"name": "a name of twenty-one b"}]})", items,
         "Entry 0, \"name\": \"a name of twenty-one b\" is 22 bytes long; the field holds 20."},
        {kTiledata, 512, e + R"({"name": "tab\there"}]})", items,
         "Entry 0, \"name\": \"tab\\there\" holds a character other than U+0020-U+007E and U+00A0-U+00FF; give \"nameBytes\"."},
        {kTiledata, 512, e + R"({"name": "a", "nameBytes": "00"}]})", items, "Entry 0: give \"name\" or \"nameBytes\", not both."},
        {kTiledata, 512, e + R"({"nameBytes": "00"}]})", items,
         "Entry 0, \"nameBytes\": \"00\" is not 40 hex digits (the field's 20 bytes)."},
        {kTiledata, 512, e + R"({"flagNames": ["Flying"]}]})", items,
         "Entry 0, \"flagNames\": \"Flying\" is no flag name; they are Background ... StairRight and Bit32 ... Bit63."},
        {kTiledata, 512, e + R"({"flagNames": ["Bit40"]}]})", items,
         "Entry 0, \"flagNames\": \"Bit40\" is not among the 32 flags of this layout (Background ... StairRight)."},
        {kTiledata, 512, e + R"({"flags": "0x41", "flagNames": ["Impassable"]}]})", items,
         "Entry 0: \"flags\" 0x00000041 and \"flagNames\" (0x00000040) disagree."},
        {kTiledata, 512, e + R"({"flags": "0x100000000"}]})", items,
         "Entry 0, \"flags\": \"0x100000000\" is outside 0x00000000 to 0xFFFFFFFF."},
        {kTiledata, 512, e + R"({"flags": 64}]})", items, "Entry 0, \"flags\": 64 is not a hex number such as \"0x00000040\"."},
        {kTiledata, 512, e + thirtyThree + "]}", items, "\"entries\" gives 33 records; the block holds 32."},
        {kTiledata, 512, e + R"({"index": 32}]})", items, "Record 0 of \"entries\": \"index\" 32 is not an integer from 0 to 31."},
        {kTiledata, 512, e + R"({"index": 31}, {}]})", items, "Record 1 of \"entries\" lies past the 32 records the block holds."},
        {kTiledata, 512, e + R"({"index": 4}, {"index": 4}]})", items, "Entry 4 is given twice."},
        {kTiledata, 512, e + "]}", std::nullopt,
         "\"layout\" is missing: with no block to build on, the file must say \"older\" or \"newer\"."},
        {kTiledata, 512, R"({"type": "tiledata-items", "layout": "new"})", items, "\"layout\" \"new\" is not \"older\" or \"newer\"."},
        {kMultis, 0, R"({"type": "multi", "layout": "16"})", multi, "\"layout\" \"16\" is not 12 or 16."},
        {kTiledata, 512, R"({"type": "tiledata-items", "layout": "older", "entries": []})", std::nullopt,
         "\"header\" is missing: with no block to build on, the file must give it."},
        {kTiledata, 512, R"({"type": "tiledata-items", "layout": "older", "header": 0, "entries": [{"weight": 1}]})",
         std::nullopt, "Entry 0: \"flags\" is missing: with no block to build on, the file must give it."},
        {kTiledata, 512, R"({"type": "tiledata-items", "layout": "older", "header": 0, "entries": []})", std::nullopt,
         "Entry 0 is missing: with no block to build on, the file must give every record."},
        {kHues, 0, R"({"type": "hues", "header": 0, "hues": [{"colors": [1]}]})", std::nullopt,
         "Hue 0, \"colors\": 1 of its 32 values given; with no block to keep the rest from, all are needed."},
        {kHues, 0, R"({"type": "hues", "hues": [{"extra": "00"}]})", B(1220, 0),
         "Hue 0, \"extra\": \"00\" is not 128 hex digits (the field's 64 bytes)."},
        {kTiledata, 0, R"({"type": "tiledata-land", "layout": "older"})", newer,
         "Entry 0, \"flags\": the value of the block it builds on does not fit the older layout (0x00000000 to 0xFFFFFFFF)."},
        {kMultis, 0, R"({"type": "multi", "layout": 16})", multi, "Component 0: \"unknown\" is missing: the block it builds on has none."},
        {kMultis, 0, R"({"type": "multi", "components": [{"index": 4}]})", multi,
         "Record 0 of \"components\": \"index\" 4 is not an integer from 0 to 3."},
        {kSkills, 0, R"({"type": "skill", "name": "x"})", std::nullopt, "The skill: \"action\" is missing: with no block to build on, the file must give it."},
        {kSkills, 0, R"({"type": "skill", "index": 0})", B{0, 0}, "The skill: \"index\" is no field of skill records; they have action, name, nameBytes."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(Why(BlockFromJson(c.fileId, c.blockNumber, c.json, c.base ? std::optional<ByteView>(*c.base) : std::nullopt)),
                  c.why);
    }

    // A length that fits no layout of the type, and a file ID without fields.
    EXPECT_EQ(Why(BlockToJson(kTiledata, 511, B(100))),
              "The block holds 100 bytes; a tiledata-land block takes 836 (older layout) or 964 (newer layout).");
    EXPECT_EQ(Why(BlockToJson(kStatics, 0, B(8))), "The block holds 8 bytes; a statics block takes a multiple of 7.");
    EXPECT_EQ(Why(BlockToJson(kMultis, 0, B(20))), "The block holds 20 bytes; a multi block takes a multiple of 12 or 16.");
    EXPECT_EQ(Why(BlockToJson(kSkills, 0, B())), "The block holds 0 bytes; a skill block takes 1 or more.");
    EXPECT_EQ(Why(BlockToJson(kHues, 0, B(708))), "The block holds 708 bytes; a hues block takes 1220.");
    EXPECT_EQ(Why(BlockToJson(kArt, 0, B(8))), "Blocks of file ID 4 have no JSON form.");
}
