#include "gamefiles/convert.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <set>

#include "codecs/file_ids.h"
#include "codecs/sha256.h"
#include "codecs/zlib_codec.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/data_file_patch.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/usual_names.h"
#include "gamefiles/read_ahead.h"
#include "io/binary_io.h"
#include "io/counted.h"
#include "io/save_file.h"
#include "patch/file_types.h"

namespace {
namespace fs = std::filesystem;

// Old multi files of older clients have rows of 12 bytes: no extra word.
constexpr std::size_t kShortMultiRow = 12;
// Progress is told at most this often.
constexpr std::int64_t kReportEvery = 1 << 20;
// Bytes of blocks decoded ahead of their writing, and the threads decoding them.
constexpr std::int64_t kReadAhead = 16 << 20;
constexpr int kLoaders = 2;

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Whether anything (a file, a folder, a device, a link, dangling or not) is at `path`.
bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// A map file or package named for another facet than 0 ("map2.mul").
bool OtherFacet(const std::string& name) {
    const std::string lower = Lower(name);
    if (!lower.starts_with("map")) return false;
    std::size_t end = 3;
    while (end < lower.size() && std::isdigit(static_cast<unsigned char>(lower[end]))) ++end;
    return end > 3 && lower.substr(3, end - 3) != "0";
}

// What a block should read back as from a target: no data, or its length,
// flags and a checksum of its bytes.
struct Expected {
    std::int32_t length = -1;
    std::int16_t flagA = 0, flagB = 0;
    std::uint32_t crc = 0;
};

Expected ExpectedOf(ByteView bytes, std::int16_t flagA, std::int16_t flagB) {
    if (bytes.empty()) return {};
    return {static_cast<std::int32_t>(bytes.size()), flagA, flagB, Crc32(bytes)};
}

bool Matches(const Expected& e, ByteView bytes, std::int16_t flagA, std::int16_t flagB) {
    if (e.length <= 0) return bytes.empty();
    return std::ssize(bytes) == e.length && flagA == e.flagA && flagB == e.flagB && Crc32(bytes) == e.crc;
}

// Rows of 12 bytes widened to the 16 of a package's clients (extra word 0).
Bytes WidenedRows(ByteView rows) {
    Bytes wide;
    wide.reserve(rows.size() / kShortMultiRow * kMultiRowSize);
    for (std::size_t at = 0; at + kShortMultiRow <= rows.size(); at += kShortMultiRow) {
        wide.insert(wide.end(), rows.begin() + static_cast<std::ptrdiff_t>(at),
                    rows.begin() + static_cast<std::ptrdiff_t>(at + kShortMultiRow));
        wide.insert(wide.end(), kMultiRowSize - kShortMultiRow, 0);
    }
    return wide;
}

std::string FlagsText(std::int16_t flagA, std::int16_t flagB) {
    return "FlagA " + std::to_string(flagA) + ", FlagB " + std::to_string(flagB);
}

class Meter {
public:
    Meter(const Progress& progress, std::int64_t total) : progress_(progress), total_(std::max<std::int64_t>(total, 1)) {}
    bool Add(std::int64_t bytes) {
        done_ += bytes;
        if (!progress_.report || done_ < next_) return true;
        next_ = done_ + kReportEvery;
        return progress_.report(std::min(done_, total_), total_);
    }
    // Tells where the work is, without asking whether to stop.
    void Tell() const {
        if (progress_.report) progress_.report(std::min(done_, total_), total_);
    }

private:
    const Progress& progress_;
    std::int64_t total_, done_ = 0, next_ = 0;
};

std::uint16_t FlagOf(EntryCompression compression, std::uint16_t usual) {
    switch (compression) {
    case EntryCompression::kNone: return kStoredEntry;
    case EntryCompression::kZlib: return kZlibEntry;
    case EntryCompression::kZlib2: return kSecondStageEntry;
    case EntryCompression::kUsual: break;
    }
    return usual;
}

std::int64_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<std::int64_t>(size);
}

