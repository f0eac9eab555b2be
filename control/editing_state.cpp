#include "control/editing_state.h"

#include <algorithm>

#include "control/view_characters.h"

EditingState::EditingState(TextModel& text, TextLayout& layout)
    : text_(text), layout_(layout), letters_(&LettersOfView(0)) {}

void EditingState::SetViewSize(std::size_t rows, std::int64_t textWidth, int averageWidth) {
    rows_ = std::max<std::size_t>(1, rows);
    textWidth_ = std::max<std::int64_t>(1, textWidth);
    averageWidth_ = std::max(1, averageWidth);
}

// ---- Selection -------------------------------------------------------------------------------

void EditingState::Select(std::size_t anchor, std::size_t caret, bool atLineEnd) noexcept {
    std::size_t length = text_.Length();
    anchor_ = std::min(anchor, length);
    caret_ = std::min(caret, length);
    caretAtLineEnd_ = atLineEnd;
    desiredX_ = -1;
    if (layout_.GoesByCharacters()) {
        anchor_ = CharacterStart(text_, anchor_);
        caret_ = CharacterStart(text_, caret_);
    }
    const std::size_t unit = text_.UnitBytes();
    if (anchor_ == caret_ && caret_ >= unit && text_.CrLfAt(caret_ - unit)) anchor_ = caret_ = caret_ - unit;
}

// A position where an upper display line ends without a blank to hang on: the wrap inside a word.
bool EditingState::EndsUpperPartInsideWord(std::size_t displayLine, std::size_t position) {
    std::size_t start = layout_.DisplayLineStart(displayLine);
    if (start == kNone || position <= start || layout_.DisplayLineStart(displayLine + 1) != position) return false;
    const char32_t before = CharacterAt(text_, PreviousCharacter(text_, position)).code;
    return before != ' ' && before != '\t' && before != '\r' && before != '\n';
}

std::size_t EditingState::CaretLine() {
    std::size_t line = layout_.DisplayLineFromPosition(caret_);
    if (caretAtLineEnd_ && line > 0 && EndsUpperPartInsideWord(line - 1, caret_)) return line - 1;
    return line;
}

// ---- Places on display lines -----------------------------------------------------------------

std::size_t EditingState::NextPosition(std::size_t p) const {
    std::size_t length = text_.Length();
    if (p >= length) return length;
    if (text_.CrLfAt(p)) return p + 2 * text_.UnitBytes();
    return NextCharacter(text_, p);
}

std::size_t EditingState::PreviousPosition(std::size_t p) const {
    p = std::min(p, text_.Length());
    if (p == 0) return 0;
    const std::size_t pair = 2 * text_.UnitBytes();
    if (p >= pair && text_.CrLfAt(p - pair)) return p - pair;
    return PreviousCharacter(text_, p);
}

std::size_t EditingState::WordBreak(std::size_t position, WordMove move) const {
    return layout_.GoesByCharacters() ? FindCharacterWordBreak(text_, position, move)
                                      : FindWordBreak(text_, position, move, *letters_);
}

EditingState::Place EditingState::EndOfLine(std::size_t displayLine) {
    std::size_t start = layout_.DisplayLineStart(displayLine);
    if (start == kNone) return {text_.Length(), false};
    std::size_t end = layout_.DisplayLineEnd(displayLine);
    if (end > start && layout_.DisplayLineStart(displayLine + 1) == end) {
        if (!EndsUpperPartInsideWord(displayLine, end)) return {PreviousCharacter(text_, end), false};
        return {end, true};
    }
    return {end, false};
}

EditingState::Place EditingState::PlaceOnLine(std::size_t displayLine, std::int64_t x) {
    std::size_t p = layout_.PositionAtX(displayLine, x);
    Place end = EndOfLine(displayLine);
    if (p < end.position) return {p, false};
    return end;
}

