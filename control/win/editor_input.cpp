#include "control/win/editor_state.h"
#include "control/win/view_clipboard.h"

namespace editor_control {

// ---- Clipboard -------------------------------------------------------------------------------

// The control's own copy and paste (WM_COPY, WM_PASTE, its keys when no program translates them)
// cross by the view's code page as the program's commands do.
void CopySelection(Editor& e) {
    const std::size_t first = SelectionStart(e), last = SelectionEnd(e);
    view_clipboard::Put(e.window, e.view, last - first, [&](std::uint8_t* out) {
        e.text.CopyRange(first, last, reinterpret_cast<char*>(out));
        return last - first;
    });
}

void Paste(Editor& e) {
    if (ReadOnly(e)) return;
    const bool pasted = view_clipboard::Take(e.window, e.view, [&](const char* bytes, std::size_t count) {
        if (count == 0) return true;
        try {
            ReplaceSelection(e, std::string_view(bytes, count), true);
        } catch (const std::bad_alloc&) {
            return false;  // thrown again below, once the clipboard is closed
        }
        return true;
    });
    // Out of memory is told as for every other message, by the dispatch.
    if (!pasted) throw std::bad_alloc();
}

namespace {

// ---- Keyboard --------------------------------------------------------------------------------

void MoveCaret(Editor& e, std::size_t position, bool extend, bool keepColumn = false, bool atLineEnd = false) {
    if (!keepColumn) e.desiredX = -1;
    e.text.CloseUndoRun();
    SetSelection(e, extend ? e.anchor : position, position, true, atLineEnd);
}

void MoveVertically(Editor& e, long lines, bool extend) {
    std::size_t line = CaretLine(e);
    if (e.desiredX < 0) e.desiredX = e.layout.XOfPosition(line, e.caret);
    long target = static_cast<long>(line) + lines;
    std::size_t position = 0;
    if (target < 0) {
        position = lines <= -2 ? 0 : e.caret;  // a page up from the first page goes to the start
        if (lines == -1) return;
    } else if (e.layout.DisplayLineStart(static_cast<std::size_t>(target)) == kNone) {
        if (lines == 1) return;
        position = e.text.Length();
    }
    bool atLineEnd = false;
    if (target >= 0 && e.layout.DisplayLineStart(static_cast<std::size_t>(target)) != kNone)
        position = PositionOnLine(e, static_cast<std::size_t>(target), e.desiredX, &atLineEnd);
    int x = e.desiredX;
    MoveCaret(e, position, extend, true, atLineEnd);
    e.desiredX = x;
}

}  // namespace

bool OnKeyDown(Editor& e, WPARAM key) {
    bool control = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool hasSelection = e.anchor != e.caret;
    switch (key) {
    case VK_LEFT:
        if (control) MoveCaret(e, FindWordBreak(e.text, e.caret, WordMove::Left, Letters(e)), shift);
        else if (hasSelection && !shift) MoveCaret(e, SelectionStart(e), false);
        else MoveCaret(e, PreviousPosition(e, e.caret), shift);
        return true;
    case VK_RIGHT:
        if (control) MoveCaret(e, FindWordBreak(e.text, e.caret, WordMove::Right, Letters(e)), shift);
        else if (hasSelection && !shift) MoveCaret(e, SelectionEnd(e), false);
        else MoveCaret(e, NextPosition(e, e.caret), shift);
        return true;
    case VK_UP: MoveVertically(e, -1, shift); return true;
    case VK_DOWN: MoveVertically(e, 1, shift); return true;
    case VK_PRIOR:
    case VK_NEXT: {
        long page = std::max(1, VisibleLines(e) - 1);
        if (key == VK_PRIOR) page = -page;
        long top = static_cast<long>(e.topLine) + page;
        std::size_t caretRow = CaretLine(e) - std::min(CaretLine(e), e.topLine);
        MoveVertically(e, page, shift);
        std::size_t newTop = static_cast<std::size_t>(std::max(0L, top));
        if (CaretLine(e) >= caretRow) newTop = std::min(newTop, CaretLine(e) - caretRow);
        ScrollTo(e, newTop, e.scrollX);
        ScrollCaretIntoView(e);
        return true;
    }
    case VK_HOME:
        MoveCaret(e, control ? 0 : e.layout.DisplayLineStart(CaretLine(e)), shift);
        return true;
    case VK_END:
        if (control) {
            MoveCaret(e, e.text.Length(), shift);
        } else {
            bool atLineEnd = false;
            std::size_t end = CaretEndOfLine(e, CaretLine(e), &atLineEnd);
            MoveCaret(e, end, shift, false, atLineEnd);
        }
        return true;
    case VK_DELETE:
        if (shift && !control) {
            CopySelection(e);
            DeleteSelectionOr(e, 0, 0, EditKind::Other);
        } else if (control) {
            DeleteSelectionOr(e, e.caret, FindWordBreak(e.text, e.caret, WordMove::Right, Letters(e)), EditKind::Other);
        } else {
            DeleteSelectionOr(e, e.caret, NextPosition(e, e.caret), EditKind::Deleting);
        }
        return true;
    case VK_BACK:
        if (control) DeleteSelectionOr(e, FindWordBreak(e.text, e.caret, WordMove::Left, Letters(e)), e.caret, EditKind::Other);
        else DeleteSelectionOr(e, PreviousPosition(e, e.caret), e.caret, EditKind::Deleting);
        return true;
    case VK_INSERT:
        if (control && !shift) CopySelection(e);
        else if (shift && !control) Paste(e);
        else if (!control && !shift) {
            e.overwrite = !e.overwrite;
            MakeCaret(e);
        }
        return true;
    default: break;
    }
    if (control && !shift) {
        switch (key) {
        case 'A': SetSelection(e, 0, e.text.Length()); return true;
        case 'C': CopySelection(e); return true;
        case 'X':
            if (!ReadOnly(e)) {
                CopySelection(e);
                DeleteSelectionOr(e, 0, 0, EditKind::Other);
            }
            return true;
        case 'V': Paste(e); return true;
        case 'Z': SendMessageA(e.window, EM_UNDO, 0, 0); return true;
        default: break;
        }
    }
    return false;
}

void OnChar(Editor& e, WPARAM code) {
    unsigned char byte = static_cast<unsigned char>(code & 0xFF);
    if (byte == '\r' || byte == '\n') TypeLineBreak(e);
    // Backspace and Ctrl+Backspace (0x7F) are handled when the key goes down; other control
    // characters are shortcuts that were not taken.
    else if (byte == '\t' || (byte >= 0x20 && byte != 0x7F)) TypeByte(e, byte);
}

// ---- Mouse -----------------------------------------------------------------------------------

std::size_t PositionAtPoint(Editor& e, int x, int y, bool* atLineEnd) {
    long row = y >= 0 ? y / e.lineHeight : -1 - (-y - 1) / e.lineHeight;
    long line = static_cast<long>(e.topLine) + row;
    if (line < 0) return 0;
    if (e.layout.DisplayLineStart(static_cast<std::size_t>(line)) == kNone) {
        std::size_t count = e.layout.DisplayLineCount();
        line = static_cast<long>(count) - 1;
    }
    return PositionOnLine(e, static_cast<std::size_t>(line), x - kMargin + e.scrollX, atLineEnd);
}

namespace {

// The word a double click at p takes, or an empty range at p where there is none.
std::pair<std::size_t, std::size_t> WordAt(Editor& e, std::size_t p) {
    const ViewLetters& letters = Letters(e);
    std::size_t length = e.text.Length();
    std::pair<std::size_t, std::size_t> none{std::min(p, length), std::min(p, length)};
    if (length == 0) return none;
    if (p >= length || letters.classes[e.text.At(p)] == WordClass::LineBreak) {
        if (p == 0) return none;
        --p;
    }
    WordClass cls = letters.classes[e.text.At(p)];
    if (cls == WordClass::LineBreak) return none;
    std::size_t first = p, last = p + 1;
    while (first > 0 && letters.classes[e.text.At(first - 1)] == cls) --first;
    while (last < length && letters.classes[e.text.At(last)] == cls) ++last;
    // A word is taken with the blanks after it, as the system's controls do.
    if (cls != WordClass::Blank)
        while (last < length && letters.classes[e.text.At(last)] == WordClass::Blank) ++last;
    return {first, last};
}

// Extends a drag's selection to p: by characters, or after a double click by whole words, the
// double-clicked word always inside.
void ExtendSelectionTo(Editor& e, std::size_t p) {
    if (!e.selectingWords) {
        MoveCaret(e, p, true);
        return;
    }
    auto [first, last] = WordAt(e, p);
    e.desiredX = -1;
    e.text.CloseUndoRun();
    if (first < e.wordFirst) SetSelection(e, e.wordLast, first);
    else SetSelection(e, e.wordFirst, std::max(last, e.wordLast));
}

}  // namespace

void OnLeftButtonDown(Editor& e, int x, int y, bool doubleClick) {
    SetFocus(e.window);
    bool atLineEnd = false;
    std::size_t p = PositionAtPoint(e, x, y, &atLineEnd);
    if (doubleClick) {
        auto [first, last] = WordAt(e, p);
        if (first == last) return;
        SetSelection(e, first, last);
        e.selecting = e.selectingWords = true;
        e.wordFirst = first;
        e.wordLast = last;
        SetCapture(e.window);
        return;
    }
    bool shift = GetKeyState(VK_SHIFT) < 0;
    SetCapture(e.window);
    if (!shift && !ReadOnly(e) && e.anchor != e.caret && p >= SelectionStart(e) && p < SelectionEnd(e)) {
        e.dragPending = true;
        e.pressPoint = {x, y};
        return;
    }
    e.selecting = true;
    MoveCaret(e, p, shift, false, atLineEnd);
}

namespace {

void AutoScroll(Editor& e, int x, int y) {
    RECT r = ClientArea(e);
    bool outside = y < 0 || y >= r.bottom || (!Wraps(e) && (x < 0 || x >= r.right));
    if (outside && !e.autoScrolling) {
        SetTimer(e.window, kAutoScrollTimer, 50, nullptr);
        e.autoScrolling = true;
    } else if (!outside && e.autoScrolling) {
        KillTimer(e.window, kAutoScrollTimer);
        e.autoScrolling = false;
    }
}

}  // namespace

void OnMouseMove(Editor& e, int x, int y) {
    if (e.dragPending && !e.dragging) {
        if (std::abs(x - e.pressPoint.x) > GetSystemMetrics(SM_CXDRAG) ||
            std::abs(y - e.pressPoint.y) > GetSystemMetrics(SM_CYDRAG)) {
            e.dragging = true;
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
        }
    }
    if (e.dragging) {
        e.dropPosition = PositionAtPoint(e, x, y);
        PlaceCaret(e);
        return;
    }
    if (!e.selecting) return;
    AutoScroll(e, x, y);
    ExtendSelectionTo(e, PositionAtPoint(e, x, y));
}

void OnAutoScrollTimer(Editor& e) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(e.window, &p);
    RECT r = ClientArea(e);
    if (p.y < 0 && e.topLine > 0) ScrollTo(e, e.topLine - 1, e.scrollX);
    else if (p.y >= r.bottom) ScrollTo(e, e.topLine + 1, e.scrollX);
    if (!Wraps(e)) {
        if (p.x < 0) ScrollTo(e, e.topLine, e.scrollX - e.averageWidth * 2);
        else if (p.x >= r.right) ScrollTo(e, e.topLine, e.scrollX + e.averageWidth * 2);
    }
    if (e.selecting) ExtendSelectionTo(e, PositionAtPoint(e, p.x, p.y));
}