// The sources and targets, and what is converted.
struct Plan {
    std::uint8_t fileId = 0;
    bool fromPackage = false;
    SourceFiles source;
    std::vector<std::string> targets;
};

std::string TypeText(std::uint8_t fileId) { return TypeName(fileId) + " (file ID " + std::to_string(fileId) + ")"; }

Result<Plan> PlanOf(const std::vector<std::string>& paths, const ConvertOptions& options) {
    if (paths.size() < 2) return Error("convert needs its source files and then its target files.");
    Plan plan;
    const Result<std::optional<Form>> probed = ProbeSource(paths[0], false);
    if (!probed) return probed.error();
    if (*probed && **probed != Form::kPackage)
        return Error("'" + paths[0] + "' is a " + std::string(EntryOf(**probed).name) +
                     ": convert takes a type's data files or its game data package.");
    plan.fromPackage = probed->has_value();
    std::optional<std::uint8_t> fileId = options.fileId;
    if (!fileId && plan.fromPackage) fileId = FileIdOfPackage(paths[0], FileIdOfUsualName(NameOf(paths[0])));
    if (!fileId && !plan.fromPackage) {
        fileId = FileIdOfUsualName(NameOf(paths[0]));
        if (!fileId) fileId = FileIdOfUsualName(NameOf(paths[1]));
    }
    if (!fileId)
        return Error("Cannot tell what '" + paths[0] + "' holds: " +
                     (plan.fromPackage ? "no legacy name scheme names its entries" : "its name is no usual name") +
                     "; give --type.");
    if (!Converts(*fileId))
        return Error(TypeNameAtStart(*fileId) + " files are not converted: convert takes art, gumps, map 0, sounds and multis.");
    plan.fileId = *fileId;
    const bool indexed = FileTypes()[plan.fileId].fixedBlockSize <= 0;
    const std::size_t sources = plan.fromPackage || !indexed ? 1 : 2;
    const std::size_t targets = plan.fromPackage && indexed ? 2 : 1;
    if (paths.size() != sources + targets) {
        const std::string what = plan.fromPackage ? (indexed ? "a data file and its index" : "a data file") : "a package";
        return Error("Converting " + TypeText(plan.fileId) + " from " + (plan.fromPackage ? "a package" : "data files") +
                     " takes " + std::to_string(sources) + " source" + (sources > 1 ? "s" : "") + " and " + what +
                     " to write, " + std::to_string(paths.size()) + " files given.");
    }
    plan.source = {paths[0], sources == 2 ? paths[1] : ""};
    plan.targets.assign(paths.begin() + static_cast<std::ptrdiff_t>(sources), paths.end());
    // Names the type's own; a name of another type's files would mislead whoever reads it next.
    std::vector<std::string> named = plan.targets;
    if (!options.fileId) named.insert(named.end(), paths.begin(), paths.begin() + static_cast<std::ptrdiff_t>(sources));
    for (const std::string& path : named) {
        const std::optional<std::uint8_t> other = FileIdOfUsualName(NameOf(path));
        if (other && *other != plan.fileId)
            return Error("'" + NameOf(path) + "' is the usual name of " + TypeText(*other) + " files, not of " +
                         TypeText(plan.fileId) + " files.");
        if (plan.fileId == kMap && OtherFacet(NameOf(path)))
            return Error("'" + NameOf(path) + "' names another map than map 0: convert takes map 0 only.");
    }
    std::set<std::string> seen;
    for (const std::string& target : plan.targets) {
        if (Exists(target)) return Error("'" + target + "' exists already: convert writes new files only.");
        const Result<std::string> followed = FollowLinks(target);
        if (!followed) return followed.error();
        if (!seen.insert(fs::absolute(*followed).lexically_normal().string()).second)
            return Error("'" + target + "' is given twice.");
    }
    return plan;
}

