#include "control/text_layout.h"

#include <new>

#include "control/text_layout_walk.h"

namespace {

// An edit that brings more new lines than this into the counted part gives the count up below it
// instead: the lines are counted again when someone asks, not in the middle of a big paste.
constexpr std::size_t kEagerLines = 2000;

}  // namespace

TextLayout::TextLayout(const TextModel& text, std::size_t pieceBytes)
    : text_(text), pieceBytes_(std::max<std::size_t>(pieceBytes, 16)) {
    widths_.fill(8);
    text_.AddObserver(this);
}

TextLayout::~TextLayout() { text_.RemoveObserver(this); }

void TextLayout::SetWidths(const CharWidths& widths, int tabWidth) {
    widths_ = widths;
    tabWidth_ = std::max(1, tabWidth);
    Invalidate();
}

void TextLayout::SetCharacterMeasure(MeasureCharacter measure) {
    measure_ = std::move(measure);
    planeWidths_.clear();
    otherWidths_.clear();
    if (GoesByCharacters()) Invalidate();
}

int TextLayout::MeasuredWidth(char32_t code) const {
    if (code < 0x10000) {
        if (planeWidths_.empty()) planeWidths_.assign(0x10000, -1);
        int& width = planeWidths_[code];
        if (width < 0) width = std::max(0, measure_ ? measure_(code) : widths_['x']);
        return width;
    }
    auto found = otherWidths_.find(code);
    if (found != otherWidths_.end()) return found->second;
    int width = std::max(0, measure_ ? measure_(code) : 2 * widths_['x']);
    otherWidths_.emplace(code, width);
    return width;
}

void TextLayout::SetWrapWidth(int pixels) {
    pixels = std::max(0, pixels);
    if (pixels == wrapWidth_) return;
    wrapWidth_ = pixels;
    Invalidate();
}

void TextLayout::Invalidate() {
    displayStarts_.Clear();
    countedDisplayLines_ = 0;
    cachedLine_ = static_cast<std::size_t>(-1);
    longLines_.clear();
    ForgetCheckpoints();
}

void TextLayout::ComputeWraps(std::size_t logicalLine, std::vector<std::uint32_t>& starts) const {
    std::size_t start = text_.LineStart(logicalLine);
    starts.clear();
    starts.push_back(static_cast<std::uint32_t>(start));
    if (!Wraps()) return;
    WalkWraps(start, text_.LineEnd(logicalLine), [&](std::size_t wrapAt) {
        starts.push_back(static_cast<std::uint32_t>(wrapAt));
        return true;
    });
}

