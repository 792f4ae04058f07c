// Running out of memory at every allocation an edit makes: the patch and the
// document's history stay exactly as they were. This binary replaces the
// global allocator so that the n-th allocation can be made to fail.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <tuple>

#include "app/patch_document.h"
#include "scripted_prompts.h"

namespace {
std::atomic<long> gAllocations{0};
std::atomic<long> gFailAt{0};  // 0: none fails

// Counts allocations from now; the n-th of them throws.
void FailAllocation(long n) {
    gAllocations = 0;
    gFailAt = n;
}
}  // namespace

void* operator new(std::size_t size) {
    if (gFailAt > 0 && ++gAllocations == gFailAt) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {
using Slot = std::tuple<std::int32_t, std::int32_t, std::int16_t, std::int16_t, Bytes>;
using Snapshot = std::vector<std::pair<std::vector<Slot>, std::int32_t>>;

// Every slot of every file ID, removed ones included, and the removed counts.
Snapshot Take(const Patch& p) {
    Snapshot s;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const PatchFileEntry& e = p[static_cast<std::uint8_t>(f)];
        std::vector<Slot> taken;
        for (const PatchBlock& b : e.Blocks) taken.emplace_back(b.BlockNumber, b.Length(), b.FlagA, b.FlagB, Bytes(b.ByteArray.begin(), b.ByteArray.end()));
        s.emplace_back(std::move(taken), static_cast<std::int32_t>(e.RemovedCount));
    }
    return s;
}

Patch Base() {
    Patch p;
    for (std::int32_t n = 0; n < 40; ++n) p.Append(4, n, Bytes{static_cast<std::uint8_t>(n), 1}, 0, 0);
    p.Append(12, 7, Bytes{9}, 3, 4);
    return p;
}

// Appends to a file ID that has blocks and to one that has none, settles
// duplicates, removes a block and changes flags.
PatchEdit Edit() {
    PatchEdit e;
    for (std::int32_t n = 30; n < 60; ++n) e.added.Append(4, n, Bytes{static_cast<std::uint8_t>(n), 2}, 5, 6);
    e.added.Append(13, 1, Bytes{1, 2, 3}, 0, 0);
    e.removals.push_back({12, 0, 7});
    e.flags.push_back({4, 2, 11, 12});
    return e;
}
}  // namespace

TEST(OutOfMemory, TheDocumentSaysSoAndKeepsItsHistory) {
    ScriptedPrompts prompts;
    PatchDocument doc;
    doc.Reset(Base(), "");
    PatchEdit first;
    first.added.Append(8, 1, Bytes{1}, 0, 0);
    ASSERT_TRUE(doc.Run(QStringLiteral("Import"), std::move(first)));
    const Snapshot before = Take(doc.patch());

    // The allocations of the edit itself; the document's own come on top.
    Patch copy = doc.patch();
    PatchEdit measured = Edit();
    FailAllocation(LONG_MAX);
    measured.Apply(copy);
    const long allocations = gAllocations;
    FailAllocation(0);
    ASSERT_GT(allocations, 2);

    for (long n = 1; n <= allocations; ++n) {
        PatchEdit edit = Edit();
        FailAllocation(n);
        const bool ran = doc.Run(QStringLiteral("Import"), std::move(edit));
        FailAllocation(0);
        ASSERT_FALSE(ran) << n;
        EXPECT_EQ(Take(doc.patch()), before) << n;
        EXPECT_EQ(doc.UndoStack()->count(), 1);
        EXPECT_EQ(doc.UndoStack()->undoText(), "Import");
        ASSERT_EQ(prompts.messages.size(), n);
        EXPECT_EQ(prompts.messages.last(), "Import: There is not enough memory for this. The patch was left as it was.");
    }
    ASSERT_TRUE(doc.Run(QStringLiteral("Import"), Edit()));
    EXPECT_EQ(doc.UndoStack()->count(), 2);
}

TEST(OutOfMemory, UndoAndRedoFailingLeaveThePatchAndTheHistoryInStep) {
    ScriptedPrompts prompts;
    PatchDocument doc;
    doc.Reset(Base(), "");
    const Snapshot before = Take(doc.patch());
    ASSERT_TRUE(doc.Run(QStringLiteral("Import"), Edit()));
    const Snapshot after = Take(doc.patch());
    struct Step {
        bool (PatchDocument::*run)();
        const Snapshot& from;
        const Snapshot& to;
        int indexAfter;
    };
    for (const Step& s : {Step{&PatchDocument::Undo, after, before, 0}, Step{&PatchDocument::Redo, before, after, 1}}) {
        for (long n = 1;; ++n) {
            FailAllocation(n);
            const bool ran = (doc.*s.run)();
            FailAllocation(0);
            if (ran) break;
            ASSERT_EQ(Take(doc.patch()), s.from) << n;
            ASSERT_EQ(doc.UndoStack()->index(), 1 - s.indexAfter);
        }
        EXPECT_EQ(Take(doc.patch()), s.to);
        EXPECT_EQ(doc.UndoStack()->index(), s.indexAfter);
    }
    EXPECT_GT(prompts.messages.size(), 0);
}
