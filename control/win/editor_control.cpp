#include "control/win/editor_control.h"

#include <commdlg.h>
#include <richedit.h>
#include <richole.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "control/colour_runs.h"
#include "control/rtf_reader.h"
#include "control/text_layout.h"
#include "control/text_model.h"
#include "control/text_search.h"
#include "control/view_decoding.h"
#include "control/win/page_formatter.h"

namespace {

constexpr int kMargin = 2;
constexpr std::size_t kStreamBlock = 64 * 1024;
constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr std::size_t kNone = TextModel::kNoPosition;
// Posted to itself: set the scroll bars and place the caret once the messages of a burst are done.
constexpr UINT kRefreshMessage = WM_USER + 0x2F0;

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct Editor {
    explicit Editor(HWND w) : window(w) {}

    HWND window;
    TextModel text;
    TextLayout layout{text};
    ColourRuns colours;
    PageFormatter pages{text};
    int view = 0;

    std::size_t anchor = 0;
    std::size_t caret = 0;
    int desiredX = -1;  // kept while moving up and down, so the caret returns to its column
    // The caret stands where a line wraps inside a word: at the end of the upper display line (End,
    // a click past the end) rather than at the start of the lower one, which is the same position.
    bool caretAtLineEnd = false;

    std::size_t topLine = 0;  // first visible display line
    int scrollX = 0;
    int widestLine = 0;  // the widest line seen so far, for the horizontal scroll bar

    bool redraw = true;
    bool focused = false;
    bool showSelectionUnfocused = false;  // ES_NOHIDESEL, or EM_HIDESELECTION with lParam non-zero
    // EM_HIDESELECTION with lParam 0: shown (1) or hidden (0) until the focus next comes or goes;
    // -1: as the focus and the style say.
    int selectionShownForNow = -1;
    bool overwrite = false;

    CHARFORMATA format{};
    COLORREF background = 0;
    bool systemBackground = true;
    FontHandle font;
    int lineHeight = 16;
    int averageWidth = 8;

    IRichEditOleCallback* callback = nullptr;
    DWORD eventMask = 0;

    // What the scroll bars and the caret show now, so unchanged values are not set again: a run
    // of replacements sends thousands of messages, and each such call costs a trip to the display.
    SCROLLINFO shownVertical{};
    SCROLLINFO shownHorizontal{};
    POINT shownCaret{-100000, -100000};
    bool caretPending = false;
    // The whole window waits for its repaint: more invalidation adds nothing (and each call is a
    // trip to the Wine server).
    bool wholeInvalid = false;
    bool scrollBarsPending = false;
    bool refreshPosted = false;

    // The off-screen picture painting draws into, kept while the size stays.
    HBITMAP paintBitmap = nullptr;
    SIZE paintSize{};

    // Mouse: a plain selecting drag, or a press inside the selection that may become a text drag.
    bool selecting = false;
    // A drag after a double click selects whole words; the word double-clicked stays selected.
    bool selectingWords = false;
    std::size_t wordFirst = 0;
    std::size_t wordLast = 0;
    bool dragPending = false;
    bool dragging = false;
    POINT pressPoint{};
    std::size_t dropPosition = 0;
    bool autoScrolling = false;
    // Wheel turns not yet worth a whole step, vertical and horizontal.
    int wheelPending = 0;
    int horizontalWheelPending = 0;

    // The size the next stream-in announced, and how the message handled last ended.
    std::size_t expectedStreamSize = 0;
    DWORD lastFailure = 0;
};

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


// Where a position stands relative to the view: its display row, or kAbove / kBelow when it lies
// in a logical line outside the view. Display lines are counted only near the view, so asking
// about the far end of a big wrapped text costs nothing.
constexpr long kAbove = -1;
constexpr long kBelow = 0x7FFFFFFF;
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

// ---- Layout and scrolling -------------------------------------------------------------------

// A position where an upper display line ends without a blank to hang on: the wrap inside a word.
bool EndsUpperPartInsideWord(Editor& e, std::size_t displayLine, std::size_t position) {
    std::size_t start = e.layout.DisplayLineStart(displayLine);
    if (start == kNone || position <= start || e.layout.DisplayLineStart(displayLine + 1) != position) return false;
    unsigned char before = e.text.At(position - 1);
    return before != ' ' && before != '\t' && before != '\r' && before != '\n';
}

std::size_t CaretLine(Editor& e) {
    std::size_t line = e.layout.DisplayLineFromPosition(e.caret);
    if (e.caretAtLineEnd && line > 0 && EndsUpperPartInsideWord(e, line - 1, e.caret)) return line - 1;
    return line;
}

// Where the caret goes for "end of this display line": before the break of the last part of a
// logical line; on the blank the line hangs on for an upper part, so the caret stays on that line;
// behind the last character of an upper part wrapped inside a word (atLineEnd then says so).
std::size_t CaretEndOfLine(Editor& e, std::size_t displayLine, bool* atLineEnd = nullptr) {
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

std::size_t PositionOnLine(Editor& e, std::size_t displayLine, int x, bool* atLineEnd = nullptr) {
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

// Setting a scroll bar with redraw draws it at once, which under Wine costs a trip to the display
// (some 12 ms) per call; a run of replacements makes thousands. The bar is set quietly and its
// strip of the frame repainted with the next paint.
void SetScrollBar(Editor& e, int bar, const SCROLLINFO& info) {
    SetScrollInfo(e.window, bar, &info, FALSE);
    RECT client = ClientArea(e);
    RECT strip = client;
    if (bar == SB_VERT) {
        strip.left = client.right;
        strip.right = client.right + GetSystemMetrics(SM_CXVSCROLL) + 4;
    } else {
        strip.top = client.bottom;
        strip.bottom = client.bottom + GetSystemMetrics(SM_CYHSCROLL) + 4;
        strip.right += GetSystemMetrics(SM_CXVSCROLL) + 4;
    }
    RedrawWindow(e.window, &strip, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void RequestRefresh(Editor& e) {
    if (e.refreshPosted) return;
    e.refreshPosted = true;
    PostMessageA(e.window, kRefreshMessage, 0, 0);
}

// Scroll bars and caret follow the text once a burst of messages is handled: a run of
// replacements sends thousands, and each update is a trip to the display under Wine.
void UpdateScrollBars(Editor& e) {
    e.scrollBarsPending = true;
    RequestRefresh(e);
}

void UpdateScrollBarsNow(Editor& e) {
    e.scrollBarsPending = false;
    if (!e.redraw) return;
    LONG_PTR style = Style(e);
    if (style & WS_VSCROLL) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = static_cast<int>(std::min<std::size_t>(LineCountForScrolling(e) - 1, 0x7FFFFFFE));
        info.nPage = static_cast<UINT>(VisibleLines(e));
        info.nPos = static_cast<int>(e.topLine);
        if (info.nMax != e.shownVertical.nMax || info.nPage != e.shownVertical.nPage || info.nPos != e.shownVertical.nPos) {
            SetScrollBar(e, SB_VERT, info);
            e.shownVertical = info;
        }
    }
    if (style & WS_HSCROLL) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = e.widestLine + 2 * kMargin + e.averageWidth;
        info.nPage = static_cast<UINT>(TextAreaWidth(e) + 2 * kMargin);
        info.nPos = e.scrollX;
        if (info.nMax != e.shownHorizontal.nMax || info.nPage != e.shownHorizontal.nPage ||
            info.nPos != e.shownHorizontal.nPos) {
            SetScrollBar(e, SB_HORZ, info);
            e.shownHorizontal = info;
        }
    }
}

POINT CaretPoint(Editor& e) {
    long where = RowOf(e, e.caret);
    if (where == kAbove || where == kBelow) return {-1000, where == kAbove ? -1000 : 0x3FFFFFFF};
    std::size_t line = CaretLine(e);
    int x = e.layout.XOfPosition(line, e.caret);
    long row = static_cast<long>(line) - static_cast<long>(e.topLine);
    return {kMargin + x - e.scrollX, static_cast<LONG>(row * e.lineHeight)};
}

void PlaceCaret(Editor& e) {
    if (!e.focused) return;
    e.caretPending = true;
    RequestRefresh(e);
}

void PlaceCaretNow(Editor& e) {
    e.caretPending = false;
    if (!e.focused) return;
    POINT p = e.dragging ? POINT{} : CaretPoint(e);
    if (e.dragging) {
        std::size_t line = e.layout.DisplayLineFromPosition(e.dropPosition);
        p.x = kMargin + e.layout.XOfPosition(line, e.dropPosition) - e.scrollX;
        p.y = static_cast<LONG>((static_cast<long>(line) - static_cast<long>(e.topLine)) * e.lineHeight);
    }
    if (p.x == e.shownCaret.x && p.y == e.shownCaret.y) return;
    SetCaretPos(p.x, p.y);
    e.shownCaret = p;
}

void MakeCaret(Editor& e) {
    if (!e.focused) return;
    DestroyCaret();
    CreateCaret(e.window, nullptr, e.overwrite ? std::max(2, e.averageWidth) : 2, e.lineHeight);
    e.shownCaret = {-100000, -100000};
    PlaceCaretNow(e);
    ShowCaret(e.window);
}

void ScrollTo(Editor& e, std::size_t top, int x) {
    top = ClampTopLine(e, top);
    x = std::max(0, x);
    if (Wraps(e)) x = 0;
    if (top == e.topLine && x == e.scrollX) return;
    e.topLine = top;
    e.scrollX = x;
    Invalidate(e);
    UpdateScrollBars(e);
    PlaceCaret(e);
}

void ScrollCaretIntoView(Editor& e) {
    std::size_t line = CaretLine(e);
    std::size_t visible = static_cast<std::size_t>(VisibleLines(e));
    std::size_t top = e.topLine;
    if (line < top) top = line;
    else if (line >= top + visible) top = line - visible + 1;
    int x = e.scrollX;
    if (!Wraps(e)) {
        int caretX = e.layout.XOfPosition(line, e.caret);
        int width = TextAreaWidth(e);
        e.widestLine = std::max(e.widestLine, caretX);
        if (caretX < x) x = std::max(0, caretX - width / 4);
        else if (caretX >= x + width - 1) x = caretX - width * 3 / 4;
    }
    ScrollTo(e, top, x);
    PlaceCaret(e);
}

void InvalidateSelection(Editor& e) {
    if (e.anchor == e.caret || !e.redraw) return;
    long first = RowOf(e, SelectionStart(e));
    long last = RowOf(e, SelectionEnd(e));
    InvalidateRows(e, first, last == kBelow ? kBelow : last + 1);
}

void SetSelection(Editor& e, std::size_t anchor, std::size_t caret, bool scroll = true, bool atLineEnd = false) {
    InvalidateSelection(e);
    e.anchor = std::min(anchor, e.text.Length());
    e.caret = std::min(caret, e.text.Length());
    e.caretAtLineEnd = atLineEnd;
    // A caret between the CR and the LF of a pair (asked for, or left behind an edit that made the
    // pair) would let typing or Backspace split it: it goes to the pair's start. A range is kept as
    // it is, since a search may select a lone LF.
    if (e.anchor == e.caret && e.caret > 0 && e.caret < e.text.Length() && e.text.At(e.caret - 1) == '\r' &&
        e.text.At(e.caret) == '\n')
        e.anchor = e.caret = e.caret - 1;
    InvalidateSelection(e);
    // While drawing is off the caller is rewriting the text and puts the view back itself.
    if (scroll && e.redraw) ScrollCaretIntoView(e);
    else PlaceCaret(e);
    NotifySelectionChange(e);
}

// ---- Font ------------------------------------------------------------------------------------

void MeasureFont(Editor& e) {
    HDC dc = GetDC(e.window);
    HGDIOBJ old = SelectObject(dc, e.font.get());
    FontMeasures measures = MeasureViewFont(dc, e.view);
    SelectObject(dc, old);
    ReleaseDC(e.window, dc);
    e.lineHeight = measures.lineHeight;
    e.averageWidth = measures.averageWidth;
    e.layout.SetWidths(measures.widths, 8 * e.averageWidth);
    e.widestLine = 0;
}

void ApplyFont(Editor& e) {
    HDC dc = GetDC(e.window);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(e.window, dc);
    LOGFONTA logFont = EditorLogFont(e.format, dpi);
    HFONT created = CreateFontIndirectA(&logFont);
    if (!created) created = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
    e.font.reset(created);
    MeasureFont(e);
    e.layout.SetWrapWidth(Wraps(e) ? TextAreaWidth(e) : 0);
    MakeCaret(e);
    e.topLine = ClampTopLine(e, e.topLine);
    UpdateScrollBars(e);
    Invalidate(e);
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

// Runs the steps that follow a change already made; they only redraw and notify, so a failure
// among them must not be taken for a failure of the change.
template <typename Steps>
void FollowChange(Editor& e, std::size_t caret, Steps&& steps) {
    try {
        steps();
    } catch (const std::bad_alloc&) {
        AfterChangeUnfollowed(e, caret);
    }
}

// Every change of the text passes here, so the colours follow it and the caret lands behind it.
// The text changes in one step that either completes or throws with nothing changed.
std::size_t ReplaceRange(Editor& e, std::size_t first, std::size_t last, std::string_view bytes, bool canUndo,
                         EditKind kind = EditKind::Other) {
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

void ReplaceSelection(Editor& e, std::string_view bytes, bool canUndo, EditKind kind = EditKind::Other) {
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

// ---- Clipboard -------------------------------------------------------------------------------

// The clipboard gets the characters the view shows; control bytes stay themselves, so tabs and
// line breaks survive the trip.
void CopySelection(Editor& e) {
    std::size_t first = SelectionStart(e), last = SelectionEnd(e);
    if (first == last) return;
    std::string bytes = e.text.Range(first, last);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (bytes.size() + 1) * sizeof(wchar_t));
    if (!block) return;
    auto* out = static_cast<wchar_t*>(GlobalLock(block));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b < 0x20 || b == 0x7F) ? b : ViewGlyph(e.view, b);
    }
    GlobalUnlock(block);
    if (!OpenClipboard(e.window)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
    CloseClipboard();
}

void Paste(Editor& e) {
    if (ReadOnly(e) || !OpenClipboard(e.window)) return;
    std::string bytes;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            for (const wchar_t* c = text; *c; ++c) {
                auto byte = ViewByteFor(e.view, static_cast<char16_t>(*c));
                bytes.push_back(static_cast<char>(byte ? *byte : '?'));
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    if (!bytes.empty()) ReplaceSelection(e, bytes, true);
}

// ---- Painting --------------------------------------------------------------------------------

struct Segment {
    std::wstring glyphs;
    std::vector<INT> advances;
    int left = 0;
    int width = 0;
    bool selected = false;
    COLORREF colour = 0;
};

void DrawSegment(Editor& e, HDC dc, int y, Segment& s) {
    if (s.glyphs.empty()) return;
    int left = kMargin + s.left - e.scrollX;
    if (s.selected) {
        RECT r{left, y, left + s.width, y + e.lineHeight};
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        SetTextColor(dc, s.colour);
    }
    ExtTextOutW(dc, left, y, 0, nullptr, s.glyphs.data(), static_cast<UINT>(s.glyphs.size()), s.advances.data());
    s.glyphs.clear();
    s.advances.clear();
    s.width = 0;
}

void PaintLine(Editor& e, HDC dc, std::size_t displayLine, int y, int clientWidth, bool showSelection) {
    std::size_t start = e.layout.DisplayLineStart(displayLine);
    if (start == kNone) return;
    std::size_t end = e.layout.DisplayLineEnd(displayLine);
    std::size_t selectionFirst = showSelection ? SelectionStart(e) : 0;
    std::size_t selectionLast = showSelection ? SelectionEnd(e) : 0;
    const ViewGlyphTable& glyphs = ViewGlyphs(e.view);
    COLORREF textColour = TextColour(e);

    // A long line scrolled far to the right is walked from the nearest place the layout knows.
    TextLayout::Place from = e.layout.PlaceBeforeX(displayLine, e.scrollX);
    int x = from.x;
    std::size_t i = from.position;
    while (i < end) {
        int w = e.layout.Advance(e.text.At(i), x);
        if (x + w >= e.scrollX) break;
        x += w;
        ++i;
    }
    Segment segment;
    segment.left = x;
    std::size_t colourChange = 0;
    std::uint32_t colour = ColourRuns::kDefault;
    int rightEdge = e.scrollX + clientWidth;
    for (; i < end && x < rightEdge; ++i) {
        unsigned char c = e.text.At(i);
        if (i >= colourChange || i == start) {
            colour = e.colours.ColourAt(i);
            colourChange = e.colours.NextChange(i);
        }
        bool selected = i >= selectionFirst && i < selectionLast;
        COLORREF shown = colour == ColourRuns::kDefault ? textColour : static_cast<COLORREF>(colour);
        if (!segment.glyphs.empty() && (selected != segment.selected || shown != segment.colour)) {
            DrawSegment(e, dc, y, segment);
            segment.left = x;
        }
        segment.selected = selected;
        segment.colour = shown;
        int w = e.layout.Advance(c, x);
        segment.glyphs.push_back(c == '\t' ? L' ' : static_cast<wchar_t>(glyphs[c]));
        segment.advances.push_back(w);
        segment.width += w;
        x += w;
    }
    DrawSegment(e, dc, y, segment);
    if (i < end) return;

    // The line's break: a lone CR or LF shows its glyph; a selected break shows as a small block.
    std::size_t logical = e.text.LineFromPosition(start);
    if (end != e.text.LineEnd(logical)) return;
    std::size_t breakEnd = e.text.LineBreakEnd(logical);
    if (breakEnd == end) return;
    bool breakSelected = end >= selectionFirst && end < selectionLast;
    int left = kMargin + x - e.scrollX;
    if (breakEnd - end == 1) {
        wchar_t marker = glyphs[e.text.At(end)];
        int w = std::max(e.layout.CharWidth(e.text.At(end)), e.averageWidth / 2);
        if (breakSelected) {
            RECT r{left, y, left + w, y + e.lineHeight};
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, breakSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_GRAYTEXT));
        ExtTextOutW(dc, left, y, 0, nullptr, &marker, 1, nullptr);
    } else if (breakSelected) {
        RECT r{left, y, left + std::max(2, e.averageWidth / 2), y + e.lineHeight};
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
}

void OnPaint(Editor& e) {
    e.wholeInvalid = false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(e.window, &ps);
    RECT client = ClientArea(e);
    int width = std::max<LONG>(1, client.right), height = std::max<LONG>(1, client.bottom);
    // Drawn off screen and copied in one go, so lines never flicker while the text changes.
    if (!e.paintBitmap || e.paintSize.cx != width || e.paintSize.cy != height) {
        if (e.paintBitmap) DeleteObject(e.paintBitmap);
        e.paintBitmap = CreateCompatibleBitmap(dc, width, height);
        e.paintSize = {width, height};
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(memory, e.paintBitmap);
    RECT area = ps.rcPaint;
    HBRUSH backgroundBrush = CreateSolidBrush(BackgroundColour(e));
    FillRect(memory, &area, backgroundBrush);
    DeleteObject(backgroundBrush);
    HGDIOBJ oldFont = SelectObject(memory, e.font.get());
    SetBkMode(memory, TRANSPARENT);
    IntersectClipRect(memory, area.left, area.top, area.right, area.bottom);
    bool showSelection = SelectionShown(e);
    int widest = e.widestLine;
    int firstRow = std::max<LONG>(0, area.top) / e.lineHeight;
    for (int row = firstRow; row * e.lineHeight < std::min<LONG>(height, area.bottom); ++row) {
        std::size_t line = e.topLine + static_cast<std::size_t>(row);
        if (e.layout.DisplayLineStart(line) == kNone) break;
        PaintLine(e, memory, line, row * e.lineHeight, width, showSelection);
        if (!Wraps(e)) {
            std::size_t length = e.layout.DisplayLineEnd(line) - e.layout.DisplayLineStart(line);
            int lineWidth = length < 20000 ? e.layout.DisplayLineWidth(line)
                                           : static_cast<int>(std::min<std::size_t>(length * e.averageWidth, 0x3FFFFFFF));
            widest = std::max(widest, lineWidth);
        }
    }
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left, area.top, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    EndPaint(e.window, &ps);
    if (widest > e.widestLine) {
        e.widestLine = widest;
        UpdateScrollBars(e);
    }
}

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
    std::size_t position;
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

std::size_t PositionAtPoint(Editor& e, int x, int y, bool* atLineEnd = nullptr) {
    long row = y >= 0 ? y / e.lineHeight : -1 - (-y - 1) / e.lineHeight;
    long line = static_cast<long>(e.topLine) + row;
    if (line < 0) return 0;
    if (e.layout.DisplayLineStart(static_cast<std::size_t>(line)) == kNone) {
        std::size_t count = e.layout.DisplayLineCount();
        line = static_cast<long>(count) - 1;
    }
    return PositionOnLine(e, static_cast<std::size_t>(line), x - kMargin + e.scrollX, atLineEnd);
}

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

// ---- Scrolling messages ----------------------------------------------------------------------

int TrackPosition(HWND window, int bar) {
    SCROLLINFO info{};
        info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, bar, &info);
    return info.nTrackPos;
}

void OnVerticalScroll(Editor& e, int code) {
    long top = static_cast<long>(e.topLine);
    long page = std::max(1, VisibleLines(e) - 1);
    switch (code) {
    case SB_LINEUP: top -= 1; break;
    case SB_LINEDOWN: top += 1; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = TrackPosition(e.window, SB_VERT); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = static_cast<long>(e.layout.DisplayLineCount()); break;
    default: return;
    }
    ScrollTo(e, static_cast<std::size_t>(std::max(0L, top)), e.scrollX);
}

void OnHorizontalScroll(Editor& e, int code) {
    int x = e.scrollX;
    int page = std::max(e.averageWidth, TextAreaWidth(e) - e.averageWidth);
    switch (code) {
    case SB_LINELEFT: x -= e.averageWidth; break;
    case SB_LINERIGHT: x += e.averageWidth; break;
    case SB_PAGELEFT: x -= page; break;
    case SB_PAGERIGHT: x += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: x = TrackPosition(e.window, SB_HORZ); break;
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = e.widestLine; break;
    default: return;
    }
    ScrollTo(e, e.topLine, std::min(x, std::max(0, e.widestLine)));
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

// ---- Rich-edit messages ----------------------------------------------------------------------

// Room kept beyond a loaded text, so that typing does not at once make the whole text move to a
// bigger block.
constexpr std::size_t kLoadReserve = 1 << 20;

// The text streamed in whole: gathered aside, read straight into its final block, and put in place
// of the old text only when complete. A failed read or a failed allocation leaves the old text.
LRESULT StreamInWholeText(Editor& e, bool rtf, std::size_t expected, EDITSTREAM* stream) {
    const std::size_t room = e.text.TextLimit();
    TextBuilder built;
    if (expected) built.Expect(std::min(expected, room) + kLoadReserve);
    std::size_t total = 0;
    bool cut = false;
    for (;;) {
        // What was expected is read into the room already had; only a longer stream grows it.
        std::size_t spare = built.Spare();
        std::size_t requested = spare ? std::min(spare, kStreamBlock) : kStreamBlock;
        char* into = built.Room(requested);
        LONG moved = 0;
        DWORD error = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(into),
                                          static_cast<LONG>(requested), &moved);
        if (error) {
            stream->dwError = error;
            return 0;
        }
        if (moved <= 0) break;
        std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(moved), requested);
        total += count;
        // A text that will not fit is not read further (an RTF shrinks, so it is read whole).
        if (!rtf && built.Length() + count >= room) {
            cut = built.Length() + count > room;
            built.Add(room - built.Length());
            break;
        }
        built.Add(count);
    }
    if (rtf) {
        std::string plain = RtfToPlainText(built.Bytes());
        TextBuilder converted;
        std::size_t kept = std::min(plain.size(), room);
        converted.Expect(kept);
        converted.Append(std::string_view(plain).substr(0, kept));
        cut = kept < plain.size();
        converted.Finish();
        std::swap(built, converted);
    } else {
        built.Finish();
    }

    e.text.ReplaceWith(built);
    e.colours.Clear();
    e.text.Compact();
    FollowChange(e, 0, [&] {
        e.desiredX = -1;
        e.topLine = 0;
        e.scrollX = 0;
        e.widestLine = 0;
        SetSelection(e, 0, 0);
        e.topLine = ClampTopLine(e, e.topLine);
        UpdateScrollBars(e);
        Invalidate(e);
    });
    if (cut) Notify(e, EN_MAXTEXT, 0xFFFFFFFF);
    Notify(e, EN_CHANGE, ENM_CHANGE);
    return static_cast<LRESULT>(e.text.Length());
}

// The text streamed in place of the selection: the blocks are kept as they come and handed to the
// text in one step (one copy, one update of the line index, however small the caller's blocks
// are), or not at all when the stream fails.
LRESULT StreamInSelection(Editor& e, bool rtf, EDITSTREAM* stream) {
    std::size_t first = SelectionStart(e);
    std::size_t last = SelectionEnd(e);
    std::size_t kept = e.text.Length() - (last - first);
    std::size_t room = e.text.TextLimit() > kept ? e.text.TextLimit() - kept : 0;

    constexpr std::size_t kChunk = 1 << 20;
    std::vector<std::unique_ptr<char[]>> chunks;
    std::vector<std::string_view> pieces;
    std::size_t chunkUsed = kChunk;
    std::size_t total = 0;
    for (;;) {
        if (chunkUsed == kChunk) {
            chunks.push_back(std::unique_ptr<char[]>(new char[kChunk]));  // not zero-filled: every byte read is written first
            chunkUsed = 0;
        }
        char* into = chunks.back().get() + chunkUsed;
        LONG requested = static_cast<LONG>(std::min(kStreamBlock, kChunk - chunkUsed));
        LONG moved = 0;
        DWORD error = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(into), requested, &moved);
        if (error) {
            stream->dwError = error;
            return 0;
        }
        if (moved <= 0) break;
        std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(moved), static_cast<std::size_t>(requested));
        if (!pieces.empty() && pieces.back().data() + pieces.back().size() == into)
            pieces.back() = std::string_view(pieces.back().data(), pieces.back().size() + count);
        else
            pieces.emplace_back(into, count);
        chunkUsed += count;
        total += count;
        if (!rtf && total >= room) break;
    }
    std::string plain;
    if (rtf) {
        std::string source;
        source.reserve(total);
        for (std::string_view piece : pieces) source.append(piece);
        chunks.clear();
        plain = RtfToPlainText(source);
        pieces.assign(1, plain);
        total = plain.size();
    }
    std::size_t inserted = e.text.ReplaceByPieces(first, last, pieces);
    e.colours.OnReplace(first, last - first, inserted);
    chunks.clear();
    FollowChange(e, first + inserted, [&] {
        e.desiredX = -1;
        SetSelection(e, first + inserted, first + inserted);
        e.topLine = ClampTopLine(e, e.topLine);
        UpdateScrollBars(e);
        Invalidate(e);
    });
    if (inserted < total) Notify(e, EN_MAXTEXT, 0xFFFFFFFF);
    Notify(e, EN_CHANGE, ENM_CHANGE);
    return static_cast<LRESULT>(inserted);
}

LRESULT StreamIn(Editor& e, WPARAM format, EDITSTREAM* stream) {
    std::size_t expected = e.expectedStreamSize;
    e.expectedStreamSize = 0;
    if (!stream || !stream->pfnCallback) return 0;
    stream->dwError = 0;
    bool rtf = (format & (SF_TEXT | SF_RTF)) == SF_RTF;
    try {
        return (format & SFF_SELECTION) ? StreamInSelection(e, rtf, stream) : StreamInWholeText(e, rtf, expected, stream);
    } catch (const std::bad_alloc&) {
        // The text is as it was; the caller learns of it from the stream, the window procedure
        // tells the parent.
        stream->dwError = ERROR_NOT_ENOUGH_MEMORY;
        throw;
    }
}

LRESULT StreamOut(Editor& e, WPARAM format, EDITSTREAM* stream) {
    if (!stream || !stream->pfnCallback) return 0;
    stream->dwError = 0;
    bool selectionOnly = (format & SFF_SELECTION) != 0;
    std::size_t position = selectionOnly ? SelectionStart(e) : 0;
    std::size_t last = selectionOnly ? SelectionEnd(e) : e.text.Length();
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kStreamBlock]);
    if (!buffer) {
        stream->dwError = ERROR_NOT_ENOUGH_MEMORY;
        throw std::bad_alloc();
    }
    std::string_view block(buffer.get(), kStreamBlock);
    std::size_t total = 0;
    while (position < last) {
        std::size_t count = std::min(block.size(), last - position);
        e.text.CopyRange(position, position + count, buffer.get());
        LONG moved = 0;
        DWORD error = stream->pfnCallback(stream->dwCookie, reinterpret_cast<BYTE*>(buffer.get()),
                                          static_cast<LONG>(count), &moved);
        if (error) {
            stream->dwError = error;
            break;
        }
        if (moved <= 0) break;
        std::size_t taken = std::min<std::size_t>(static_cast<std::size_t>(moved), count);
        position += taken;
        total += taken;
    }
    return static_cast<LRESULT>(total);
}

