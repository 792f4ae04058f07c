// A block written as the file a person edits and built again from one: art
// tiles, textures and gumps as pictures, sounds as sound files, the blocks
// of tables as JSON, any block as its raw bytes. The file's extension names
// the form; the command line and the editor both come here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "codecs/notes.h"
#include "io/bytes.h"
#include "io/result.h"
#include "patch/patch.h"

class ArtLookup;

enum class BlockFileForm {
    kPictureFile,  // .png, .bmp
    kSoundFile,    // .wav; built also from .flac and .ogg
    kJsonFile,     // .json
    kRawFile,      // .dat
};

// The form the extension of `path` names for block `number` of `fileId`, or
// a usage error (ErrorCode::kUsage) naming the extensions the type takes.
// Sounds are written as WAV only.
Result<BlockFileForm> BlockFileFormOf(std::uint8_t fileId, std::int32_t number, const std::string& path, bool writing);

// What a block file held or was made of, for the report.
struct BlockFileReport {
    std::int64_t bytes = 0;  // of the block
    std::optional<std::int32_t> width, height;
    std::optional<std::int64_t> samples;
    std::string converted;  // "converted from 44,100 Hz stereo"; "" when nothing was
    Notes notes;            // what the conversion could not keep
};

struct BuiltBlock {
    Bytes bytes;
    std::int16_t flagA = 0, flagB = 0;
    BlockFileReport report;
};

// Builds block `number` of `fileId` from the file at `path`. `replaced` is
// the patch's live block of that number, if any: its flags stay (a gump's
// are its size), a static keeps its header word and a sound its header.
// `jsonBase` is what a JSON file leaves out keeps (the replaced block, or
// the client's); without one the file must be complete.
Result<BuiltBlock> LoadBlockFile(std::uint8_t fileId, std::int32_t number, const std::string& path,
                                 const PatchBlock* replaced, std::optional<ByteView> jsonBase);

// Writes `block`, block `number` of `fileId`, to `path` in the form its
// extension names; an existing file is replaced only when all was written.
// A house (multi) is written as a PNG drawn from `art`, as the panel draws
// it; without art it is refused.
Result<BlockFileReport> SaveBlockFile(std::uint8_t fileId, std::int32_t number, const PatchBlock& block,
                                      const std::string& path, ArtLookup* art = nullptr);
