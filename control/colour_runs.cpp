#include "control/colour_runs.h"

#include <algorithm>

// Every change keeps the list minimal (no run repeats the colour before it) by looking only at the
// places it touched: the HTML tag colouring sets millions of ranges one after the other, and typing
// in such a text edits it at every keystroke, so neither may pass over the whole list.

std::size_t ColourRuns::IndexAfter(std::size_t position) const {
    return std::upper_bound(runs_.begin(), runs_.end(), position,
                            [](std::size_t p, const Run& run) { return p < run.start; }) -
           runs_.begin();
}

std::size_t ColourRuns::IndexFrom(std::size_t position) const {
    return std::lower_bound(runs_.begin(), runs_.end(), position,
                            [](const Run& run, std::size_t p) { return run.start < p; }) -
           runs_.begin();
}

std::uint32_t ColourRuns::ColourBefore(std::size_t index) const {
    return index == 0 ? kDefault : runs_[index - 1].colour;
}

std::uint32_t ColourRuns::ColourAt(std::size_t position) const { return ColourBefore(IndexAfter(position)); }

std::size_t ColourRuns::NextChange(std::size_t position) const {
    std::size_t i = IndexAfter(position);
    return i < runs_.size() ? runs_[i].start : kEnd;
}

void ColourRuns::Set(std::size_t first, std::size_t last, std::uint32_t colour) {
    if (first >= last) return;
    const std::uint32_t after = ColourAt(last);
    // The changes at first up to last go; the colour starts at first and the old one returns at last.
    const std::size_t from = IndexFrom(first);
    const std::size_t to = IndexAfter(last);
    Run replacement[2];
    std::size_t count = 0;
    if (colour != ColourBefore(from)) replacement[count++] = Run{first, colour};
    if (after != colour) replacement[count++] = Run{last, after};
    const std::size_t removed = to - from;
    std::copy(replacement, replacement + std::min(count, removed), runs_.begin() + from);
    if (removed > count) runs_.erase(runs_.begin() + from + count, runs_.begin() + to);
    else runs_.insert(runs_.begin() + to, replacement + removed, replacement + count);
}

void ColourRuns::OnReplace(std::size_t first, std::size_t removed, std::size_t inserted) {
    if (runs_.empty()) return;
    if (removed) {
        const std::size_t last = first + removed;
        const std::uint32_t after = ColourAt(last);
        // Changes inside the deleted range go; the colour at its end now starts at first.
        const std::size_t begin = IndexFrom(first);
        const std::size_t end = IndexAfter(last);
        std::size_t shiftFrom = begin;
        if (begin != end) {
            runs_.erase(runs_.begin() + begin + 1, runs_.begin() + end);
            if (after == ColourBefore(begin)) {
                runs_.erase(runs_.begin() + begin);
            } else {
                runs_[begin] = Run{first, after};
                ++shiftFrom;
            }
        }
        for (std::size_t i = shiftFrom; i < runs_.size(); ++i) runs_[i].start -= removed;
    }
    if (inserted) {
        // A change at first moves behind the inserted text, except at the very start of the text.
        for (std::size_t i = first == 0 ? IndexAfter(0) : IndexFrom(first); i < runs_.size(); ++i)
            runs_[i].start += inserted;
    }
}
