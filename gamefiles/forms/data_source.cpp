#include "gamefiles/forms/data_source.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "codecs/hues.h"
#include "codecs/notes.h"
#include "gamefiles/forms/usual_names.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"

namespace {
// A verdata's directory holds together: a count it has room for, file IDs
// of one byte, and data behind the directory and inside the file. Read up to
// the first entry that does not fit, which for other files is the first.
bool HoldsVerdataDirectory(const InputFile& file) {
    BufferedReader reader(file, 1 << 16);
    std::array<std::uint8_t, 4> countBytes{};
    if (!reader.Read(countBytes)) return false;
    const std::int64_t count = GetLE32(countBytes.data());
    const std::int64_t dataStart = 4 + kVerdataEntrySize * count;
    if (count == 0 ? file.Size() != 4 : dataStart > file.Size()) return false;
    std::array<std::uint8_t, kVerdataEntrySize> entry{};
    for (std::int64_t i = 0; i < count; ++i) {
        if (!reader.Read(entry)) return false;
        const std::uint32_t fileId = GetLE32(entry.data()), position = GetLE32(entry.data() + 8);
        const auto length = static_cast<std::int32_t>(GetLE32(entry.data() + 12));
        if (fileId > 255) return false;
        if (length > 0 && (position < dataStart || position + std::int64_t{length} > file.Size())) return false;
    }
    return true;
}
}  // namespace

Result<std::optional<SourceForm>> ProbeSource(const std::string& path, bool verdata) {
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened.error();
    std::array<std::uint8_t, 4> magic{};
    const std::size_t n = file.ReadAt(0, magic).value_or(0);
    if (StartsLikePackage(ByteView(magic).first(n))) return std::optional(SourceForm::kPackage);
    if (StartsLikePatchFile(ByteView(magic).first(n))) return std::optional(SourceForm::kPatchFile);
    if (verdata && HoldsVerdataDirectory(file)) return std::optional(SourceForm::kVerdata);
    return std::optional<SourceForm>();
}

bool SourceNeedsIndex(std::uint8_t fileId, const std::string& dataPath) {
    // A file that cannot be read is taken for a data file.
    const Result<std::optional<SourceForm>> form = ProbeSource(dataPath, true);
    return FileTypes()[fileId].fixedBlockSize <= 0 && !(form && *form);
}

std::optional<OtherTypeName> OtherTypeNamed(std::uint8_t fileId, const SourceFiles& files) {
    // A file that cannot be read is judged by its name.
    const Result<std::optional<SourceForm>> form = ProbeSource(files.data, true);
    if (form && *form && **form != SourceForm::kPackage) return std::nullopt;
    for (const std::string& path : {files.data, files.index}) {
        const std::string name = std::filesystem::path(path).filename().string();
        const std::optional<std::uint8_t> named = FileIdOfUsualName(name);
        if (named && *named != fileId) return OtherTypeName{name, *named};
    }
    return std::nullopt;
}

Status ReadPatchOrVerdata(const std::string& path, Patch& patch, const ReadOptions& options) {
    const Result<std::optional<SourceForm>> form = ProbeSource(path, false);
    if (!form) return form.error();
    if (*form == SourceForm::kPackage)
        return Error("'" + path + "' is a game data package: it is read with the file type of its blocks.");
    return *form == SourceForm::kPatchFile ? ReadPatchFile(path, patch, options) : ReadVerdata(path, patch, options);
}

