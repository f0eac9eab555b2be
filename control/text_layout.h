#pragma once
// Display lines of the control's text. Without word wrap a display line is a logical line. With it,
// each logical line breaks into display lines no wider than the wrap width: after a run of blanks
// where possible (the blanks stay at the end of the upper line and may hang past the edge), inside
// a word when the word alone is too wide. Widths come from a 256-entry table of the view font, so
// laying out a line is a walk over its bytes. In the UTF-8 and UTF-16 views (the text's form,
// control/view_characters.h) a line is a walk over its characters: each is measured by its glyph,
// asked of the view once per code and kept, and lines wrap only between characters.
//
// With wrap on, the display lines of the logical lines are counted lazily from the top, only as far
// as someone asks; an edit recounts the lines it touched and shifts the rest. A long logical line
// keeps its display line starts in pieces, and an edit lays it out again only from a little above
// the change until the starts meet the old ones again, so a line of many megabytes costs per key
// what a short one does.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "control/position_list.h"
#include "control/text_model.h"
#include "control/view_characters.h"

using CharWidths = std::array<int, 256>;
// Pixels along a display line. A line of 64 MB of tabs or wide glyphs runs far past what an int
// holds, so x is 64-bit everywhere it is kept; only what is handed to the system is brought back
// into int, relative to the view's scroll origin.
using PixelX = std::int64_t;

class TextLayout final : public TextObserver {
public:
    // Lines of at least pieceBytes bytes keep their display line starts in pieces of about that size.
    static constexpr std::size_t kPieceBytes = 64 * 1024;
    explicit TextLayout(const TextModel& text, std::size_t pieceBytes = kPieceBytes);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // Tabs stop at multiples of tabWidth pixels from the start of the display line.
    void SetWidths(const CharWidths& widths, int tabWidth);
    // 0 switches wrapping off.
    void SetWrapWidth(int pixels);
    bool Wraps() const { return wrapWidth_ > 0; }
    int WrapWidth() const { return wrapWidth_; }

    std::size_t DisplayLineCount();
    // The display line count from the lines counted so far and the average of them, for a scroll
    // bar that must not wait for the whole text to be laid out. Exact once everything is counted.
    std::size_t DisplayLineCountEstimate() const;
    // With wrap on, how many times in all the display lines of a logical line were counted: what
    // the questions asked so far cost. The lines are counted from the top as far as someone asks,
    // again after a change of width or font, and the lines an edit brings.
    std::uint64_t LinesCounted() const { return linesCounted_; }
    // The display line's first position; DisplayLineCount() or more gives kNoPosition.
    std::size_t DisplayLineStart(std::size_t displayLine);
    // The end of the display line's text: its logical line's end (before the break) for the last
    // display line of a logical line, else the start of the next display line.
    std::size_t DisplayLineEnd(std::size_t displayLine);
    // A position where a line wraps belongs to the lower display line; a position beyond the text
    // to the last line.
    std::size_t DisplayLineFromPosition(std::size_t position);
    // The display line counts of the logical lines above, so painting can go logical line by line.
    std::size_t FirstDisplayLineOf(std::size_t logicalLine);

    // Pixels from the display line's start to position (clamped to the line's text).
    PixelX XOfPosition(std::size_t displayLine, std::size_t position);
    // The position whose caret place is nearest to x on the display line.
    std::size_t PositionAtX(std::size_t displayLine, PixelX x);
    PixelX DisplayLineWidth(std::size_t displayLine);

    int CharWidth(unsigned char byte) const { return widths_[byte]; }
    int TabWidth() const { return tabWidth_; }
    int Advance(unsigned char byte, PixelX x) const {
        return byte == '\t' ? static_cast<int>(tabWidth_ - x % tabWidth_) : widths_[byte];
    }

    // The views that go by characters (the text's form): the widths of ASCII come from the table
    // and those of every other character (and of a byte or unit standing alone, kMalformedByte)
    // from measure.
    using MeasureCharacter = std::function<int(char32_t)>;
    bool GoesByCharacters() const { return text_.Form() != CharacterForm::Bytes; }
    void SetCharacterMeasure(MeasureCharacter measure);
    // A character's width at x: the width of its glyph, or up to the next tab stop.
    int Advance(const Utf8Character& c, PixelX x) const {
        if (c.code < 0x80) return Advance(static_cast<unsigned char>(c.code), x);
        return MeasuredWidth(c.unit ? kMalformedUnit : c.code);
    }
    // Calls step(position, character) for each character from `from` (a character start) before
    // end, until step returns false. In the single-byte views each byte is a character whose code
    // is the byte.
    template <typename Step>
    void VisitCharacters(std::size_t from, std::size_t end, Step&& step) const {
        ::VisitCharacters(text_, from, end, step);
    }
    // The character starting at position, read as the view reads it.
    Utf8Character CharacterAt(std::size_t position) const { return ::CharacterAt(text_, position); }

    // The starts of the display lines of one logical line (the first is the line's start). For a
    // long line this gathers all its pieces; the layout itself asks the pieces one start at a time.
    const std::vector<std::uint32_t>& WrapsOfLine(std::size_t logicalLine);

    void OnLinesReplaced(std::size_t firstLine, std::size_t oldCount, std::size_t newCount) noexcept override;
    void OnBytesReplaced(std::size_t first, std::size_t removed, std::size_t inserted) noexcept override;

