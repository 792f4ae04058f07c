// Art tiles, textures and sounds as pictures and sound files and back:
// random blocks through memory, PNG, BMP and WAV, and what is refused.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <numbers>

#include "codecs/art.h"
#include "codecs/block_pictures.h"
#include "codecs/colors.h"
#include "codecs/file_ids.h"
#include "codecs/sound_block.h"
#include "codecs/sound_file.h"
#include "images/bitmap.h"
#include "test_support.h"

namespace {
constexpr std::uint16_t kRed = 0x7C00, kGreen = 0x03E0, kBlue = 0x001F;

std::uint16_t RandomColor(std::mt19937& rng) { return static_cast<std::uint16_t>(1 + rng() % 0x7FFF); }

Bytes RandomColorBytes(std::mt19937& rng, std::size_t colors) {
    Bytes b(2 * colors);
    for (std::size_t i = 0; i < colors; ++i) PutLE16(&b[2 * i], RandomColor(rng));
    return b;
}

// A static's colours: empty rows, holes of random lengths, runs at both edges.
std::vector<std::uint16_t> RandomStatic(std::mt19937& rng, int w, int h) {
    std::vector<std::uint16_t> cells(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        if (rng() % 4 == 0) continue;
        bool drawn = rng() % 2 != 0;
        for (int x = 0; x < w; ++x) {
            if (rng() % 6 == 0) drawn = !drawn;
            if (drawn) cells[static_cast<std::size_t>(y * w + x)] = RandomColor(rng);
        }
    }
    return cells;
}

// The block built again from its picture, directly and through a PNG and a BMP file.
void ExpectRoundTrips(PictureKind kind, const Bytes& block, const TempDir& dir) {
    Notes notes;
    const Result<RgbaPicture> picture = BlockToPicture(kind, block, notes);
    ASSERT_TRUE(Ok(picture));
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(PictureToBlock(kind, *picture, block).value(), block);
    for (const char* name : {"tile.png", "tile.bmp"}) {
        ASSERT_TRUE(Ok(SaveBlockPicture(*picture, dir / name)));
        const Result<RgbaPicture> loaded = LoadBlockPicture(dir / name, kind);
        ASSERT_TRUE(Ok(loaded)) << name;
        EXPECT_EQ(PictureToBlock(kind, *loaded, block).value(), block) << name;
    }
}

// Samples of 16 bits, which libsndfile writes to any sample size without rounding.
void WriteSound(const std::string& path, int format, int rate, int channels, const std::vector<std::int16_t>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size())),
              static_cast<sf_count_t>(samples.size()));
    sf_close(f);
}

Result<DecodedSound> DecodeFile(const std::string& path) { return DecodeSoundFile(ReadFileBytes(path), path); }
}  // namespace

TEST(BlockPictures, RandomLandTilesTexturesAndStaticsComeBackByteForByte) {
    std::mt19937 rng(37);
    TempDir dir;
    ExpectRoundTrips(PictureKind::kLandTile, RandomColorBytes(rng, 1012), dir);
    ExpectRoundTrips(PictureKind::kTexture, RandomColorBytes(rng, 64 * 64), dir);
    ExpectRoundTrips(PictureKind::kTexture, RandomColorBytes(rng, 128 * 128), dir);
    const std::pair<int, int> sizes[] = {{1, 1}, {2048, 3}, {1, 40}, {97, 61}, {44, 44}};
    for (int i = 0; i < 12; ++i) {
        const auto [w, h] = i < 5 ? sizes[i] : std::pair(1 + static_cast<int>(rng() % 300), 1 + static_cast<int>(rng() % 80));
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const std::vector<std::uint16_t> cells = RandomStatic(rng, w, h);
        const Bytes block = EncodeStaticTile(cells, w, h, 0x44332211).value();
        const ColorGrid decoded = DecodeStaticTile16(block).value();
        for (std::size_t c = 0; c < cells.size(); ++c)
            ASSERT_EQ(decoded.cells[c], cells[c] ? cells[c] : ColorGrid::kBackground) << c;
        ExpectRoundTrips(PictureKind::kStaticTile, block, dir);
    }
    const std::vector<std::uint16_t> clear(6, 0);  // draws nothing, and is a static all the same
    ExpectRoundTrips(PictureKind::kStaticTile, EncodeStaticTile(clear, 3, 2, 0).value(), dir);
}

