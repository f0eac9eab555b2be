#pragma once
// What the parts of TextLayout share (text_layout.cpp, long_line_pieces.cpp, x_checkpoints.cpp):
// the wrap walk and how the few kept long lines and checkpoint lines are chosen. Only those files
// include this.
#include <algorithm>
#include <vector>

#include "control/text_layout.h"

namespace text_layout_detail {

inline bool IsWrapBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// Of entries kept for the few lines used last, the least used gives way to a new one.
template <typename Entry>
void ForgetLeastUsed(std::vector<Entry>& entries, std::size_t kept) {
    if (entries.size() < kept) return;
    auto least = std::min_element(entries.begin(), entries.end(),
                                  [](const Entry& a, const Entry& b) { return a.used < b.used; });
    entries.erase(least);
}

}  // namespace text_layout_detail

template <typename Emit>
void TextLayout::WalkWraps(std::size_t from, std::size_t end, Emit&& emit) const {
    const std::size_t none = static_cast<std::size_t>(-1);
    std::size_t lineBegin = from;
    std::size_t afterBlanks = none;
    bool previousBlank = false;
    PixelX x = 0;
    VisitCharacters(from, end, [&](std::size_t i, const Utf8Character& c) {
        bool blank = text_layout_detail::IsWrapBlank(c.byte);
        if (!blank && previousBlank) afterBlanks = i;
        int w = Advance(c, x);
        while (!blank && x + w > wrapWidth_ && i > lineBegin) {
            std::size_t wrapAt = (afterBlanks != none && afterBlanks > lineBegin) ? afterBlanks : i;
            if (!emit(wrapAt)) return false;
            lineBegin = wrapAt;
            afterBlanks = none;
            x = 0;
            VisitCharacters(wrapAt, i, [&](std::size_t, const Utf8Character& before) {
                x += Advance(before, x);
                return true;
            });
            w = Advance(c, x);
        }
        x += w;
        previousBlank = blank;
        return true;
    });
}
