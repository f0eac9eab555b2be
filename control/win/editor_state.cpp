#include "control/win/editor_state.h"

namespace editor_control {

Editor* EditorOf(HWND window) { return reinterpret_cast<Editor*>(GetWindowLongPtrA(window, 0)); }

LONG_PTR Style(const Editor& e) { return GetWindowLongPtrA(e.window, GWL_STYLE); }
bool Wraps(const Editor& e) { return (Style(e) & (WS_HSCROLL | ES_AUTOHSCROLL)) == 0; }
bool ReadOnly(const Editor& e) { return (Style(e) & ES_READONLY) != 0; }

bool SelectionShown(const Editor& e) {
    const Editor::Focus& f = e.focus;
    return f.selectionShownForNow >= 0 ? f.selectionShownForNow != 0 : f.held || f.showSelectionUnfocused;
}

RECT ClientArea(const Editor& e) {
    RECT r;
    GetClientRect(e.window, &r);
    return r;
}

void SyncViewSize(Editor& e) {
    RECT r = ClientArea(e);
    int rows = static_cast<int>(r.bottom - r.top) / std::max(1, e.look.lineHeight);
    e.edit.SetViewSize(static_cast<std::size_t>(std::max(1, rows)), TextAreaWidth(e), e.look.averageWidth);
}

COLORREF TextColour(const Editor& e) {
    return (e.look.format.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : e.look.format.crTextColor;
}

COLORREF BackgroundColour(const Editor& e) {
    return e.look.systemBackground ? GetSysColor(COLOR_WINDOW) : e.look.background;
}

std::size_t ClampPosition(const Editor& e, LONG position) {
    if (position < 0) return e.text.Length();
    return std::min<std::size_t>(static_cast<std::size_t>(position), e.text.Length());
}

void Invalidate(Editor& e) {
    if (!e.screen.redraw || e.screen.wholeInvalid) return;
    InvalidateRect(e.window, nullptr, FALSE);
    e.screen.wholeInvalid = true;
}

void InvalidateRows(Editor& e, long first, long last) {
    if (!e.screen.redraw || e.screen.wholeInvalid || last <= 0) return;
    RECT r = ClientArea(e);
    long rows = r.bottom / std::max(1, e.look.lineHeight) + 1;
    if (first >= rows) return;
    r.top = static_cast<LONG>(std::max(0L, first)) * e.look.lineHeight;
    if (last < rows) r.bottom = static_cast<LONG>(last) * e.look.lineHeight;
    InvalidateRect(e.window, &r, FALSE);
}

void Notify(Editor& e, WORD code, DWORD mask) {
    if (!(e.richEdit.eventMask & mask)) return;
    HWND parent = GetParent(e.window);
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(e.window), code), reinterpret_cast<LPARAM>(e.window));
}