Error Differs(const std::string& target, const std::string& what) {
    return Error("The written '" + target + "' does not read back as it was written: " + what + ".");
}

class Converter {
public:
    Converter(const Plan& plan, const ConvertOptions& options, std::unique_ptr<BlockSource> source)
        : plan_(plan), options_(options), source_(std::move(source)),
          meter_(options.progress, 3 * (FileSize(plan.source.data) + FileSize(plan.source.index))) {
        report_.fileId = plan.fileId;
        report_.from = EntryOf(source_->GetForm()).name;
        report_.to = EntryOf(plan.fromPackage ? DataFilesOf(plan.fileId) : Form::kPackage).name;
        report_.files.emplace_back().path = plan.targets[0];
    }

    Result<ConvertReport> Run() {
        Status done = plan_.fromPackage ? ToDataFiles() : ToPackage();
        if (!done) return done.error();
        return std::move(report_);
    }

private:
    Status ToPackage();
    Status ToDataFiles();
    Status PackageBlock(PackageWriter& writer, const LegacyScheme& scheme, std::uint16_t flag, std::int32_t n);
    Status PackageChunk(PackageWriter& writer, const LegacyScheme& scheme, std::uint16_t flag, std::int32_t k);
    Status CheckPackage(const std::string& target, const std::string& written, std::uint32_t version,
                        std::int64_t entries, const std::vector<std::pair<const Package*, const PackageEntry*>>& carried);
    Status CheckDataFiles(const std::string& data, const std::string& index);
    // Before the targets are put in place: the damaged entries, and each
    // target's size and SHA-256.
    Status Settle(const std::vector<std::string>& written);
    Status Commit(SaveFile& save, const std::string& target);
    void LeftOut(std::int32_t n, const std::string& why) {
        ++report_.files[0].leftOut;
        const std::string text = plan_.fromPackage ? why : "block " + std::to_string(n) + ": " + why;
        // The blocks of one map chunk share its failure.
        if (report_.damaged.empty() || report_.damaged.back() != text) report_.damaged.push_back(text);
    }

    const Plan& plan_;
    const ConvertOptions& options_;
    std::unique_ptr<BlockSource> source_;
    Meter meter_;
    ConvertReport report_;
    std::vector<Expected> expected_;  // by block number
};

Status Converter::PackageBlock(PackageWriter& writer, const LegacyScheme& scheme, std::uint16_t flag, std::int32_t n) {
    const std::uint8_t fileId = plan_.fileId;
    ConvertedFile& file = report_.files[0];
    ShownBlock shown;
    source_->Show(n, shown);
    if (shown.damaged) {
        const Result<SourceBlock> why = source_->Load(n);
        LeftOut(n, why ? "damaged" : why.error().message);
        expected_.emplace_back();
        return {};
    }
    if (!shown.HasData()) {
        ++file.empty;
        expected_.emplace_back();
        return {};
    }
    ByteView rows = shown.bytes;
    Bytes widened;
    std::string lost;
    if (fileId == kMultis && rows.size() % kMultiRowSize != 0 && rows.size() % kShortMultiRow == 0) {
        widened = WidenedRows(rows);
        rows = widened;
        lost = "its rows of 12 bytes become rows of 16";
    }
    const Bytes payload = PayloadOfBlock(fileId, n, rows, shown.flagA, shown.flagB);
    // What the package's reader will give for it, and what of the source that loses.
    Expected expected;
    if (fileId == kMultis) {
        const Result<Bytes> back = MultiRecordToBlock(payload);
        if (!back) return back.error();
        expected = ExpectedOf(*back, 0, 0);
        if (lost.empty() && !std::equal(back->begin(), back->end(), rows.begin(), rows.end()))
            lost = rows.size() % kMultiRowSize != 0 ? "a partial row is dropped" : "flag or extra words other than 0 and 1 become 1";
        if (shown.flagA != 0 || shown.flagB != 0) lost += (lost.empty() ? "" : "; ") + std::string("its extra word (") + FlagsText(shown.flagA, shown.flagB) + ") becomes 0";
    } else if (fileId == kGumps) {
        expected = shown.flagA == 0 || shown.flagB == 0 ? Expected{} : ExpectedOf(shown.bytes, shown.flagA, shown.flagB);
        if (expected.length < 0) lost = "a width or height of 0 makes it a placeholder without a picture";
    } else {
        const auto serial = std::int32_t{n} + 1;
        const std::int16_t flagA = fileId == kSound ? static_cast<std::int16_t>(serial & 0xFFFF) : 0;
        const std::int16_t flagB = fileId == kSound ? static_cast<std::int16_t>(serial >> 16) : 0;
        expected = ExpectedOf(shown.bytes, flagA, flagB);
        if (shown.flagA != flagA || shown.flagB != flagB)
            lost = "its extra word (" + FlagsText(shown.flagA, shown.flagB) + ") becomes " +
                   (fileId == kSound ? "its serial " + std::to_string(serial) : std::string("0"));
    }
    if (!lost.empty()) {
        ++file.lossy;
        report_.lossy.push_back("block " + std::to_string(n) + ": " + lost);
    }
    writer.Add(WrittenName(scheme, static_cast<std::uint32_t>(n)), payload, flag);
    expected_.push_back(expected);
    ++file.written;
    if (!meter_.Add(std::ssize(shown.bytes))) return Cancelled();
    return {};
}