Status DataSource::Open(std::uint8_t fileId, const SourceFiles& files) {
    fileId_ = fileId;
    path_ = files.data;
    highest_ = -1;
    held_ = Patch();
    heldSlots_.clear();
    file_.Close();
    if (!IsDataFileType(fileId)) return Error("File ID " + std::to_string(fileId) + " is not a known file type.");
    const FileTypeEntry& type = FileTypes()[fileId];
    const bool indexed = type.fixedBlockSize <= 0;
    // A data file given with its index is one; the content of a file alone tells what it is.
    const Result<std::optional<SourceForm>> form = ProbeSource(files.data, !indexed || files.index.empty());
    if (!form) return form.error();
    if (*form == SourceForm::kPackage) {
        form_ = SourceForm::kPackage;
        if (Status opened = package_.Open(files.data, fileId); !opened) return opened;
        highest_ = package_.Highest();
        return {};
    }
    if (*form) {
        form_ = **form;
        return OpenHeld();
    }
    if (indexed && files.index.empty()) return Error(type.name + " files need their index file.");
    form_ = indexed ? SourceForm::kIndexed : fileId == kTiledata ? SourceForm::kGrouped : SourceForm::kFixedSize;
    if (Status opened = OpenDataFile(file_, fileId, files.data, files.index); !opened) return opened;
    budget_ = ReadBudget(files.data);
    highest_ = static_cast<std::int32_t>(std::min<std::int64_t>(file_.Count(), INT32_MAX) - 1);
    return {};
}

Status DataSource::OpenHeld() {
    ReadOptions only;
    only.firstFileId = only.lastFileId = fileId_;
    only.firstBlock = 0;
    if (Status read = form_ == SourceForm::kPatchFile ? ReadPatchFile(path_, held_, only) : ReadVerdata(path_, held_, only);
        !read)
        return read;
    SettleDuplicates(held_);
    const BlockSlots& slots = held_[fileId_].blocks;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].IsLive()) heldSlots_.emplace_back(slots[i].number, i);
    std::sort(heldSlots_.begin(), heldSlots_.end());
    highest_ = heldSlots_.empty() ? -1 : heldSlots_.back().first;
    return {};
}

std::string DataSource::SizeRemark() const {
    if (form_ != SourceForm::kFixedSize && form_ != SourceForm::kGrouped) return "";
    const FileTypeEntry& type = FileTypes()[fileId_];
    const std::int64_t blocks = std::int64_t{highest_} + 1, usual = std::int64_t{type.highestBlock} + 1;
    if (blocks <= usual) return "";
    return "'" + path_ + "' holds " + Grouped(blocks) + " blocks; a " + type.name + " file usually holds " +
           Grouped(usual) + ": is this the right file?";
}

std::int32_t DataSource::Next(std::int32_t n) const {
    if (form_ != SourceForm::kPatchFile && form_ != SourceForm::kVerdata) return BlockSource::Next(n);
    const auto at = std::lower_bound(heldSlots_.begin(), heldSlots_.end(), std::pair(n, std::size_t{0}));
    return at == heldSlots_.end() ? -1 : at->first;
}

Result<SourceBlock> DataSource::Load(std::int32_t n) {
    if (form_ == SourceForm::kPackage) return package_.Load(n);
    if (form_ == SourceForm::kPatchFile || form_ == SourceForm::kVerdata) {
        const auto at = std::lower_bound(heldSlots_.begin(), heldSlots_.end(), std::pair(n, std::size_t{0}));
        if (at == heldSlots_.end() || at->first != n) return SourceBlock{};
        const PatchBlock& b = held_[fileId_].blocks[at->second];
        return SourceBlock{b.Length(), b.flagA, b.flagB, b.bytes};
    }
    Result<LoadedBlock> loaded = file_.Load(n, arena_);
    if (!loaded) return loaded.error();
    SourceBlock block{loaded->length, loaded->flagA, loaded->flagB, std::move(loaded->bytes)};
    if (fileId_ == kHues && block.length > 0) block.bytes = HuesToVerdataBytes(block.bytes);
    if (block.length > 0) block.length = static_cast<std::int32_t>(block.bytes.size());
    return block;
}

Status DataSource::Reserve(std::int32_t first, std::int32_t last) const {
    return form_ == SourceForm::kPackage ? package_.Reserve(first, last) : Status();
}

Status DataSource::Keep(std::int64_t bytes) { return File() ? budget_.Take(bytes) : Status(); }