// The caller's buffer holds the bytes and a terminator, as with the system's control.
LRESULT CopyOut(std::string_view bytes, char* out) {
    if (!out) return 0;
    std::memcpy(out, bytes.data(), bytes.size());
    out[bytes.size()] = '\0';
    return static_cast<LRESULT>(bytes.size());
}

LRESULT OnGetText(Editor& e, WPARAM size, char* out) {
    if (!out || size == 0) return 0;
    std::size_t count = std::min<std::size_t>(e.text.Length(), size - 1);
    e.text.CopyRange(0, count, out);
    out[count] = '\0';
    return static_cast<LRESULT>(count);
}

LRESULT OnSetText(Editor& e, const char* text) {
    std::string_view bytes = text ? std::string_view(text) : std::string_view();
    ReplaceRange(e, 0, e.text.Length(), bytes, false);
    e.colours.Clear();
    FollowChange(e, 0, [&] {
        e.topLine = 0;
        e.scrollX = 0;
        e.widestLine = 0;
        SetSelection(e, 0, 0);
        UpdateScrollBars(e);
        Invalidate(e);
    });
    return TRUE;
}

void SetSelectionFromMessage(Editor& e, LONG first, LONG last) {
    e.desiredX = -1;
    e.text.CloseUndoRun();
    if (first < 0) {
        SetSelection(e, e.caret, e.caret);
        return;
    }
    SetSelection(e, ClampPosition(e, first), ClampPosition(e, last));
}