Status Converter::PackageChunk(PackageWriter& writer, const LegacyScheme& scheme, std::uint16_t flag, std::int32_t k) {
    const auto [first, last] = BlocksOfEntry(kMap, k);
    const auto count = static_cast<std::int32_t>(std::min<std::int64_t>(last, source_->Highest()) - first + 1);
    std::optional<ByteView> run = source_->ShowRun(static_cast<std::int32_t>(first), count);
    Bytes held;
    if (!run) {
        // The file ends inside the chunk's last block: it is read padded.
        for (std::int32_t i = 0; i < count; ++i) {
            const Result<SourceBlock> block = source_->Load(static_cast<std::int32_t>(first) + i);
            if (!block) return block.error();
            const ByteView bytes(block->bytes);
            held.insert(held.end(), bytes.begin(), bytes.end());
            held.resize(static_cast<std::size_t>(i + 1) * kMapBlockSize, 0);
        }
        run = ByteView(held);
    }
    for (std::int32_t i = 0; i < count; ++i)
        expected_.push_back(ExpectedOf(run->subspan(static_cast<std::size_t>(i) * kMapBlockSize, kMapBlockSize), kNoIndexFlags, kNoIndexFlags));
    writer.Add(WrittenName(scheme, static_cast<std::uint32_t>(k)), *run, flag);
    report_.files[0].written += count;
    if (!meter_.Add(std::ssize(*run))) return Cancelled();
    return {};
}