namespace {

// A selection dragged to another place moves there (copies with Ctrl). The program's callback is
// asked first, as for any drop, so it can keep a copy of the text for its undo.
void DropDraggedText(Editor& e, bool copy) {
    std::size_t first = SelectionStart(e), last = SelectionEnd(e), to = e.dropPosition;
    if (to >= first && to <= last) {
        SetSelection(e, to, to);
        return;
    }
    if (e.callback) {
        CLIPFORMAT format = CF_TEXT;
        if (e.callback->QueryAcceptData(nullptr, &format, RECO_DROP, TRUE, nullptr) != S_OK) return;
    }
    std::string bytes = e.text.Range(first, last);
    if (copy) {
        ReplaceRange(e, to, to, bytes, false);
        SetSelection(e, to, to + bytes.size());
        return;
    }
    // A move is one edit of the stretch from the selection to the drop place, the dragged text and
    // what lay between trading places: it happens whole or not at all.
    if (to > last) {
        ReplaceRange(e, first, to, e.text.Range(last, to) + bytes, false);
        to -= bytes.size();
    } else {
        ReplaceRange(e, to, last, bytes + e.text.Range(to, first), false);
    }
    SetSelection(e, to, to + bytes.size());
}

}  // namespace

void EndMouse(Editor& e) {
    if (e.autoScrolling) KillTimer(e.window, kAutoScrollTimer);
    e.autoScrolling = false;
    e.selecting = false;
    e.selectingWords = false;
    e.dragPending = false;
    e.dragging = false;
}