LRESULT OnLineIndex(Editor& e, WPARAM line) {
    std::size_t d = static_cast<LONG>(line) < 0 ? CaretLine(e) : static_cast<std::size_t>(line);
    std::size_t start = e.layout.DisplayLineStart(d);
    return start == kNone ? -1 : static_cast<LRESULT>(start);
}

LRESULT OnLineLength(Editor& e, WPARAM position) {
    if (static_cast<LONG>(position) < 0) {
        // The unselected characters on the lines that hold the selection.
        std::size_t first = SelectionStart(e), last = SelectionEnd(e);
        std::size_t firstLine = e.layout.DisplayLineFromPosition(first);
        std::size_t lastLine = e.layout.DisplayLineFromPosition(last);
        std::size_t before = first - e.layout.DisplayLineStart(firstLine);
        std::size_t end = e.layout.DisplayLineEnd(lastLine);
        std::size_t after = end > last ? end - last : 0;
        return static_cast<LRESULT>(before + after);
    }
    std::size_t d = e.layout.DisplayLineFromPosition(ClampPosition(e, static_cast<LONG>(position)));
    return static_cast<LRESULT>(e.layout.DisplayLineEnd(d) - e.layout.DisplayLineStart(d));
}

LRESULT OnFindText(Editor& e, WPARAM flags, FINDTEXTA* find, CHARRANGE* found) {
    if (!find || !find->lpstrText) return -1;
    std::size_t first = find->chrg.cpMin < 0 ? 0 : static_cast<std::size_t>(find->chrg.cpMin);
    std::size_t last = find->chrg.cpMax < 0 ? e.text.Length() : static_cast<std::size_t>(find->chrg.cpMax);
    std::string_view pattern(find->lpstrText);
    SearchOptions options{(flags & FR_WHOLEWORD) != 0, (flags & FR_MATCHCASE) != 0};
    // Forward only, whatever the direction flag says, as the first rich-edit control searched.
    std::size_t at = SearchText(e.text, pattern, first, last, options, Letters(e));
    if (at == kNone) return -1;
    if (found) *found = {static_cast<LONG>(at), static_cast<LONG>(at + pattern.size())};
    return static_cast<LRESULT>(at);
}

