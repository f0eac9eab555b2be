#include "control/text_layout.h"

#include <limits>
#include <new>

#include <algorithm>

namespace {

// An edit that brings more new lines than this into the counted part gives the count up below it
// instead: the lines are counted again when someone asks, not in the middle of a big paste.
constexpr std::size_t kEagerLines = 2000;

// Long lines laid out in pieces, and display lines with x checkpoints, kept at once: the few used
// last, so a screen of long lines is not laid out again line after line.
constexpr std::size_t kKeptLongLines = 8;
constexpr std::size_t kKeptCheckpointLines = 64;

// Bytes walked between checks whether a walk is to stop.
constexpr std::size_t kWalkBlock = 16 * 1024;

bool IsWrapBlank(unsigned char c) { return c == ' ' || c == '\t'; }

template <typename Entry>
void ForgetLeastUsed(std::vector<Entry>& entries, std::size_t kept) {
    if (entries.size() < kept) return;
    auto least = std::min_element(entries.begin(), entries.end(),
                                  [](const Entry& a, const Entry& b) { return a.used < b.used; });
    entries.erase(least);
}

}  // namespace

TextLayout::TextLayout(TextModel& text, std::size_t pieceBytes)
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

template <typename Emit>
void TextLayout::WalkWraps(std::size_t from, std::size_t end, Emit&& emit) const {
    const std::size_t none = static_cast<std::size_t>(-1);
    std::size_t lineBegin = from;
    std::size_t afterBlanks = none;
    bool previousBlank = false;
    PixelX x = 0;
    bool stopped = false;
    for (std::size_t block = from; block < end && !stopped; block += kWalkBlock) {
        std::size_t blockEnd = std::min(end, block + kWalkBlock);
        text_.VisitRange(block, blockEnd, [&](const char* bytes, std::size_t count, std::size_t at) {
            for (std::size_t n = 0; n < count && !stopped; ++n) {
                std::size_t i = at + n;
                unsigned char c = static_cast<unsigned char>(bytes[n]);
                bool blank = IsWrapBlank(c);
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

// ---- Long lines in pieces ----------------------------------------------------------------------

std::size_t TextLayout::LongLine::StartOf(std::size_t k) const {
    auto after = std::upper_bound(pieces.begin(), pieces.end(), k,
                                  [](std::size_t value, const Piece& piece) { return value < piece.firstDisplay; });
    const Piece& piece = *(after - 1);
    return start + piece.offset + piece.starts[std::min(k - piece.firstDisplay, piece.starts.size() - 1)];
}

std::size_t TextLayout::LongLine::IndexOf(std::size_t position) const {
    std::size_t offset = position > start ? position - start : 0;
    auto after = std::upper_bound(pieces.begin(), pieces.end(), offset,
                                  [](std::size_t value, const Piece& piece) { return value < piece.offset; });
    const Piece& piece = *(after - 1);
    std::size_t inPiece = std::min<std::size_t>(offset - piece.offset, 0xFFFFFFFF);
    std::size_t k = static_cast<std::size_t>(
        std::upper_bound(piece.starts.begin(), piece.starts.end(), static_cast<std::uint32_t>(inPiece)) -
        piece.starts.begin() - 1);
    return piece.firstDisplay + k;
}

bool TextLayout::LongLine::Find(std::size_t offset, std::size_t& piece, std::size_t& index) const {
    auto after = std::upper_bound(pieces.begin(), pieces.end(), offset,
                                  [](std::size_t value, const Piece& p) { return value < p.offset; });
    piece = static_cast<std::size_t>(after - pieces.begin()) - 1;
    const std::vector<std::uint32_t>& starts = pieces[piece].starts;
    std::size_t inPiece = offset - pieces[piece].offset;
    if (inPiece > 0xFFFFFFFF) return false;
    auto found = std::lower_bound(starts.begin(), starts.end(), static_cast<std::uint32_t>(inPiece));
    if (found == starts.end() || *found != inPiece) return false;
    index = static_cast<std::size_t>(found - starts.begin());
    return true;
}

// A display line start found by a walk: in the last piece, or opening a new one once the last has
// grown to its size.
void TextLayout::AddStart(std::vector<Piece>& pieces, std::size_t offset) const {
    Piece& last = pieces.back();
    if (offset - last.offset < pieceBytes_) {
        last.starts.push_back(static_cast<std::uint32_t>(offset - last.offset));
        return;
    }
    Piece next;
    next.offset = offset;
    next.firstDisplay = last.firstDisplay + last.starts.size();
    next.starts.push_back(0);
    pieces.push_back(std::move(next));
}

void TextLayout::LayOutLongLine(LongLine& line) const {
    line.pieces.assign(1, Piece{});
    line.pieces[0].starts.push_back(0);
    WalkWraps(line.start, line.end, [&](std::size_t wrapAt) {
        AddStart(line.pieces, wrapAt - line.start);
        return true;
    });
}

TextLayout::LongLine* TextLayout::LongLineOf(std::size_t logicalLine) {
    std::size_t start = text_.LineStart(logicalLine);
    std::size_t end = text_.LineEnd(logicalLine);
    if (end - start < pieceBytes_) return nullptr;
    for (std::size_t i = 0; i < longLines_.size(); ++i) {
        if (longLines_[i].start != start) continue;
        if (longLines_[i].end == end) {
            longLines_[i].used = ++useClock_;
            return &longLines_[i];
        }
        longLines_.erase(longLines_.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    LongLine line;
    line.start = start;
    line.end = end;
    LayOutLongLine(line);
    line.used = ++useClock_;
    ForgetLeastUsed(longLines_, kKeptLongLines);
    longLines_.push_back(std::move(line));
    return &longLines_.back();
}

bool TextLayout::FollowEdit(LongLine& line, std::size_t first, std::size_t removed, std::size_t inserted) const {
    if (first + removed < line.start) {
        // Above the line, the break before it untouched: the line only moves.
        line.start = line.start + inserted - removed;
        line.end = line.end + inserted - removed;
        return true;
    }
    if (first < line.start) return false;
    if (first > line.end) return true;  // below the line's text and the first byte of its break
    std::size_t logical = text_.LineFromPosition(line.start);
    if (text_.LineStart(logical) != line.start) return false;
    std::size_t newEnd = text_.LineEnd(logical);
    if (newEnd - line.start < pieceBytes_) return false;
    RelayLongLine(line, first, removed, inserted, newEnd);
    return true;
}

// Lays the line out again from two display lines above the first changed byte (the wrap just above
// a change may move, since where a line wraps depends on the bytes up to the first that overflows
// it, which may lie on the next line) until a display line starts where an old one started behind
// the change: from a display line start on, the layout depends only on the bytes that follow.
void TextLayout::RelayLongLine(LongLine& line, std::size_t first, std::size_t removed, std::size_t inserted,
                               std::size_t newEnd) const {
    std::vector<Piece>& old = line.pieces;
    std::size_t changed = first - line.start;  // the bytes before it kept their places
    // The last display line starting before the change, and one more above it.
    std::size_t above = changed == 0 ? 0 : line.IndexOf(first - 1);
    std::size_t restart = above > 0 ? above - 1 : 0;
    auto after = std::upper_bound(old.begin(), old.end(), restart,
                                  [](std::size_t value, const Piece& piece) { return value < piece.firstDisplay; });
    std::size_t p = static_cast<std::size_t>(after - old.begin()) - 1;
    std::size_t t = restart - old[p].firstDisplay;

    // The pieces from p on, laid out again; those above it stay as they are.
    std::vector<Piece> fresh;
    fresh.emplace_back();
    fresh[0].offset = old[p].offset;
    fresh[0].firstDisplay = old[p].firstDisplay;
    fresh[0].starts.assign(old[p].starts.begin(), old[p].starts.begin() + static_cast<std::ptrdiff_t>(t) + 1);

    // Behind the change the old starts hold, moved, when the line still ends where it did.
    const std::size_t delta = inserted - removed;  // modulo arithmetic: offsets only move by it
    const bool tailKept = newEnd - line.start == line.end - line.start + delta;
    const std::size_t lastOld = old.back().offset + old.back().starts.back();
    std::size_t from = line.start + old[p].offset + old[p].starts[t];
    WalkWraps(from, newEnd, [&](std::size_t wrapAt) {
        std::size_t offset = wrapAt - line.start;
        std::size_t q = 0, u = 0;
        if (tailKept && offset >= changed + inserted && offset - delta <= lastOld && line.Find(offset - delta, q, u)) {
            std::size_t firstWhole = q;
            if (u > 0) {
                AddStart(fresh, offset);
                Piece& last = fresh.back();
                for (std::size_t v = u + 1; v < old[q].starts.size(); ++v)
                    last.starts.push_back(
                        static_cast<std::uint32_t>(old[q].offset + old[q].starts[v] + delta - last.offset));
                firstWhole = q + 1;
            }
            fresh.reserve(fresh.size() + old.size() - firstWhole);
            for (std::size_t i = firstWhole; i < old.size(); ++i) {
                fresh.push_back(std::move(old[i]));
                fresh.back().offset += delta;
            }
            return false;
        }
        AddStart(fresh, offset);
        return true;
    });
    // From here nothing allocates but the room for the new pieces, which is had first.
    old.reserve(p + fresh.size());
    old.resize(p);
    std::size_t display = p > 0 ? old[p - 1].firstDisplay + old[p - 1].starts.size() : 0;
    for (Piece& piece : fresh) {
        piece.firstDisplay = display;
        display += piece.starts.size();
        old.push_back(std::move(piece));
    }
    line.end = newEnd;
}

// Counting goes over every line of a big text once: a short line is walked without keeping its starts.
std::size_t TextLayout::CountWraps(std::size_t logicalLine) {
    if (!Wraps()) return 1;
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

TextLayout::Checkpoints& TextLayout::CheckpointsOf(std::size_t start) {
    for (Checkpoints& line : checkpoints_) {
        if (line.start != start) continue;
        line.used = ++useClock_;
        return line;
    }
    Checkpoints line;
    line.start = start;
    line.places.push_back(Place{0, 0});
    line.used = ++useClock_;
    ForgetLeastUsed(checkpoints_, kKeptCheckpointLines);
    checkpoints_.push_back(std::move(line));
    return checkpoints_.back();
}

// Built up to upTo (a position) or up to the first checkpoint beyond upToX, whichever comes first,
// and never past end.
void TextLayout::ExtendCheckpoints(Checkpoints& line, std::size_t end, std::size_t upTo, PixelX upToX) {
    Place last = line.places.back();
    std::size_t limit = std::min(upTo, end) - line.start;
    while (last.position + kCheckpointSpacing <= limit && last.x <= upToX) {
        PixelX x = last.x;
        std::size_t next = last.position + kCheckpointSpacing;
        text_.VisitRange(line.start + last.position, line.start + next,
                         [&](const char* bytes, std::size_t count, std::size_t) {
                             for (std::size_t i = 0; i < count; ++i) x += Advance(static_cast<unsigned char>(bytes[i]), x);
                         });
        last = Place{next, x};
        line.places.push_back(last);
    }
}

TextLayout::Place TextLayout::CheckpointBefore(std::size_t start, std::size_t end, std::size_t position) {
    if (position - start < kCheckpointSpacing) return Place{start, 0};
    Checkpoints& line = CheckpointsOf(start);
    ExtendCheckpoints(line, end, position, std::numeric_limits<PixelX>::max());
    std::size_t k = std::min((position - start) / kCheckpointSpacing, line.places.size() - 1);
    return Place{start + line.places[k].position, line.places[k].x};
}

TextLayout::Place TextLayout::CheckpointBeforeX(std::size_t start, std::size_t end, PixelX x) {
    if (end - start < kCheckpointSpacing) return Place{start, 0};
    Checkpoints& line = CheckpointsOf(start);
    ExtendCheckpoints(line, end, end, x);
    auto after = std::upper_bound(line.places.begin(), line.places.end(), x,
                                  [](PixelX value, const Place& place) { return value < place.x; });
    // Places kept from before an edit that shortened the line may lie past its end.
    while (after != line.places.begin() && (after - 1)->position > end - start) --after;
    if (after == line.places.begin()) return Place{start, 0};
    return Place{start + (after - 1)->position, (after - 1)->x};
}

void TextLayout::FollowCheckpoints(std::size_t first, std::size_t removed, std::size_t inserted) noexcept {
    for (std::size_t i = checkpoints_.size(); i-- > 0;) {
        Checkpoints& line = checkpoints_[i];
        if (first + removed < line.start) {
            line.start = line.start + inserted - removed;  // the bytes from its start on only moved
        } else if (first < line.start) {
            checkpoints_.erase(checkpoints_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            // Checkpoints up to the first changed byte still hold: the bytes before it did not move.
            while (line.places.size() > 1 && line.start + line.places.back().position > first) line.places.pop_back();
        }
    }
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
    text_.VisitRange(from.position, end, [&](const char* bytes, std::size_t count, std::size_t) {
        for (std::size_t i = 0; i < count; ++i) x += Advance(static_cast<unsigned char>(bytes[i]), x);
    });
    return x;
}

std::size_t TextLayout::PositionAtX(std::size_t displayLine, PixelX x) {
    std::size_t start = DisplayLineStart(displayLine);
    if (start == TextModel::kNoPosition) return text_.Length();
    std::size_t end = DisplayLineEnd(displayLine);
    Place from = CheckpointBeforeX(start, end, x);
    PixelX left = from.x;
    for (std::size_t i = from.position; i < end; ++i) {
        int w = Advance(text_.At(i), left);
        if (x < left + (w + 1) / 2) return i;
        left += w;
    }
    return end;
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
