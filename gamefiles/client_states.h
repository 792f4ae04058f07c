// What every live block of a patch does to the client: its state against
// the client folder, judged by the same rules a bake writes by
// (JudgeBlock). The command line's status and prune and the editor's marks
// all come from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gamefiles/block_fit.h"
#include "gamefiles/client_folder.h"
#include "io/progress.h"
#include "io/result.h"
#include "patch/patch.h"
#include "patch/patch_file.h"

// The number of states; they are listed and counted in their enum's order.
inline constexpr std::size_t kBlockStates = static_cast<std::size_t>(BlockState::kUnknown) + 1;

// The state named `name` ("new", "changes", ...); none for another word.
std::optional<BlockState> StateNamed(std::string_view name);

// The states of one file ID's live blocks.
struct TypeStates {
    std::uint8_t fileId = 0;
    // Each live block's number and slot in the patch's entry, in number order.
    std::vector<std::pair<std::int32_t, std::uint32_t>> blocks;
    std::vector<BlockState> states;  // one for each of `blocks`
    // Why the unfit ones do not fit: their index in `blocks` and the reason.
    std::vector<std::pair<std::size_t, std::string>> unfit;
};

// Judges every live block of `patch` (settle it first: each live block
// stands for its number) against the client folder, with the client's
// verdata.mul over its data files when `withVerdata`; one TypeStates for
// each file ID with live blocks, in file-ID order. A type whose files the
// folder lacks has every block kUnknown. Fails, before judging anything,
// when a file does not open (a tiledata file of neither layout, a damaged
// verdata.mul); stops with Cancelled() when `progress` says so. Large types
// are judged in two halves at once; `progress` hears from the calling
// thread only. For a patch read without its data, `data` is the file it
// is read from as each block is judged; a block it no longer holds fails
// the walk.
Result<std::vector<TypeStates>> JudgePatch(const Patch& patch, const ClientFolder& folder, bool withVerdata,
                                           const Progress& progress = {}, const PatchFileData* data = nullptr);