LRESULT OnFindWordBreak(Editor& e, WPARAM code, LPARAM position) {
    std::size_t p = ClampPosition(e, static_cast<LONG>(position));
    const ViewLetters& letters = Letters(e);
    switch (code) {
    case WB_LEFT:
    case WB_MOVEWORDLEFT:
    case WB_LEFTBREAK: return static_cast<LRESULT>(FindWordBreak(e.text, p, WordMove::Left, letters));
    case WB_RIGHT:
    case WB_MOVEWORDRIGHT:
    case WB_RIGHTBREAK: return static_cast<LRESULT>(FindWordBreak(e.text, p, WordMove::Right, letters));
    case WB_ISDELIMITER:
        return p < e.text.Length() && letters.classes[e.text.At(p)] != WordClass::Word &&
               letters.classes[e.text.At(p)] != WordClass::Punctuation;
    case WB_CLASSIFY: {
        if (p >= e.text.Length()) return 0;
        WordClass c = letters.classes[e.text.At(p)];
        if (c == WordClass::Blank) return WBF_ISWHITE | WBF_BREAKAFTER;
        if (c == WordClass::LineBreak) return WBF_BREAKLINE;
        return c == WordClass::Punctuation ? 1 : 0;
    }
    default: return 0;
    }
}

LRESULT OnGetCharFormat(Editor& e, WPARAM scope, CHARFORMATA* out) {
    if (!out || out->cbSize < sizeof(CHARFORMATA)) return 0;
    UINT size = out->cbSize;
    std::memcpy(reinterpret_cast<char*>(out) + sizeof(UINT), reinterpret_cast<const char*>(&e.format) + sizeof(UINT),
                sizeof(CHARFORMATA) - sizeof(UINT));
    out->cbSize = size;
    out->dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_PROTECTED | CFM_SIZE | CFM_COLOR |
                  CFM_FACE | CFM_OFFSET | CFM_CHARSET;
    if (scope & SCF_SELECTION) {
        // An empty selection reports the format that text typed there takes: the colour of the
        // character before the caret (at the start of the text, of the one after it).
        std::size_t at = SelectionStart(e);
        if (at == SelectionEnd(e) && at > 0) --at;
        std::uint32_t colour = e.colours.ColourAt(at);
        if (colour != ColourRuns::kDefault) {
            out->crTextColor = colour;
            out->dwEffects &= ~CFE_AUTOCOLOR;
        }
    }
    return out->dwMask;
}

