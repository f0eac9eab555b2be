#include "control/text_layout.h"

#include <limits>
#include <new>

#include <algorithm>

namespace {

// An edit that brings more new lines than this into the counted part gives the count up below it
// instead: the lines are counted again when someone asks, not in the middle of a big paste.
constexpr std::size_t kEagerLines = 2000;

bool IsWrapBlank(unsigned char c) { return c == ' ' || c == '\t'; }

}  // namespace

TextLayout::TextLayout(TextModel& text) : text_(text) {
    widths_.fill(8);
    text_.AddObserver(this);
}

TextLayout::~TextLayout() { text_.RemoveObserver(this); }

void TextLayout::SetWidths(const CharWidths& widths, int tabWidth) {
    widths_ = widths;
    tabWidth_ = std::max(1, tabWidth);
    Invalidate();
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
    ForgetCheckpoints();
}

void TextLayout::ComputeWraps(std::size_t logicalLine, std::vector<std::uint32_t>& starts) const {
    std::size_t start = text_.LineStart(logicalLine);
    starts.clear();
    starts.push_back(static_cast<std::uint32_t>(start));
    if (!Wraps()) return;
    std::size_t end = text_.LineEnd(logicalLine);
    const std::size_t none = static_cast<std::size_t>(-1);
    std::size_t lineBegin = start;
    std::size_t afterBlanks = none;
    bool previousBlank = false;
    int x = 0;
    for (std::size_t i = start; i < end; ++i) {
        unsigned char c = text_.At(i);
        bool blank = IsWrapBlank(c);
        if (!blank && previousBlank) afterBlanks = i;
        int w = Advance(c, x);
        while (!blank && x + w > wrapWidth_ && i > lineBegin) {
            std::size_t wrapAt = (afterBlanks != none && afterBlanks > lineBegin) ? afterBlanks : i;
            starts.push_back(static_cast<std::uint32_t>(wrapAt));
            lineBegin = wrapAt;
            afterBlanks = none;
            x = 0;
            for (std::size_t j = wrapAt; j < i; ++j) x += Advance(text_.At(j), x);
            w = Advance(c, x);
        }
        x += w;
        previousBlank = blank;
    }
}

std::size_t TextLayout::CountWraps(std::size_t logicalLine) {
    static thread_local std::vector<std::uint32_t> scratch;
    ComputeWraps(logicalLine, scratch);
    return scratch.size();
}

const std::vector<std::uint32_t>& TextLayout::WrapsOfLine(std::size_t logicalLine) {
    if (cachedLine_ != logicalLine || cachedVersion_ != text_.Version()) {
        ComputeWraps(logicalLine, cachedWraps_);
        cachedLine_ = logicalLine;
        cachedVersion_ = text_.Version();
    }
    return cachedWraps_;
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
    const auto& wraps = WrapsOfLine(line);
    std::size_t k = std::upper_bound(wraps.begin(), wraps.end(), static_cast<std::uint32_t>(position)) -
                    wraps.begin() - 1;
    return DisplayStartOf(line) + k;
}

std::size_t TextLayout::DisplayLineStart(std::size_t displayLine) {
    if (!Wraps()) return displayLine < text_.LineCount() ? text_.LineStart(displayLine) : TextModel::kNoPosition;
    EnsureDisplayLine(displayLine);
    if (displayLine >= countedDisplayLines_) return TextModel::kNoPosition;
    std::size_t line = displayStarts_.LastNotAbove(static_cast<std::uint32_t>(displayLine));
    return WrapsOfLine(line)[displayLine - DisplayStartOf(line)];
}

std::size_t TextLayout::DisplayLineEnd(std::size_t displayLine) {
    if (!Wraps()) return displayLine < text_.LineCount() ? text_.LineEnd(displayLine) : TextModel::kNoPosition;
    EnsureDisplayLine(displayLine);
    if (displayLine >= countedDisplayLines_) return TextModel::kNoPosition;
    std::size_t line = displayStarts_.LastNotAbove(static_cast<std::uint32_t>(displayLine));
    const auto& wraps = WrapsOfLine(line);
    std::size_t k = displayLine - DisplayStartOf(line);
    return k + 1 < wraps.size() ? wraps[k + 1] : text_.LineEnd(line);
}

