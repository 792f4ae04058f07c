#include "gamefiles/client_blocks.h"

#include <algorithm>
#include <filesystem>

#include "codecs/file_ids.h"
#include "gamefiles/block_fit.h"
#include "io/binary_io.h"

namespace {
std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i)
        out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return out;
}

Error Lacking(const ClientFolder& folder, std::uint8_t fileId, ClientForm form) {
    const UsualNames* names = UsualNamesOf(fileId);
    if (!names || (form == ClientForm::kPackage && names->package.empty()))
        return Error("A client keeps no such files of file ID " + std::to_string(fileId) + ".");
    const std::string lacks =
        form == ClientForm::kPackage ? std::string(names->package) : Joined(folder.MissingFiles(fileId));
    return Error("The client folder '" + folder.Path() + "' lacks " + lacks + ".");
}
}  // namespace

Status ClientBlocks::Open(const ClientFolder& folder, std::uint8_t fileId, ClientForm form, bool withVerdata) {
    fileId_ = fileId;
    form_ = form;
    highest_ = -1;
    withVerdata_ = false;
    runCount_ = 0;
    mapped_.reset();
    if (!folder.Has(fileId, form)) return Lacking(folder, fileId, form);
    const ClientTypeFiles& files = folder.Files(fileId);
    if (form == ClientForm::kPackage) {
        name_ = files.package->name;
        if (Status opened = package_.Open(files.package->path, fileId); !opened) return opened;
        highest_ = package_.Highest();
        return {};
    }
    if (fileId == kFiles) {
        // Read when asked for; a file that cannot be read at all (a Git LFS pointer) is refused now.
        for (std::int32_t b = 0; b < static_cast<std::int32_t>(whole_.size()); ++b) {
            whole_[static_cast<std::size_t>(b)] = folder.WholeFile(b);
            InputFile probe;
            if (whole_[static_cast<std::size_t>(b)])
                if (Status opened = probe.Open(whole_[static_cast<std::size_t>(b)]->path); !opened) return opened;
        }
        highest_ = static_cast<std::int32_t>(whole_.size()) - 1;
        return {};
    }
    name_ = files.data->name;
    if (Status opened = data_.Open(fileId, {files.data->path, files.index ? files.index->path : ""}); !opened)
        return opened;
    if (!data_.File())
        return Error("'" + files.data->path + "' is no data file: its content is a game data package's or a patch's.");
    highest_ = data_.Highest();
    return withVerdata && folder.Verdata() ? OpenVerdata(*folder.Verdata()) : Status();
}

Status ClientBlocks::OpenVerdata(const ClientFile& file) {
    // An empty verdata.mul holds no entries, as its reader takes it.
    std::error_code ec;
    if (std::filesystem::file_size(file.path, ec) == 0 && !ec) return {};
    if (Status opened = verdata_.Open(fileId_, {file.path, ""}); !opened) return opened;
    if (verdata_.Form() != SourceForm::kVerdata)
        return Error("'" + file.path + "' is not a verdata.mul: its directory does not hold together.");
    withVerdata_ = true;
    verdataName_ = file.name;
    highest_ = std::max(highest_, verdata_.Highest());
    return {};
}

ClientBlock ClientBlocks::Read(std::int32_t n) {
    // Only a block read outside the window holds bytes of its own.
    if (!held_.empty()) {
        held_ = {};
        spare_.Reuse();
    }
    ClientBlock block = form_ == ClientForm::kPackage ? FromPackage(n)
                        : fileId_ == kFiles           ? FromWholeFile(n)
                                                      : FromDataFile(n);
    if (withVerdata_) ApplyVerdata(n, block);
    return block;
}

