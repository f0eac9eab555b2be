#include "document/recovery_schedule.h"

#include <algorithm>

void RecoverySchedule::TextChanged(std::uint64_t now) {
    if (!pending_) firstChange_ = now;
    pending_ = true;
    lastChange_ = now;
}

void RecoverySchedule::CopyRemoved(std::uint64_t now) {
    copyExists_ = false;
    // Whether anything is still unsaved is known at the next step; until then it counts as a change.
    TextChanged(now);
}

void RecoverySchedule::CopyTaken() {
    copyExists_ = true;
    pending_ = false;
}

RecoverySchedule::Step RecoverySchedule::Next(std::uint64_t now, bool unsaved, bool wanted) {
    if (writing_) return Step::Nothing;
    if (!unsaved || !wanted) {
        pending_ = false;
        if (!copyExists_) return Step::Nothing;
        copyExists_ = false;
        return Step::Remove;
    }
    if (!pending_ || now < retryAt_) return Step::Nothing;
    if (now - lastChange_ < timings_.quiet && now - firstChange_ < timings_.longest) return Step::Nothing;
    overdue_ = now - lastChange_ < timings_.quiet;
    writtenFirstChange_ = firstChange_;
    pending_ = false;
    writing_ = true;
    return Step::Write;
}

void RecoverySchedule::WriteCancelled() {
    writing_ = false;
    if (pending_) firstChange_ = std::min(firstChange_, writtenFirstChange_);
}

bool RecoverySchedule::WriteFinished(bool written, std::uint64_t now) {
    writing_ = false;
    if (written) {
        copyExists_ = true;
        failures_ = 0;
        told_ = false;
        retryAt_ = 0;
        return false;
    }
    // The changes of the failed write are still to be written; those made meanwhile keep their times.
    if (!pending_) firstChange_ = lastChange_ = now;
    pending_ = true;
    retryAt_ = now + timings_.retry;
    if (++failures_ < timings_.failuresTold || told_) return false;
    told_ = true;
    return true;
}
