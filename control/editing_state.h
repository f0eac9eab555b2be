#pragma once
// What the editor control remembers between messages about where the user is, and the rules that
// move it: the selection and the caret's place, the column kept for Up and Down, moves by
// character, word, line and page, word selection by the mouse, moving a dragged selection, and the
// view's first line and sideways scroll. The window only turns keys, mouse and messages into these
// calls and their results into painting, scroll bars, the caret and notifications.
//
// Positions are byte offsets of the TextModel; lines are the TextLayout's display lines. A caret
// never stands between the CR and the LF of a pair; in the UTF-8 view (TextLayout::Utf8) the caret
// and both ends of a selection stand at character starts only, and every move and deletion goes by
// whole characters (control/utf8_characters.h). Pixels along a line are 64-bit: a long line
// of wide glyphs runs past what an int holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "control/text_layout.h"
#include "control/text_model.h"
#include "control/text_search.h"

class EditingState {
public:
    static constexpr std::size_t kNone = TextModel::kNoPosition;
    // A wheel turns in notches of this many units.
    static constexpr int kWheelNotch = 120;
    // Where a position stands relative to the view (RowOf): above it, or below it.
    static constexpr long kAbove = -1;
    static constexpr long kBelow = 0x7FFFFFFF;

    EditingState(TextModel& text, TextLayout& layout);
    EditingState(const EditingState&) = delete;
    EditingState& operator=(const EditingState&) = delete;

    // ---- The view as the window has it -----------------------------------------------------
    // Whole rows that fit, the width of the text area in pixels, and the font's average character
    // width (the step of sideways scrolling).
    void SetViewSize(std::size_t rows, std::int64_t textWidth, int averageWidth);
    std::size_t VisibleLines() const { return rows_; }
    std::int64_t TextWidth() const { return textWidth_; }
    int AverageWidth() const { return averageWidth_; }
    // The letters of the view code page decide where words begin and end.
    void SetLetters(const ViewLetters& letters) { letters_ = &letters; }
    const ViewLetters& Letters() const { return *letters_; }

    // ---- Selection -------------------------------------------------------------------------
    std::size_t Anchor() const { return anchor_; }
    std::size_t Caret() const { return caret_; }
    std::size_t SelectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    std::size_t SelectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool HasSelection() const { return anchor_ != caret_; }
    bool InsideSelection(std::size_t position) const {
        return HasSelection() && position >= SelectionStart() && position < SelectionEnd();
    }
    // The caret stands where a line wraps inside a word: at the end of the upper display line (End,
    // a click past the end) rather than at the start of the lower one, which is the same position.
    bool CaretAtLineEnd() const { return caretAtLineEnd_; }
    // Positions beyond the text are its end. An empty selection between the CR and the LF of a pair
    // (asked for, or left behind an edit that made the pair) would let typing or Backspace split
    // it: it goes to the pair's start. A range is kept as it is, since a search may select a lone
    // LF. The column kept for Up and Down is forgotten.
    void Select(std::size_t anchor, std::size_t caret, bool atLineEnd = false) noexcept;
    // The display line the caret is drawn on.
    std::size_t CaretLine();
    // The x that Up and Down aim at, or -1 before the first of them.
    std::int64_t DesiredX() const { return desiredX_; }

    // ---- Places on display lines -----------------------------------------------------------
    struct Place {
        std::size_t position = 0;
        bool atLineEnd = false;
    };
    // One character on, or back: a CR LF pair is one step.
    std::size_t NextPosition(std::size_t position) const;
    std::size_t PreviousPosition(std::size_t position) const;
    // Where a word move from position stops, by the view's letters or, in the UTF-8 view, by the
    // Unicode classes of its characters.
    std::size_t WordBreak(std::size_t position, WordMove move) const;
    // Where "the end of this display line" is: before the break of the last part of a logical line;
    // on the blank an upper part hangs on, so the caret stays on that line; behind the last
    // character of an upper part wrapped inside a word, with the end-of-line affinity.
    Place EndOfLine(std::size_t displayLine);
    // The place nearest to x on the display line, never past its end.
    Place PlaceOnLine(std::size_t displayLine, std::int64_t x);
    // The place under a point: row counts from the view's first line (negative above it), x from
    // the text area's left edge; below the text is its last line.
    Place PlaceAt(long row, std::int64_t x);

    // ---- Keys ------------------------------------------------------------------------------
    enum class Motion { Left, Right, WordLeft, WordRight, Up, Down, PageUp, PageDown, LineStart, LineEnd,
                        TextStart, TextEnd };
    // Moves the caret; with extend the anchor stays. Left and Right without extend first collapse a
    // selection to its side. A page move scrolls the view by a page too, the caret keeping its row.
    // Every move ends the text's typing run. False when nothing moves (Up on the first line, Down
    // on the last).
    bool Move(Motion motion, bool extend);