ClientBlock ClientBlocks::FromDataFile(std::int32_t n) {
    ClientBlock block;
    block.source = name_;
    DataFile& file = *data_.File();
    // A slot of a run newly mapped; Block shows the run's other slots.
    if (!file.Indexed() && n >= 0 && n < file.Count() && MapRun(file, n)) {
        block.bytes = run_.first(static_cast<std::size_t>(runCut_.SizeOf(n)));
        block.slotSize = runCut_.SizeOf(n);
        block.flagA = block.flagB = kNoIndexFlags;
        return block;
    }
    runCount_ = 0;  // the read below moves the window
    Result<ViewedBlock> viewed = file.View(n, spare_);
    if (!viewed) {
        block.damaged = true;
        return block;
    }
    held_ = std::move(viewed->held);  // the bytes stay where they are
    block.flagA = viewed->flagA;
    block.flagB = viewed->flagB;
    if (viewed->length > 0) block.bytes = viewed->bytes;
    if (!file.Indexed() && n >= 0 && n < file.Count()) {
        // The reader pads a slot the file ends inside; the client has only what is there.
        block.slotSize = file.Cut().SizeOf(n);
        const std::int64_t present = file.DataFileSize() - file.Cut().OffsetOf(n);
        block.bytes = block.bytes.first(static_cast<std::size_t>(std::min<std::int64_t>(present, block.slotSize)));
    }
    return block;
}

bool ClientBlocks::MapRun(DataFile& file, std::int32_t n) {
    const BlockCut cut = file.Cut();
    // A run of slots wholly inside the file, small enough for the window; else the slot alone.
    auto count = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(kRunBytes / std::max(cut.SizeOf(n), 1), 1, file.Count() - n));
    if (!mapped_) mapped_ = std::make_unique<MappedReader>(file.DataInput());
    const auto view = [&] {
        const std::int64_t begin = cut.OffsetOf(n), end = cut.OffsetOf(n + count - 1) + cut.SizeOf(n + count - 1);
        const ByteView mapped = mapped_->View(begin, static_cast<std::size_t>(end - begin));
        return !mapped.empty() ? mapped : file.ViewRun(n, count);
    };
    std::optional<ByteView> run = view();
    if (!run && count > 1) {
        count = 1;
        run = view();
    }
    runCount_ = run ? count : 0;
    if (!run) return false;
    runFirst_ = n;
    runCut_ = cut;
    run_ = *run;
    return true;
}

ClientBlock ClientBlocks::FromPackage(std::int32_t n) {
    ClientBlock block;
    block.source = name_;
    Result<SourceBlock> loaded = package_.Load(n);
    if (!loaded) {
        block.damaged = true;
        return block;
    }
    held_ = std::move(loaded->bytes);
    block.flagA = loaded->flagA;
    block.flagB = loaded->flagB;
    if (loaded->length > 0) block.bytes = held_;
    // A map package holds the slots of its chunks' blocks.
    if (fileId_ == kMap && block.HasData()) block.slotSize = kMapBlockSize;
    return block;
}

ClientBlock ClientBlocks::FromWholeFile(std::int32_t n) {
    ClientBlock block;
    if (n < 0 || n >= static_cast<std::int32_t>(whole_.size()) || !whole_[static_cast<std::size_t>(n)]) return block;
    const ClientFile& file = *whole_[static_cast<std::size_t>(n)];
    block.source = file.name;
    Result<Bytes> read = ReadWholeFile(file.path);
    if (!read) {
        block.damaged = true;
        return block;
    }
    wholeHeld_ = std::move(*read);
    block.bytes = wholeHeld_;
    return block;
}

void ClientBlocks::ApplyVerdata(std::int32_t n, ClientBlock& block) {
    if (verdata_.Next(n) != n) return;
    Result<SourceBlock> entry = verdata_.Load(n);
    if (!entry) return;
    verdataHeld_ = std::move(*entry);
    const BlockData data{verdataHeld_.length > 0 ? ByteView(verdataHeld_.bytes) : ByteView(), verdataHeld_.flagA,
                         verdataHeld_.flagB};
    FittedBlock fitted = FitBlock(fileId_, form_, n, data, block);
    if (!fitted.Fits()) return;
    fittedHeld_ = std::move(fitted.held);  // the bytes stay where they are
    block.bytes = fitted.bytes;
    block.flagA = data.flagA;
    block.flagB = data.flagB;
    block.source = verdataName_;
    block.damaged = false;
}

Status ClientBlocks::Reserve(std::span<const std::int32_t> numbers) {
    return form_ == ClientForm::kPackage ? package_.ReserveBlocks(numbers) : Status();
}

Status ClientBlocks::Intact() const {
    if (form_ == ClientForm::kPackage && package_.Spent()) return *package_.Spent();
    return !mapped_ || mapped_->Intact() ? Status() : ChangedWhileRead(mapped_->File().Path());
}
