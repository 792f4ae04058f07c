#include "gamefiles/bake.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <tuple>
#include <span>

#include "codecs/file_ids.h"
#include "gamefiles/bake_changes.h"
#include "gamefiles/bake_writers.h"
#include "gamefiles/client_folder.h"
#include "gamefiles/forms/verdata.h"
#include "io/counted.h"
#include "io/save_file.h"
#include "io/save_folder.h"
#include "patch/file_types.h"
#include "patch/settle_duplicates.h"

namespace {
namespace fs = std::filesystem;
using ByType = std::array<TypeBlocks, Patch::kFileIds>;

// The live blocks of each type, the last copy of each number, by number.
// Negative numbers name no block of the client's.
ByType LiveByType(const Patch& patch) {
    ByType live;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const PatchFileEntry& entry = patch[static_cast<std::uint8_t>(f)];
        TypeBlocks& blocks = live[static_cast<std::size_t>(f)];
        for (const auto& [number, slot] : LastCopies(entry))
            if (number >= 0) blocks.push_back(&entry.blocks[slot]);
    }
    return live;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) out += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return out;
}

// What the folder lacks for a type's blocks, for messages.
std::string Lacks(const ClientFolder& folder, std::uint8_t fileId) {
    if (!UsualNamesOf(fileId)) return "a client keeps no files of " + TypeName(fileId);
    return "the client folder lacks " + Joined(folder.MissingFiles(fileId));
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat x {}, y {};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

// The output folder (`outDir`, as `folder` once links are followed) must be
// missing or empty (no stale file of an earlier bake is shipped with the new
// ones) and must not be the client folder.
Status CheckOutFolder(const std::string& outDir, const std::string& folder, const std::string& clientDir) {
    std::error_code ec;
    if (SameFile(folder, clientDir))
        return Error("The output folder '" + outDir + "' is the client folder: the bake writes copies, never the client's files.");
    const fs::file_status status = fs::status(folder, ec);
    if (fs::exists(status)) {
        if (!fs::is_directory(status)) return Error("'" + outDir + "' is not a folder.");
        // What a bake killed outright left there is no earlier bake's file.
        RemoveStaleTemporaries(folder);
        if (!fs::is_empty(folder, ec) || ec)
            return Error("The output folder '" + outDir +
                         "' is not empty: bake into a new or empty folder, so that no file of an earlier bake is shipped with "
                         "the new ones.");
        // As a save refuses a read-only file, whoever saves: a folder without
        // any write permission was not meant to receive files.
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0 && (st.st_mode & 0222) == 0)
            return Error("The output folder '" + outDir + "' is read-only.");
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            return Error("Cannot write into the output folder '" + outDir + "': you have no permission to.");
        return {};
    }
    fs::path made = fs::absolute(folder, ec);
    if (!made.has_filename()) made = made.parent_path();  // "shipped/" names the folder "shipped"
    const fs::path parent = made.parent_path();
    if (!fs::is_directory(parent, ec))
        return Error("Cannot make the folder '" + outDir + "': '" + parent.string() + "' " +
                     (fs::exists(parent, ec) ? "is no folder." : "does not exist."));
    return {};
}

// What the bake will write, worked out before anything is written.
struct Plan {
    std::vector<FormChanges> forms;
    PatchData data;       // where the patch's bytes are
    ByteView carriedMap;  // a whole map the patch carries that changes map0.mul
    Bytes carriedHeld;    // the same, when the patch's bytes are in its file
    Patch leftover;       // the output's verdata.mul
    bool verdataChanged = false;  // an entry of the client's was dropped, or a block added
    bool writeVerdata = false;
    std::int64_t keptFromClient = 0, droppedFromClient = 0;  // the client's verdata entries
    // The client's verdata entries below block 0, which no patch can hold:
    // carried into the output's verdata.mul as they are.
    std::vector<VerdataRecord> carried;
    std::string verdataName = "verdata.mul";
    std::vector<LeftOutBlock> leftOut;
    std::vector<std::string> notes;
};

bool Holds(const std::vector<std::int32_t>& sorted, std::int32_t n) { return std::binary_search(sorted.begin(), sorted.end(), n); }

