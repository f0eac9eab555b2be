#pragma once
// When the recovery copy is written and when it goes. A copy is written a few seconds after the
// typing pauses, not on every key; typing that never pauses still gets one now and then. One write
// at a time: a change during a write is written by the next one. A failed write is tried again a
// while later, and only a run of failures is told to the user, once, until a write succeeds again.
// Times are milliseconds of any clock that only goes forward.
#include <cstdint>

struct RecoveryTimings {
    std::uint64_t quiet = 3000;     // the pause after the last change before a copy is written
    std::uint64_t longest = 30000;  // the longest a change waits while the typing goes on
    std::uint64_t retry = 10000;    // the wait after a failed write
    int failuresTold = 3;           // failed writes in a row before the user is told
};

class RecoverySchedule {
public:
    enum class Step { Nothing, Write, Remove };

    explicit RecoverySchedule(RecoveryTimings timings = {}) : timings_(timings) {}

    void SetTimings(RecoveryTimings timings) { timings_ = timings; }
    const RecoveryTimings& Timings() const { return timings_; }

    void TextChanged(std::uint64_t now);
    // The copy was removed (the text was saved, or thrown away by the user): a text still unsaved
    // gets a new one.
    void CopyRemoved(std::uint64_t now);
    // The copy on disk holds the text as it is now (brought back at start and taken over).
    void CopyTaken();
    // What to do now. `unsaved`: the document has changes not saved; `wanted`: the switch is on.
    // A Write is under way until WriteFinished; a Remove is done when it returns.
    Step Next(std::uint64_t now, bool unsaved, bool wanted);
    // Whether this failure is the one to tell the user of.
    bool WriteFinished(bool written, std::uint64_t now);
    // The write was called off before it took the copy's place: the copy was removed meanwhile, or the
    // text changed while it was being taken out. Its changes wait from when they were made, so typing
    // that calls off every write still comes to an overdue one.
    void WriteCancelled();
    // The write asked for is owed to typing that never paused (not to a pause): it must be taken out
    // at once rather than bit by bit, or the next key would call it off again.
    bool Overdue() const { return overdue_; }

    bool Writing() const { return writing_; }
    bool CopyExists() const { return copyExists_; }

private:
    RecoveryTimings timings_;
    bool pending_ = false;  // changes not yet in a copy
    bool writing_ = false;
    bool copyExists_ = false;
    bool told_ = false;
    bool overdue_ = false;
    int failures_ = 0;
    std::uint64_t firstChange_ = 0;  // the first change not yet in a copy
    std::uint64_t lastChange_ = 0;
    std::uint64_t writtenFirstChange_ = 0;  // the first change of the write under way
    std::uint64_t retryAt_ = 0;
};