// EN_SELCHANGE is the one notification of the list that comes as WM_NOTIFY, with the new selection
// and its kind.
void NotifySelectionChange(Editor& e) {
    if (!(e.richEdit.eventMask & ENM_SELCHANGE)) return;
    HWND parent = GetParent(e.window);
    if (!parent) return;
    SELCHANGE change{};
    change.nmhdr.hwndFrom = e.window;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(e.window));
    change.nmhdr.code = EN_SELCHANGE;
    change.chrg = {static_cast<LONG>(e.edit.SelectionStart()), static_cast<LONG>(e.edit.SelectionEnd())};
    std::size_t n = e.edit.SelectionEnd() - e.edit.SelectionStart();
    change.seltyp = static_cast<WORD>(n == 0 ? SEL_EMPTY : (SEL_TEXT | (n > 1 ? SEL_MULTICHAR : 0)));
    SendMessageA(parent, WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

int TextAreaWidth(Editor& e) {
    RECT r = ClientArea(e);
    return std::max(1, static_cast<int>(r.right - r.left) - 2 * kMargin);
}

int ClientX(const Editor& e, PixelX x) {
    constexpr PixelX kFar = 0x3FFFFFFF;
    return static_cast<int>(std::clamp<PixelX>(kMargin + x - e.edit.ScrollX(), -kFar, kFar));
}

// ---- Editing ---------------------------------------------------------------------------------

// After a change of the text that could not be followed on screen step by step (memory for the
// layout ran out): the change stands, so the view is simply drawn again from scratch.
void AfterChangeUnfollowed(Editor& e, std::size_t caret) noexcept {
    e.edit.Select(caret, caret);
    e.screen.wholeInvalid = false;
    if (e.screen.redraw) InvalidateRect(e.window, nullptr, FALSE);
    e.screen.scrollBarsPending = true;
    e.screen.caretPending = e.focus.held;
    if (!e.screen.refreshPosted) e.screen.refreshPosted = PostMessageA(e.window, kRefreshMessage, 0, 0) != FALSE;
}

// The document tells every change of its text, whoever made it: the rows it touched are drawn
// again and the caret lands behind it. The rows are found before the change, while the view can
// still say where the old text stood.
void Editor::OnTextChanging(std::size_t first, std::size_t last) noexcept {
    Editor& e = *this;
    pending = {};
    pending.lineEnd = e.text.DocumentLineEnd();
    try {
        InvalidateSelection(e);
        if (!e.screen.redraw) return;
        pending.firstRow = e.edit.RowOf(first);
        pending.lastRow = e.edit.RowOf(last);
        pending.nearView = pending.firstRow != kBelow && pending.lastRow != kAbove && pending.firstRow != kAbove;
        // The display lines from the edit's first to the end of its last logical line change; those
        // below only when the edit changes how many display lines there are above them.
        if (pending.nearView) pending.belowBefore = e.layout.FirstDisplayLineOf(e.text.LineFromPosition(last) + 1);
    } catch (const std::bad_alloc&) {
        pending = {};  // nothing known: the whole view is drawn again
    }
}

void Editor::OnTextChanged(const TextChange& change) noexcept {
    Editor& e = *this;
    const std::size_t caret = e.edit.Caret();
    FollowChange(e, caret, [&] {
        // The text's kind changed with its first line break: which breaks show a mark changes everywhere.
        if (e.text.DocumentLineEnd() != pending.lineEnd) Invalidate(e);
        if (change.removed == TextModel::kNoPosition) {
            // A whole new text, shown from its start.
            SetSelection(e, caret, caret);
            e.edit.ClampView();
            Invalidate(e);
        } else if (pending.nearView) {
            std::size_t belowAfter = e.layout.FirstDisplayLineOf(e.text.LineFromPosition(change.first + change.inserted) + 1);
            long end = pending.belowBefore == belowAfter
                           ? static_cast<long>(belowAfter) - static_cast<long>(e.edit.TopLine())
                           : kBelow;
            InvalidateRows(e, pending.firstRow, end);
        } else if (pending.firstRow != kBelow) {
            Invalidate(e);  // an edit above the view moves what it shows
        }
        if (change.removed != TextModel::kNoPosition) SetSelection(e, caret, caret);
        UpdateScrollBars(e);
    });
    pending = {};
    if (change.cut) Notify(e, EN_MAXTEXT, 0xFFFFFFFF);
    Notify(e, EN_CHANGE, ENM_CHANGE);
}

// The program moved the selection (a search, an undo step): the old one's rows were drawn as
// selected, the new one's are to be.
void Editor::OnSelectionChanged() noexcept {
    if (movingSelection) return;
    Editor& e = *this;
    FollowChange(e, e.edit.Caret(), [&] {
        Invalidate(e);
        ShowSelection(e, true);
    });
}

// The view code page or overwrite mode changed, by a key here or by the program.
void Editor::OnViewChanged() noexcept {
    Editor& e = *this;
    FollowChange(e, e.edit.Caret(), [&] {
        if (e.doc.ViewCodePage() != e.screen.shownView) ShowViewCodePage(e);
        if (e.doc.Overwrite() != e.screen.shownOverwrite) {
            e.screen.shownOverwrite = e.doc.Overwrite();
            if (e.focus.held) MakeCaret(e);
        }
    });
}

// Every change the view makes goes through the document's gateways, which tell the view back.
std::size_t ReplaceRange(Editor& e, std::size_t first, std::size_t last, std::string_view bytes, bool canUndo,
                         EditKind kind) {
    return e.doc.Replace(first, last, bytes, UndoKind::NotRecorded, kind, canUndo);
}

void ReplaceSelection(Editor& e, std::string_view bytes, bool canUndo, EditKind kind) {
    ReplaceRange(e, e.edit.SelectionStart(), e.edit.SelectionEnd(), bytes, canUndo, kind);
}

const ViewLetters& Letters(const Editor& e) { return LettersOfView(e.doc.ViewCodePage()); }

}  // namespace editor_control
