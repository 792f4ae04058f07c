#include "images/block_files.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "codecs/block_fields.h"
#include "codecs/block_json.h"
#include "codecs/block_pictures.h"
#include "codecs/file_ids.h"
#include "codecs/sound_block.h"
#include "codecs/sound_file.h"
#include "codecs/wav.h"
#include "images/bitmap.h"
#include "images/block_drawing.h"
#include "io/binary_io.h"
#include "io/save_file.h"
#include "patch/file_types.h"

namespace {
// A JSON document of a block is a few megabytes at the most (a statics block of 65,535 items).
constexpr std::int64_t kMostJsonBytes = std::int64_t{64} << 20;
// The most a sound file may hold: a WAV of kMaxSoundSamples of 32-bit stereo and then some.
constexpr std::int64_t kMostSoundFileBytes = kMaxSoundSamples * 8 + (1 << 20);

// The file name's extension in lower case, with its dot: ".png".
std::string Extension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

bool IsPictureBlock(std::uint8_t fileId, std::int32_t number) {
    return fileId == kGumps || PictureKindOf(fileId, number).has_value();
}

// A house drawn from art, as plain pixels with alpha.
Result<RgbaPicture> HousePicture(const PatchBlock& block, ArtLookup* art, Notes& notes) {
    if (!art) return Error("A house is drawn from the client's art: give the client's folder (--client DIR).");
    const BlockDrawing drawing = DrawMulti(block.bytes, *art, false);
    if (drawing.image.isNull())
        return Error(drawing.problem.empty() ? "The house has no components to draw." : drawing.problem);
    if (drawing.missing > 0) notes.push_back(std::to_string(drawing.missing) + " components without art are drawn as outlines.");
    for (const auto& [fileId, line] : art->Lacking())
        if (fileId != kStatics) notes.push_back(line);
    const QImage rgba = drawing.image.convertToFormat(QImage::Format_RGBA8888);
    RgbaPicture picture{rgba.width(), rgba.height(), {}, true};
    for (int y = 0; y < rgba.height(); ++y)
        picture.rgba.insert(picture.rgba.end(), rgba.constScanLine(y), rgba.constScanLine(y) + 4 * rgba.width());
    return picture;
}

Status WriteBytes(const std::string& path, ByteView bytes) {
    SaveFile file;
    if (Status opened = file.Open(path); !opened) return opened;
    file.Write(bytes);
    return file.Commit();
}

// The message of `error` with the file it is about in front, unless it names it already.
Error About(const std::string& path, const Error& error) {
    if (error.message.find(path) != std::string::npos) return error;
    return Error("'" + path + "': " + error.message, error.code);
}

Result<BuiltBlock> LoadPictureBlock(std::uint8_t fileId, std::int32_t number, const std::string& path,
                                    const PatchBlock* replaced) {
    BuiltBlock built;
    if (fileId == kGumps) {
        const Result<QImage> image = LoadPicture(path);
        if (!image) return image.error();
        Patch scratch;
        if (Status done = ImportGumpFromBmp(scratch, number, *image); !done) return About(path, done.error());
        const PatchBlock& gump = *scratch.LiveBlock(kGumps, number);
        built.bytes.assign(gump.bytes.begin(), gump.bytes.end());
        built.flagA = gump.flagA, built.flagB = gump.flagB;
        built.report.width = image->width(), built.report.height = image->height();
        return built;
    }
    const PictureKind kind = *PictureKindOf(fileId, number);
    const Result<RgbaPicture> picture = LoadBlockPicture(path, kind);
    if (!picture) return picture.error();
    Result<Bytes> block =
        PictureToBlock(kind, *picture, replaced ? std::optional<ByteView>(replaced->bytes) : std::nullopt);
    if (!block) return About(path, block.error());
    built.bytes = std::move(*block);
    built.report.width = picture->width, built.report.height = picture->height;
    return built;
}

Result<BuiltBlock> LoadSoundBlock(const std::string& path, const PatchBlock* replaced) {
    const Result<Bytes> file = ReadWholeFile(path, kMostSoundFileBytes);
    if (!file) return file.error();
    Result<DecodedSound> sound = DecodeSoundFile(*file, path);
    if (!sound) return sound.error();
    BuiltBlock built;
    const Bytes header =
        SoundHeaderFor(replaced ? std::optional<ByteView>(replaced->bytes) : std::nullopt, path, built.report.notes);
    built.bytes = SoundBlock(header, sound->samples);
    built.report.samples = static_cast<std::int64_t>(sound->samples.size());
    built.report.converted = std::move(sound->converted);
    return built;
}
}  // namespace