void OnLeftButtonUp(Editor& e, int x, int y) {
    bool wasPending = e.dragPending, wasDragging = e.dragging;
    EndMouse(e);
    if (GetCapture() == e.window) ReleaseCapture();
    if (wasDragging) {
        e.dropPosition = PositionAtPoint(e, x, y);
        DropDraggedText(e, GetKeyState(VK_CONTROL) < 0);
        PlaceCaret(e);
    } else if (wasPending) {
        MoveCaret(e, PositionAtPoint(e, x, y), false);
    }
}

// A positive delta (the wheel tilted or turned right) scrolls right, by the system's characters per
// notch; a wrapped text has nothing to scroll sideways.
void OnHorizontalWheel(Editor& e, int delta) {
    if (Wraps(e)) return;
    UINT characters = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &characters, 0);
    e.horizontalWheelPending += delta;
    int steps = e.horizontalWheelPending / WHEEL_DELTA;
    e.horizontalWheelPending -= steps * WHEEL_DELTA;
    if (steps == 0) return;
    int x = e.scrollX + steps * static_cast<int>(characters) * e.averageWidth;
    ScrollTo(e, e.topLine, std::clamp(x, 0, std::max(0, e.widestLine)));
}

void OnMouseWheel(Editor& e, int delta, WORD keys) {
    // With Shift the wheel scrolls sideways: turning it down (towards the user) goes right.
    if (keys & MK_SHIFT) {
        OnHorizontalWheel(e, -delta);
        return;
    }
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    e.wheelPending += delta;
    int steps = e.wheelPending / WHEEL_DELTA;
    e.wheelPending -= steps * WHEEL_DELTA;
    if (steps == 0) return;
    long move = (lines == WHEEL_PAGESCROLL) ? static_cast<long>(VisibleLines(e)) : static_cast<long>(lines);
    long top = static_cast<long>(e.topLine) - steps * move;
    ScrollTo(e, static_cast<std::size_t>(std::max(0L, top)), e.scrollX);
}

}  // namespace editor_control
