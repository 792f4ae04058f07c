// One undoable change of a patch. The patch is append-only plus "removed"
// marks and flag words, so an edit records the slots it appended, the marks
// it made (its own and those of settling duplicates) and the flags it
// replaced; undoing costs the slots touched and never copies block data.
#pragma once

#include <cstdint>
#include <vector>

#include "patch/patch.h"
#include "patch/settle_duplicates.h"

struct FlagChange {
    std::uint8_t fileId = 0;
    std::int32_t slot = 0;
    std::int16_t flagA = 0, flagB = 0;  // the flags to set; after Apply, the ones replaced
};

class PatchEdit {
public:
    // What the edit does, filled before the first Apply.
    Patch added;                          // slots to append behind the patch's own
    std::vector<RemovedMark> removals;    // slots to mark removed (slot and its number)
    std::vector<FlagChange> flags;

    // Makes the change. The first Apply settles duplicates the appended slots
    // made and remembers those marks; a later Apply (redo) repeats them. When
    // the first Apply runs out of memory (std::bad_alloc) the patch is left
    // as it was and the edit cannot be applied again.
    void Apply(Patch& patch);
    // Takes the change back exactly; the appended slots return to `added`.
    // Out of memory (std::bad_alloc), it leaves the patch as it was; so does
    // a later Apply.
    void Revert(Patch& patch);

    // The marks settling made on the first Apply.
    const std::vector<RemovedMark>& SettleMarks() const { return settled_; }
    bool Empty() const;

private:
    // Takes back an Apply whose settling failed.
    void TakeBackFlagsAndRemovals(Patch& patch);
    void TakeBackUnsettled(Patch& patch);

    struct Appended {
        std::uint8_t fileId;
        std::size_t from;  // the entry's slot count before
    };
    std::vector<Appended> appended_;
    std::vector<RemovedMark> settled_;
    bool applied_ = false;
};