Result<BlockFileForm> BlockFileFormOf(std::uint8_t fileId, std::int32_t number, const std::string& path, bool writing) {
    const std::string ext = Extension(path);
    const bool picture = IsPictureBlock(fileId, number), sound = fileId == kSound;
    const bool json = BlockTypeOf(fileId, number) != nullptr, house = writing && fileId == kMultis;
    if (ext == ".dat") return BlockFileForm::kRawFile;
    if (picture && (ext == ".png" || ext == ".bmp")) return BlockFileForm::kPictureFile;
    if (house && ext == ".png") return BlockFileForm::kPictureFile;
    if (sound && (ext == ".wav" || (!writing && (ext == ".flac" || ext == ".ogg")))) return BlockFileForm::kSoundFile;
    if (json && ext == ".json") return BlockFileForm::kJsonFile;
    const std::string takes = picture ? ".png, .bmp or .dat"
                              : sound ? (writing ? ".wav or .dat" : ".wav, .flac, .ogg or .dat")
                              : house ? ".png (drawn from the client's art), .json or .dat"
                              : json  ? ".json or .dat"
                                      : ".dat";
    return Error("'" + path + "' does not fit block " + std::to_string(number) + " of " + TypeName(fileId) + ": " +
                     (writing ? "it is written as " : "it is built from ") + takes + ".",
                 ErrorCode::kUsage);
}

Result<BuiltBlock> LoadBlockFile(std::uint8_t fileId, std::int32_t number, const std::string& path,
                                 const PatchBlock* replaced, std::optional<ByteView> jsonBase) {
    const Result<BlockFileForm> form = BlockFileFormOf(fileId, number, path, false);
    if (!form) return form.error();
    Result<BuiltBlock> built = BuiltBlock{};
    switch (*form) {
        case BlockFileForm::kPictureFile: built = LoadPictureBlock(fileId, number, path, replaced); break;
        case BlockFileForm::kSoundFile: built = LoadSoundBlock(path, replaced); break;
        case BlockFileForm::kJsonFile: {
            const Result<Bytes> text = ReadWholeFile(path, kMostJsonBytes);
            if (!text) return text.error();
            Result<Bytes> block = BlockFromJson(fileId, number, {reinterpret_cast<const char*>(text->data()), text->size()},
                                                jsonBase);
            if (!block) return About(path, block.error());
            built->bytes = std::move(*block);
            break;
        }
        case BlockFileForm::kRawFile: {
            Result<Bytes> bytes = ReadWholeFile(path);
            if (!bytes) return bytes.error();
            built->bytes = std::move(*bytes);
            break;
        }
    }
    if (!built) return built;
    // A gump's flags are its size; every other block keeps those of the one it replaces.
    if (replaced && !(fileId == kGumps && *form == BlockFileForm::kPictureFile))
        built->flagA = replaced->flagA, built->flagB = replaced->flagB;
    built->report.bytes = static_cast<std::int64_t>(built->bytes.size());
    return built;
}

Result<BlockFileReport> SaveBlockFile(std::uint8_t fileId, std::int32_t number, const PatchBlock& block,
                                      const std::string& path, ArtLookup* art) {
    const Result<BlockFileForm> form = BlockFileFormOf(fileId, number, path, true);
    if (!form) return form.error();
    BlockFileReport report;
    report.bytes = static_cast<std::int64_t>(block.bytes.size());
    Status written;
    switch (*form) {
        case BlockFileForm::kPictureFile:
            if (fileId == kMultis) {
                const Result<RgbaPicture> picture = HousePicture(block, art, report.notes);
                if (!picture) return picture.error();
                report.width = picture->width, report.height = picture->height;
                written = SaveBlockPicture(*picture, path);
            } else if (fileId == kGumps) {
                const Result<QImage> picture = GumpPicture(block);
                if (!picture) return Error("The gump does not decode: " + picture.error().message);
                report.width = picture->width(), report.height = picture->height();
                written = SavePicture(*picture, path);
            } else {
                const PictureKind kind = *PictureKindOf(fileId, number);
                const Result<RgbaPicture> picture = BlockToPicture(kind, block.bytes, report.notes);
                if (!picture) return Error("The block does not decode as " + std::string(PictureKindName(kind)) + ": " +
                                           picture.error().message);
                report.width = picture->width, report.height = picture->height;
                written = SaveBlockPicture(*picture, path);
            }
            break;
        case BlockFileForm::kSoundFile: {
            const Result<Bytes> wav = SoundToWav(block.bytes);
            if (!wav) return wav.error();
            NoteHalfSample(block.bytes, report.notes);
            report.samples = static_cast<std::int64_t>(wav->size() - 44) / 2;
            written = WriteBytes(path, *wav);
            break;
        }
        case BlockFileForm::kJsonFile: {
            const Result<std::string> json = BlockToJson(fileId, number, block.bytes);
            if (!json) return json.error();
            written = WriteBytes(path, {reinterpret_cast<const std::uint8_t*>(json->data()), json->size()});
            break;
        }
        case BlockFileForm::kRawFile:
            if (block.bytes.empty()) return Error("That block is empty.");
            written = WriteBytes(path, block.bytes);
            break;
    }
    if (!written) return written.error();
    return report;
}