Status Converter::ToPackage() {
    const std::uint8_t fileId = plan_.fileId;
    const std::string& target = plan_.targets[0];
    const LegacyScheme& scheme = *SchemeOfFileId(fileId);
    const ShippedShape shape = ShippedShapeOf(fileId);
    const std::uint32_t version = options_.packageVersion.value_or(shape.version);
    const std::uint16_t flag = FlagOf(options_.compression, shape.flag);
    PackageWriter writer;
    if (Status opened = writer.Open(target, version, ShippedCapacity(version)); !opened) return opened;
    std::int64_t entries = 0;
    if (fileId == kMap) {
        const std::int32_t chunks = source_->Highest() < 0 ? 0 : EntryOfBlock(kMap, source_->Highest()) + 1;
        for (std::int32_t k = 0; k < chunks; ++k)
            if (Status added = PackageChunk(writer, scheme, flag, k); !added) return added;
        entries = chunks;
    } else {
        for (std::int32_t n = 0; n <= source_->Highest(); ++n)
            if (Status added = PackageBlock(writer, scheme, flag, n); !added) return added;
        entries = report_.files[0].written;
    }
    if (Status intact = source_->Intact(); !intact) return intact;
    // Entries that are no block come from the base package, as it stores them.
    Package base;
    if (!options_.base.empty())
        if (Status opened = base.Open(options_.base); !opened) return opened;
    std::vector<std::pair<const Package*, const PackageEntry*>> carried;
    for (const std::string& name : EntriesBeyondBlocks(fileId)) {
        const PackageEntry* e = options_.base.empty() ? nullptr : base.Find(PackageNameHash(name));
        if (!e) {
            report_.missing.push_back(name + ": data files cannot hold it, and " +
                                      (options_.base.empty() ? "no --base package was given" : "'" + options_.base + "' has none"));
            continue;
        }
        Result<StoredEntry> stored = base.ReadStored(*e);
        if (!stored) return Error(options_.base + ": " + name + ": " + stored.error().message);
        writer.AddStored(e->hash, std::move(*stored));
        carried.emplace_back(&base, e);
    }
    if (!report_.damaged.empty() && !options_.skipDamaged) return Settle({});
    if (Status finished = writer.Finish(); !finished) return finished;
    if (Status checked = CheckPackage(target, writer.Written(), version, entries + std::ssize(carried), carried); !checked)
        return checked;
    if (Status settled = Settle({writer.Written()}); !settled) return settled;
    if (Exists(target)) return Error("'" + target + "' appeared while it was written: it is left as it is.");
    return writer.Commit();
}

Status Converter::CheckPackage(const std::string& target, const std::string& written, std::uint32_t version,
                               std::int64_t entries, const std::vector<std::pair<const Package*, const PackageEntry*>>& carried) {
    // A package of no block is no package of the type to its reader; it is read as a package alone.
    const bool blocks = report_.files[0].written > 0;
    PackageBlocks read;
    Package alone;
    if (Status opened = blocks ? read.Open(written, plan_.fileId) : alone.Open(written); !opened)
        return Differs(target, opened.error().message);
    const Package& package = blocks ? read.Container() : alone;
    if (package.Version() != version) return Differs(target, "its version is " + std::to_string(package.Version()));
    if (std::ssize(package.Entries()) != entries || package.CountedEntries() != entries)
        return Differs(target, "it holds " + std::to_string(package.Entries().size()) + " entries and counts " +
                                   std::to_string(package.CountedEntries()) + ", not " + std::to_string(entries));
    const std::int32_t top = std::max(static_cast<std::int32_t>(expected_.size()) - 1, blocks ? read.Highest() : -1);
    for (std::int32_t n = 0; n <= top; ++n) {
        const Result<SourceBlock> b = blocks ? read.Load(n) : Result<SourceBlock>(SourceBlock{});
        if (!b) return Differs(target, b.error().message);
        const Expected e = n < std::ssize(expected_) ? expected_[static_cast<std::size_t>(n)] : Expected{};
        if (!Matches(e, b->length > 0 ? ByteView(b->bytes) : ByteView(), b->flagA, b->flagB))
            return Differs(target, "block " + std::to_string(n) + " is not the source's");
        if (!meter_.Add(std::max(b->length, 0))) return Cancelled();
    }
    for (const auto& [from, e] : carried) {
        const PackageEntry* w = package.Find(e->hash);
        if (!w || !from->StoredAlike(*e, package, *w)) return Differs(target, "an entry carried from the base package is not as stored there");
    }
    return {};
}

