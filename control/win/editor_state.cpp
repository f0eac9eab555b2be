#include "control/win/editor_state.h"

namespace editor_control {

Editor* EditorOf(HWND window) { return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, 0)); }

LONG_PTR Style(const Editor& e) { return GetWindowLongPtrA(e.window, GWL_STYLE); }
bool Wraps(const Editor& e) { return (Style(e) & (WS_HSCROLL | ES_AUTOHSCROLL)) == 0; }
bool ReadOnly(const Editor& e) { return (Style(e) & ES_READONLY) != 0; }

std::size_t SelectionStart(const Editor& e) { return std::min(e.anchor, e.caret); }
std::size_t SelectionEnd(const Editor& e) { return std::max(e.anchor, e.caret); }
bool SelectionShown(const Editor& e) {
    return e.selectionShownForNow >= 0 ? e.selectionShownForNow != 0 : e.focused || e.showSelectionUnfocused;
}

RECT ClientArea(const Editor& e) {
    RECT r;
    GetClientRect(e.window, &r);
    return r;
}

int VisibleLines(const Editor& e) {
    RECT r = ClientArea(e);
    return std::max(1, static_cast<int>(r.bottom - r.top) / std::max(1, e.lineHeight));
}

COLORREF TextColour(const Editor& e) {
    return (e.format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : e.format.crTextColor;
}

COLORREF BackgroundColour(const Editor& e) {
    return e.systemBackground ? GetSysColor(COLOR_WINDOW) : e.background;
}

std::size_t ClampPosition(const Editor& e, LONG position) {
    if (position < 0) return e.text.Length();
    return std::min<std::size_t>(static_cast<std::size_t>(position), e.text.Length());
}

void Invalidate(Editor& e) {
    if (!e.redraw || e.wholeInvalid) return;
    InvalidateRect(e.window, nullptr, FALSE);
    e.wholeInvalid = true;
}

long RowOf(Editor& e, std::size_t position) {
    std::size_t topStart = e.layout.DisplayLineStart(e.topLine);
    std::size_t line = e.text.LineFromPosition(position);
    std::size_t topLine = topStart == kNone ? e.text.LineCount() - 1 : e.text.LineFromPosition(topStart);
    if (line < topLine) return kAbove;
    if (line > topLine + static_cast<std::size_t>(VisibleLines(e)) + 1) return kBelow;
    return static_cast<long>(e.layout.DisplayLineFromPosition(position)) - static_cast<long>(e.topLine);
}

void InvalidateRows(Editor& e, long first, long last) {
    if (!e.redraw || e.wholeInvalid || last <= 0) return;
    RECT r = ClientArea(e);
    long rows = r.bottom / std::max(1, e.lineHeight) + 1;
    if (first >= rows) return;
    r.top = static_cast<LONG>(std::max(0L, first)) * e.lineHeight;
    if (last < rows) r.bottom = static_cast<LONG>(last) * e.lineHeight;
    InvalidateRect(e.window, &r, FALSE);
}

void Notify(Editor& e, WORD code, DWORD mask) {
    if (!(e.eventMask & mask)) return;
    HWND parent = GetParent(e.window);
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(e.window), code), reinterpret_cast<LPARAM>(e.window));
}