EditingState::Place EditingState::PlaceAt(long row, std::int64_t x) {
    long line = static_cast<long>(topLine_) + row;
    if (line < 0) return {0, false};
    if (layout_.DisplayLineStart(static_cast<std::size_t>(line)) == kNone)
        line = static_cast<long>(layout_.DisplayLineCount()) - 1;
    return PlaceOnLine(static_cast<std::size_t>(line), x + scrollX_);
}

// ---- Keys ------------------------------------------------------------------------------------

void EditingState::MoveCaretTo(std::size_t position, bool extend, bool atLineEnd) {
    text_.CloseUndoRun();
    Select(extend ? anchor_ : position, position, atLineEnd);
}

// A page is a line in a view of one or two rows, so the page keys say so themselves: past the
// first or last line they go to the start or end of the text where the line keys stop.
bool EditingState::MoveVertically(long lines, bool extend, bool byPage) {
    std::size_t line = CaretLine();
    std::int64_t x = desiredX_ >= 0 ? desiredX_ : layout_.XOfPosition(line, caret_);
    long target = static_cast<long>(line) + lines;
    Place place;
    if (target < 0) {
        if (!byPage) return false;
        place.position = 0;
    } else if (layout_.DisplayLineStart(static_cast<std::size_t>(target)) == kNone) {
        if (!byPage) return false;
        place.position = text_.Length();
    } else {
        place = PlaceOnLine(static_cast<std::size_t>(target), x);
    }
    MoveCaretTo(place.position, extend, place.atLineEnd);
    desiredX_ = x;
    return true;
}

// The view moves by a page and the caret by as many lines, so the caret keeps its row; at the ends
// of the text the view stops and the caret goes on to the first or the last line.
bool EditingState::MovePage(long direction, bool extend) {
    long page = PageLines() * direction;
    long top = static_cast<long>(topLine_) + page;
    std::size_t line = CaretLine();
    std::size_t caretRow = line - std::min(line, topLine_);
    MoveVertically(page, extend, true);
    ScrollCaretIntoView();
    std::size_t newTop = static_cast<std::size_t>(std::max(0L, top));
    line = CaretLine();
    if (line >= caretRow) newTop = std::min(newTop, line - caretRow);
    ScrollTo(newTop, scrollX_);
    ScrollCaretIntoView();
    return true;
}

bool EditingState::Move(Motion motion, bool extend) {
    switch (motion) {
    case Motion::Left:
        MoveCaretTo(HasSelection() && !extend ? SelectionStart() : PreviousPosition(caret_), extend);
        return true;
    case Motion::Right:
        MoveCaretTo(HasSelection() && !extend ? SelectionEnd() : NextPosition(caret_), extend);
        return true;
    case Motion::WordLeft: MoveCaretTo(WordBreak(caret_, WordMove::Left), extend); return true;
    case Motion::WordRight: MoveCaretTo(WordBreak(caret_, WordMove::Right), extend); return true;
    case Motion::Up: return MoveVertically(-1, extend);
    case Motion::Down: return MoveVertically(1, extend);
    case Motion::PageUp: return MovePage(-1, extend);
    case Motion::PageDown: return MovePage(1, extend);
    case Motion::LineStart: MoveCaretTo(layout_.DisplayLineStart(CaretLine()), extend); return true;
    case Motion::LineEnd: {
        Place end = EndOfLine(CaretLine());
        MoveCaretTo(end.position, extend, end.atLineEnd);
        return true;
    }
    case Motion::TextStart: MoveCaretTo(0, extend); return true;
    case Motion::TextEnd: MoveCaretTo(text_.Length(), extend); return true;
    }
    return false;
}

// ---- Keys that edit --------------------------------------------------------------------------

