// What every live block of a patch does to the client: its state against
// the client folder, judged by the same rules a bake writes by
// (JudgeBlock). The command line's status and prune and the editor's marks
// all come from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "gamefiles/block_fit.h"
#include "gamefiles/client_folder.h"
#include "io/progress.h"
#include "io/result.h"
#include "patch/patch.h"

// The number of states; they are listed and counted in their enum's order.
inline constexpr std::size_t kBlockStates = static_cast<std::size_t>(BlockState::kUnknown) + 1;

// The state named `name` ("new", "changes", ...); none for another word.
std::optional<BlockState> StateNamed(std::string_view name);

// Called for each live block: its file ID, its slot in the patch's entry and
// how it was judged (kUnknown where the folder lacks the type's files).
using JudgedFn = std::function<void(std::uint8_t fileId, std::size_t slot, const JudgedBlock& judged)>;

// Judges every live block of `patch` (settle it first: each live block
// stands for its number) in file-ID and then block-number order, with the
// client's verdata.mul over its data files when `withVerdata`. The client's
// files of every type in the patch are opened before the first block is
// judged, so a file that does not open (a tiledata file of neither layout,
// a damaged verdata.mul) fails the whole walk before `judged` is called.
// Stops with Cancelled() when `progress` says so.
Status JudgePatch(const Patch& patch, const ClientFolder& folder, bool withVerdata, const JudgedFn& judged,
                  const Progress& progress = {});