// Counting goes over every line of a big text once: a short line is walked without keeping its starts.
std::size_t TextLayout::CountWraps(std::size_t logicalLine) {
    if (!Wraps()) return 1;
    ++linesCounted_;
    std::size_t start = text_.LineStart(logicalLine);
    std::size_t end = text_.LineEnd(logicalLine);
    if (end - start >= pieceBytes_) return WrapCount(logicalLine);
    std::size_t count = 1;
    WalkWraps(start, end, [&count](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

const std::vector<std::uint32_t>& TextLayout::WrapsOfLine(std::size_t logicalLine) {
    if (cachedLine_ != logicalLine || cachedVersion_ != text_.Version()) {
        cachedLine_ = static_cast<std::size_t>(-1);
        if (LongLine* line = Wraps() ? LongLineOf(logicalLine) : nullptr) {
            cachedWraps_.clear();
            for (const Piece& piece : line->pieces)
                for (std::uint32_t start : piece.starts)
                    cachedWraps_.push_back(static_cast<std::uint32_t>(line->start + piece.offset + start));
        } else {
            ComputeWraps(logicalLine, cachedWraps_);
        }
        cachedLine_ = logicalLine;
        cachedVersion_ = text_.Version();
    }
    return cachedWraps_;
}

std::size_t TextLayout::WrapCount(std::size_t logicalLine) {
    if (!Wraps()) return 1;
    if (LongLine* line = LongLineOf(logicalLine)) return line->Count();
    return WrapsOfLine(logicalLine).size();
}

std::size_t TextLayout::WrapStart(std::size_t logicalLine, std::size_t k) {
    if (LongLine* line = LongLineOf(logicalLine)) return line->StartOf(k);
    return WrapsOfLine(logicalLine)[k];
}

std::size_t TextLayout::WrapIndex(std::size_t logicalLine, std::size_t position) {
    if (LongLine* line = LongLineOf(logicalLine)) return line->IndexOf(position);
    const auto& wraps = WrapsOfLine(logicalLine);
    return static_cast<std::size_t>(
        std::upper_bound(wraps.begin(), wraps.end(), static_cast<std::uint32_t>(position)) - wraps.begin() - 1);
}

std::size_t TextLayout::DisplayStartOf(std::size_t logicalLine) const {
    return logicalLine < displayStarts_.Count() ? displayStarts_.Value(logicalLine) : countedDisplayLines_;
}

void TextLayout::EnsureLines(std::size_t logicalLines) {
    logicalLines = std::min(logicalLines, text_.LineCount());
    while (displayStarts_.Count() < logicalLines) {
        std::size_t line = displayStarts_.Count();
        // Counted first: a failure while laying the line out must not leave it listed uncounted.
        std::size_t wraps = CountWraps(line);
        displayStarts_.Append(static_cast<std::uint32_t>(countedDisplayLines_));
        countedDisplayLines_ += wraps;
    }
}

void TextLayout::EnsureDisplayLine(std::size_t displayLine) {
    while (countedDisplayLines_ <= displayLine && displayStarts_.Count() < text_.LineCount()) {
        EnsureLines(displayStarts_.Count() + 1);
    }
}

std::size_t TextLayout::DisplayLineCount() {
    if (!Wraps()) return text_.LineCount();
    EnsureLines(text_.LineCount());
    return countedDisplayLines_;
}

std::size_t TextLayout::DisplayLineCountEstimate() const {
    std::size_t lines = text_.LineCount();
    if (!Wraps()) return lines;
    std::size_t counted = displayStarts_.Count();
    if (counted == 0) return lines;
    std::size_t rest = lines - counted;
    return countedDisplayLines_ + static_cast<std::size_t>(double(rest) * double(countedDisplayLines_) / double(counted));
}

std::size_t TextLayout::FirstDisplayLineOf(std::size_t logicalLine) {
    if (!Wraps()) return logicalLine;
    EnsureLines(logicalLine + 1);
    return DisplayStartOf(logicalLine);
}

std::size_t TextLayout::DisplayLineFromPosition(std::size_t position) {
    position = std::min(position, text_.Length());
    std::size_t line = text_.LineFromPosition(position);
    if (!Wraps()) return line;
    EnsureLines(line + 1);
    return DisplayStartOf(line) + WrapIndex(line, position);
}

std::size_t TextLayout::DisplayLineStart(std::size_t displayLine) {
    if (!Wraps()) return displayLine < text_.LineCount() ? text_.LineStart(displayLine) : TextModel::kNoPosition;
    EnsureDisplayLine(displayLine);
    if (displayLine >= countedDisplayLines_) return TextModel::kNoPosition;
    std::size_t line = displayStarts_.LastNotAbove(static_cast<std::uint32_t>(displayLine));
    return WrapStart(line, displayLine - DisplayStartOf(line));
}

std::size_t TextLayout::DisplayLineEnd(std::size_t displayLine) {
    if (!Wraps()) return displayLine < text_.LineCount() ? text_.LineEnd(displayLine) : TextModel::kNoPosition;
    EnsureDisplayLine(displayLine);
    if (displayLine >= countedDisplayLines_) return TextModel::kNoPosition;
    std::size_t line = displayStarts_.LastNotAbove(static_cast<std::uint32_t>(displayLine));
    std::size_t k = displayLine - DisplayStartOf(line);
    return k + 1 < WrapCount(line) ? WrapStart(line, k + 1) : text_.LineEnd(line);
}

TextLayout::Place TextLayout::PlaceBeforeX(std::size_t displayLine, PixelX x) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return Place{text_.Length(), 0};
    try {
        return CheckpointBeforeX(start, DisplayLineEnd(displayLine), x);
    } catch (const std::bad_alloc&) {
        return Place{start, 0};
    }
}

PixelX TextLayout::XOfPosition(std::size_t displayLine, std::size_t position) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return 0;
    std::size_t end = std::min(DisplayLineEnd(displayLine), position);
    Place from = CheckpointBefore(start, DisplayLineEnd(displayLine), end);
    PixelX x = from.x;
    // A position inside a character of the UTF-8 view stands where the character does.
    VisitCharacters(from.position, end, [&](std::size_t at, const Utf8Character& c) {
        if (at + c.length > end) return false;
        x += Advance(c, x);
        return true;
    });
    return x;
}

std::size_t TextLayout::PositionAtX(std::size_t displayLine, PixelX x) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return text_.Length();
    std::size_t end = DisplayLineEnd(displayLine);
    Place from = CheckpointBeforeX(start, end, x);
    PixelX left = from.x;
    std::size_t found = end;
    VisitCharacters(from.position, end, [&](std::size_t at, const Utf8Character& c) {
        int w = Advance(c, left);
        if (x < left + (w + 1) / 2) {
            found = at;
            return false;
        }
        left += w;
        return true;
    });
    return found;
}

