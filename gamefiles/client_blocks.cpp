#include "gamefiles/client_blocks.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "codecs/file_ids.h"
#include "gamefiles/block_fit.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/whole_files.h"

namespace {
std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i)
        out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return out;
}

Error Lacking(const ClientFolder& folder, std::uint8_t fileId, Form form) {
    const UsualNames* names = UsualNamesOf(fileId);
    if (!names || (form == Form::kPackage && names->package.empty()))
        return Error("A client keeps no such files of file ID " + std::to_string(fileId) + ".");
    const std::string lacks = form == Form::kPackage ? std::string(names->package) : Joined(folder.MissingFiles(fileId));
    return Error("The client folder '" + folder.Path() + "' lacks " + lacks + ".");
}
}  // namespace

Status ClientBlocks::Open(const ClientFolder& folder, std::uint8_t fileId, Form form, bool withVerdata) {
    fileId_ = fileId;
    form_ = form;
    highest_ = -1;
    runCount_ = 0;
    source_.reset();
    verdata_.reset();
    if (!folder.Has(fileId, form)) return Lacking(folder, fileId, form);
    const ClientTypeFiles& files = folder.Files(fileId);
    if (form == Form::kWholeFiles) {
        // Read when asked for; a file that cannot be read at all (a Git LFS pointer) is refused now.
        std::array<std::string, 3> paths;
        for (std::int32_t b = 0; b < static_cast<std::int32_t>(paths.size()); ++b)
            if (const std::optional<ClientFile> whole = folder.WholeFile(b)) {
                paths[static_cast<std::size_t>(b)] = whole->path;
                wholeNames_[static_cast<std::size_t>(b)] = whole->name;
            }
        auto whole = std::make_unique<WholeFilesSource>();
        if (Status opened = whole->Open(paths); !opened) return opened;
        source_ = std::move(whole);
        highest_ = source_->Highest();
        return {};
    }
    const ClientFile& file = form == Form::kPackage ? *files.package : *files.data;
    name_ = file.name;
    Result<std::unique_ptr<BlockSource>> opened =
        OpenSource(fileId, {file.path, form == Form::kIndexed ? files.index->path : ""}, form);
    if (!opened) return opened.error();
    source_ = std::move(*opened);
    highest_ = source_->Highest();
    return withVerdata && form != Form::kPackage && folder.Verdata() ? OpenVerdata(*folder.Verdata()) : Status();
}

Status ClientBlocks::OpenVerdata(const ClientFile& file) {
    // An empty verdata.mul holds no entries, as its reader takes it.
    std::error_code ec;
    if (std::filesystem::file_size(file.path, ec) == 0 && !ec) return {};
    Result<std::unique_ptr<BlockSource>> opened = OpenSource(fileId_, {file.path, ""});
    if (!opened) return opened.error();
    if ((*opened)->GetForm() != Form::kVerdata)
        return Error("'" + file.path + "' is not a verdata.mul: its directory does not hold together.");
    verdata_ = std::move(*opened);
    verdataName_ = file.name;
    highest_ = std::max(highest_, verdata_->Highest());
    return {};
}

void ClientBlocks::Read(std::int32_t n, ClientBlock& block) {
    runCount_ = 0;  // a read elsewhere moves the window
    source_->Show(n, block);
    block.source = form_ != Form::kWholeFiles                                    ? std::string_view(name_)
                   : n >= 0 && n < static_cast<std::int32_t>(wholeNames_.size()) ? std::string_view(wholeNames_[static_cast<std::size_t>(n)])
                                                                                 : std::string_view();
    // A whole slot of a file of slots begins a run of its neighbours, shown inline after.
    const auto slot = static_cast<std::size_t>(block.slotSize);
    if (form_ == Form::kSlots && slot > 0 && block.bytes.size() == slot) {
        const auto count = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(static_cast<std::int64_t>(kRunBytes / slot), 1, std::int64_t{source_->Highest()} - n + 1));
        if (const std::optional<ByteView> run = source_->ShowRun(n, count); run && run->size() == slot * static_cast<std::size_t>(count)) {
            runFirst_ = n;
            runCount_ = count;
            runSlot_ = slot;
            run_ = *run;
            block.bytes = run_.first(slot);
        } else {
            source_->Show(n, block);  // the run moved the window
        }
    }
    if (verdata_) ApplyVerdata(n, block);
}

void ClientBlocks::ApplyVerdata(std::int32_t n, ClientBlock& block) {
    if (verdata_->Next(n) != n) return;
    Result<SourceBlock> entry = verdata_->Load(n);
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