Status Converter::ToDataFiles() {
    const std::uint8_t fileId = plan_.fileId;
    const bool indexed = plan_.targets.size() == 2;
    auto& blocks = dynamic_cast<PackageBlocks&>(*source_);
    // What the package holds that no block is.
    const Package& package = blocks.Container();
    const auto named = static_cast<std::int64_t>(
        std::count_if(blocks.ByIndex().begin(), blocks.ByIndex().end(), [](const PackageEntry* e) { return e != nullptr; }));
    if (const std::int64_t others = std::ssize(package.Entries()) - named; others > 0) {
        std::string names;
        for (const std::string& name : EntriesBeyondBlocks(fileId))
            if (package.Find(PackageNameHash(name))) names += (names.empty() ? "" : ", ") + name;
        report_.missing.push_back(std::to_string(others) + (others == 1 ? " entry" : " entries") + " that data files cannot hold" + (names.empty() ? "" : " (" + names + ")"));
    }
    SaveFile data, index;
    if (Status opened = data.Open(plan_.targets[0]); !opened) return opened;
    if (indexed)
        if (Status opened = index.Open(plan_.targets[1]); !opened) return opened;
    IndexedWriter writer(data, index);
    const Bytes zeros(kMapBlockSize, 0);
    ConvertedFile& file = report_.files[0];
    // A map file has no gaps: a block the package lacks is written as zeros,
    // once a later block shows it lies inside the map.
    std::int64_t unwritten = 0;
    const std::int32_t highest = source_->Highest();
    // The entries are decoded on threads of their own while this one writes:
    // a map's chunks on one, other entries on two, each taking its share of
    // the budget in block order.
    const bool map = fileId == kMap;
    ReadAhead::Reserve reserve = [&](std::int32_t n) { return map ? Status() : blocks.ReserveBlocks(std::span(&n, 1)); };
    ReadAhead::Load load = [&](std::int32_t n) { return map ? blocks.Load(n) : blocks.Decode(n); };
    auto weigh = [&](std::int32_t n) -> std::int64_t {
        const PackageEntry* e = map ? nullptr : blocks.ByIndex()[static_cast<std::size_t>(n)];
        return map ? kMapBlockSize : e ? e->decodedSize : 0;
    };
    std::optional<ReadAhead> ahead(std::in_place, reserve, load, weigh, highest, kReadAhead, map ? 1 : kLoaders);
    for (std::int32_t n = 0; n <= highest; ++n) {
        Result<SourceBlock> b = ahead->Next();
        if (!b) LeftOut(n, b.error().message);
        const bool has = b && b->length > 0;
        const ByteView bytes = has ? ByteView(b->bytes) : ByteView();
        if (indexed) {
            if (Status put = writer.Put(n, bytes, has ? b->flagA : 0, has ? b->flagB : 0); !put)
                return Error(plan_.targets[0] + ": " + put.error().message);
            expected_.push_back(ExpectedOf(bytes, has ? b->flagA : 0, has ? b->flagB : 0));
            file.empty += b && !has;
        } else if (has) {
            for (; unwritten > 0; --unwritten) data.Write(zeros);
            data.Write(bytes);
            expected_.push_back(ExpectedOf(bytes, kNoIndexFlags, kNoIndexFlags));
        } else {
            ++unwritten;
            expected_.push_back(ExpectedOf(zeros, kNoIndexFlags, kNoIndexFlags));
        }
        file.written += has;
        if (!meter_.Add(std::ssize(bytes))) return Cancelled();
    }
    ahead.reset();
    // Past the map's last block: the padding of its last chunk.
    expected_.resize(expected_.size() - static_cast<std::size_t>(unwritten));
    if (!indexed) file.empty = std::max<std::int64_t>(0, std::ssize(expected_) - file.written - file.leftOut);
    if (Status intact = source_->Intact(); !intact) return intact;
    if (!report_.damaged.empty() && !options_.skipDamaged) return Settle({});
    if (Status finished = data.Finish(); !finished) return finished;
    if (indexed)
        if (Status finished = index.Finish(); !finished) return finished;
    if (Status checked = CheckDataFiles(data.TemporaryPath(), indexed ? index.TemporaryPath() : ""); !checked) return checked;
    // The index counts the blocks its data file holds.
    if (indexed) {
        report_.files.push_back(report_.files[0]);
        report_.files[1].path = plan_.targets[1];
    }
    std::vector<std::string> written = {data.TemporaryPath()};
    if (indexed) written.push_back(index.TemporaryPath());
    if (Status settled = Settle(written); !settled) return settled;
    // The data file first: a cut between leaves it without its index, which
    // no reader takes for a pair. A stop signal waits until both are in place.
    const SignalsHeld held;
    if (Status committed = Commit(data, plan_.targets[0]); !committed) return committed;
    // No stop between the two: the pair is put in place whole.
    meter_.Tell();
    return indexed ? Commit(index, plan_.targets[1]) : Status();
}