LRESULT OnSetCharFormat(Editor& e, WPARAM scope, const CHARFORMATA* in) {
    if (!in || in->cbSize < sizeof(CHARFORMATA)) return 0;
    CHARFORMATA& f = e.format;
    bool fontChanged = false;
    auto effect = [&](DWORD mask, DWORD bit) {
        if (!(in->dwMask & mask)) return;
        DWORD wanted = (in->dwEffects & bit) ? (f.dwEffects | bit) : (f.dwEffects & ~bit);
        fontChanged = fontChanged || wanted != f.dwEffects;
        f.dwEffects = wanted;
    };
    effect(CFM_BOLD, CFE_BOLD);
    effect(CFM_ITALIC, CFE_ITALIC);
    effect(CFM_UNDERLINE, CFE_UNDERLINE);
    effect(CFM_STRIKEOUT, CFE_STRIKEOUT);
    if ((in->dwMask & CFM_SIZE) && in->yHeight != f.yHeight) {
        f.yHeight = in->yHeight;
        fontChanged = true;
    }
    if (in->dwMask & CFM_OFFSET) f.yOffset = in->yOffset;
    if (in->dwMask & CFM_CHARSET) f.bCharSet = in->bCharSet;
    if (in->dwMask & CFM_FACE) {
        if (std::strncmp(f.szFaceName, in->szFaceName, LF_FACESIZE) != 0 || f.bPitchAndFamily != in->bPitchAndFamily)
            fontChanged = true;
        lstrcpynA(f.szFaceName, in->szFaceName, LF_FACESIZE);
        f.bPitchAndFamily = in->bPitchAndFamily;
    }
    if (in->dwMask & CFM_COLOR) {
        bool automatic = (in->dwEffects & CFE_AUTOCOLOR) != 0;
        COLORREF colour = automatic ? GetSysColor(COLOR_WINDOWTEXT) : in->crTextColor;
        if (scope & SCF_ALL) {
            // The whole text in one colour: no runs, and the colour becomes the control's.
            e.colours.Clear();
            f.crTextColor = colour;
            f.dwEffects = automatic ? (f.dwEffects | CFE_AUTOCOLOR) : (f.dwEffects & ~CFE_AUTOCOLOR);
        } else if (scope & (SCF_SELECTION | SCF_WORD)) {
            e.colours.Set(SelectionStart(e), SelectionEnd(e), colour);
        } else {
            f.crTextColor = colour;
            f.dwEffects = automatic ? (f.dwEffects | CFE_AUTOCOLOR) : (f.dwEffects & ~CFE_AUTOCOLOR);
        }
    }
    f.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_OFFSET;
    if (fontChanged) ApplyFont(e);
    Invalidate(e);
    return TRUE;
}

