#pragma once
// An ascending list of 32-bit positions (line starts, display line numbers) in which "add d to every
// entry from index i on" is cheap. The addition is kept pending for a run of entries and applied only
// when an edit moves elsewhere, so a keystroke in a text of a million lines touches a few entries,
// not all of them. Values wrap modulo 2^32, so a pending subtraction is an addition too.
#include <cstddef>
#include <cstdint>

#include "control/gap_buffer.h"

class PositionList {
public:
    std::size_t Count() const { return stored_.Size(); }

    std::uint32_t Value(std::size_t index) const {
        return stored_[index] + (index >= stepFrom_ ? stepDelta_ : 0u);
    }

    // Inserts count values (already final) at index.
    void Insert(std::size_t index, const std::uint32_t* values, std::size_t count);
    void Append(std::uint32_t value) { Insert(Count(), &value, 1); }
    void Remove(std::size_t index, std::size_t count);
    // Adds delta to every entry from index on.
    void ShiftFrom(std::size_t index, std::uint32_t delta);
    void Clear();
    void ShrinkReserve(std::size_t keep) { stored_.ShrinkReserve(keep); }
    // Room for count more entries, so that the next insertions of that many cannot fail.
    void Reserve(std::size_t count) { stored_.Reserve(count); }
    void ReserveExactly(std::size_t count) { stored_.ReserveExactly(count); }
    void Swap(PositionList& other) noexcept;

    // The last index whose value is at most value (0 when the first entry is larger already).
    std::size_t LastNotAbove(std::uint32_t value) const;

    std::size_t MemoryBytes() const { return stored_.Capacity() * sizeof(std::uint32_t); }

private:
    void MoveStepTo(std::size_t index);

    GapBuffer<std::uint32_t> stored_;
    std::size_t stepFrom_ = 0;
    std::uint32_t stepDelta_ = 0;
};
