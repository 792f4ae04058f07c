#include "gamefiles/data_source.h"

#include <algorithm>
#include <array>

#include "codecs/hues.h"
#include "gamefiles/data_layout.h"
#include "gamefiles/package.h"
#include "gamefiles/verdata.h"
#include "patch/file_types.h"
#include "io/binary_io.h"
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

std::string Grouped(std::int64_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}
}  // namespace

std::string ProbeSource(const std::string& path, bool verdata, std::optional<SourceForm>& form) {
    form.reset();
    InputFile file;
    if (std::string e = file.Open(path); !e.empty()) return e;
    std::array<std::uint8_t, 4> magic{};
    const std::int64_t n = file.ReadAt(0, magic);
    if (n == 4 && GetLE32(magic.data()) == kPackageMagic) form = SourceForm::kPackage;
    else if (n >= 3 && magic[0] == 'U' && magic[1] == 'O' && magic[2] == 'P') form = SourceForm::kPatchFile;
    else if (verdata && HoldsVerdataDirectory(file)) form = SourceForm::kVerdata;
    return "";
}

bool SourceNeedsIndex(std::uint8_t fileId, const std::string& dataPath) {
    std::optional<SourceForm> form;
    (void)ProbeSource(dataPath, true, form);  // a file that cannot be read is taken for a data file
    return FileTypes()[fileId].fixedBlockSize <= 0 && !form;
}

std::string ReadPatchOrVerdata(const std::string& path, Patch& patch, std::uint8_t fileFrom, std::uint8_t fileTo,
                               std::int32_t blockFrom, std::int32_t blockTo) {
    std::optional<SourceForm> form;
    if (std::string e = ProbeSource(path, false, form); !e.empty()) return e;
    if (form == SourceForm::kPackage)
        return "'" + path + "' is a game data package: it is read with the file type of its blocks.";
    return form == SourceForm::kPatchFile ? ReadPatchFile(path, patch, false, fileFrom, fileTo, blockFrom, blockTo)
                                          : ReadVerdata(path, patch, false, fileFrom, fileTo, blockFrom, blockTo);
}

std::string DataSource::Open(std::uint8_t fileId, const std::string& dataPath, const std::string& idxPath) {
    fileId_ = fileId;
    path_ = dataPath;
    highest_ = -1;
    held_ = Patch();
    heldSlots_.clear();
    file_.Close();
    const FileTypeEntry& type = FileTypes()[fileId];
    if (!IsDataFileType(fileId)) return "File ID " + std::to_string(fileId) + " is not a known file type.";
    const bool indexed = type.fixedBlockSize <= 0;
    std::optional<SourceForm> form;
    // A data file given with its index is one; the content of a file alone tells what it is.
    if (std::string e = ProbeSource(dataPath, !indexed || idxPath.empty(), form); !e.empty()) return e;
    if (form == SourceForm::kPackage) {
        form_ = *form;
        if (std::string e = package_.Open(dataPath, fileId); !e.empty()) return e;
        highest_ = package_.Highest();
        return "";
    }
    if (form) {
        form_ = *form;
        return OpenHeld();
    }
    if (indexed && idxPath.empty()) return type.name + " files need their index file.";
    form_ = indexed ? SourceForm::kIndexed : fileId == kTiledata ? SourceForm::kGrouped : SourceForm::kFixedSize;
    if (std::string e = OpenDataFile(file_, fileId, idxPath, dataPath); !e.empty()) return e;
    budget_ = ReadBudget(dataPath);
    highest_ = static_cast<std::int32_t>(std::min<std::int64_t>(file_.Count(), INT32_MAX) - 1);
    return "";
}

std::string DataSource::OpenHeld() {
    const std::string e = form_ == SourceForm::kPatchFile
                              ? ReadPatchFile(path_, held_, true, fileId_, fileId_, 0, kMaxBlockNumber)
                              : ReadVerdata(path_, held_, true, fileId_, fileId_, 0, kMaxBlockNumber);
    if (!e.empty()) return e;
    SettleDuplicates(held_);
    const BlockSlots& slots = held_[fileId_].blocks;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].IsLive()) heldSlots_.emplace_back(slots[i].number, i);
    std::sort(heldSlots_.begin(), heldSlots_.end());
    highest_ = heldSlots_.empty() ? -1 : heldSlots_.back().first;
    return "";
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

std::string DataSource::Load(std::int32_t n, std::int32_t& length, Bytes& data, std::int16_t& flagA,
                             std::int16_t& flagB) {
    length = -1;
    flagA = flagB = 0;
    data.clear();
    if (form_ == SourceForm::kPackage) return package_.Load(n, length, data, flagA, flagB);
    if (form_ == SourceForm::kPatchFile || form_ == SourceForm::kVerdata) {
        const auto at = std::lower_bound(heldSlots_.begin(), heldSlots_.end(), std::pair(n, std::size_t{0}));
        if (at == heldSlots_.end() || at->first != n) return "";
        const PatchBlock& b = held_[fileId_].blocks[at->second];
        length = b.Length();
        data.assign(b.bytes.begin(), b.bytes.end());
        flagA = b.flagA;
        flagB = b.flagB;
        return "";
    }
    LoadedBlock block = file_.Load(n);
    if (block.damaged) return "its data does not lie wholly inside the data file";
    length = block.length;
    data = fileId_ == kHues && length > 0 ? HuesToVerdataBytes(block.bytes) : std::move(block.bytes);
    if (length > 0) length = static_cast<std::int32_t>(data.size());
    flagA = block.flagA;
    flagB = block.flagB;
    return "";
}

std::string DataSource::Reserve(std::int32_t first, std::int32_t last) const {
    return form_ == SourceForm::kPackage ? package_.Reserve(first, last) : "";
}

std::string DataSource::Keep(std::int64_t bytes) { return File() ? budget_.Take(bytes) : ""; }
