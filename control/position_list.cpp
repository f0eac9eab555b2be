#include "control/position_list.h"

#include <utility>

void PositionList::MoveStepTo(std::size_t index) {
    if (stepDelta_ == 0) {
        stepFrom_ = index;
        return;
    }
    std::uint32_t delta = stepDelta_;
    if (index > stepFrom_) {
        stored_.ChangeRange(stepFrom_, index, [delta](std::uint32_t* v, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i) v[i] += delta;
        });
    } else {
        stored_.ChangeRange(index, stepFrom_, [delta](std::uint32_t* v, std::size_t n) {
            for (std::size_t i = 0; i < n; ++i) v[i] -= delta;
        });
    }
    stepFrom_ = index;
}

void PositionList::Insert(std::size_t index, const std::uint32_t* values, std::size_t count) {
    if (count == 0) return;
    MoveStepTo(index);
    std::uint32_t* room = stored_.InsertUninitialised(index, count);
    for (std::size_t i = 0; i < count; ++i) room[i] = values[i] - stepDelta_;
}

void PositionList::Remove(std::size_t index, std::size_t count) {
    if (count == 0) return;
    stored_.Erase(index, count);
    if (stepFrom_ >= index + count) stepFrom_ -= count;
    else if (stepFrom_ > index) stepFrom_ = index;
    if (stepFrom_ >= stored_.Size()) {
        stepFrom_ = stored_.Size();
        stepDelta_ = 0;
    }
}

void PositionList::ShiftFrom(std::size_t index, std::uint32_t delta) {
    if (delta == 0 || index >= stored_.Size()) return;
    // The pending run now starts at index, whichever side it was on: edits that follow each other
    // forwards (a replace run, typing) then each move it a little, instead of paying every time
    // for the entries between them and a run left far away.
    MoveStepTo(index);
    stepDelta_ += delta;
}

void PositionList::Clear() {
    stored_.Clear();
    stepFrom_ = 0;
    stepDelta_ = 0;
}

std::size_t PositionList::LastNotAbove(std::uint32_t value) const {
    std::size_t low = 0;
    std::size_t high = stored_.Size();
    while (high - low > 1) {
        std::size_t middle = low + (high - low) / 2;
        if (Value(middle) <= value) low = middle;
        else high = middle;
    }
    return low;
}

void PositionList::Swap(PositionList& other) noexcept {
    std::swap(stored_, other.stored_);
    std::swap(stepFrom_, other.stepFrom_);
    std::swap(stepDelta_, other.stepDelta_);
}
