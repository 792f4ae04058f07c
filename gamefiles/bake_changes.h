// What a bake changes in one form of one type's files: the blocks it writes
// and the patch's blocks the form cannot take, judged by the rules of
// block_fit.h against what the client has there.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gamefiles/bake_report.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/client_folder.h"
#include "patch/patch.h"
#include "patch/patch_file.h"

// The patch's (or the client verdata's) live blocks of one type: the last
// copy of each number, by number.
using TypeBlocks = std::vector<const PatchBlock*>;

// Where the patch's blocks' bytes are: held with the patch, or still in its
// file (a patch read without its data), read through a window as they are
// needed, so that a bake holds no more of a large patch than that.
struct PatchData {
    const Patch* patch = nullptr;
    const PatchFileData* file = nullptr;  // none: the bytes are held
};

// A block as the form holds it once written.
struct BlockChange {
    std::int32_t n = 0;
    std::int32_t length = 0;  // of its bytes; 0: the block has no data
    // Its bytes where the bake holds them (a form's conversion, the client's
    // verdata block), else those of `patched`, one of the patch's blocks.
    BlockBytes held;
    const PatchBlock* patched = nullptr;
    std::int16_t flagA = 0, flagB = 0;
    bool hadData = false;    // the client's own file had data there
    bool fromPatch = false;  // else the client's verdata block, baked

    bool HasData() const { return length > 0; }
};

// The bytes of the patch's blocks and of the changes made of them, for one
// reader at a time: held bytes as they are, the patch file's through a
// window of its own.
class ChangeBytes {
public:
    ChangeBytes(std::uint8_t fileId, const PatchData& data);
    // The bytes of a change (none without data), valid until the next call
    // unless Lasting(c).
    ByteView Of(const BlockChange& c);
    // The bytes of one of the patch's blocks of the type.
    ByteView OfBlock(const PatchBlock& block);
    bool Lasting(const BlockChange& c) const { return !c.patched || !reader_; }
    // Fails when the patch file no longer held a block asked for.
    Status Intact() const;

private:
    std::uint8_t fileId_;
    const Patch* patch_;
    std::unique_ptr<PatchFileData::Reader> reader_;
    std::optional<Error> error_;
};
struct FormChanges {
    std::uint8_t fileId = 0;
    Form form = Form::kIndexed;
    std::string name;                   // the client's file the form is read from
    std::vector<BlockChange> changes;   // by block number
    std::vector<LeftOutBlock> leftOut;  // the patch's blocks the form cannot take
    // The block numbers the patch puts into the form, whether or not they
    // change it: a client verdata entry there is superseded.
    std::vector<std::int32_t> taken;
    // The client verdata's block numbers baked into the form.
    std::vector<std::int32_t> verdataBaked;
    // The reader of the client's file the changes were judged against
    // (none for whole files and a carried map): its writer starts from it.
    std::shared_ptr<BlockSource> client;
    PatchData patch;

    const BlockChange* Find(std::int32_t n) const;
    std::int64_t Count(bool (*which)(const BlockChange&)) const;
};

// The changes `patch` (and, where `verdata` is given, the client's verdata
// blocks under it) make to `form` of `fileId`. `carriedMap`, when not empty,
// is a whole map the patch carries: map blocks then go over it instead of
// the client's map0.mul, and the client's verdata is not applied there.
Result<FormChanges> ChangesOf(const ClientFolder& folder, std::uint8_t fileId, Form form, const TypeBlocks& patch,
                              const TypeBlocks& verdata, ByteView carriedMap, const PatchData& data);

// What the client has at slot n of a whole map held in memory, as
// ClientBlocks gives it for map0.mul.
ClientBlock SlotOfWholeMap(ByteView map, std::int32_t n, std::string_view name);
