#pragma once
// What the parts of TextLayout share (text_layout.cpp, long_line_pieces.cpp, x_checkpoints.cpp):
// the wrap walk and how the few kept long lines and checkpoint lines are chosen. Only those files
// include this.
#include <algorithm>
#include <vector>

#include "control/text_layout.h"

namespace text_layout_detail {

// Bytes walked between checks whether a walk is to stop.
constexpr std::size_t kWalkBlock = 16 * 1024;

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
    bool stopped = false;
    for (std::size_t block = from; block < end && !stopped; block += text_layout_detail::kWalkBlock) {
        std::size_t blockEnd = std::min(end, block + text_layout_detail::kWalkBlock);
        text_.VisitRange(block, blockEnd, [&](const char* bytes, std::size_t count, std::size_t at) {
            for (std::size_t n = 0; n < count && !stopped; ++n) {
                std::size_t i = at + n;
                unsigned char c = static_cast<unsigned char>(bytes[n]);
                bool blank = text_layout_detail::IsWrapBlank(c);
                if (!blank && previousBlank) afterBlanks = i;
                int w = Advance(c, x);
                while (!blank && x + w > wrapWidth_ && i > lineBegin) {
                    std::size_t wrapAt = (afterBlanks != none && afterBlanks > lineBegin) ? afterBlanks : i;
                    if (!emit(wrapAt)) {
                        stopped = true;
                        return;
                    }
                    lineBegin = wrapAt;
                    afterBlanks = none;
                    x = 0;
                    for (std::size_t j = wrapAt; j < i; ++j) x += Advance(text_.At(j), x);
                    w = Advance(c, x);
                }
                x += w;
                previousBlank = blank;
            }
        });
    }
}
