// Whole client files carried in the patch as blocks of file ID kFiles: block 0
// the client executable, block 1 its readme, block 2 its first map.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "codecs/block_facts.h"
#include "gamefiles/forms/block_source.h"
#include "io/result.h"
#include "patch/patch.h"

inline constexpr const char* kClientMarker = "CloseGumps";
inline constexpr const char* kNotAClient = "This is NOT an UO client.exe file.";

// Reads the whole file into block `fileType` (0..2) of file ID kFiles: the slot
// that holds that block is overwritten in place (keeping its flags), else a
// slot is appended. The client executable must contain the marker text. On
// any refusal the patch is untouched and the message says why.
Status AddWholeFile(Patch& patch, std::int32_t fileType, const std::string& path);

// What a whole file holds: its name and size; for the readme its text a line
// a row, for the client whether its marker text is there, for the map how
// many map blocks it holds.
BlockFacts WholeFileFacts(std::int32_t blockNumber, ByteView bytes);

// The whole files of a client folder as blocks of kFiles: block b is the
// file at paths[b] ("" where the folder lacks it: a block without data),
// read whole when asked for.
class WholeFilesSource : public BlockSource {
public:
    // Refuses a file that cannot be read at all (a Git LFS pointer).
    Status Open(const std::array<std::string, 3>& paths);
    Form GetForm() const override { return Form::kWholeFiles; }
    const std::string& Path() const override { return paths_[0]; }
    std::int32_t Highest() const override { return static_cast<std::int32_t>(paths_.size()) - 1; }
    Result<SourceBlock> Load(std::int32_t n) override;
    void Show(std::int32_t n, ShownBlock& block) override;
    Status Reserve(std::int32_t, std::int32_t) override { return {}; }
    Status Keep(std::int64_t) override { return {}; }

private:
    std::array<std::string, 3> paths_;
    Bytes held_;
};

// Appends a raw block file as block `blockNumber` of `fileId` (flags 0). An
// empty file gives a block without data.
Status LoadBlockFromDatafile(Patch& patch, std::uint8_t fileId, std::int32_t blockNumber, const std::string& path);