EditingState::KeyEdit EditingState::DeletionFor(Deletion deletion) const {
    if (HasSelection()) return {SelectionStart(), SelectionEnd(), EditKind::Other};
    switch (deletion) {
    case Deletion::Selection: break;
    case Deletion::CharacterBefore: return {PreviousPosition(caret_), caret_, EditKind::Deleting};
    case Deletion::CharacterAfter: return {caret_, NextPosition(caret_), EditKind::Deleting};
    case Deletion::WordBefore: return {WordBreak(caret_, WordMove::Left), caret_, EditKind::Other};
    case Deletion::WordAfter: return {caret_, WordBreak(caret_, WordMove::Right), EditKind::Other};
    }
    return {caret_, caret_, EditKind::Other};
}

EditingState::KeyEdit EditingState::TypingFor(bool overwrite) const {
    if (HasSelection()) return {SelectionStart(), SelectionEnd(), EditKind::Typing};
    bool beforeBreak = caret_ < text_.LineEnd(text_.LineFromPosition(caret_));
    return {caret_, overwrite && beforeBreak ? NextPosition(caret_) : caret_, EditKind::Typing};
}

// ---- Mouse -----------------------------------------------------------------------------------

EditingState::Press EditingState::PressAt(Place place, bool extend, bool canDrag) {
    if (canDrag && !extend && InsideSelection(place.position)) return Press::MayDrag;
    selecting_ = true;
    selectingWords_ = false;
    MoveCaretTo(place.position, extend, place.atLineEnd);
    return Press::Selecting;
}

std::pair<std::size_t, std::size_t> EditingState::WordAt(std::size_t p) const {
    std::size_t length = text_.Length();
    p = CharacterStart(text_, std::min(p, length));
    std::pair<std::size_t, std::size_t> none{p, p};
    if (length == 0) return none;
    const bool characters = layout_.GoesByCharacters();
    auto classAt = [&](std::size_t at) {
        return characters ? CharacterClassAt(text_, at) : letters_->classes[text_.At(at)];
    };
    auto next = [&](std::size_t at) { return NextCharacter(text_, at); };
    auto previous = [&](std::size_t at) { return PreviousCharacter(text_, at); };
    if (p >= length || classAt(p) == WordClass::LineBreak) {
        if (p == 0) return none;
        p = previous(p);
    }
    WordClass cls = classAt(p);
    if (cls == WordClass::LineBreak) return none;
    std::size_t first = p, last = next(p);
    while (first > 0 && classAt(previous(first)) == cls) first = previous(first);
    while (last < length && classAt(last) == cls) last = next(last);
    // A word is taken with the blanks after it, as the system's controls do.
    if (cls != WordClass::Blank)
        while (last < length && classAt(last) == WordClass::Blank) last = next(last);
    return {first, last};
}

bool EditingState::SelectWordAt(std::size_t position) {
    auto [first, last] = WordAt(position);
    if (first == last) return false;
    text_.CloseUndoRun();
    Select(first, last);
    selecting_ = selectingWords_ = true;
    wordFirst_ = first;
    wordLast_ = last;
    return true;
}

void EditingState::DragTo(Place place) {
    if (!selectingWords_) {
        MoveCaretTo(place.position, true, place.atLineEnd);
        return;
    }
    auto [first, last] = WordAt(place.position);
    text_.CloseUndoRun();
    if (first < wordFirst_) Select(wordLast_, first);
    else Select(wordFirst_, std::max(last, wordLast_));
}

EditingState::Drop EditingState::DropAt(std::size_t to, bool copy) const {
    Drop drop;
    std::size_t first = SelectionStart(), last = SelectionEnd();
    to = std::min(to, text_.Length());
    if (to >= first && to <= last) {
        drop.selectFirst = drop.selectLast = to;
        return drop;
    }
    drop.changesText = true;
    std::string dragged = text_.Range(first, last);
    std::size_t size = dragged.size();
    if (copy) {
        drop.first = drop.last = to;
        drop.bytes = std::move(dragged);
        drop.selectFirst = to;
    } else if (to > last) {
        drop.first = first;
        drop.last = to;
        drop.bytes = text_.Range(last, to) + dragged;
        drop.selectFirst = to - size;
    } else {
        drop.first = to;
        drop.last = last;
        drop.bytes = dragged + text_.Range(to, first);
        drop.selectFirst = to;
    }
    drop.selectLast = drop.selectFirst + size;
    return drop;
}

