#include "gamefiles/client_states.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "gamefiles/client_blocks.h"
#include "patch/settle_duplicates.h"

std::optional<BlockState> StateNamed(std::string_view name) {
    for (std::size_t s = 0; s < kBlockStates; ++s)
        if (name == StateName(static_cast<BlockState>(s))) return static_cast<BlockState>(s);
    return std::nullopt;
}

const std::vector<FormState>* TypeStates::SplitOf(std::size_t i) const {
    const auto at = std::lower_bound(split.begin(), split.end(), i, [](const auto& s, std::size_t n) { return s.first < n; });
    return at != split.end() && at->first == i ? &at->second : nullptr;
}

std::string DifferingForms(const std::vector<FormState>& forms) {
    std::string out;
    for (const FormState& f : forms)
        if (f.state != BlockState::kSame) out += (out.empty() ? "" : ",") + f.file;
    return out;
}

namespace {
// A type of this many blocks is judged in two halves at once.
constexpr std::size_t kSplitAt = 1 << 16;

// Blocks [from, to) of one type, judged with readers of the client's files
// of their own: one for each form, the package first.
struct Part {
    TypeStates* type = nullptr;
    std::size_t from = 0, to = 0;
    std::vector<std::unique_ptr<ClientBlocks>> clients;
    std::unique_ptr<PatchFileData::Reader> data;  // for a patch read without its data
    std::vector<std::pair<std::size_t, std::string>> unfit;
    std::vector<std::pair<std::size_t, std::vector<FormState>>> split;
    std::optional<Error> error;

    // Judges the blocks; `step` hears of each and returns false to stop.
    template <class Step>
    bool Run(const PatchFileEntry& entry, Step&& step) {
        BlockData block;
        ClientBlock theirs;
        for (std::size_t i = from; i < to; ++i) {
            if (!step()) return false;
            const auto [number, slot] = type->blocks[i];
            const PatchBlock& mine = entry.blocks[slot];
            block.flagA = mine.flagA;
            block.flagB = mine.flagB;
            if (!data) {
                block.bytes = mine.bytes;
            } else if (Status read = data->Read(type->fileId, slot, mine.Length(), block.bytes); !read) {
                error = read.error();
                return false;
            }
            Judge(i, number, block, theirs);
        }
        // A file that shrank meanwhile may have shown zeros for its bytes.
        for (const auto& client : clients)
            if (Status intact = client->Intact(); !intact) {
                error = intact.error();
                return false;
            }
        if (Status intact = data ? data->Intact() : Status(); !intact) {
            error = intact.error();
            return false;
        }
        return true;
    }

    void Judge(std::size_t i, std::int32_t number, const BlockData& block, ClientBlock& theirs) {
        if (clients.size() == 1) {
            clients[0]->Show(number, theirs);
            JudgedBlock j = JudgeBlock(type->fileId, clients[0]->GetForm(), number, block, theirs);
            type->states[i] = j.state;
            if (!j.fitted.Fits()) unfit.emplace_back(i, std::move(j.fitted.why));
            return;
        }
        std::vector<FormState> forms;
        std::optional<JudgedBlock> first;  // against the first form that differs
        for (const auto& client : clients) {
            client->Show(number, theirs);
            JudgedBlock j = JudgeBlock(type->fileId, client->GetForm(), number, block, theirs);
            forms.push_back({std::string(client->Name()), j.state});
            if (j.state != BlockState::kSame && !first) first = std::move(j);
        }
        type->states[i] = first ? first->state : BlockState::kSame;
        if (first && !first->fitted.Fits()) unfit.emplace_back(i, std::move(first->fitted.why));
        if (std::any_of(forms.begin(), forms.end(), [&](const FormState& f) { return f.state != forms[0].state; }))
            split.emplace_back(i, std::move(forms));
    }
};
}  // namespace

Result<std::vector<TypeStates>> JudgePatch(const Patch& patch, const ClientFolder& folder, bool withVerdata,
                                           const Progress& progress, const PatchFileData* data) {
    std::vector<TypeStates> types;
    for (int f = 0; f < Patch::kFileIds; ++f)
        if (patch[static_cast<std::uint8_t>(f)].LiveCount() > 0) types.push_back({static_cast<std::uint8_t>(f), {}, {}, {}, {}});
    // Every reader opens first: a file that does not open fails the whole walk.
    std::vector<Part> mine, helpers;
    for (TypeStates& type : types) {
        type.blocks = LastCopies(patch[type.fileId]);
        type.states.assign(type.blocks.size(), BlockState::kUnknown);
        const std::vector<Form> forms = folder.Forms(type.fileId);
        if (forms.empty()) continue;
        std::vector<std::int32_t> numbers;
        numbers.reserve(type.blocks.size());
        for (const auto& b : type.blocks) numbers.push_back(b.first);
        const std::size_t n = type.blocks.size(), half = n >= kSplitAt ? n / 2 : n;
        for (auto [from, to] : {std::pair(std::size_t{0}, half), std::pair(half, n)}) {
            if (from == to) continue;
            Part part{&type, from, to, {}, data ? std::make_unique<PatchFileData::Reader>(*data) : nullptr, {}, {}, {}};
            for (const Form form : forms) {
                auto client = std::make_unique<ClientBlocks>();
                if (Status opened = client->Open(folder, type.fileId, form, withVerdata); !opened) return opened.error();
                // What the blocks need of a package is counted once, before anything is decoded.
                if (from == 0)
                    if (Status reserved = client->Reserve(numbers); !reserved) return reserved.error();
                part.clients.push_back(std::move(client));
            }
            (from == 0 ? mine : helpers).push_back(std::move(part));
        }
    }

    const std::int64_t total = patch.LiveCount();
    // Cancelling, or a part that fails, stops both threads.
    std::atomic<bool> stop = false;
    std::atomic<std::int64_t> helped = 0;
    std::exception_ptr failed;
    std::thread helper;
    if (!helpers.empty())
        helper = std::thread([&] {
            try {
                std::int64_t done = 0;
                for (Part& part : helpers)
                    if (!part.Run(patch[part.type->fileId], [&] {
                            if (++done % Progress::kEvery == 0) helped = done;
                            return !stop.load(std::memory_order_relaxed);
                        })) {
                        stop = true;
                        break;
                    }
            } catch (...) {
                failed = std::current_exception();
            }
        });
    std::int64_t done = 0;
    bool finished = true;
    try {
        for (Part& part : mine)
            if (finished)
                finished = part.Run(patch[part.type->fileId], [&] {
                    return !stop.load(std::memory_order_relaxed) && progress.Step(done++ + helped, total);
                });
    } catch (...) {
        stop = true;
        if (helper.joinable()) helper.join();
        throw;
    }
    stop = !finished;
    if (helper.joinable()) helper.join();
    if (failed) std::rethrow_exception(failed);
    for (std::vector<Part>* parts : {&mine, &helpers})
        for (const Part& part : *parts)
            if (part.error) return *part.error;
    if (!finished) return Cancelled();
    // The reasons in block order: the first half's, then the second's.
    for (std::vector<Part>* parts : {&mine, &helpers})
        for (Part& part : *parts) {
            for (auto& u : part.unfit) part.type->unfit.push_back(std::move(u));
            for (auto& s : part.split) part.type->split.push_back(std::move(s));
        }
    return types;
}
