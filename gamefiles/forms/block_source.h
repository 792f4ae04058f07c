// Reading the blocks of one file type, whatever form they come in: the one
// contract every form's reader keeps, for import, compare, status and bake.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "io/bytes.h"
#include "io/result.h"
#include "patch/block_bytes.h"

// The forms the client's data comes in, and the patch's own.
enum class Form {
    kPackage,     // a game data package: starts with "MYP\0"
    kPatchFile,   // a patch project file: starts with "UOP"
    kVerdata,     // the client's patch file: a directory that holds together
    kIndexed,     // a data file with its index
    kSlots,       // a data file of fixed-size slots, or of tiledata groups
    kWholeFiles,  // the whole files of kFiles: client.exe, readme.txt, map0.mul
};
// The form of a type's data files in a client folder (the other is the package).
Form DataFilesOf(std::uint8_t fileId);

// A block as a source hands it out, in its own bytes.
struct SourceBlock {
    std::int32_t length = -1;  // -1 for an absent block, else the size of `bytes`
    std::int16_t flagA = 0, flagB = 0;
    BlockBytes bytes;
};

// A block shown where it lies (a file's read window) or in the reader's own
// buffer, valid until the next call on the reader.
struct ShownBlock {
    ByteView bytes;  // empty: no data
    std::int16_t flagA = 0, flagB = 0;
    // Forms of fixed-size slots (slot files, a map package): the size of
    // slot n where the form holds it, else 0. A slot the file ends inside
    // is held; `bytes` are then the part present.
    std::int32_t slotSize = 0;
    // The entry is damaged (data past the file's end, cut off) or does not
    // decode: it counts as no data.
    bool damaged = false;

    bool HasData() const { return !bytes.empty(); }
};

class BlockSource {
public:
    virtual ~BlockSource() = default;
    virtual Form GetForm() const = 0;
    // The file the blocks are read from (a data file rather than its index).
    virtual const std::string& Path() const = 0;
    // The highest block number the source holds; -1 when it holds none.
    virtual std::int32_t Highest() const = 0;
    // The first block number from `n` on that the source has an entry for
    // (with or without data); -1 when none. Data files and packages have
    // one for every number up to the highest.
    virtual std::int32_t Next(std::int32_t n) const { return n <= Highest() ? std::max(n, 0) : -1; }
    // Block n in bytes of its own, for a patch to keep; fails with why its
    // data does not decode (the block is left out). A slot the file ends
    // inside comes padded with zeros.
    virtual Result<SourceBlock> Load(std::int32_t n) = 0;
    // Block n as the client has it, without copying where the form allows.
    virtual void Show(std::int32_t n, ShownBlock& block) = 0;
    // For a file of slots: the bytes of `count` slots from `first`, which
    // lie end to end, where they all lie wholly inside the file.
    virtual std::optional<ByteView> ShowRun(std::int32_t, std::int32_t) { return std::nullopt; }
    // Asked before blocks first..last are loaded: fails when what the
    // source declares of them (a package's decoded sizes) is past its read
    // budget, naming the file.
    virtual Status Reserve(std::int32_t first, std::int32_t last) = 0;
    // The same for the blocks of these numbers, before any is shown.
    virtual Status ReserveBlocks(std::span<const std::int32_t>) { return {}; }
    // Counts `bytes` of block data kept from the source against its read
    // budget (see ReadBudget).
    virtual Status Keep(std::int64_t bytes) = 0;
    // Fails when the file changed while its blocks were shown (they may
    // have been zeros rather than the file's), or when a package's entries
    // asked for more than its read budget, so that some showed as damaged.
    virtual Status Intact() const { return {}; }
    // What the user should hear about a file of slots with more blocks than
    // a client file of its type usually has; "" when nothing.
    virtual std::string SizeRemark() const { return {}; }
};