PixelX TextLayout::DisplayLineWidth(std::size_t displayLine) {
    return XOfPosition(displayLine, TextModel::kNoPosition);
}

void TextLayout::OnBytesReplaced(std::size_t first, std::size_t removed, std::size_t inserted) noexcept {
    if (removed == TextModel::kNoPosition) {
        ForgetCheckpoints();
        longLines_.clear();
        return;
    }
    FollowCheckpoints(first, removed, inserted);
    for (std::size_t i = longLines_.size(); i-- > 0;) {
        bool kept = false;
        try {
            kept = FollowEdit(longLines_[i], first, removed, inserted);
        } catch (...) {
            // Laid out afresh when next asked for; the change of the text stands.
        }
        if (!kept) longLines_.erase(longLines_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void TextLayout::OnLinesReplaced(std::size_t firstLine, std::size_t oldCount, std::size_t newCount) noexcept {
    // The text has changed already and cannot go back: when the counts of the new lines cannot be
    // had, the lines from the edit on are simply counted again when next asked for.
    try {
        UpdateCounts(firstLine, oldCount, newCount);
    } catch (...) {
        cachedLine_ = static_cast<std::size_t>(-1);
        if (firstLine < displayStarts_.Count()) {
            countedDisplayLines_ = DisplayStartOf(firstLine);
            displayStarts_.Remove(firstLine, displayStarts_.Count() - firstLine);
        }
    }
}

void TextLayout::UpdateCounts(std::size_t firstLine, std::size_t oldCount, std::size_t newCount) {
    cachedLine_ = static_cast<std::size_t>(-1);
    if (!Wraps()) return;
    std::size_t counted = displayStarts_.Count();
    if (firstLine >= counted) return;
    std::size_t base = DisplayStartOf(firstLine);
    if (firstLine + oldCount > counted || newCount > kEagerLines) {
        displayStarts_.Remove(firstLine, counted - firstLine);
        countedDisplayLines_ = base;
        return;
    }
    std::size_t oldDisplay = DisplayStartOf(firstLine + oldCount) - base;
    std::vector<std::uint32_t> starts(newCount);
    std::size_t newDisplay = 0;
    for (std::size_t i = 0; i < newCount; ++i) {
        starts[i] = static_cast<std::uint32_t>(base + newDisplay);
        newDisplay += CountWraps(firstLine + i);
    }
    displayStarts_.Remove(firstLine, oldCount);
    displayStarts_.Insert(firstLine, starts.data(), newCount);
    displayStarts_.ShiftFrom(firstLine + newCount, static_cast<std::uint32_t>(newDisplay - oldDisplay));
    countedDisplayLines_ += newDisplay - oldDisplay;
}