TEST(BlockPictures, TheStaticEncoderWritesRunsFromTheEndOfTheLastAndSplitsOneReaching2048) {
    // Row 0: a hole, a run, a hole, a run at the edge; row 1 empty.
    const B small = EncodeStaticTile(std::vector<std::uint16_t>{0, kRed, 0, 0, kGreen, kBlue, 0, 0, 0, 0, 0, 0}, 6, 2,
                                     0x0A0B0C0D)
                        .value();
    EXPECT_EQ(small, HexBytes("0D 0C 0B 0A 06 00 02 00  00 00 09 00"
                              " 01 00 01 00 00 7C  02 00 02 00 E0 03 1F 00  00 00 00 00  00 00 00 00"));
    std::vector<std::uint16_t> full(2048, kBlue);
    const B wide = EncodeStaticTile(full, 2048, 1, 0).value();
    ASSERT_EQ(wide.size(), 10u + 4 + 2 * 2047 + 4 + 2 + 4);
    EXPECT_EQ(B(wide.begin() + 10, wide.begin() + 14), HexBytes("00 00 FF 07"));
    EXPECT_EQ(B(wide.end() - 12, wide.end()), HexBytes("1F 00 00 00 01 00 1F 00 00 00 00 00"));
    full.front() = 0;  // a run from column 1 to the edge reaches 2048 too
    EXPECT_EQ(DecodeStaticTile16(EncodeStaticTile(full, 2048, 1, 0).value())->cells.back(), kBlue);
}

TEST(BlockPictures, WhatAPictureCannotKeepIsCountedInTheNotes) {
    B land(2024 + 3, 0);
    PutLE16(&land[0], 0x8000 | kRed);
    PutLE16(&land[2], 0xFFFF);
    Notes notes;
    const RgbaPicture picture = BlockToPicture(PictureKind::kLandTile, land, notes).value();
    EXPECT_EQ(notes, (Notes{"2 pixels lose bit 15, which a picture does not keep.",
                            "The block holds 3 bytes after the tile's 2,024, which the picture does not keep."}));
    B expected(land.begin(), land.begin() + 2024);
    PutLE16(&expected[0], kRed);
    PutLE16(&expected[2], 0x7FFF);
    EXPECT_EQ(PictureToBlock(PictureKind::kLandTile, picture, std::nullopt).value(), expected);

    // Another program's static: colour 0 and 0x8000 inside a run come back as the darkest grey.
    B foreign = HexBytes("00 00 00 00 03 00 01 00 00 00  00 00 03 00 00 00 00 80 1F 00 00 00 00 00");
    notes.clear();
    const RgbaPicture grey = BlockToPicture(PictureKind::kStaticTile, foreign, notes).value();
    EXPECT_EQ(notes, (Notes{"1 pixel loses bit 15, which a picture does not keep.",
                            "2 pixels of colour 0 inside the runs become the darkest grey (0x0421): black there "
                            "would be transparent."}));
    EXPECT_EQ(DecodeStaticTile16(PictureToBlock(PictureKind::kStaticTile, grey, std::nullopt).value())->cells,
              (std::vector<std::int32_t>{kDarkestGrey, kDarkestGrey, kBlue}));
}

TEST(BlockPictures, ColoursFollowTheGumpRulesWhereZeroIsClearAndIgnoreAlphaElsewhere) {
    // Transparent red, half-transparent white, opaque black, a colour, and black again.
    const B rgba = {255, 0, 0, 0, 255, 255, 255, 127, 0, 0, 0, 128, 8, 16, 24, 255, 0, 0, 0, 255};
    const auto colour = static_cast<std::uint16_t>(Color32To16(0x181008));
    EXPECT_EQ(ColorsOfPixels(rgba, true, Transparency::kColorZero),
              (std::vector<std::uint16_t>{0, 0, kDarkestGrey, colour, kDarkestGrey}));
    EXPECT_EQ(ColorsOfPixels(rgba, false, Transparency::kColorZero),
              (std::vector<std::uint16_t>{kRed, 0x7FFF, 0, colour, 0}));
    EXPECT_EQ(ColorsOfPixels(rgba, true, Transparency::kNone), ColorsOfPixels(rgba, false, Transparency::kColorZero));
}