void OnSetFont(Editor& e, HFONT font) {
    LOGFONTA logFont{};
    if (!font || !GetObjectA(font, sizeof logFont, &logFont)) return;
    HDC dc = GetDC(e.window);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(e.window, dc);
    LONG height = logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
    e.format.yHeight = height ? MulDiv(height, 1440, dpi) : 0;
    e.format.dwEffects &= ~(CFE_BOLD | CFE_ITALIC);
    if (logFont.lfWeight >= FW_BOLD) e.format.dwEffects |= CFE_BOLD;
    if (logFont.lfItalic) e.format.dwEffects |= CFE_ITALIC;
    e.format.bCharSet = logFont.lfCharSet;
    e.format.bPitchAndFamily = logFont.lfPitchAndFamily;
    lstrcpynA(e.format.szFaceName, logFont.lfFaceName, LF_FACESIZE);
    ApplyFont(e);
}

LRESULT OnUndo(Editor& e) {
    if (ReadOnly(e)) return FALSE;
    std::size_t before = e.text.Length();
    TextModel::UndoResult result = e.text.Undo();
    if (!result.done) return FALSE;
    std::size_t inserted = result.last - result.first;
    std::size_t removed = before + inserted - e.text.Length();
    e.colours.OnReplace(result.first, removed, inserted);
    FollowChange(e, result.last, [&] {
        SetSelection(e, result.first, result.last);
        UpdateScrollBars(e);
        Invalidate(e);
    });
    Notify(e, EN_CHANGE, ENM_CHANGE);
    return TRUE;
}

PageLook LookOf(const Editor& e) { return {e.view, &e.format, TextColour(e), &e.colours}; }

LRESULT OnFormatRange(Editor& e, WPARAM render, LPARAM range) {
    return e.pages.FormatRange(LookOf(e), render != 0, reinterpret_cast<FORMATRANGE*>(range));
}

LRESULT OnDisplayBand(Editor& e, LPARAM band) {
    return e.pages.DisplayBand(LookOf(e), reinterpret_cast<const RECT*>(band)) ? TRUE : FALSE;
}

void SetViewCodePage(Editor& e, int view) {
    if (view < 0 || view > 2) view = 0;
    e.view = view;
    MeasureFont(e);
    e.layout.SetWrapWidth(Wraps(e) ? TextAreaWidth(e) : 0);
    e.topLine = ClampTopLine(e, e.topLine);
    UpdateScrollBars(e);
    PlaceCaret(e);
    Invalidate(e);
}

void OnCreate(Editor& e) {
    LONG_PTR style = Style(e);
    e.showSelectionUnfocused = (style & ES_NOHIDESEL) != 0;
    e.format.cbSize = sizeof(CHARFORMATA);
    e.format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET | CFM_OFFSET;
    e.format.dwEffects = CFE_AUTOCOLOR;
    e.format.yHeight = 200;
    e.format.bCharSet = DEFAULT_CHARSET;
    e.format.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
    ApplyFont(e);
}

void OnSize(Editor& e) {
    e.layout.SetWrapWidth(Wraps(e) ? TextAreaWidth(e) : 0);
    e.topLine = ClampTopLine(e, e.topLine);
    if (Wraps(e)) e.scrollX = 0;
    UpdateScrollBars(e);
    PlaceCaret(e);
    InvalidateRect(e.window, nullptr, FALSE);
}

// The other control's text moves here without a copy; this control's (empty, for word wrap) goes
// there. Both are then shown from their start.
LRESULT TakeTextFrom(Editor& e, HWND other) {
    if (!other || other == e.window || GetClassLongPtrA(other, GCW_ATOM) != GetClassLongPtrA(e.window, GCW_ATOM))
        return FALSE;
    Editor* source = EditorOf(other);
    if (!source) return FALSE;
    e.text.TakeTextFrom(source->text);
    std::swap(e.colours, source->colours);
    for (Editor* changed : {source, &e}) {
        AfterChangeUnfollowed(*changed, 0);
        changed->topLine = 0;
        changed->scrollX = 0;
        changed->widestLine = 0;
    }
    Notify(e, EN_CHANGE, ENM_CHANGE);
    return TRUE;
}

