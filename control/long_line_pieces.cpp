// A logical line of pieceBytes_ or more keeps its display line starts in pieces; an edit lays it out
// again only near the change.
#include <new>

#include "control/text_layout_walk.h"

using text_layout_detail::ForgetLeastUsed;

namespace {

// Long lines laid out in pieces kept at once: the few used last, so a screen of long lines is not
// laid out again line after line.
constexpr std::size_t kKeptLongLines = 8;

}  // namespace

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