TEST(BlockPictures, WrittenPicturesAre8BitRgbOrRgbaNotInterlacedAndBitmaps24Bit) {
    std::mt19937 rng(3);
    TempDir dir;
    Notes notes;
    const auto png = [&](PictureKind kind, const Bytes& block) {
        EXPECT_TRUE(Ok(SaveBlockPicture(BlockToPicture(kind, block, notes).value(), dir / "p.png")));
        const B file = ReadFileBytes(dir / "p.png");
        return std::tuple(file.at(24), file.at(25), file.at(28));  // IHDR: depth, colour type, interlace
    };
    EXPECT_EQ(png(PictureKind::kTexture, B(8192, 0)), std::tuple(8, 2, 0));
    EXPECT_EQ(png(PictureKind::kLandTile, B(2024, 0)), std::tuple(8, 6, 0));
    const RgbaPicture land = LoadBlockPicture(dir / "p.png", PictureKind::kLandTile).value();
    EXPECT_EQ(B(land.rgba.begin() + 4 * 21, land.rgba.begin() + 4 * 23), (B{0, 0, 0, 255, 0, 0, 0, 255}));
    EXPECT_EQ(png(PictureKind::kStaticTile, EncodeStaticTile(RandomStatic(rng, 9, 9), 9, 9, 0).value()),
              std::tuple(8, 6, 0));
    ASSERT_TRUE(Ok(SaveBlockPicture(BlockToPicture(PictureKind::kTexture, B(8192, 0), notes).value(), dir / "p.bmp")));
    EXPECT_EQ(ReadFileBytes(dir / "p.bmp").at(28), 24);
}

TEST(BlockPictures, SizesAKindDoesNotTakeAreRefusedNamingWhatItTakes) {
    EXPECT_EQ(Why(CheckPictureSize(PictureKind::kLandTile, 44, 43)),
              "The picture is 44 × 43 pixels; a land tile takes 44 × 44.");
    EXPECT_EQ(Why(CheckPictureSize(PictureKind::kTexture, 64, 128)),
              "The picture is 64 × 128 pixels; a texture takes 64 × 64 or 128 × 128.");
    EXPECT_EQ(Why(CheckPictureSize(PictureKind::kStaticTile, 2049, 5)),
              "The picture is 2,049 × 5 pixels; a static tile takes at most 2,048 × 2,048.");
    TempDir dir;
    for (const char* name : {"big.png", "big.bmp"}) {
        QImage big(64, 64, QImage::Format_RGB32);
        big.fill(qRgb(1, 2, 3));
        ASSERT_TRUE(Ok(SavePicture(big, dir / name)));
        EXPECT_EQ(Why(LoadBlockPicture(dir / name, PictureKind::kLandTile)),
                  "The picture '" + dir / name + "' is 64 × 64 pixels; a land tile takes 44 × 44.");
        EXPECT_TRUE(Ok(LoadBlockPicture(dir / name, PictureKind::kTexture)));
    }
    // Every other pixel drawn: 22 rows of 1,024 runs fill the 16-bit line table.
    std::vector<std::uint16_t> sparse(2048 * 23, 0);
    for (std::size_t i = 0; i < sparse.size(); i += 2) sparse[i] = kRed;
    EXPECT_TRUE(Has(EncodeStaticTile(sparse, 2048, 23, 0), "row 22 would start beyond the line table's reach"));
    EXPECT_TRUE(Ok(EncodeStaticTile(std::span(sparse).first(2048 * 22), 2048, 22, 0)));
    Notes notes;
    EXPECT_EQ(Why(EncodeStaticTile(sparse, 0, 0, 0)),
              "A static tile of 0 × 0 pixels cannot be written: a static tile is 1 to 2,048 pixels wide and high.");
    EXPECT_TRUE(Has(BlockToPicture(PictureKind::kTexture, B(100), notes), "not the 8192 of a 64x64 texture"));
}