LRESULT MapSelectedBytes(Editor& e, const std::uint8_t* byteFor) {
    if (!byteFor || ReadOnly(e)) return FALSE;
    std::size_t first = SelectionStart(e), last = SelectionEnd(e);
    if (!e.text.MapBytes(first, last, byteFor)) return FALSE;
    FollowChange(e, e.caret, [&] {
        e.widestLine = 0;
        UpdateScrollBars(e);
        PlaceCaret(e);
        Invalidate(e);
    });
    Notify(e, EN_CHANGE, ENM_CHANGE);
    return TRUE;
}

LRESULT HandleMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: OnPaint(e); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: OnSize(e); return 0;
    case WM_STYLECHANGED: OnSize(e); return 0;
    case WM_SETFOCUS:
        e.focused = true;
        e.selectionShownForNow = -1;
        MakeCaret(e);
        InvalidateSelection(e);
        Notify(e, EN_SETFOCUS, 0xFFFFFFFF);
        return 0;
    case WM_KILLFOCUS:
        e.focused = false;
        e.selectionShownForNow = -1;
        DestroyCaret();
        InvalidateSelection(e);
        Notify(e, EN_KILLFOCUS, 0xFFFFFFFF);
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        if (Style(e) & ES_WANTRETURN) code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if (OnKeyDown(e, wParam)) return 0;
        break;
    case WM_CHAR: OnChar(e, wParam); return 0;
    case WM_UNICHAR:
        if (wParam == UNICODE_NOCHAR) return TRUE;
        if (wParam < 0x10000) {
            auto byte = ViewByteFor(e.view, static_cast<char16_t>(wParam));
            if (byte) OnChar(e, *byte);
        }
        return 0;
    case WM_LBUTTONDOWN: OnLeftButtonDown(e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), false); return 0;
    case WM_LBUTTONDBLCLK: OnLeftButtonDown(e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true); return 0;
    case WM_MOUSEMOVE: OnMouseMove(e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(e, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_CAPTURECHANGED: EndMouse(e); return 0;
    case WM_TIMER:
        if (wParam == kAutoScrollTimer) OnAutoScrollTimer(e);
        return 0;
    case WM_VSCROLL: OnVerticalScroll(e, LOWORD(wParam)); return 0;
    case WM_HSCROLL: OnHorizontalScroll(e, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(e, GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam)); return 0;
    case WM_MOUSEHWHEEL: OnHorizontalWheel(e, GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_SETFONT: OnSetFont(e, reinterpret_cast<HFONT>(wParam)); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(e.font.get());
    case WM_SETREDRAW:
        e.redraw = wParam != 0;
        if (e.redraw) {
            e.topLine = ClampTopLine(e, e.topLine);
            UpdateScrollBars(e);
            PlaceCaret(e);
        }
        return 0;

    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(e.text.Length());
    case WM_GETTEXT: return OnGetText(e, wParam, reinterpret_cast<char*>(lParam));
    case WM_SETTEXT: return OnSetText(e, reinterpret_cast<const char*>(lParam));
    case WM_CLEAR:
        if (!ReadOnly(e) && e.anchor != e.caret) ReplaceSelection(e, {}, true);
        return 0;
    case WM_COPY: CopySelection(e); return 0;
    case WM_CUT:
        if (!ReadOnly(e)) {
            CopySelection(e);
            if (e.anchor != e.caret) ReplaceSelection(e, {}, true);
        }
        return 0;
    case WM_PASTE: Paste(e); return 0;
    case WM_UNDO:
    case EM_UNDO: return OnUndo(e);
    case EM_CANUNDO: return e.text.CanUndo();
    case EM_EMPTYUNDOBUFFER: e.text.EmptyUndoBuffer(); return 0;
    case EM_GETMODIFY: return e.text.Modified();
    case EM_SETMODIFY: e.text.SetModified(wParam != 0); return 0;

    case EM_GETSEL: {
        DWORD first = static_cast<DWORD>(SelectionStart(e)), last = static_cast<DWORD>(SelectionEnd(e));
        if (wParam) *reinterpret_cast<DWORD*>(wParam) = first;
        if (lParam) *reinterpret_cast<DWORD*>(lParam) = last;
        return MAKELRESULT(std::min<DWORD>(first, 0xFFFF), std::min<DWORD>(last, 0xFFFF));
    }
    case EM_SETSEL: SetSelectionFromMessage(e, static_cast<LONG>(wParam), static_cast<LONG>(lParam)); return 0;
    case EM_EXGETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam))
            *range = {static_cast<LONG>(SelectionStart(e)), static_cast<LONG>(SelectionEnd(e))};
        return 0;
    case EM_EXSETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam))
            SetSelectionFromMessage(e, range->cpMin, range->cpMax);
        return static_cast<LRESULT>(SelectionEnd(e));
    case EM_SELECTIONTYPE: {
        std::size_t n = SelectionEnd(e) - SelectionStart(e);
        return n == 0 ? SEL_EMPTY : (SEL_TEXT | (n > 1 ? SEL_MULTICHAR : 0));
    }
    case EM_GETSELTEXT:
        return CopyOut(e.text.Range(SelectionStart(e), SelectionEnd(e)), reinterpret_cast<char*>(lParam));
    case EM_GETTEXTRANGE: {
        auto* range = reinterpret_cast<TEXTRANGEA*>(lParam);
        if (!range || !range->lpstrText) return 0;
        std::size_t first = ClampPosition(e, std::max<LONG>(0, range->chrg.cpMin));
        std::size_t last = ClampPosition(e, range->chrg.cpMax);
        if (last < first) last = first;
        return CopyOut(e.text.Range(first, last), range->lpstrText);
    }
    case EM_REPLACESEL: {
        const char* bytes = reinterpret_cast<const char*>(lParam);
        ReplaceSelection(e, bytes ? std::string_view(bytes) : std::string_view(), wParam != 0);
        return 0;
    }
    case EM_STREAMIN: return StreamIn(e, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_STREAMOUT: return StreamOut(e, wParam, reinterpret_cast<EDITSTREAM*>(lParam));

    case EM_GETLINECOUNT: return static_cast<LRESULT>(e.layout.DisplayLineCount());
    case EM_LINEINDEX: return OnLineIndex(e, wParam);
    case EM_LINELENGTH: return OnLineLength(e, wParam);
    case EM_EXLINEFROMCHAR:
        return static_cast<LRESULT>(e.layout.DisplayLineFromPosition(
            static_cast<LONG>(lParam) < 0 ? SelectionStart(e) : ClampPosition(e, static_cast<LONG>(lParam))));
    case EM_LINEFROMCHAR:
        return static_cast<LRESULT>(e.layout.DisplayLineFromPosition(
            static_cast<LONG>(wParam) < 0 ? SelectionStart(e) : ClampPosition(e, static_cast<LONG>(wParam))));
    case EM_GETLINE: {
        char* out = reinterpret_cast<char*>(lParam);
        std::size_t start = e.layout.DisplayLineStart(wParam);
        if (!out || start == kNone) return 0;
        WORD room = *reinterpret_cast<WORD*>(out);
        std::string bytes = e.text.Range(start, e.layout.DisplayLineEnd(wParam));
        std::size_t count = std::min<std::size_t>(bytes.size(), room);
        std::memcpy(out, bytes.data(), count);
        return static_cast<LRESULT>(count);
    }
    case EM_GETFIRSTVISIBLELINE: return static_cast<LRESULT>(e.topLine);
    case EM_LINESCROLL: {
        long top = static_cast<long>(e.topLine) + static_cast<LONG>(lParam);
        int x = e.scrollX + static_cast<int>(static_cast<LONG>(wParam)) * e.averageWidth;
        ScrollTo(e, static_cast<std::size_t>(std::max(0L, top)), x);
        return TRUE;
    }
    case EM_SCROLLCARET: ScrollCaretIntoView(e); return 0;
    case EM_POSFROMCHAR: {
        // The first rich-edit form: wParam points to the POINTL to fill, lParam is the position.
        auto* point = reinterpret_cast<POINTL*>(wParam);
        if (!point) return 0;
        std::size_t p = ClampPosition(e, static_cast<LONG>(lParam));
        std::size_t line = e.layout.DisplayLineFromPosition(p);
        point->x = kMargin + e.layout.XOfPosition(line, p) - e.scrollX;
        point->y = static_cast<LONG>((static_cast<long>(line) - static_cast<long>(e.topLine)) * e.lineHeight);
        return 0;
    }
    case EM_CHARFROMPOS: {
        auto* point = reinterpret_cast<POINTL*>(lParam);
        return point ? static_cast<LRESULT>(PositionAtPoint(e, point->x, point->y)) : -1;
    }
    case EM_GETRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
            *rect = ClientArea(e);
            rect->left += kMargin;
            rect->right -= kMargin;
        }
        return 0;

    case EM_FINDTEXT: return OnFindText(e, wParam, reinterpret_cast<FINDTEXTA*>(lParam), nullptr);
    case EM_FINDTEXTEX: {
        auto* find = reinterpret_cast<FINDTEXTEXA*>(lParam);
        if (!find) return -1;
        FINDTEXTA plain{find->chrg, find->lpstrText};
        return OnFindText(e, wParam, &plain, &find->chrgText);
    }
    case EM_FINDWORDBREAK: return OnFindWordBreak(e, wParam, lParam);
    case EM_HIDESELECTION: {
        // lParam 0 is for the moment (a dialog that has taken the focus shows the match); only a
        // non-zero lParam changes how the control shows its selection unfocused from now on.
        bool wasShown = SelectionShown(e);
        if (lParam) {
            e.showSelectionUnfocused = wParam == 0;
            e.selectionShownForNow = -1;
        } else {
            e.selectionShownForNow = wParam == 0 ? 1 : 0;
        }
        // A dialog sends this with every message it handles: only a change is repainted.
        if (SelectionShown(e) != wasShown) InvalidateSelection(e);
        return 0;
    }
    case EM_GETCHARFORMAT: return OnGetCharFormat(e, wParam, reinterpret_cast<CHARFORMATA*>(lParam));
    case EM_SETCHARFORMAT: return OnSetCharFormat(e, wParam, reinterpret_cast<const CHARFORMATA*>(lParam));
    case EM_SETBKGNDCOLOR: {
        COLORREF previous = BackgroundColour(e);
        e.systemBackground = wParam != 0;
        e.background = static_cast<COLORREF>(lParam);
        Invalidate(e);
        return static_cast<LRESULT>(previous);
    }
    case EM_EXLIMITTEXT: e.text.SetTextLimit(static_cast<std::size_t>(lParam)); return 0;
    case EM_LIMITTEXT: e.text.SetTextLimit(static_cast<std::size_t>(wParam)); return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(e.text.TextLimit());
    case EM_SETREADONLY: {
        LONG_PTR style = Style(e);
        SetWindowLongPtrA(e.window, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
        return TRUE;
    }
    case EM_SETOLECALLBACK: {
        auto* callback = reinterpret_cast<IRichEditOleCallback*>(lParam);
        if (callback) callback->AddRef();
        if (e.callback) e.callback->Release();
        e.callback = callback;
        return TRUE;
    }
    case EM_GETOLEINTERFACE: return FALSE;
    case EM_SETEVENTMASK: {
        DWORD previous = e.eventMask;
        e.eventMask = static_cast<DWORD>(lParam);
        return previous;
    }
    case EM_GETEVENTMASK: return e.eventMask;
    case EM_SETOPTIONS:
    case EM_GETOPTIONS: return 0;
    case EM_FORMATRANGE: return OnFormatRange(e, wParam, lParam);
    case EM_DISPLAYBAND: return OnDisplayBand(e, lParam);
    case EM_SETVIEWCODEPAGE: {
        int previous = e.view;
        SetViewCodePage(e, static_cast<int>(wParam));
        return previous;
    }
    case EM_GETVIEWCODEPAGE: return e.view;
    case EM_EXPECTSTREAMSIZE: e.expectedStreamSize = static_cast<std::size_t>(lParam); return 0;
    case EM_TAKETEXTFROM: return TakeTextFrom(e, reinterpret_cast<HWND>(wParam));
    case EM_MAPBYTES: return MapSelectedBytes(e, reinterpret_cast<const std::uint8_t*>(lParam));
    case kRefreshMessage:
        e.refreshPosted = false;
        if (e.scrollBarsPending) UpdateScrollBarsNow(e);
        if (e.caretPending) PlaceCaretNow(e);
        return 0;
    default: break;
    }
    return DefWindowProcA(e.window, message, wParam, lParam);
}

