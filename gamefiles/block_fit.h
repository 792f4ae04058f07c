// The rules of writing a patch block into the client's files, kept in one
// place for everything that writes or compares: whether the block fits the
// client's form of its type, the bytes that form then holds, whether the
// form keeps its flags, and what the block does to the client (its state).
#pragma once

#include <cstdint>
#include <string>

#include "gamefiles/client_block.h"
#include "gamefiles/client_folder.h"
#include "io/bytes.h"
#include "patch/patch.h"

// A block to be written: no bytes means no data.
struct BlockData {
    ByteView bytes;
    std::int16_t flagA = 0, flagB = 0;
    static BlockData Of(const PatchBlock& b) { return {b.bytes, b.flagA, b.flagB}; }
};

// Why a block cannot go into the client's form; a bake leaves it out.
enum class Unfit {
    kFits,
    kSlotSize,     // a fixed-size slot of another size
    kOtherLayout,  // a tiledata group of the layout the client's file does not have
    kHueSize,      // a hue block that is not the 1,220-byte verdata form
    kPastEnd,      // a fixed-size slot the file (or the map package's chunks) does not hold
    kNoData,       // a fixed-size slot or a whole file cannot lose its data
    kEmptyGump,    // a gump of width or height 0: a package reads it as a placeholder
    kMultiRows,    // a multi block that is not whole 16-byte rows cannot become a package's record
    kNoWholeFile,  // a block of kFiles that stands for no whole file
    kTooFar,       // a number past what an index may grow to, or past the names a package's readers try
};

// Index entries a bake may make an index grow to: a block past them would
// make an index of hundreds of megabytes out of a typing error.
inline constexpr std::int32_t kMaxIndexEntries = 1 << 22;

struct FittedBlock {
    FittedBlock() = default;
    FittedBlock(FittedBlock&&) = default;
    FittedBlock& operator=(FittedBlock&&) = default;

    Unfit unfit = Unfit::kFits;
    // Why, for the report: a clause such as "it lies past the end of map0.mul".
    std::string why;
    // The block as the client's form gives it back once written, in the
    // patch's block terms: a hue block as its group keeps it, a multi's rows
    // as a package's record keeps them. Empty for a block without data and
    // for an unfit one. Views the block or `held`.
    ByteView bytes;
    Bytes held;

    bool Fits() const { return unfit == Unfit::kFits; }
};

// Fits block `n` of `fileId` into the client's `form`, judged by what the
// client has at n (its slot). Data files with an index take every block,
// one without data as an emptied entry.
FittedBlock FitBlock(std::uint8_t fileId, Form form, std::int32_t n, const BlockData& block,
                     const ClientBlock& client);

// Whether `form` keeps a block's flags, so that they count when blocks are
// compared: an index entry's extra word (and a verdata entry's flags over
// it), and a gump's size in a package; never fixed-size slots or whole files.
bool FlagsCount(std::uint8_t fileId, Form form);

// What a patch block does to the client.
enum class BlockState : std::uint8_t {
    kNew,      // the client has no data there; the block has
    kChanges,  // both have data; bytes or the flags that count differ
    kSame,     // the client has just this, or neither has data: the block does nothing
    kRemoves,  // the block has no data; the client has
    kUnfit,    // the client's form cannot take it (FitBlock)
    kUnknown,  // the client folder lacks the type's files
};
// "new", "changes", "same", "removes", "unfit", "unknown".
const char* StateName(BlockState state);

// The state of block `n` against what the client has (`client`, read from
// `form` as ClientBlocks gives it), and how it fits. kUnknown is the
// caller's, who cannot read the client's block.
struct JudgedBlock {
    BlockState state = BlockState::kUnknown;
    FittedBlock fitted;
};
JudgedBlock JudgeBlock(std::uint8_t fileId, Form form, std::int32_t n, const BlockData& block,
                       const ClientBlock& client);