TEST(BlockPictures, ANewBlockTakesTheHeaderOfTheOneItReplaces) {
    const RgbaPicture dot{1, 1, B{255, 0, 0, 255}, true};
    const B old = {0x11, 0x22, 0x33, 0x44, 9};
    const B block = PictureToBlock(PictureKind::kStaticTile, dot, old).value();
    EXPECT_EQ(B(block.begin(), block.begin() + 4), (B{0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(std::tuple(StaticHeaderWord(std::nullopt), StaticHeaderWord(B{1, 2, 3})), std::tuple(0u, 0u));

    Notes notes;
    B replaced(41, 7);
    EXPECT_EQ(SoundHeaderFor(replaced, "/x/y.wav", notes), B(40, 7));
    B named(40, 0);
    std::copy_n("door.wav", 8, named.begin());
    EXPECT_EQ(SoundHeaderFor(B(39, 7), "sounds/door.wav", notes), named);
    EXPECT_TRUE(notes.empty());
    // 38 bytes, then a two-byte character that does not fit whole.
    const std::string longName = std::string(38, 'a') + "\xC3\xA9" + "b.wav";
    B cut(40, 0);
    std::fill_n(cut.begin(), 38, 'a');
    EXPECT_EQ(SoundHeaderFor(std::nullopt, "dir/" + longName, notes), cut);
    EXPECT_EQ(notes, Notes{"The file's name is longer than the 39 bytes a sound's name holds: the sound is named '" +
                           std::string(38, 'a') + "'."});
}

TEST(SoundFiles, BlocksOfOddAndEvenLengthComeBackFromTheirWavAndFlac) {
    std::mt19937 rng(8);
    TempDir dir;
    for (const std::size_t samples : {0, 1, 777}) {
        for (const std::size_t odd : {0, 1}) {
            const B block = RandomBytes(rng, kSoundHeaderSize + 2 * samples + odd);
            Notes notes;
            NoteHalfSample(block, notes);
            EXPECT_EQ(notes.size(), odd);
            const Result<DecodedSound> sound = DecodeSoundFile(SoundToWav(block).value(), "s.wav");
            ASSERT_TRUE(Ok(sound));
            EXPECT_EQ(sound->converted, "");
            EXPECT_EQ(SoundBlock(ByteView(block).first(kSoundHeaderSize), sound->samples),
                      B(block.begin(), block.end() - static_cast<std::ptrdiff_t>(odd)));
        }
    }
    std::vector<std::int16_t> samples(500);
    for (std::int16_t& sample : samples) sample = static_cast<std::int16_t>(rng());
    WriteSound(dir / "s.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, samples);
    const DecodedSound flac = DecodeFile(dir / "s.flac").value();
    EXPECT_EQ(flac.samples, samples);
    EXPECT_EQ(flac.converted, "");
}

TEST(SoundFiles, OtherRatesChannelsAndSampleSizesAreConvertedAndSaid) {
    TempDir dir;
    // A 1 kHz tone, the same in both channels, a tenth of a second at 44,100 Hz.
    std::vector<std::int16_t> stereo;
    for (int i = 0; i < 4410; ++i)
        for (int c = 0; c < 2; ++c)
            stereo.push_back(static_cast<std::int16_t>(std::lround(16384 * std::sin(2 * std::numbers::pi * 1000 * i / 44100))));
    WriteSound(dir / "tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, stereo);
    const DecodedSound tone = DecodeFile(dir / "tone.wav").value();
    EXPECT_EQ(tone.converted, "converted from 44,100 Hz stereo");
    ASSERT_NEAR(static_cast<double>(tone.samples.size()), 2205, 1);
    for (std::size_t i = 100; i < 2100; ++i)
        ASSERT_NEAR(tone.samples[i], 16384 * std::sin(2 * std::numbers::pi * 1000 * static_cast<double>(i) / 22050), 8)
            << i;

    const std::vector<std::int16_t> eightBit = {-32768, -16384, 0, 8192, 32512};
    WriteSound(dir / "8bit.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 22050, 1, eightBit);
    const DecodedSound eight = DecodeFile(dir / "8bit.wav").value();
    EXPECT_EQ(eight.converted, "converted from 8-bit");
    EXPECT_EQ(eight.samples, eightBit);
    WriteSound(dir / "all.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 44100, 2, stereo);
    EXPECT_EQ(DecodeFile(dir / "all.wav")->converted, "converted from 44,100 Hz stereo 8-bit");
    WriteSound(dir / "tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 22050, 1, std::vector<std::int16_t>(2205, 8192));
    EXPECT_EQ(DecodeFile(dir / "tone.ogg")->samples.size(), 2205u);

    EXPECT_EQ(ConversionNote({22050, 1, ""}), "");
    EXPECT_EQ(ConversionNote({8000, 6, "32-bit float"}), "converted from 8,000 Hz 6-channel 32-bit float");
    EXPECT_EQ(ConversionNote({22050, 2, ""}), "converted from stereo");
}

TEST(SoundFiles, WhatIsNoSoundOrCannotBeConvertedIsRefused) {
    TempDir dir;
    WriteSound(dir / "slow.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 50, 1, {0, 100});
    B truncated = SoundToWav(B(40 + 100, 1)).value();
    PutLE16(&truncated[20], 99);  // no such sample encoding
    const B png = [&] {
        EXPECT_TRUE(Ok(SavePicture(QImage(2, 2, QImage::Format_RGB32), dir / "p.png")));
        return ReadFileBytes(dir / "p.png");
    }();
    EXPECT_EQ(Why(DecodeSoundFile(png, "p.png")), "'p.png' is not a WAV, FLAC or Ogg Vorbis file.");
    EXPECT_TRUE(Has(DecodeSoundFile(truncated, "bad.wav"), "Cannot read the sound 'bad.wav': "));
    EXPECT_EQ(Why(DecodeFile(dir / "slow.wav")),
              "The sound '" + dir / "slow.wav" + "' is at 50 Hz, too far from 22,050 Hz to convert.");
    EXPECT_FALSE(Ok(DecodeSoundFile(B{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, "cut.wav")));
}
