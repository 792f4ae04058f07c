// What the client has: its block N of one file type, read from one form of
// the client folder, with or without the client's verdata.mul over the data
// files. Reads go through the readers of each form (DataFile, PackageBlocks,
// the verdata reader of DataSource); blocks are shown where they lie, so a
// walk over every block of a large file in order copies nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "gamefiles/client_folder.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/data_source.h"
#include "gamefiles/forms/package_blocks.h"
#include "io/bytes.h"
#include "io/mapped_reader.h"
#include "io/result.h"

// The client's block. Valid until the next call of the ClientBlocks that
// gave it.
struct ClientBlock {
    ByteView bytes;  // empty: the client has no data for the block
    std::int16_t flagA = 0, flagB = 0;
    // The file whose entry decided, as spelled in the folder ("art.mul",
    // "verdata.mul", "artLegacyMUL.uop"), also for a block without data;
    // "" when no file stands for the block (a whole file the folder lacks).
    std::string_view source;
    // Forms of fixed-size slots (fixed-size and grouped files, a map
    // package): the size of slot N where the client's form holds it, else 0.
    // A slot the file ends inside is held; `bytes` are then the part present.
    std::int32_t slotSize = 0;
    // The entry is damaged (offset < 0, data past the data file's end, cut
    // off) or does not decode: it counts as no data, and a bake may say so.
    bool damaged = false;

    bool HasData() const { return !bytes.empty(); }
};

class ClientBlocks {
public:
    // Opens the blocks of `fileId` in `form`, which the folder must have
    // (ClientFolder::Has). With `withVerdata` the folder's verdata.mul, if
    // any, lies over the data files as the client applies it: a verdata
    // block that does not fit the data file (see FitBlock) is not applied,
    // as a bake leaves it out. Packages and whole files get no verdata:
    // clients that read a package read no verdata for its type. Fails when
    // a file does not open as its form (a tiledata file of neither layout,
    // a package of another kind, a data file whose content is a package or
    // a patch, a damaged verdata.mul), naming the file.
    Status Open(const ClientFolder& folder, std::uint8_t fileId, ClientForm form, bool withVerdata);

    std::uint8_t FileId() const { return fileId_; }
    ClientForm Form() const { return form_; }
    // The form's file as the folder spells it (the data file for data files).
    std::string_view Name() const { return name_; }
    // Counts what a package's entries of these blocks declare against its
    // read budget before any is decoded (PackageBlocks::ReserveBlocks);
    // nothing to count for the other forms.
    Status Reserve(std::span<const std::int32_t> numbers);
    // The highest block number the form and the verdata over it hold; -1 for none.
    std::int32_t Highest() const { return highest_; }

    // The client's block n: absent and empty entries, entries past the end
    // of an index or a package, damaged entries and blocks past the end of a
    // fixed-size file have no data. Fastest when asked in increasing order.
    ClientBlock Block(std::int32_t n) {
        ClientBlock block;
        Show(n, block);
        return block;
    }
    // The same into `block`, for a walk that shows every block in one.
    void Show(std::int32_t n, ClientBlock& block) {
        // Inline: a walk over a fixed-size file asks for each slot of the run it last mapped.
        if (n < runFirst_ || n - runFirst_ >= runCount_) {
            block = Read(n);
            return;
        }
        block.bytes = run_.subspan(static_cast<std::size_t>(runCut_.OffsetOf(n) - runCut_.OffsetOf(runFirst_)),
                                   static_cast<std::size_t>(runCut_.SizeOf(n)));
        block.flagA = block.flagB = kNoIndexFlags;
        block.source = name_;
        block.slotSize = runCut_.SizeOf(n);
        block.damaged = false;
        if (withVerdata_) ApplyVerdata(n, block);
    }
    // Fails when a file shrank while the blocks Block gave were looked at:
    // their bytes may have been zeros rather than the client's; or when a
    // package's entries asked for more than its read budget, so that some
    // showed as damaged.
    Status Intact() const;

private:
    ClientBlock Read(std::int32_t n);
    ClientBlock FromDataFile(std::int32_t n);
    // Maps a run of slots of a file without index from slot n, which must
    // lie wholly inside the file; false when it does not.
    bool MapRun(DataFile& file, std::int32_t n);
    ClientBlock FromPackage(std::int32_t n);
    ClientBlock FromWholeFile(std::int32_t n);
    Status OpenVerdata(const ClientFile& file);
    void ApplyVerdata(std::int32_t n, ClientBlock& block);

    std::uint8_t fileId_ = 0;
    ClientForm form_ = ClientForm::kDataFiles;
    std::int32_t highest_ = -1;
    std::string name_, verdataName_;
    DataSource data_;
    PackageBlocks package_;
    std::array<std::optional<ClientFile>, 3> whole_;
    bool withVerdata_ = false;
    DataSource verdata_;
    // The run of slots last shown in the data file's mapped window.
    static constexpr std::int64_t kRunBytes = 1 << 18;
    std::unique_ptr<MappedReader> mapped_;
    std::int32_t runFirst_ = 0, runCount_ = 0;
    BlockCut runCut_;
    ByteView run_;
    // What the last block's bytes are shown in, when not in a read window.
    ByteArena spare_;
    BlockBytes held_;
    Bytes wholeHeld_;
    SourceBlock verdataHeld_;
    Bytes fittedHeld_;
};