// The client's verdata entries of a type that stay in the output's
// verdata.mul: those neither baked nor superseded by a patch block that went
// into one of the type's forms.
void KeepVerdataEntries(const TypeBlocks& entries, std::span<const FormChanges> forms, bool carried, Plan& plan,
                        std::uint8_t fileId) {
    for (const PatchBlock* v : entries) {
        const bool gone = carried || std::any_of(forms.begin(), forms.end(), [&](const FormChanges& f) {
                              return Holds(f.verdataBaked, v->number) || Holds(f.taken, v->number);
                          });
        if (!gone) plan.leftover.AppendWithLength(fileId, v->number, v->Length(), v->bytes, v->flagA, v->flagB);
        plan.keptFromClient += !gone;
        plan.droppedFromClient += gone;
        plan.verdataChanged = plan.verdataChanged || gone;
    }
}

Status PlanType(const ClientFolder& folder, std::uint8_t fileId, const TypeBlocks& mine, const TypeBlocks& theirs,
                const BakeOptions& options, Plan& plan) {
    const bool carried = fileId == kMap && !plan.carriedMap.empty();
    std::vector<Form> forms;
    if (folder.Has(fileId, DataFilesOf(fileId)) || carried) forms.push_back(DataFilesOf(fileId));
    if (folder.Has(fileId, Form::kPackage)) forms.push_back(Form::kPackage);
    if (forms.empty()) {
        if (!mine.empty() && !options.clientVerdata)
            return Error(Counted(std::ssize(mine), "block") + " of " + TypeName(fileId) + (mine.size() == 1 ? " has" : " have") +
                         " nowhere to go: " +
                         Lacks(folder, fileId) + ", and no verdata.mul is written while the client's verdata is left alone.");
        if (!mine.empty())
            plan.notes.push_back(Counted(std::ssize(mine), "block") + " of " + TypeName(fileId) + " went into " +
                                 plan.verdataName + ": " + Lacks(folder, fileId) + ".");
        // The patch's blocks, later, supersede the client's entries of the same numbers.
        FormChanges verdataOnly;
        for (const PatchBlock* b : mine) verdataOnly.taken.push_back(b->number);
        KeepVerdataEntries(theirs, {&verdataOnly, 1}, false, plan, fileId);
        // Held here: the output's verdata.mul is written from memory.
        ChangeBytes bytes(fileId, plan.data);
        for (const PatchBlock* b : mine)
            plan.leftover.AppendWithLength(fileId, b->number, b->Length(),
                                           plan.data.file ? BlockBytes::CopyOf(bytes.OfBlock(*b)) : b->bytes, b->flagA, b->flagB);
        if (Status intact = bytes.Intact(); !intact) return intact;
        plan.verdataChanged = plan.verdataChanged || !mine.empty();
        return {};
    }
    std::vector<FormChanges> made;
    for (const Form form : forms) {
        Result<FormChanges> changes =
            ChangesOf(folder, fileId, form, mine, options.clientVerdata ? theirs : TypeBlocks(), carried ? plan.carriedMap : ByteView(),
                      plan.data);
        if (!changes) return changes.error();
        const bool indexed = form != Form::kPackage && FileTypes()[fileId].fixedBlockSize <= 0 && !changes->changes.empty();
        if (indexed)
            if (Status ready = PrepareIndexed(*changes, folder.Files(fileId), options.compact); !ready) return ready;
        plan.leftOut.insert(plan.leftOut.end(), changes->leftOut.begin(), changes->leftOut.end());
        made.push_back(std::move(*changes));
    }
    if (options.clientVerdata) KeepVerdataEntries(theirs, made, carried, plan, fileId);
    for (FormChanges& f : made) plan.forms.push_back(std::move(f));
    return {};
}