    // ---- Keys that edit --------------------------------------------------------------------
    // The range a key replaces and how the edit joins the undo step before it.
    struct KeyEdit {
        std::size_t first = 0;
        std::size_t last = 0;
        EditKind kind = EditKind::Other;
    };
    enum class Deletion { Selection, CharacterBefore, CharacterAfter, WordBefore, WordAfter };
    // What a deleting key removes: the selection when there is one, else the character or word
    // before or after the caret (a CR LF pair goes whole); single characters deleted one after
    // another are one undo step. An empty range deletes nothing.
    KeyEdit DeletionFor(Deletion deletion) const;
    // What a typed character replaces: the selection, or in overwrite mode the character after the
    // caret unless that is a line break (a character typed at a line's end goes in front of it).
    KeyEdit TypingFor(bool overwrite) const;

    // ---- Mouse -----------------------------------------------------------------------------
    // The caret goes to a place the user pointed at; with extend the anchor stays. Ends the text's
    // typing run.
    void MoveTo(Place place, bool extend) { MoveCaretTo(place.position, extend, place.atLineEnd); }
    enum class Press { Selecting, MayDrag };
    // A press at a place: inside the selection (when it may be dragged and the press does not
    // extend) it may become a drag and changes nothing yet; elsewhere the caret goes there and a
    // selecting drag begins.
    Press PressAt(Place place, bool extend, bool canDrag);
    // A double click: the word there is selected, with the blanks after it, and a drag from it goes
    // by whole words. False when there is no word there.
    bool SelectWordAt(std::size_t position);
    // The word a double click at position takes, or an empty range at position where there is none.
    std::pair<std::size_t, std::size_t> WordAt(std::size_t position) const;
    // A selecting drag reaches a place: by characters, or after a double click by whole words, the
    // double-clicked word always inside.
    void DragTo(Place place);
    bool Selecting() const { return selecting_; }
    void EndSelecting() { selecting_ = selectingWords_ = false; }

    // What dropping the selection at a position does: replace [first, last) by bytes, then select
    // [selectFirst, selectLast). A move is one edit of the stretch from the selection to the drop
    // place, the dragged text and what lay between trading places, so it happens whole or not at
    // all. A drop into the selection itself changes no text and leaves the caret there.
    struct Drop {
        bool changesText = false;
        std::size_t first = 0;
        std::size_t last = 0;
        std::string bytes;
        std::size_t selectFirst = 0;
        std::size_t selectLast = 0;
    };
    Drop DropAt(std::size_t to, bool copy) const;

    // ---- The view --------------------------------------------------------------------------
    std::size_t TopLine() const { return topLine_; }
    std::int64_t ScrollX() const { return scrollX_; }
    // The widest line seen so far, for the horizontal scroll bar; NoteLineWidth is true when the
    // width widens it.
    std::int64_t WidestLine() const { return widestLine_; }
    bool NoteLineWidth(std::int64_t width);
    void ForgetWidestLine() { widestLine_ = 0; }
    // The lines a scroll bar counts: an estimate while wrapped lines are uncounted, never 0.
    std::size_t LineCountForScrolling();
    // The first line that still fills the view, at most.
    std::size_t ClampTopLine(std::size_t top);
    // Brings the first line within range and a wrapped view back to its left edge, without anyone
    // being told: for the window's size, font or drawing switched back on.
    void ClampView();
    // Shows the text from its start.
    void ResetView() { topLine_ = 0, scrollX_ = 0, widestLine_ = 0; }
    // True when the view moved.
    bool ScrollTo(std::size_t top, std::int64_t x);
    // The least scroll that shows the caret; sideways it goes a quarter of the width beyond.
    bool ScrollCaretIntoView();
    // The lines a page moves: the view less one, so a line of the old page stays in sight.
    long PageLines() const { return rows_ > 1 ? static_cast<long>(rows_) - 1 : 1; }
    // The wheel's units add up to whole notches; each notch scrolls linesPerNotch lines (byPage: a
    // page) up for a positive delta. True when the view moved.
    bool Wheel(int delta, unsigned linesPerNotch, bool byPage);
    // Sideways, a positive delta goes right by charactersPerNotch average characters a notch, up to
    // the widest line; a wrapped view has nothing to scroll sideways.
    bool HorizontalWheel(int delta, unsigned charactersPerNotch);
    // A position's display row in the view, or kAbove / kBelow when it lies in a logical line
    // outside the view. Display lines are counted only near the view, so asking about the far end
    // of a big wrapped text costs nothing.
    long RowOf(std::size_t position);

private:
    bool EndsUpperPartInsideWord(std::size_t displayLine, std::size_t position);
    bool MoveVertically(long lines, bool extend, bool byPage = false);
    bool MovePage(long direction, bool extend);
    void MoveCaretTo(std::size_t position, bool extend, bool atLineEnd = false);

    TextModel& text_;
    TextLayout& layout_;
    const ViewLetters* letters_;

    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    bool caretAtLineEnd_ = false;
    std::int64_t desiredX_ = -1;

    std::size_t rows_ = 1;
    std::int64_t textWidth_ = 1;
    int averageWidth_ = 8;
    std::size_t topLine_ = 0;
    std::int64_t scrollX_ = 0;
    std::int64_t widestLine_ = 0;
    int wheelPending_ = 0;
    int horizontalWheelPending_ = 0;

    bool selecting_ = false;
    bool selectingWords_ = false;
    std::size_t wordFirst_ = 0;
    std::size_t wordLast_ = 0;
};
