#pragma once
// Display lines of the control's text. Without word wrap a display line is a logical line. With it,
// each logical line breaks into display lines no wider than the wrap width: after a run of blanks
// where possible (the blanks stay at the end of the upper line and may hang past the edge), inside
// a word when the word alone is too wide. Widths come from a 256-entry table of the view font, so
// laying out a line is a walk over its bytes.
//
// With wrap on, the display lines of the logical lines are counted lazily from the top, only as far
// as someone asks; an edit recounts the lines it touched and shifts the rest.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "control/position_list.h"
#include "control/text_model.h"

using CharWidths = std::array<int, 256>;

class TextLayout final : public TextObserver {
public:
    explicit TextLayout(TextModel& text);
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
    int XOfPosition(std::size_t displayLine, std::size_t position);
    // The position whose caret place is nearest to x on the display line.
    std::size_t PositionAtX(std::size_t displayLine, int x);
    int DisplayLineWidth(std::size_t displayLine);

    int CharWidth(unsigned char byte) const { return widths_[byte]; }
    int TabWidth() const { return tabWidth_; }
    int Advance(unsigned char byte, int x) const {
        return byte == '\t' ? (x / tabWidth_ + 1) * tabWidth_ - x : widths_[byte];
    }

    // The starts of the display lines of one logical line (the first is the line's start).
    const std::vector<std::uint32_t>& WrapsOfLine(std::size_t logicalLine);

    void OnLinesReplaced(std::size_t firstLine, std::size_t oldCount, std::size_t newCount) noexcept override;
    void OnBytesReplaced(std::size_t first, std::size_t removed, std::size_t inserted) noexcept override;

    // A place on the display line at or before x, with its x: where a walk along the line towards x
    // may start instead of at the line's start (painting a long line scrolled far to the right).
    struct Place {
        std::size_t position;
        int x;
    };
    Place PlaceBeforeX(std::size_t displayLine, int x);

private:
    void UpdateCounts(std::size_t firstLine, std::size_t oldCount, std::size_t newCount);
    void Invalidate();
    std::size_t CountWraps(std::size_t logicalLine);
    void ComputeWraps(std::size_t logicalLine, std::vector<std::uint32_t>& starts) const;
    void EnsureLines(std::size_t logicalLines);
    void EnsureDisplayLine(std::size_t displayLine);
    std::size_t DisplayStartOf(std::size_t logicalLine) const;

    // Long display lines: the x of every kCheckpointSpacing-th position from the line's start, built
    // as far as asked and kept up to the first byte an edit changes, so typing at the end of a long
    // line, moving the caret and painting do not walk the line from its start each time.
    static constexpr std::size_t kCheckpointSpacing = 4096;
    Place CheckpointBefore(std::size_t start, std::size_t end, std::size_t position);
    Place CheckpointBeforeX(std::size_t start, std::size_t end, int x);
    void ExtendCheckpoints(std::size_t start, std::size_t end, std::size_t upTo, int upToX);
    void ForgetCheckpoints() noexcept { checkpoints_.clear(); }

    TextModel& text_;
    CharWidths widths_{};
    std::vector<Place> checkpoints_;  // checkpoints_[0] is the line's start, at x 0
    int tabWidth_ = 64;
    int wrapWidth_ = 0;

    // With wrap on: entry i is the number of display lines above logical line i, for the lines
    // counted so far; countedDisplayLines_ is the number of display lines of those lines.
    PositionList displayStarts_;
    std::size_t countedDisplayLines_ = 0;

    // The last logical line laid out, reused while the text is unchanged.
    std::size_t cachedLine_ = static_cast<std::size_t>(-1);
    std::uint64_t cachedVersion_ = 0;
    std::vector<std::uint32_t> cachedWraps_;
};