Result<Plan> MakePlan(const Patch& patch, const PatchFileData* data, const ClientFolder& folder, const BakeOptions& options) {
    Plan plan;
    plan.data = {&patch, data};
    const ByType mine = LiveByType(patch);
    Patch clientVerdata;
    if (folder.Verdata()) plan.verdataName = folder.Verdata()->name;
    if (options.clientVerdata && folder.Verdata()) {
        ReadOptions fromZero;
        fromZero.firstBlock = 0;
        if (Status read = ReadVerdata(folder.Verdata()->path, clientVerdata, fromZero); !read) return read.error();
        SettleDuplicates(clientVerdata);
    }
    const ByType theirs = LiveByType(clientVerdata);
    if (options.clientVerdata && folder.Verdata()) {
        Result<std::vector<VerdataRecord>> below = ReadVerdataBelowZero(folder.Verdata()->path);
        if (!below) return below.error();
        plan.carried = std::move(*below);
    }
    // Whole files first: a whole map that changes map0.mul is what the map blocks go over.
    if (!mine[kFiles].empty() || !theirs[kFiles].empty()) {
        Result<FormChanges> whole = ChangesOf(folder, kFiles, Form::kWholeFiles, mine[kFiles], {}, {}, plan.data);
        if (!whole) return whole.error();
        if (const BlockChange* map = whole->Find(kMapFileBlock)) {
            ChangeBytes bytes(kFiles, plan.data);
            plan.carriedMap = bytes.Of(*map);
            // The map blocks are judged against it all along: one block held whole.
            if (!bytes.Lasting(*map)) plan.carriedMap = plan.carriedHeld = Bytes(plan.carriedMap.begin(), plan.carriedMap.end());
            if (Status intact = bytes.Intact(); !intact) return intact.error();
        }
        plan.leftOut.insert(plan.leftOut.end(), whole->leftOut.begin(), whole->leftOut.end());
        // The client's verdata is not applied to whole files: its entries of them stay.
        KeepVerdataEntries(theirs[kFiles], {&*whole, 1}, false, plan, kFiles);
        plan.forms.push_back(std::move(*whole));
    }
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const auto id = static_cast<std::uint8_t>(f);
        const bool carried = id == kMap && !plan.carriedMap.empty();
        if (id == kFiles || (mine[id].empty() && theirs[id].empty() && !carried)) continue;
        if (Status planned = PlanType(folder, id, mine[id], theirs[id], options, plan); !planned) return planned.error();
    }
    plan.writeVerdata = options.clientVerdata && (folder.Verdata() ? plan.verdataChanged : plan.leftover.LiveCount() > 0);
    return plan;
}
}  // namespace

std::string LeftOutText(const LeftOutBlock& block) {
    return "Left out block " + std::to_string(block.block) + " of " + TypeName(block.fileId) + " (" + block.file +
           "): " + block.why + ".";
}

namespace {
// Reads the written verdata.mul back: it holds the leftover blocks, each
// once, and the carried entries as they were.
Status CheckVerdata(const Patch& leftover, const std::vector<VerdataRecord>& carried, const std::string& written,
                    const std::string& name) {
    Patch found;
    if (Status read = ReadVerdata(written, found); !read) return read;
    const ByType a = LiveByType(leftover), b = LiveByType(found);
    const std::string back = "Reading back the written " + name + ": ";
    std::vector<VerdataRecord> below = carried;
    Result<std::vector<VerdataRecord>> foundBelow = ReadVerdataBelowZero(written);
    if (!foundBelow) return foundBelow.error();
    const auto order = [](const VerdataRecord& x, const VerdataRecord& y) {
        return std::tie(x.entry.fileId, x.entry.blockNumber, x.entry.length, x.bytes) <
               std::tie(y.entry.fileId, y.entry.blockNumber, y.entry.length, y.bytes);
    };
    std::sort(below.begin(), below.end(), order);
    std::sort(foundBelow->begin(), foundBelow->end(), order);
    if (below != *foundBelow) return Error(back + "it holds other entries below block 0.");
    for (std::size_t f = 0; f < a.size(); ++f) {
        if (a[f].size() != b[f].size()) return Error(back + "it holds other blocks of " + TypeName(static_cast<std::uint8_t>(f)) + ".");
        for (std::size_t i = 0; i < a[f].size(); ++i) {
            const PatchBlock &x = *a[f][i], &y = *b[f][i];
            if (x.number != y.number || x.bytes != y.bytes || x.flagA != y.flagA || x.flagB != y.flagB)
                return Error(back + "block " + std::to_string(x.number) + " of " + TypeName(static_cast<std::uint8_t>(f)) +
                             " differs.");
        }
    }
    return {};
}

std::int64_t SizeOf(const std::optional<ClientFile>& file) {
    std::error_code ec;
    const auto size = file ? fs::file_size(file->path, ec) : 0;
    return ec ? 0 : static_cast<std::int64_t>(size);
}

// Patch blocks baked into data files that the client's verdata.mul also holds.
std::int64_t ReplacedByClientVerdata(const ClientFolder& folder, const std::vector<FormChanges>& forms) {
    if (!folder.Verdata()) return 0;
    const Result<std::vector<VerdataEntry>> directory = ReadVerdataDirectory(folder.Verdata()->path);
    if (!directory) return 0;
    std::set<std::pair<int, std::int32_t>> theirs;
    for (const VerdataEntry& e : *directory) theirs.emplace(e.fileId, e.blockNumber);
    std::int64_t n = 0;
    for (const FormChanges& f : forms)
        if (f.form != Form::kPackage)
            for (const BlockChange& c : f.changes) n += c.fromPatch && theirs.count({f.fileId, c.n});
    return n;
}

// One file to write and how to read it back.
struct Step {
    OutputFile* out;
    std::function<Status(BakeMeter&)> write, check;
};

class Writer {
public:
    Writer(const ClientFolder& folder, const std::string& outDir, const BakeOptions& options, Plan& plan)
        : folder_(folder), outDir_(outDir), options_(options), plan_(plan) {}