Status Converter::CheckDataFiles(const std::string& data, const std::string& index) {
    const std::string& target = plan_.targets[0];
    DataFileSource read;
    if (Status opened = read.Open(plan_.fileId, data, index); !opened) return Differs(target, opened.error().message);
    if (std::int64_t{read.Highest()} + 1 != std::ssize(expected_))
        return Differs(target, "it holds " + std::to_string(std::int64_t{read.Highest()} + 1) + " blocks, not " +
                                   std::to_string(expected_.size()));
    // Shown where they lie: the blocks read back are not kept.
    ShownBlock b;
    for (std::int32_t n = 0; n <= read.Highest(); ++n) {
        read.Show(n, b);
        if (b.damaged) return Differs(target, "block " + std::to_string(n) + " does not read back");
        if (!Matches(expected_[static_cast<std::size_t>(n)], b.bytes, b.flagA, b.flagB))
            return Differs(target, "block " + std::to_string(n) + " is not the source's");
        if (!meter_.Add(std::ssize(b.bytes))) return Cancelled();
    }
    return read.Intact();
}

Status Converter::Settle(const std::vector<std::string>& written) {
    if (!report_.damaged.empty() && !options_.skipDamaged)
        return Error("'" + plan_.source.data + "' has " + Counted(report_.files[0].leftOut, "damaged block") +
                     " (" + report_.damaged.front() + (report_.damaged.size() > 1 ? ", ..." : "") +
                     "): nothing was written; --skip-damaged converts without them.");
    for (std::size_t i = 0; i < written.size(); ++i) {
        InputFile in;
        if (Status opened = in.Open(written[i]); !opened) return opened;
        Sha256 hash;
        Bytes piece(std::size_t{1} << 20);
        for (std::int64_t at = 0; at < in.Size();) {
            const Result<std::size_t> n = in.ReadAt(at, piece);
            if (!n || *n == 0) return Error("Cannot read '" + written[i] + "'.");
            hash.Update(ByteView(piece).first(*n));
            at += static_cast<std::int64_t>(*n);
            if (!meter_.Add(static_cast<std::int64_t>(*n))) return Cancelled();
        }
        report_.files[i].size = in.Size();
        report_.files[i].sha256 = hash.Hex();
    }
    return {};
}

Status Converter::Commit(SaveFile& save, const std::string& target) {
    if (Exists(target)) return Error("'" + target + "' appeared while it was written: it is left as it is.");
    return save.Commit();
}
}  // namespace

bool Converts(std::uint8_t fileId) {
    return fileId == kArt || fileId == kGumps || fileId == kMap || fileId == kSound || fileId == kMultis;
}

Result<ConvertReport> Convert(const std::vector<std::string>& paths, const ConvertOptions& options) {
    const Result<Plan> plan = PlanOf(paths, options);
    if (!plan) return plan.error();
    if (!options.base.empty() && plan->fromPackage) return Error("--base gives entries to a package written from data files only.");
    if (options.packageVersion && *options.packageVersion != 4 && *options.packageVersion != 5)
        return Error("A package's version is 4 or 5.");
    Result<std::unique_ptr<BlockSource>> source =
        OpenSource(plan->fileId, plan->source, plan->fromPackage ? Form::kPackage : DataFilesOf(plan->fileId));
    if (!source) return source.error();
    return Converter(*plan, options, std::move(*source)).Run();
}
