#include "control/win/editor_state.h"
#include "control/win/view_clipboard.h"
#include "document/editor_keys.h"

namespace editor_control {

namespace {

// The keys that edit are the document's rules; a key that could not have its memory did nothing,
// and the document's owner is told so before the dispatch tells the parent.
template <typename Edit>
void EditByKey(Editor& e, Edit&& edit) {
    if (ReadOnly(e)) return;
    try {
        edit(e.doc);
    } catch (const std::bad_alloc&) {
        e.doc.TellOutOfMemory();
        throw;
    }
}

}  // namespace

// ---- Clipboard -------------------------------------------------------------------------------

// The control's own copy and paste (WM_COPY, WM_PASTE, its keys when no program translates them)
// cross by the view's code page as the program's commands do.
bool CopySelection(Editor& e) {
    const std::size_t first = e.edit.SelectionStart(), last = e.edit.SelectionEnd();
    const DWORD error = view_clipboard::Put(e.window, e.doc.ViewCodePage(), last - first, [&](std::uint8_t* out) {
        e.text.CopyRange(first, last, reinterpret_cast<char*>(out));
        return last - first;
    });
    if (error == 0) return true;
    e.richEdit.lastFailure = error;
    SetLastError(error);
    return false;
}

void CutSelection(Editor& e) {
    if (ReadOnly(e) || !e.edit.HasSelection() || !CopySelection(e)) return;
    e.doc.ReplaceSelection({}, UndoKind::ReplaceRange);
}

void Paste(Editor& e) {
    if (ReadOnly(e)) return;
    const bool pasted = view_clipboard::Take(e.window, e.doc.ViewCodePage(), e.text.DocumentLineEnd(), [&](const char* bytes, std::size_t count) {
        if (count == 0) return true;
        try {
            e.doc.ReplaceSelection(std::string_view(bytes, count), UndoKind::ReplaceRange);
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

using Motion = EditingState::Motion;
using Deletion = EditingState::Deletion;

void MoveCaret(Editor& e, Motion motion, bool extend) {
    std::size_t top = e.edit.TopLine();
    std::int64_t x = e.edit.ScrollX();
    InvalidateSelection(e);
    if (!e.edit.Move(motion, extend)) return;
    if (e.edit.TopLine() != top || e.edit.ScrollX() != x) ViewMoved(e);
    SelectionChanged(e, true);
}

}  // namespace

bool OnKeyDown(Editor& e, WPARAM key) {
    bool control = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (key) {
    case VK_LEFT: MoveCaret(e, control ? Motion::WordLeft : Motion::Left, shift); return true;
    case VK_RIGHT: MoveCaret(e, control ? Motion::WordRight : Motion::Right, shift); return true;
    case VK_UP: MoveCaret(e, Motion::Up, shift); return true;
    case VK_DOWN: MoveCaret(e, Motion::Down, shift); return true;
    case VK_PRIOR: MoveCaret(e, Motion::PageUp, shift); return true;
    case VK_NEXT: MoveCaret(e, Motion::PageDown, shift); return true;
    case VK_HOME: MoveCaret(e, control ? Motion::TextStart : Motion::LineStart, shift); return true;
    case VK_END: MoveCaret(e, control ? Motion::TextEnd : Motion::LineEnd, shift); return true;
    case VK_DELETE:
        if (shift && !control) EditByKey(e, [&](Document&) { CutSelection(e); });
        else if (control) EditByKey(e, [](Document& d) { d.DeleteWordForward(); });
        else EditByKey(e, [](Document& d) { d.DeleteForward(); });
        return true;
    case VK_BACK:
        if (control) EditByKey(e, [](Document& d) { d.DeleteWordBackward(); });
        else EditByKey(e, [](Document& d) { d.DeleteBackward(); });
        return true;
    case VK_INSERT:
        if (control && !shift) CopySelection(e);
        else if (shift && !control) EditByKey(e, [&](Document&) { Paste(e); });
        else if (!control && !shift) e.doc.SetOverwrite(!e.doc.Overwrite());
        return true;
    default: break;
    }
    if (control && !shift) {
        switch (key) {
        case 'A': SetSelection(e, 0, e.text.Length()); return true;
        case 'C': CopySelection(e); return true;
        case 'X': EditByKey(e, [&](Document&) { CutSelection(e); }); return true;
        case 'V': EditByKey(e, [&](Document&) { Paste(e); }); return true;
        case 'Y': EditByKey(e, [](Document& d) { d.DeleteLine(); }); return true;
        case 'Z': SendMessageA(e.window, EM_UNDO, 0, 0); return true;
        default: break;
        }
    }
    return false;
}

// A typed character is the keyboard's 1251 byte; the document puts it in as the view's.
void OnChar(Editor& e, WPARAM code) {
    unsigned char byte = static_cast<unsigned char>(code & 0xFF);
    if (byte == '\r' || byte == '\n') EditByKey(e, [](Document& d) { d.TypeLineBreak(); });
    // Backspace and Ctrl+Backspace (0x7F) are handled when the key goes down; other control
    // characters are shortcuts that were not taken.
    else if (IsPrintableTyped(byte)) EditByKey(e, [byte](Document& d) { d.TypeAnsi(byte); });
}

// A character of any script: the Unicode views take every one, the others those of 1251; one the
// view has no byte for is refused with the system's beep, as a key that does nothing. A character
// beyond the basic plane may come as its two halves; the first waits for the second.
void OnCharacter(Editor& e, char32_t character) {
    const char16_t high = std::exchange(e.pendingHighHalf, 0);
    if (character >= 0xD800 && character <= 0xDBFF) {
        e.pendingHighHalf = static_cast<char16_t>(character);
        return;
    }
    if (character >= 0xDC00 && character <= 0xDFFF) {
        if (!high) return;
        character = 0x10000 + ((high - 0xD800) << 10) + (character - 0xDC00);
    }
    // Enter, and the control characters: Backspace is handled when its key goes down, the others
    // are shortcuts that were not taken.
    if (character < 0x20 || character == 0x7F) {
        if (character == '\r' || character == '\n' || character == '\t') OnChar(e, character);
        return;
    }
    bool typed = true;
    EditByKey(e, [&](Document& d) { typed = d.TypeCharacter(character); });
    if (!typed && !ReadOnly(e)) MessageBeep(MB_OK);
}

// ---- Mouse -----------------------------------------------------------------------------------

EditingState::Place PlaceAtPoint(Editor& e, int x, int y) {
    long row = y >= 0 ? y / e.look.lineHeight : -1 - (-y - 1) / e.look.lineHeight;
    return e.edit.PlaceAt(row, std::int64_t{x} - kMargin);
}

namespace {

void DragSelectionTo(Editor& e, int x, int y) {
    EditingState::Place place = PlaceAtPoint(e, x, y);
    InvalidateSelection(e);
    e.edit.DragTo(place);
    SelectionChanged(e, true);
}

}  // namespace

void OnLeftButtonDown(Editor& e, int x, int y, bool doubleClick) {
    SetFocus(e.window);
    EditingState::Place place = PlaceAtPoint(e, x, y);
    InvalidateSelection(e);
    if (doubleClick) {
        if (!e.edit.SelectWordAt(place.position)) return;
        SelectionChanged(e, true);
        SetCapture(e.window);
        return;
    }
    bool shift = GetKeyState(VK_SHIFT) < 0;
    SetCapture(e.window);
    if (e.edit.PressAt(place, shift, !ReadOnly(e)) == EditingState::Press::MayDrag) {
        e.mouse.dragPending = true;
        e.mouse.pressPoint = {x, y};
        return;
    }
    SelectionChanged(e, true);
}

namespace {

void AutoScroll(Editor& e, int x, int y) {
    RECT r = ClientArea(e);
    bool outside = y < 0 || y >= r.bottom || (!Wraps(e) && (x < 0 || x >= r.right));
    if (outside && !e.mouse.autoScrolling) {
        SetTimer(e.window, kAutoScrollTimer, 50, nullptr);
        e.mouse.autoScrolling = true;
    } else if (!outside && e.mouse.autoScrolling) {
        KillTimer(e.window, kAutoScrollTimer);
        e.mouse.autoScrolling = false;
    }
}

}  // namespace

void OnMouseMove(Editor& e, int x, int y) {
    if (e.mouse.dragPending && !e.mouse.dragging) {
        if (std::abs(x - e.mouse.pressPoint.x) > GetSystemMetrics(SM_CXDRAG) ||
            std::abs(y - e.mouse.pressPoint.y) > GetSystemMetrics(SM_CYDRAG)) {
            e.mouse.dragging = true;
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
        }
    }
    if (e.mouse.dragging) {
        e.mouse.dropPosition = PlaceAtPoint(e, x, y).position;
        PlaceCaret(e);
        return;
    }
    if (!e.edit.Selecting()) return;
    AutoScroll(e, x, y);
    DragSelectionTo(e, x, y);
}

void OnAutoScrollTimer(Editor& e) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(e.window, &p);
    RECT r = ClientArea(e);
    std::size_t top = e.edit.TopLine();
    if (p.y < 0 && top > 0) ScrollTo(e, top - 1, e.edit.ScrollX());
    else if (p.y >= r.bottom) ScrollTo(e, top + 1, e.edit.ScrollX());
    if (!Wraps(e)) {
        if (p.x < 0) ScrollTo(e, e.edit.TopLine(), e.edit.ScrollX() - e.look.averageWidth * 2);
        else if (p.x >= r.right) ScrollTo(e, e.edit.TopLine(), e.edit.ScrollX() + e.look.averageWidth * 2);
    }
    if (e.edit.Selecting()) DragSelectionTo(e, p.x, p.y);
}

namespace {

// A selection dragged to another place moves there (copies with Ctrl). The program's callback is
// asked first, as for any drop, so it can keep a copy of the text for its undo.
void DropDraggedText(Editor& e, bool copy) {
    EditingState::Drop drop = e.edit.DropAt(e.mouse.dropPosition, copy);
    if (!drop.changesText) {
        SetSelection(e, drop.selectFirst, drop.selectLast);
        return;
    }
    if (e.richEdit.callback) {
        CLIPFORMAT format = CF_TEXT;
        if (e.richEdit.callback->QueryAcceptData(nullptr, &format, RECO_DROP, TRUE, nullptr) != S_OK) return;
    }
    std::size_t inserted = 0;
    EditByKey(e, [&](Document& d) {
        inserted = d.Replace(drop.first, drop.last, drop.bytes, UndoKind::TextSnapshot, EditKind::Other, false);
    });
    // A copy cut short by the limit selects what went in.
    SetSelection(e, drop.selectFirst, std::min(drop.selectLast, drop.first + inserted));
}

}  // namespace

void EndMouse(Editor& e) {
    if (e.mouse.autoScrolling) KillTimer(e.window, kAutoScrollTimer);
    e.mouse.autoScrolling = false;
    e.edit.EndSelecting();
    e.mouse.dragPending = false;
    e.mouse.dragging = false;
}

void OnLeftButtonUp(Editor& e, int x, int y) {
    bool wasPending = e.mouse.dragPending, wasDragging = e.mouse.dragging;
    EndMouse(e);
    if (GetCapture() == e.window) ReleaseCapture();
    if (wasDragging) {
        e.mouse.dropPosition = PlaceAtPoint(e, x, y).position;
        DropDraggedText(e, GetKeyState(VK_CONTROL) < 0);
        PlaceCaret(e);
    } else if (wasPending) {
        // A press inside the selection that never became a drag is a click there.
        InvalidateSelection(e);
        e.edit.MoveTo(PlaceAtPoint(e, x, y), false);
        SelectionChanged(e, true);
    }
}

// A positive delta (the wheel tilted or turned right) scrolls right, by the system's characters per
// notch.
void OnHorizontalWheel(Editor& e, int delta) {
    UINT characters = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &characters, 0);
    if (e.edit.HorizontalWheel(delta, characters)) ViewMoved(e);
}

void OnMouseWheel(Editor& e, int delta, WORD keys) {
    // With Shift the wheel scrolls sideways: turning it down (towards the user) goes right.
    if (keys & MK_SHIFT) {
        OnHorizontalWheel(e, -delta);
        return;
    }
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (e.edit.Wheel(delta, lines, lines == WHEEL_PAGESCROLL)) ViewMoved(e);
}

}  // namespace editor_control