// The checkpoints belong to the display line starting at `start`; built up to upTo (a position) or
// up to the first checkpoint beyond upToX, whichever comes first, and never past end.
void TextLayout::ExtendCheckpoints(std::size_t start, std::size_t end, std::size_t upTo, int upToX) {
    if (checkpoints_.empty() || checkpoints_.front().position != start) checkpoints_.assign(1, Place{start, 0});
    Place last = checkpoints_.back();
    while (last.position + kCheckpointSpacing <= std::min(upTo, end) && last.x <= upToX) {
        int x = last.x;
        std::size_t next = last.position + kCheckpointSpacing;
        text_.VisitRange(last.position, next, [&](const char* bytes, std::size_t count, std::size_t) {
            for (std::size_t i = 0; i < count; ++i) x += Advance(static_cast<unsigned char>(bytes[i]), x);
        });
        last = Place{next, x};
        checkpoints_.push_back(last);
    }
}

TextLayout::Place TextLayout::CheckpointBefore(std::size_t start, std::size_t end, std::size_t position) {
    if (position - start < kCheckpointSpacing) return Place{start, 0};
    ExtendCheckpoints(start, end, position, std::numeric_limits<int>::max());
    std::size_t k = std::min((position - start) / kCheckpointSpacing, checkpoints_.size() - 1);
    return checkpoints_[k];
}

TextLayout::Place TextLayout::CheckpointBeforeX(std::size_t start, std::size_t end, int x) {
    if (end - start < kCheckpointSpacing) return Place{start, 0};
    ExtendCheckpoints(start, end, end, x);
    auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), x,
                                  [](int value, const Place& place) { return value < place.x; });
    return after == checkpoints_.begin() ? Place{start, 0} : *(after - 1);
}

TextLayout::Place TextLayout::PlaceBeforeX(std::size_t displayLine, int x) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return Place{text_.Length(), 0};
    try {
        return CheckpointBeforeX(start, DisplayLineEnd(displayLine), x);
    } catch (const std::bad_alloc&) {
        return Place{start, 0};
    }
}

int TextLayout::XOfPosition(std::size_t displayLine, std::size_t position) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return 0;
    std::size_t end = std::min(DisplayLineEnd(displayLine), position);
    Place from = CheckpointBefore(start, DisplayLineEnd(displayLine), end);
    int x = from.x;
    text_.VisitRange(from.position, end, [&](const char* bytes, std::size_t count, std::size_t) {
        for (std::size_t i = 0; i < count; ++i) x += Advance(static_cast<unsigned char>(bytes[i]), x);
    });
    return x;
}

std::size_t TextLayout::PositionAtX(std::size_t displayLine, int x) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return text_.Length();
    std::size_t end = DisplayLineEnd(displayLine);
    Place from = CheckpointBeforeX(start, end, x);
    int left = from.x;
    for (std::size_t i = from.position; i < end; ++i) {
        int w = Advance(text_.At(i), left);
        if (x < left + (w + 1) / 2) return i;
        left += w;
    }
    return end;
}

int TextLayout::DisplayLineWidth(std::size_t displayLine) {
    return XOfPosition(displayLine, TextModel::kNoPosition);
}

void TextLayout::OnBytesReplaced(std::size_t first, std::size_t removed, std::size_t) noexcept {
    // Checkpoints up to the first changed byte still hold: the bytes before it did not move.
    if (checkpoints_.empty()) return;
    if (removed == TextModel::kNoPosition || first < checkpoints_.front().position) {
        ForgetCheckpoints();
        return;
    }
    while (!checkpoints_.empty() && checkpoints_.back().position > first) checkpoints_.pop_back();
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
