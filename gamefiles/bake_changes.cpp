#include "gamefiles/bake_changes.h"

#include <algorithm>
#include <optional>

#include "codecs/file_ids.h"
#include "gamefiles/block_fit.h"
#include "gamefiles/forms/package_names.h"
#include "io/binary_io.h"

ChangeBytes::ChangeBytes(std::uint8_t fileId, const PatchData& data)
    : fileId_(fileId), patch_(data.patch),
      reader_(data.file ? std::make_unique<PatchFileData::Reader>(*data.file) : nullptr) {}

ByteView ChangeBytes::OfBlock(const PatchBlock& block) {
    if (!reader_) return block.bytes;
    ByteView bytes;
    const auto slot = static_cast<std::size_t>(&block - (*patch_)[fileId_].blocks.data());
    if (Status read = reader_->Read(fileId_, slot, block.Length(), bytes); !read && !error_) error_ = read.error();
    return bytes;
}

ByteView ChangeBytes::Of(const BlockChange& c) {
    if (!c.HasData()) return {};
    return c.patched ? OfBlock(*c.patched) : ByteView(c.held);
}

Status ChangeBytes::Intact() const {
    if (error_) return *error_;
    return reader_ ? reader_->Intact() : Status();
}

const BlockChange* FormChanges::Find(std::int32_t n) const {
    const auto at = std::lower_bound(changes.begin(), changes.end(), n,
                                     [](const BlockChange& c, std::int32_t number) { return c.n < number; });
    return at != changes.end() && at->n == n ? &*at : nullptr;
}

std::int64_t FormChanges::Count(bool (*which)(const BlockChange&)) const {
    return std::count_if(changes.begin(), changes.end(), which);
}

ClientBlock SlotOfWholeMap(ByteView map, std::int32_t n, std::string_view name) {
    ClientBlock block;
    block.source = name;
    const std::int64_t at = std::int64_t{n} * kMapBlockSize;
    if (n < 0 || at >= static_cast<std::int64_t>(map.size())) return block;
    block.slotSize = kMapBlockSize;
    block.bytes = map.subspan(static_cast<std::size_t>(at),
                              static_cast<std::size_t>(std::min<std::int64_t>(kMapBlockSize, std::ssize(map) - at)));
    block.flagA = block.flagB = -1;
    return block;
}

namespace {
// Walks the numbers of both lists in increasing order, each once: fn(n,
// the patch's block or nullptr, whether the client's verdata has one).
template <class Fn>
void ForEachNumber(const TypeBlocks& patch, const TypeBlocks& verdata, Fn&& fn) {
    std::size_t p = 0, v = 0;
    while (p < patch.size() || v < verdata.size()) {
        const std::int32_t n = v == verdata.size() || (p < patch.size() && patch[p]->number < verdata[v]->number)
                                   ? patch[p]->number
                                   : verdata[v]->number;
        const PatchBlock* mine = p < patch.size() && patch[p]->number == n ? patch[p++] : nullptr;
        const bool theirs = v < verdata.size() && verdata[v]->number == n;
        if (theirs) ++v;
        fn(n, mine, theirs);
    }
}

BlockChange ClientChange(std::int32_t n, const ClientBlock& block, bool hadData) {
    return {n, static_cast<std::int32_t>(block.bytes.size()), BlockBytes::CopyOf(block.bytes), nullptr,
            block.flagA, block.flagB, hadData, false};
}

// Whether the file holds exactly `bytes`, read in pieces; false when it
// cannot be read.
bool FileHolds(const std::string& path, ByteView bytes) {
    InputFile file;
    if (!file.Open(path) || file.Size() != std::ssize(bytes)) return false;
    constexpr std::size_t kPiece = 1 << 20;
    Bytes piece;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
        piece.resize(std::min(kPiece, bytes.size() - at));
        if (!file.Fills(static_cast<std::int64_t>(at), piece) || !std::equal(piece.begin(), piece.end(), bytes.begin() + at))
            return false;
    }
    return true;
}

