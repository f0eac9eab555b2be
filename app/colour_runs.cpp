#include "app/colour_runs.h"

#include <algorithm>

std::size_t ColourRuns::IndexAfter(std::size_t position) const {
    return std::upper_bound(runs_.begin(), runs_.end(), position,
                            [](std::size_t p, const Run& run) { return p < run.start; }) -
           runs_.begin();
}

std::uint32_t ColourRuns::ColourAt(std::size_t position) const {
    std::size_t i = IndexAfter(position);
    return i == 0 ? kDefault : runs_[i - 1].colour;
}

std::size_t ColourRuns::NextChange(std::size_t position) const {
    std::size_t i = IndexAfter(position);
    return i < runs_.size() ? runs_[i].start : kEnd;
}

void ColourRuns::Set(std::size_t first, std::size_t last, std::uint32_t colour) {
    if (first >= last) return;
    std::uint32_t after = ColourAt(last);
    std::size_t from = IndexAfter(first == 0 ? 0 : first - 1);
    while (from > 0 && runs_[from - 1].start >= first) --from;
    std::size_t to = IndexAfter(last);
    runs_.erase(runs_.begin() + from, runs_.begin() + to);
    runs_.insert(runs_.begin() + from, {Run{first, colour}, Run{last, after}});
    Normalise();
}

void ColourRuns::OnReplace(std::size_t first, std::size_t removed, std::size_t inserted) {
    if (runs_.empty()) return;
    std::size_t last = first + removed;
    if (removed) {
        std::uint32_t after = ColourAt(last);
        // Changes inside the deleted range go; the colour at its end now starts at first.
        auto begin = std::find_if(runs_.begin(), runs_.end(), [&](const Run& r) { return r.start >= first; });
        auto end = std::find_if(begin, runs_.end(), [&](const Run& r) { return r.start > last; });
        bool hadChange = begin != end;
        std::size_t at = runs_.erase(begin, end) - runs_.begin();
        if (hadChange) runs_.insert(runs_.begin() + at, Run{first, after});
        for (std::size_t i = at + (hadChange ? 1 : 0); i < runs_.size(); ++i) runs_[i].start -= removed;
    }
    if (inserted) {
        // A change at first moves behind the inserted text, except at the very start of the text.
        for (Run& run : runs_)
            if (run.start > first || (run.start == first && first > 0)) run.start += inserted;
    }
    Normalise();
}

void ColourRuns::Normalise() {
    std::vector<Run> kept;
    kept.reserve(runs_.size());
    std::uint32_t current = kDefault;
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        // Of several changes at one place the last holds.
        if (i + 1 < runs_.size() && runs_[i + 1].start == runs_[i].start) continue;
        if (runs_[i].colour == current) continue;
        kept.push_back(runs_[i]);
        current = runs_[i].colour;
    }
    runs_.swap(kept);
}
