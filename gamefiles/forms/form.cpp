#include "gamefiles/forms/form.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/usual_names.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"

namespace {
// The blocks of one type that a patch project file or a verdata holds, read
// into memory, the last of each number standing for it.
class HeldSource : public BlockSource {
public:
    Status Open(std::uint8_t fileId, const std::string& path, Form form) {
        fileId_ = fileId;
        path_ = path;
        form_ = form;
        ReadOptions only;
        only.firstFileId = only.lastFileId = fileId;
        only.firstBlock = 0;
        if (Status read = form == Form::kPatchFile ? ReadPatchFile(path, held_, only) : ReadVerdata(path, held_, only); !read)
            return read;
        bySlot_ = LastCopies(held_[fileId]);
        return {};
    }

    Form GetForm() const override { return form_; }
    const std::string& Path() const override { return path_; }
    std::int32_t Highest() const override { return bySlot_.empty() ? -1 : bySlot_.back().first; }
    std::int32_t Next(std::int32_t n) const override {
        const auto at = std::lower_bound(bySlot_.begin(), bySlot_.end(), std::pair(n, std::uint32_t{0}));
        return at == bySlot_.end() ? -1 : at->first;
    }
    Result<SourceBlock> Load(std::int32_t n) override {
        const PatchBlock* b = Find(n);
        if (!b) return SourceBlock{};
        return SourceBlock{b->Length(), b->flagA, b->flagB, b->bytes};
    }
    void Show(std::int32_t n, ShownBlock& block) override {
        block = {};
        if (const PatchBlock* b = Find(n)) {
            block.flagA = b->flagA;
            block.flagB = b->flagB;
            if (b->Length() > 0) block.bytes = b->bytes;
        }
    }
    // Read whole within the reader's budget already.
    Status Reserve(std::int32_t, std::int32_t) override { return {}; }
    Status Keep(std::int64_t) override { return {}; }

private:
    const PatchBlock* Find(std::int32_t n) const {
        const auto at = std::lower_bound(bySlot_.begin(), bySlot_.end(), std::pair(n, std::uint32_t{0}));
        return at == bySlot_.end() || at->first != n ? nullptr : &held_[fileId_].blocks[at->second];
    }

    std::uint8_t fileId_ = 0;
    std::string path_;
    Form form_ = Form::kVerdata;
    Patch held_;
    std::vector<std::pair<std::int32_t, std::uint32_t>> bySlot_;  // number, slot
};
}  // namespace

Form DataFilesOf(std::uint8_t fileId) {
    if (fileId == kFiles) return Form::kWholeFiles;
    return FileTypes()[fileId].fixedBlockSize > 0 ? Form::kSlots : Form::kIndexed;
}

const std::vector<FormEntry>& FormTable() {
    static const std::vector<FormEntry> table = {
        {Form::kPackage, "game data package", "*.uop"},
        {Form::kPatchFile, "patch project file", "*.uop"},
        {Form::kVerdata, "verdata", "*.mul"},
        {Form::kIndexed, "data file with index", "*.mul"},
        {Form::kSlots, "data file", "*.mul"},
        {Form::kWholeFiles, "whole file", ""},
    };
    return table;
}

const FormEntry& EntryOf(Form form) {
    const std::vector<FormEntry>& table = FormTable();
    return *std::find_if(table.begin(), table.end(), [&](const FormEntry& e) { return e.form == form; });
}

Result<std::optional<Form>> ProbeSource(const std::string& path, bool verdata) {
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened.error();
    std::array<std::uint8_t, 4> magic{};
    const ByteView first = ByteView(magic).first(file.ReadAt(0, magic).value_or(0));
    if (StartsLikePackage(first)) return std::optional(Form::kPackage);
    if (StartsLikePatchFile(first)) return std::optional(Form::kPatchFile);
    if (verdata && HoldsVerdataDirectory(file)) return std::optional(Form::kVerdata);
    return std::optional<Form>();
}

bool SourceNeedsIndex(std::uint8_t fileId, std::optional<Form> probed) {
    return FileTypes()[fileId].fixedBlockSize <= 0 && !probed;
}

bool SourceNeedsIndex(std::uint8_t fileId, const std::string& dataPath) {
    // A file that cannot be read is taken for a data file.
    const Result<std::optional<Form>> form = ProbeSource(dataPath, true);
    return SourceNeedsIndex(fileId, form ? *form : std::nullopt);
}

std::optional<OtherTypeName> OtherTypeNamed(std::uint8_t fileId, const SourceFiles& files) {
    // A file that cannot be read is judged by its name.
    const Result<std::optional<Form>> form = ProbeSource(files.data, true);
    if (form && *form && **form != Form::kPackage) return std::nullopt;
    for (const std::string& path : {files.data, files.index}) {
        const std::string name = std::filesystem::path(path).filename().string();
        const std::optional<std::uint8_t> named = FileIdOfUsualName(name);
        if (named && *named != fileId) return OtherTypeName{name, *named};
    }
    return std::nullopt;
}

Status ReadPatchOrVerdata(const std::string& path, Patch& patch, const ReadOptions& options) {
    const Result<std::optional<Form>> form = ProbeSource(path, false);
    if (!form) return form.error();
    if (*form == Form::kPackage)
        return Error("'" + path + "' is a game data package: it is read with the file type of its blocks.");
    return *form == Form::kPatchFile ? ReadPatchFile(path, patch, options) : ReadVerdata(path, patch, options);
}

Result<std::unique_ptr<BlockSource>> OpenSource(std::uint8_t fileId, const SourceFiles& files, std::optional<Form> expected) {
    if (!IsDataFileType(fileId)) return Error("File ID " + std::to_string(fileId) + " is not a known file type.");
    const bool indexed = FileTypes()[fileId].fixedBlockSize <= 0;
    // A data file given with its index is one; the content of a file alone tells what it is.
    const Result<std::optional<Form>> probed = ProbeSource(files.data, !indexed || files.index.empty());
    if (!probed) return probed.error();
    const Form form = probed->value_or(DataFilesOf(fileId));
    if (expected && form != *expected) {
        if (*expected != Form::kPackage && *probed)
            return Error("'" + files.data + "' is no data file: its content is a game data package's or a patch's.");
        if (*expected == Form::kPackage) {
            // The package's reader names what is wrong with it.
            auto package = std::make_unique<PackageBlocks>();
            if (Status opened = package->Open(files.data, fileId); !opened) return opened.error();
        }
    }
    if (form == Form::kPackage) {
        auto package = std::make_unique<PackageBlocks>();
        if (Status opened = package->Open(files.data, fileId); !opened) return opened.error();
        return std::unique_ptr<BlockSource>(std::move(package));
    }
    if (form == Form::kPatchFile || form == Form::kVerdata) {
        auto held = std::make_unique<HeldSource>();
        if (Status opened = held->Open(fileId, files.data, form); !opened) return opened.error();
        return std::unique_ptr<BlockSource>(std::move(held));
    }
    auto data = std::make_unique<DataFileSource>();
    if (Status opened = data->Open(fileId, files.data, files.index); !opened) return opened.error();
    return std::unique_ptr<BlockSource>(std::move(data));
}