// ---- The view --------------------------------------------------------------------------------

bool EditingState::NoteLineWidth(std::int64_t width) {
    if (width <= widestLine_) return false;
    widestLine_ = width;
    return true;
}

std::size_t EditingState::LineCountForScrolling() {
    return std::max<std::size_t>(1, layout_.DisplayLineCountEstimate());
}

std::size_t EditingState::ClampTopLine(std::size_t top) {
    std::size_t count = LineCountForScrolling();
    std::size_t highest = count > rows_ ? count - rows_ : 0;
    top = std::min(top, highest);
    // The estimate can run past the real end while wrapped lines are still uncounted.
    if (top > 0 && layout_.DisplayLineStart(top) == kNone) {
        std::size_t real = layout_.DisplayLineCount();
        top = real > rows_ ? real - rows_ : 0;
    }
    return top;
}

void EditingState::ClampView() {
    topLine_ = ClampTopLine(topLine_);
    if (layout_.Wraps()) scrollX_ = 0;
}

bool EditingState::ScrollTo(std::size_t top, std::int64_t x) {
    top = ClampTopLine(top);
    x = std::max<std::int64_t>(0, x);
    if (layout_.Wraps()) x = 0;
    if (top == topLine_ && x == scrollX_) return false;
    topLine_ = top;
    scrollX_ = x;
    return true;
}

bool EditingState::ScrollCaretIntoView() {
    std::size_t line = CaretLine();
    std::size_t top = topLine_;
    if (line < top) top = line;
    else if (line >= top + rows_) top = line - rows_ + 1;
    std::int64_t x = scrollX_;
    if (!layout_.Wraps()) {
        std::int64_t caretX = layout_.XOfPosition(line, caret_);
        NoteLineWidth(caretX);
        if (caretX < x) x = std::max<std::int64_t>(0, caretX - textWidth_ / 4);
        else if (caretX >= x + textWidth_ - 1) x = caretX - textWidth_ * 3 / 4;
    }
    return ScrollTo(top, x);
}

bool EditingState::Wheel(int delta, unsigned linesPerNotch, bool byPage) {
    wheelPending_ += delta;
    int steps = wheelPending_ / kWheelNotch;
    wheelPending_ -= steps * kWheelNotch;
    if (steps == 0) return false;
    long move = byPage ? static_cast<long>(rows_) : static_cast<long>(linesPerNotch);
    long top = static_cast<long>(topLine_) - steps * move;
    return ScrollTo(static_cast<std::size_t>(std::max(0L, top)), scrollX_);
}

bool EditingState::HorizontalWheel(int delta, unsigned charactersPerNotch) {
    if (layout_.Wraps()) return false;
    horizontalWheelPending_ += delta;
    int steps = horizontalWheelPending_ / kWheelNotch;
    horizontalWheelPending_ -= steps * kWheelNotch;
    if (steps == 0) return false;
    std::int64_t x = scrollX_ + std::int64_t{steps} * charactersPerNotch * averageWidth_;
    return ScrollTo(topLine_, std::clamp<std::int64_t>(x, 0, std::max<std::int64_t>(0, widestLine_)));
}

long EditingState::RowOf(std::size_t position) {
    std::size_t topStart = layout_.DisplayLineStart(topLine_);
    std::size_t line = text_.LineFromPosition(position);
    std::size_t topLogical = topStart == kNone ? text_.LineCount() - 1 : text_.LineFromPosition(topStart);
    if (line < topLogical) return kAbove;
    if (line > topLogical + rows_ + 1) return kBelow;
    return static_cast<long>(layout_.DisplayLineFromPosition(position)) - static_cast<long>(topLine_);
}