// Whole files are compared with the client's in pieces, never read whole:
// a carried map is as large as the client's map0.mul.
Result<FormChanges> WholeFileChanges(const ClientFolder& folder, const TypeBlocks& patch, const PatchData& data) {
    FormChanges out;
    out.fileId = kFiles;
    out.form = Form::kWholeFiles;
    out.patch = data;
    ChangeBytes bytes(kFiles, data);
    for (const PatchBlock* mine : patch) {
        const std::int32_t n = mine->number;
        const ByteView mineBytes = bytes.OfBlock(*mine);
        FittedBlock fitted = FitBlock(kFiles, Form::kWholeFiles, n, {mineBytes, mine->flagA, mine->flagB}, ClientBlock());
        if (!fitted.Fits()) {
            out.leftOut.push_back({kFiles, n, WholeFileName(n) ? folder.SpellingOf(WholeFileName(n)) : "", std::move(fitted.why)});
            continue;
        }
        out.taken.push_back(n);
        const std::optional<ClientFile> have = folder.WholeFile(n);
        if (!have || !FileHolds(have->path, mineBytes))
            out.changes.push_back({n, static_cast<std::int32_t>(mineBytes.size()), {}, mine, mine->flagA, mine->flagB,
                                   have.has_value(), true});
    }
    if (Status intact = bytes.Intact(); !intact) return intact.error();
    return out;
}
}  // namespace

Result<FormChanges> ChangesOf(const ClientFolder& folder, std::uint8_t fileId, Form form, const TypeBlocks& patch,
                              const TypeBlocks& verdata, ByteView carriedMap, const PatchData& data) {
    if (fileId == kFiles) return WholeFileChanges(folder, patch, data);
    FormChanges out;
    out.fileId = fileId;
    out.form = form;
    out.patch = data;
    ChangeBytes bytes(fileId, data);
    const bool carried = fileId == kMap && form != Form::kPackage && !carriedMap.empty();
    // The client's verdata lies over its data files only, and not under a whole map the patch carries.
    const bool withVerdata = !verdata.empty() && form != Form::kPackage && !carried && folder.Verdata();
    // What the client has (with its verdata), and what its own file holds.
    ClientBlocks have, own;
    if (!carried) {
        if (Status opened = have.Open(folder, fileId, form, withVerdata); !opened) return opened.error();
        std::vector<std::int32_t> numbers;
        for (const PatchBlock* b : patch) numbers.push_back(b->number);
        if (Status reserved = have.Reserve(numbers); !reserved) return reserved.error();
        if (withVerdata)
            if (Status opened = own.Open(folder, fileId, form, false); !opened) return opened.error();
    }
    const std::string mapName = folder.SpellingOf(WholeFileName(kMapFileBlock));
    out.name = carried ? mapName
               : form == Form::kPackage ? folder.Files(fileId).package->name
               : fileId == kFiles            ? std::string()
                                             : folder.Files(fileId).data->name;
    const std::string verdataName = withVerdata ? folder.Verdata()->name : std::string();
    ForEachNumber(patch, withVerdata ? verdata : TypeBlocks(), [&](std::int32_t n, const PatchBlock* mine, bool) {
        const ClientBlock client = carried ? SlotOfWholeMap(carriedMap, n, mapName) : have.Block(n);
        const bool fromVerdata = !verdataName.empty() && client.source == verdataName;
        const bool hadData = fromVerdata ? own.Block(n).HasData() : client.HasData();
        if (fromVerdata) out.verdataBaked.push_back(n);
        JudgedBlock judged;
        if (mine) judged = JudgeBlock(fileId, form, n, {bytes.OfBlock(*mine), mine->flagA, mine->flagB}, client);
        if (mine && judged.state == BlockState::kUnfit) {
            const std::string file = fileId == kFiles && WholeFileName(n) ? folder.SpellingOf(WholeFileName(n)) : out.name;
            out.leftOut.push_back({fileId, n, file, std::move(judged.fitted.why)});
        } else if (mine) {
            out.taken.push_back(n);
        }
        if (mine && (judged.state == BlockState::kNew || judged.state == BlockState::kChanges ||
                     judged.state == BlockState::kRemoves)) {
            // The form's own bytes where it converts them (hue groups, multi records), else the patch's.
            const bool converted = !judged.fitted.held.empty();
            out.changes.push_back({n, static_cast<std::int32_t>(judged.fitted.bytes.size()),
                                   converted ? BlockBytes(judged.fitted.held) : BlockBytes(),
                                   converted || judged.fitted.bytes.empty() ? nullptr : mine, mine->flagA, mine->flagB,
                                   hadData, true});
        } else if (fromVerdata) {
            out.changes.push_back(ClientChange(n, client, hadData));
        }
    });
    for (const Status& intact : {have.Intact(), bytes.Intact()})
        if (!intact) return intact.error();
    out.client = have.Source();
    return out;
}
