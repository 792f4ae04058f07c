// How long work reports how far it got, and learns that the user stopped it.
#pragma once

#include <cstdint>
#include <functional>

#include "io/result.h"

// What a stopped command returns; callers show no error box for it.
inline Error Cancelled() { return Error("Cancelled.", ErrorCode::kCancelled); }

struct Progress {
    // Told done of total; returns false to stop. Empty: nobody is watching.
    std::function<bool(std::int64_t done, std::int64_t total)> report;

    // False when the work must stop. Asks only every few thousand steps, so a
    // tight loop pays nothing for being watched.
    bool Step(std::int64_t done, std::int64_t total) const {
        if (!report || (done % kEvery != 0 && done != total)) return true;
        return report(done, total);
    }

    static constexpr std::int64_t kEvery = 4096;
};