// EN_SELCHANGE is the one notification of the list that comes as WM_NOTIFY, with the new selection
// and its kind.
void NotifySelectionChange(Editor& e) {
    if (!(e.eventMask & ENM_SELCHANGE)) return;
    HWND parent = GetParent(e.window);
    if (!parent) return;
    SELCHANGE change{};
    change.nmhdr.hwndFrom = e.window;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(e.window));
    change.nmhdr.code = EN_SELCHANGE;
    change.chrg = {static_cast<LONG>(SelectionStart(e)), static_cast<LONG>(SelectionEnd(e))};
    std::size_t n = SelectionEnd(e) - SelectionStart(e);
    change.seltyp = static_cast<WORD>(n == 0 ? SEL_EMPTY : (SEL_TEXT | (n > 1 ? SEL_MULTICHAR : 0)));
    SendMessageA(parent, WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

namespace {

// ---- Layout and scrolling -------------------------------------------------------------------

// A position where an upper display line ends without a blank to hang on: the wrap inside a word.
bool EndsUpperPartInsideWord(Editor& e, std::size_t displayLine, std::size_t position) {
    std::size_t start = e.layout.DisplayLineStart(displayLine);
    if (start == kNone || position <= start || e.layout.DisplayLineStart(displayLine + 1) != position) return false;
    unsigned char before = e.text.At(position - 1);
    return before != ' ' && before != '\t' && before != '\r' && before != '\n';
}

}  // namespace

std::size_t CaretLine(Editor& e) {
    std::size_t line = e.layout.DisplayLineFromPosition(e.caret);
    if (e.caretAtLineEnd && line > 0 && EndsUpperPartInsideWord(e, line - 1, e.caret)) return line - 1;
    return line;
}

// Where the caret goes for "end of this display line": before the break of the last part of a
// logical line; on the blank the line hangs on for an upper part, so the caret stays on that line;
// behind the last character of an upper part wrapped inside a word (atLineEnd then says so).
std::size_t CaretEndOfLine(Editor& e, std::size_t displayLine, bool* atLineEnd) {
    if (atLineEnd) *atLineEnd = false;
    std::size_t start = e.layout.DisplayLineStart(displayLine);
    std::size_t end = e.layout.DisplayLineEnd(displayLine);
    if (start == kNone) return e.text.Length();
    if (end > start && e.layout.DisplayLineStart(displayLine + 1) == end) {
        if (!EndsUpperPartInsideWord(e, displayLine, end)) return end - 1;
        if (atLineEnd) *atLineEnd = true;
    }
    return end;
}

std::size_t PositionOnLine(Editor& e, std::size_t displayLine, PixelX x, bool* atLineEnd) {
    std::size_t p = e.layout.PositionAtX(displayLine, x);
    bool endAffinity = false;
    std::size_t end = CaretEndOfLine(e, displayLine, &endAffinity);
    if (atLineEnd) *atLineEnd = endAffinity && p >= end;
    return std::min(p, end);
}

std::size_t LineCountForScrolling(Editor& e) { return std::max<std::size_t>(1, e.layout.DisplayLineCountEstimate()); }

std::size_t ClampTopLine(Editor& e, std::size_t top) {
    std::size_t count = LineCountForScrolling(e);
    std::size_t visible = static_cast<std::size_t>(VisibleLines(e));
    std::size_t highest = count > visible ? count - visible : 0;
    top = std::min(top, highest);
    // The estimate can run past the real end while wrapped lines are still uncounted.
    if (top > 0 && e.layout.DisplayLineStart(top) == kNone) {
        std::size_t real = e.layout.DisplayLineCount();
        top = real > visible ? real - visible : 0;
    }
    return top;
}

int TextAreaWidth(Editor& e) {
    RECT r = ClientArea(e);
    return std::max(1, static_cast<int>(r.right - r.left) - 2 * kMargin);
}

int ClientX(const Editor& e, PixelX x) {
    constexpr PixelX kFar = 0x3FFFFFFF;
    return static_cast<int>(std::clamp<PixelX>(kMargin + x - e.scrollX, -kFar, kFar));
}

// ---- Editing ---------------------------------------------------------------------------------

// After a change of the text that could not be followed on screen step by step (memory for the
// layout ran out): the change stands, so the view is simply drawn again from scratch.
void AfterChangeUnfollowed(Editor& e, std::size_t caret) noexcept {
    e.anchor = e.caret = std::min(caret, e.text.Length());
    e.desiredX = -1;
    e.wholeInvalid = false;
    if (e.redraw) InvalidateRect(e.window, nullptr, FALSE);
    e.scrollBarsPending = true;
    e.caretPending = e.focused;
    if (!e.refreshPosted) e.refreshPosted = PostMessageA(e.window, kRefreshMessage, 0, 0) != FALSE;
}

// Every change of the text passes here, so the colours follow it and the caret lands behind it.
// The text changes in one step that either completes or throws with nothing changed.
std::size_t ReplaceRange(Editor& e, std::size_t first, std::size_t last, std::string_view bytes, bool canUndo,
                         EditKind kind) {
    last = std::min(last, e.text.Length());
    first = std::min(first, last);
    // The display lines from the edit's first to the end of its last logical line change; those
    // below only when the edit changes how many display lines there are above them.
    InvalidateSelection(e);
    long firstRow = e.redraw ? RowOf(e, first) : kAbove;
    long lastRow = e.redraw ? RowOf(e, last) : kAbove;
    std::size_t belowBefore = 0;
    bool nearView = firstRow != kBelow && lastRow != kAbove && firstRow != kAbove;
    if (nearView) belowBefore = e.layout.FirstDisplayLineOf(e.text.LineFromPosition(last) + 1);
    std::size_t inserted = e.text.Replace(first, last, bytes, canUndo, kind);
    e.colours.OnReplace(first, last - first, inserted);
    FollowChange(e, first + inserted, [&] {
        if (nearView) {
            // The rows from the edit to the end of its last logical line change; those below only
            // when the number of display lines above them changes.
            std::size_t belowAfter = e.layout.FirstDisplayLineOf(e.text.LineFromPosition(first + inserted) + 1);
            long end = belowBefore == belowAfter ? static_cast<long>(belowAfter) - static_cast<long>(e.topLine) : kBelow;
            InvalidateRows(e, firstRow, end);
        } else if (firstRow != kBelow) {
            Invalidate(e);  // an edit above the view moves what it shows
        }
        e.desiredX = -1;
        SetSelection(e, first + inserted, first + inserted);
        UpdateScrollBars(e);
    });
    if (inserted < bytes.size()) Notify(e, EN_MAXTEXT, 0xFFFFFFFF);
    Notify(e, EN_CHANGE, ENM_CHANGE);
    return inserted;
}

void ReplaceSelection(Editor& e, std::string_view bytes, bool canUndo, EditKind kind) {
    ReplaceRange(e, SelectionStart(e), SelectionEnd(e), bytes, canUndo, kind);
}

std::size_t NextPosition(const Editor& e, std::size_t p) {
    std::size_t length = e.text.Length();
    if (p >= length) return length;
    if (e.text.At(p) == '\r' && p + 1 < length && e.text.At(p + 1) == '\n') return p + 2;
    return p + 1;
}

std::size_t PreviousPosition(const Editor& e, std::size_t p) {
    if (p == 0) return 0;
    if (p >= 2 && e.text.At(p - 1) == '\n' && e.text.At(p - 2) == '\r') return p - 2;
    return p - 1;
}

void TypeByte(Editor& e, unsigned char byte) {
    if (ReadOnly(e)) return;
    char c = static_cast<char>(byte);
    if (SelectionStart(e) != SelectionEnd(e)) {
        ReplaceSelection(e, std::string_view(&c, 1), true, EditKind::Typing);
        return;
    }
    std::size_t p = e.caret;
    std::size_t lineEnd = e.text.LineEnd(e.text.LineFromPosition(p));
    // Overwriting stops at the line's end: a character typed there goes in front of the break.
    if (e.overwrite && p < lineEnd) ReplaceRange(e, p, p + 1, std::string_view(&c, 1), true, EditKind::Typing);
    else ReplaceRange(e, p, p, std::string_view(&c, 1), true, EditKind::Typing);
}

void TypeLineBreak(Editor& e) {
    if (ReadOnly(e)) return;
    ReplaceSelection(e, "\r\n", true, EditKind::Typing);
}

void DeleteSelectionOr(Editor& e, std::size_t first, std::size_t last, EditKind kind) {
    if (ReadOnly(e)) return;
    if (SelectionStart(e) != SelectionEnd(e)) ReplaceSelection(e, {}, true);
    else if (first < last) ReplaceRange(e, first, last, {}, true, kind);
}

const ViewLetters& Letters(const Editor& e) { return LettersOfView(e.view); }

}  // namespace editor_control