    Status Open(const std::string& name, OutputFile*& out, bool opened = true) {
        auto made = std::make_unique<OutputFile>();
        made->save = &set_.Add();
        made->report.name = name;
        if (opened)
            if (Status done = made->save->Open(Path(name)); !done) return done;
        out = outputs_.emplace_back(std::move(made)).get();
        return {};
    }
    std::string Path(const std::string& name) const { return (fs::path(outDir_) / name).string(); }

    Status AddForm(const FormChanges& f) {
        const bool carried = f.fileId == kMap && f.form != Form::kPackage && !plan_.carriedMap.empty();
        if (f.changes.empty() && !carried) return {};
        const ClientTypeFiles& files = folder_.Files(f.fileId);
        OutputFile* out = nullptr;
        if (f.fileId == kFiles) return AddWholeFiles(f);
        if (f.form == Form::kPackage) {
            if (Status opened = Open(files.package->name, out); !opened) return opened;
            out->Count(f);
            total_ += SizeOf(files.package);
            steps_.push_back({out, [&f, out](BakeMeter& m) { return WritePackage(f, *out, m); },
                              [&f, out](BakeMeter& m) { return CheckPackage(f, *out, m); }});
            return {};
        }
        if (FileTypes()[f.fileId].fixedBlockSize > 0) {
            if (Status opened = Open(f.name, out); !opened) return opened;
            out->Count(f);
            if (carried) ++(folder_.WholeFile(kMapFileBlock) ? out->report.replaced : out->report.added);
            const std::string base = files.data ? files.data->path : "";
            const ByteView map = carried ? plan_.carriedMap : ByteView();
            total_ += carried ? std::ssize(map) : SizeOf(files.data);
            steps_.push_back({out, [&f, out, base, map, this](BakeMeter& m) { return WriteSlots(f, base, map, *out, m, notes_); },
                              [&f, out, base, map](BakeMeter& m) { return CheckSlots(f, base, map, *out, m); }});
            return {};
        }
        OutputFile* index = nullptr;
        if (Status opened = Open(files.data->name, out); !opened) return opened;
        if (Status opened = Open(files.index->name, index); !opened) return opened;
        out->Count(f);
        index->Count(f);
        total_ += SizeOf(files.data) + SizeOf(files.index);
        const bool compact = options_.compact;
        steps_.push_back({out, [&f, &files, out, index, compact, this](BakeMeter& m) {
                              return WriteIndexed(f, files, compact, *out, *index, m, notes_);
                          },
                          [&f, &files, out, index](BakeMeter& m) { return CheckIndexed(f, files, *out, *index, m); }});
        return {};
    }

    Status AddWholeFiles(const FormChanges& f) {
        for (const BlockChange& c : f.changes) {
            if (c.n == kMapFileBlock && !plan_.carriedMap.empty()) continue;  // the map's blocks go over it
            OutputFile* out = nullptr;
            if (Status opened = Open(folder_.SpellingOf(WholeFileName(c.n)), out); !opened) return opened;
            ++(c.hadData ? out->report.replaced : out->report.added);
            total_ += c.length;
            steps_.push_back({out, [&f, &c, out](BakeMeter& m) { return WriteWhole(f, c, *out, m); },
                              [&f, &c, out](BakeMeter& m) { return CheckWhole(f, c, *out, m); }});
        }
        return {};
    }

    Status AddVerdata() {
        OutputFile* out = nullptr;
        if (Status opened = Open(plan_.verdataName, out, false); !opened) return opened;
        // Added: the patch's blocks with nowhere else to go; removed: the client's entries baked.
        out->report.added = plan_.leftover.LiveCount() - plan_.keptFromClient;
        out->report.removed = plan_.droppedFromClient;
        const std::string path = Path(plan_.verdataName);
        steps_.push_back({out,
                          [out, path, this](BakeMeter&) {
                              return WriteVerdata(*out->save, path, plan_.leftover, "", {}, plan_.carried);
                          },
                          [out, this](BakeMeter&) {
                              return CheckVerdata(plan_.leftover, plan_.carried, out->Written(), out->report.name);
                          }});
        return {};
    }

