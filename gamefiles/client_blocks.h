// What the client has: its block N of one file type, read from one form of
// the client folder through the table of forms, with or without the
// client's verdata.mul over the data files. Blocks are shown where they lie,
// so that a walk over every block of a large file in order copies nothing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "gamefiles/client_block.h"
#include "gamefiles/client_folder.h"
#include "gamefiles/forms/block_source.h"
#include "io/result.h"

class ClientBlocks {
public:
    // Opens the blocks of `fileId` in `form` (the package, or the type's
    // data files), which the folder must have (ClientFolder::Has). With
    // `withVerdata` the folder's verdata.mul, if any, lies over the data
    // files as the client applies it: a verdata block that does not fit the
    // data file (see FitBlock) is not applied, as a bake leaves it out.
    // Packages and whole files get no verdata: clients that read a package
    // read no verdata for its type. Fails when a file does not open as its
    // form (a tiledata file of neither layout, a package of another kind, a
    // data file whose content is a package or a patch, a damaged
    // verdata.mul), naming the file.
    Status Open(const ClientFolder& folder, std::uint8_t fileId, Form form, bool withVerdata);

    std::uint8_t FileId() const { return fileId_; }
    Form GetForm() const { return form_; }
    // The form's file as the folder spells it (the data file for data files).
    std::string_view Name() const { return name_; }
    // The highest block number the form and the verdata over it hold; -1 for none.
    std::int32_t Highest() const { return highest_; }
    // Counts what a package's entries of these blocks declare against its
    // read budget before any is decoded; nothing to count for the other forms.
    Status Reserve(std::span<const std::int32_t> numbers) { return source_->ReserveBlocks(numbers); }

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
        // Inline: a walk over a file of slots asks for each slot of the run it last read.
        if (n < runFirst_ || n - runFirst_ >= runCount_) {
            Read(n, block);
            return;
        }
        block.bytes = run_.subspan(static_cast<std::size_t>(n - runFirst_) * runSlot_, runSlot_);
        block.flagA = block.flagB = -1;
        block.source = name_;
        block.slotSize = static_cast<std::int32_t>(runSlot_);
        block.damaged = false;
        if (verdata_) ApplyVerdata(n, block);
    }
    // The form's reader, without the verdata over it: for a writer of the
    // same form to start from, so that its file is opened once.
    const std::shared_ptr<BlockSource>& Source() const { return source_; }
    // Fails when a file shrank while the blocks Block gave were looked at
    // (their bytes may have been missing), or when a package's entries asked
    // for more than its read budget, so that some showed as damaged.
    Status Intact() const { return source_ ? source_->Intact() : Status(); }

private:
    void Read(std::int32_t n, ClientBlock& block);
    Status OpenVerdata(const ClientFile& file);
    void ApplyVerdata(std::int32_t n, ClientBlock& block);

    std::uint8_t fileId_ = 0;
    Form form_ = Form::kIndexed;
    std::int32_t highest_ = -1;
    std::string name_, verdataName_;
    std::array<std::string, 3> wholeNames_;  // the whole files as the folder spells them
    std::shared_ptr<BlockSource> source_;
    std::unique_ptr<BlockSource> verdata_;
    // The run of slots last shown from a file of slots.
    static constexpr std::size_t kRunBytes = 1 << 17;
    std::int32_t runFirst_ = 0, runCount_ = 0;
    std::size_t runSlot_ = 0;
    ByteView run_;
    SourceBlock verdataHeld_;
    Bytes fittedHeld_;
};