    // A place on the display line at or before x, with its x: where a walk along the line towards x
    // may start instead of at the line's start (painting a long line scrolled far to the right).
    struct Place {
        std::size_t position;
        PixelX x;
    };
    Place PlaceBeforeX(std::size_t displayLine, PixelX x);

private:
    void UpdateCounts(std::size_t firstLine, std::size_t oldCount, std::size_t newCount);
    void Invalidate();
    std::size_t CountWraps(std::size_t logicalLine);
    void ComputeWraps(std::size_t logicalLine, std::vector<std::uint32_t>& starts) const;
    void EnsureLines(std::size_t logicalLines);
    void EnsureDisplayLine(std::size_t displayLine);
    std::size_t DisplayStartOf(std::size_t logicalLine) const;

    // Lays a logical line out from `from`, a display line start, up to end (the line's end), and
    // calls emit with each later display line start; emit returning false stops the walk. The walk
    // from any display line start gives the starts a walk from the line's start gives there.
    template <typename Emit>
    void WalkWraps(std::size_t from, std::size_t end, Emit&& emit) const;

    // The display lines of one logical line: how many, the start of the k-th, the one holding a
    // position (a position where a line wraps belongs to the lower one).
    std::size_t WrapCount(std::size_t logicalLine);
    std::size_t WrapStart(std::size_t logicalLine, std::size_t k);
    std::size_t WrapIndex(std::size_t logicalLine, std::size_t position);

    // A long logical line's display line starts, in pieces of about pieceBytes_ bytes. A piece
    // begins at a display line start, so it can be laid out again on its own; offsets count from the
    // line's start, so an edit above the line or in an earlier piece only moves a few numbers.
    struct Piece {
        std::size_t offset = 0;        // of the piece's first display line, from the line's start
        std::size_t firstDisplay = 0;  // display lines of the logical line above the piece
        std::vector<std::uint32_t> starts;  // from offset; starts[0] is 0
    };
    struct LongLine {
        std::size_t start = 0;
        std::size_t end = 0;  // before the line break
        std::vector<Piece> pieces;
        std::uint64_t used = 0;
        std::size_t Count() const { return pieces.back().firstDisplay + pieces.back().starts.size(); }
        std::size_t StartOf(std::size_t k) const;
        std::size_t IndexOf(std::size_t position) const;
        // The piece and the index in it of the display line start at offset, if there is one.
        bool Find(std::size_t offset, std::size_t& piece, std::size_t& index) const;
    };
    LongLine* LongLineOf(std::size_t logicalLine);
    void LayOutLongLine(LongLine& line) const;
    // Follows an edit of the text; false when the line must be laid out afresh when next asked.
    bool FollowEdit(LongLine& line, std::size_t first, std::size_t removed, std::size_t inserted) const;
    void RelayLongLine(LongLine& line, std::size_t first, std::size_t removed, std::size_t inserted,
                       std::size_t newEnd) const;
    void AddStart(std::vector<Piece>& pieces, std::size_t offset) const;

    // Long display lines: the x of every kCheckpointSpacing-th position from the line's start, built
    // as far as asked and kept up to the first byte an edit changes, so typing at the end of a long
    // line, moving the caret and painting do not walk the line from its start each time. Kept for
    // the few display lines used last, so a screen of long lines does not take turns.
    static constexpr std::size_t kCheckpointSpacing = 4096;
    struct Checkpoints {
        std::size_t start = 0;       // the display line's first position
        std::vector<Place> places;  // positions from start; places[0] is {0, 0}
        std::uint64_t used = 0;
    };
    Checkpoints& CheckpointsOf(std::size_t start);
    Place CheckpointBefore(std::size_t start, std::size_t end, std::size_t position);
    Place CheckpointBeforeX(std::size_t start, std::size_t end, PixelX x);
    void ExtendCheckpoints(Checkpoints& line, std::size_t end, std::size_t upTo, PixelX upToX);
    void FollowCheckpoints(std::size_t first, std::size_t removed, std::size_t inserted) noexcept;
    void ForgetCheckpoints() noexcept { checkpoints_.clear(); }

    int MeasuredWidth(char32_t code) const;

    const TextModel& text_;
    std::size_t pieceBytes_;
    CharWidths widths_{};
    MeasureCharacter measure_;
    // Widths of the characters measured so far: the first plane in a table, the rest by code.
    mutable std::vector<int> planeWidths_;
    mutable std::unordered_map<char32_t, int> otherWidths_;
    std::vector<Checkpoints> checkpoints_;
    std::vector<LongLine> longLines_;
    std::uint64_t useClock_ = 0;
    int tabWidth_ = 64;
    int wrapWidth_ = 0;

    // With wrap on: entry i is the number of display lines above logical line i, for the lines
    // counted so far; countedDisplayLines_ is the number of display lines of those lines.
    PositionList displayStarts_;
    std::size_t countedDisplayLines_ = 0;
    std::uint64_t linesCounted_ = 0;

    // The last short logical line laid out, reused while the text is unchanged.
    std::size_t cachedLine_ = static_cast<std::size_t>(-1);
    std::uint64_t cachedVersion_ = 0;
    std::vector<std::uint32_t> cachedWraps_;
};
