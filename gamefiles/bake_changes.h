// What a bake changes in one form of one type's files: the blocks it writes
// and the patch's blocks the form cannot take, judged by the rules of
// block_fit.h against what the client has there.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gamefiles/bake_report.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/client_folder.h"
#include "patch/patch.h"

// The patch's (or the client verdata's) live blocks of one type: the last
// copy of each number, by number.
using TypeBlocks = std::vector<const PatchBlock*>;

// A block as the form holds it once written.
struct BlockChange {
    std::int32_t n = 0;
    BlockBytes bytes;  // none: the block has no data
    std::int16_t flagA = 0, flagB = 0;
    bool hadData = false;    // the client's own file had data there
    bool fromPatch = false;  // else the client's verdata block, baked
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

    const BlockChange* Find(std::int32_t n) const;
    std::int64_t Count(bool (*which)(const BlockChange&)) const;
};

// The changes `patch` (and, where `verdata` is given, the client's verdata
// blocks under it) make to `form` of `fileId`. `carriedMap`, when not empty,
// is a whole map the patch carries: map blocks then go over it instead of
// the client's map0.mul, and the client's verdata is not applied there.
Result<FormChanges> ChangesOf(const ClientFolder& folder, std::uint8_t fileId, Form form, const TypeBlocks& patch,
                              const TypeBlocks& verdata, ByteView carriedMap);

// What the client has at slot n of a whole map held in memory, as
// ClientBlocks gives it for map0.mul.
ClientBlock SlotOfWholeMap(ByteView map, std::int32_t n, std::string_view name);