    // Writes every file and reads each back; Commit puts them in place.
    Status Run(BakeReport& report) {
        BakeMeter meter(options_.progress, 3 * total_);
        for (const Step& s : steps_)
            if (Status written = s.write(meter); !written) return written;
        for (const auto& out : outputs_)
            if (Status finished = out->save->Finish(); !finished) return finished;
        for (const Step& s : steps_) {
            if (Status checked = s.check(meter); !checked) return checked;
        }
        for (const auto& out : outputs_)
            if (Status done = Fingerprint(*out, meter); !done) return done;
        for (const auto& out : outputs_) report.files.push_back(out->report);
        report.notes.insert(report.notes.end(), notes_.begin(), notes_.end());
        return {};
    }
    // Gives the written files their names in the new folder.
    Status Commit() { return set_.Commit(); }

private:
    const ClientFolder& folder_;
    const std::string& outDir_;
    const BakeOptions& options_;
    Plan& plan_;
    SaveSet set_;
    std::vector<std::unique_ptr<OutputFile>> outputs_;
    std::vector<Step> steps_;
    std::vector<std::string> notes_;
    std::int64_t total_ = 0;
};
}  // namespace

namespace {
class Prepared : public PreparedBake {
public:
    const BakeReport& Report() const override { return report_; }
    Status Commit() override {
        const SignalsHeld held;
        if (StopSignalPending()) return Cancelled();
        if (Status named = writer_->Commit(); !named) return named;
        return out_.Commit();
    }

    Status Prepare(const Patch& patch, const PatchFileData* data, const std::string& clientDir, const std::string& outDir,
                   const BakeOptions& options) {
        Result<ClientFolder> folder = ClientFolder::Open(clientDir);
        if (!folder) return folder.error();
        folder_ = std::move(*folder);
        const Result<std::string> target = FolderBehindLinks(outDir);
        if (!target) return target.error();
        if (Status usable = CheckOutFolder(outDir, *target, clientDir); !usable) return usable;
        Result<Plan> plan = MakePlan(patch, data, folder_, options);
        if (!plan) return plan.error();
        plan_ = std::move(*plan);
        report_.leftOut = plan_.leftOut;
        report_.notes = plan_.notes;
        if (const std::int64_t kept = plan_.keptFromClient + std::ssize(plan_.carried); kept > 0 && plan_.writeVerdata)
            report_.notes.push_back(plan_.verdataName + " keeps " + std::to_string(kept) + (kept == 1 ? " entry" : " entries") +
                                    " of the client's that could not be baked.");
        if (!options.clientVerdata)
            if (const std::int64_t n = ReplacedByClientVerdata(folder_, plan_.forms); n > 0)
                report_.notes.push_back("The client's " + plan_.verdataName + " also holds " + Counted(n, "block") +
                                        " baked into the data files: the client's verdata.mul will replace " +
                                        std::to_string(n) + " of them.");

        if (Status opened = out_.Open(*target); !opened) return opened;
        options_ = options;
        writer_ = std::make_unique<Writer>(folder_, out_.Path(), options_, plan_);
        for (const FormChanges& f : plan_.forms)
            if (Status added = writer_->AddForm(f); !added) return added;
        if (plan_.writeVerdata)
            if (Status added = writer_->AddVerdata(); !added) return added;
        return writer_->Run(report_);
    }

private:
    ClientFolder folder_;
    Plan plan_;
    BakeOptions options_;
    BakeReport report_;
    SaveFolder out_;  // outlives the writer, whose files lie in it
    std::unique_ptr<Writer> writer_;
};
}  // namespace

Result<std::unique_ptr<PreparedBake>> PrepareBake(const Patch& patch, const std::string& clientDir,
                                                  const std::string& outDir, const BakeOptions& options,
                                                  const PatchFileData* data) {
    auto prepared = std::make_unique<Prepared>();
    if (Status done = prepared->Prepare(patch, data, clientDir, outDir, options); !done) return done.error();
    return std::unique_ptr<PreparedBake>(std::move(prepared));
}

Result<BakeReport> Bake(const Patch& patch, const std::string& clientDir, const std::string& outDir,
                        const BakeOptions& options) {
    Result<std::unique_ptr<PreparedBake>> prepared = PrepareBake(patch, clientDir, outDir, options);
    if (!prepared) return prepared.error();
    if (Status committed = (*prepared)->Commit(); !committed) return committed.error();
    return (*prepared)->Report();
}