LRESULT CALLBACK EditorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* editor = EditorOf(window);
    if (message == WM_NCCREATE) {
        try {
            GrowthBudget::Charge(sizeof(Editor));
        } catch (const std::bad_alloc&) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        editor = new (std::nothrow) Editor(window);
        if (!editor) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(editor));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!editor) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (editor->callback) editor->callback->Release();
        if (editor->paintBitmap) DeleteObject(editor->paintBitmap);
        SetWindowLongPtrA(window, 0, 0);
        delete editor;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == EM_GETLASTFAILURE) return static_cast<LRESULT>(std::exchange(editor->lastFailure, 0));
    editor->lastFailure = 0;
    try {
        if (message == WM_CREATE) {
            OnCreate(*editor);
            return 0;
        }
        return HandleMessage(*editor, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        // Out of memory for the text: the edit did not happen. The parent hears of it as from the
        // system's control, and the sender learns it from EM_GETLASTFAILURE, set last so that
        // whatever the parent sends meanwhile does not clear it.
        HWND parent = GetParent(window);
        if (parent)
            SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), EN_ERRSPACE), reinterpret_cast<LPARAM>(window));
        if (Editor* still = EditorOf(window)) still->lastFailure = ERROR_NOT_ENOUGH_MEMORY;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}  // namespace

bool RegisterEditorControlClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = EditorControlProc;
    windowClass.cbWndExtra = sizeof(Editor*);
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    windowClass.lpszClassName = "RICHEDIT";
    return RegisterClassExA(&windowClass) != 0;
}
