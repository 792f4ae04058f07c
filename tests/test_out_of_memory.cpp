// Running out of memory at every allocation an edit makes: the patch and the
// document's history stay exactly as they were; diff and verify cannot tell.
// This binary replaces the global allocator so that the n-th allocation can
// be made to fail.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>
#include <QStringList>
#include <tuple>

#include "app/patch_document.h"
#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/command_runs.h"
#include "gamefiles/forms/verdata.h"
#include "test_support.h"

namespace {
std::atomic<long> gAllocations{0}, gFailAt{0};  // gFailAt 0: none fails

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
        s.emplace_back(std::vector<Slot>{}, e.removedCount);
        for (const PatchBlock& b : e.blocks)
            s.back().first.emplace_back(b.number, b.Length(), b.flagA, b.flagB, Bytes(b.bytes.begin(), b.bytes.end()));
    }
    return s;
}

// A document holding blocks in two file IDs, and the first edit of its history.
void Open(PatchDocument& doc) {
    Patch p;
    for (std::int32_t n = 0; n < 40; ++n) p.Append(4, n, Bytes{static_cast<std::uint8_t>(n), 1}, 0, 0);
    p.Append(12, 7, Bytes{9}, 3, 4);
    doc.Reset(std::move(p), "");
    PatchEdit first;
    first.added.Append(8, 1, Bytes{1}, 0, 0);
    ASSERT_TRUE(doc.Run(QStringLiteral("Import"), std::move(first)));
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

TEST(OutOfMemory, TheDocumentReportsItAndKeepsItsHistoryThroughEditsUndoAndRedo) {
    PatchDocument doc;
    QStringList said;
    QObject::connect(&doc, &PatchDocument::Failed,
                     [&](const QString& title, const QString& text) { said.append(title + ": " + text); });
    Open(doc);
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
        EXPECT_EQ(std::pair(doc.UndoStack()->count(), doc.UndoStack()->undoText()), std::pair(1, QStringLiteral("Import")));
        ASSERT_EQ(said.size(), n);
        EXPECT_EQ(said.last(), "Import: There is not enough memory for this. The patch was left as it was.");
    }
    ASSERT_TRUE(doc.Run(QStringLiteral("Import"), Edit()));
    EXPECT_EQ(doc.UndoStack()->count(), 2);

    // Undo and redo failing leave the patch and the history in step.
    const Snapshot after = Take(doc.patch());
    const qsizetype reported = said.size();
    const std::tuple<bool (PatchDocument::*)(), const Snapshot&, const Snapshot&, int> steps[] = {
        {&PatchDocument::Undo, after, before, 1}, {&PatchDocument::Redo, before, after, 2}};
    for (const auto& [run, from, to, indexAfter] : steps) {
        for (long n = 1;; ++n) {
            FailAllocation(n);
            const bool ran = (doc.*run)();
            FailAllocation(0);
            if (ran) break;
            ASSERT_EQ(Take(doc.patch()), from) << n;
            ASSERT_EQ(doc.UndoStack()->index(), 3 - indexAfter);
        }
        EXPECT_EQ(Take(doc.patch()), to);
        EXPECT_EQ(doc.UndoStack()->index(), indexAfter);
    }
    EXPECT_GT(said.size(), reported);
}

TEST(OutOfMemory, DiffAndVerifyCannotTellRatherThanSayTheFilesDiffer) {
    TempDir dir;
    const Patch patch = PatchOf({{4, 1, {1, 2}}, {12, 3, {3}, 5, 6}});
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", patch)));
    ASSERT_TRUE(Ok(WriteVerdata(dir / "v.mul", patch)));
    for (const char* name : {"diff", "verify"}) {
        const CommandDeclaration& command = *FindCommand(name);
        ASSERT_TRUE(command.Has(kCompares));  // so a failure exits 2
        const Result<CommandArgs> args = ParseCommandArgs(command, {dir / "p.uop", dir / "v.mul"});
        ASSERT_TRUE(args.has_value());
        for (long n = 1;; ++n) {
            std::ostringstream out, err;
            CliSession session;
            FailAllocation(n);
            const CommandResult result = command.run(*args, out, err, session);
            FailAllocation(0);
            if (result) {
                ASSERT_EQ(*result, kDone) << n;
                break;
            }
        }
    }
}
