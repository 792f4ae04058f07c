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

// A block's state against one form of the client's files.
struct FormState {
    std::string file;  // the form's file as the folder spells it
    BlockState state = BlockState::kUnknown;
    bool operator==(const FormState&) const = default;
};

// The states of one file ID's live blocks.
struct TypeStates {
    std::uint8_t fileId = 0;
    // Each live block's number and slot in the patch's entry, in number order.
    std::vector<std::pair<std::int32_t, std::uint32_t>> blocks;
    std::vector<BlockState> states;  // one for each of `blocks`
    // Why the unfit ones do not fit: their index in `blocks` and the reason.
    std::vector<std::pair<std::size_t, std::string>> unfit;
    // Where the folder holds both forms of the type and they do not agree on
    // a block: its index in `blocks` and its state against each form, the
    // package first.
    std::vector<std::pair<std::size_t, std::vector<FormState>>> split;

    // The split states of block i; none when every form agrees.
    const std::vector<FormState>* SplitOf(std::size_t i) const;
};

// "art.mul" or "artLegacyMUL.uop,art.mul": the forms of a split block
// whose state is not kSame.
std::string DifferingForms(const std::vector<FormState>& forms);

// Judges every live block of `patch` (settle it first: each live block
// stands for its number) against the client folder, with the client's
// verdata.mul over its data files when `withVerdata`; one TypeStates for
// each file ID with live blocks, in file-ID order. A type whose files the
// folder lacks has every block kUnknown. Where the folder holds both forms
// of a type (a bake writes both), a block is kSame only when both have it;
// else its state is the one against the first form that differs, the
// package before the data files. A package whose entries the blocks need
// declare more than its read budget fails the walk before any is decoded. Fails, before judging anything,
// when a file does not open (a tiledata file of neither layout, a damaged
// verdata.mul); stops with Cancelled() when `progress` says so. Large types
// are judged in two halves at once; `progress` hears from the calling
// thread only. For a patch read without its data, `data` is the file it
// is read from as each block is judged; a block it no longer holds fails
// the walk.
Result<std::vector<TypeStates>> JudgePatch(const Patch& patch, const ClientFolder& folder, bool withVerdata,
                                           const Progress& progress = {}, const PatchFileData* data = nullptr);
