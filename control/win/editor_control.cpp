#include "control/win/editor_state.h"

#include <shellapi.h>

#include <optional>

namespace editor_control {

namespace {

// A handler for each family of messages; each gives nothing for a message not of its family.
using Handled = std::optional<LRESULT>;

void OnFocus(Editor& e, bool focused) {
    e.focus.held = focused;
    e.focus.selectionShownForNow = -1;
    if (focused) MakeCaret(e);
    else DestroyCaret();
    InvalidateSelection(e);
    Notify(e, focused ? EN_SETFOCUS : EN_KILLFOCUS, 0xFFFFFFFF);
}

void OnSetRedraw(Editor& e, bool redraw) {
    e.screen.redraw = redraw;
    if (!redraw) return;
    e.edit.ClampView();
    UpdateScrollBars(e);
    PlaceCaret(e);
}

Handled WindowMessage(Editor& e, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_PAINT: OnPaint(e); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
    case WM_STYLECHANGED: OnSize(e); return 0;
    case WM_SETFOCUS: OnFocus(e, true); return 0;
    case WM_KILLFOCUS: OnFocus(e, false); return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
        if (Style(e) & ES_WANTRETURN) code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETFONT: OnSetFont(e, reinterpret_cast<HFONT>(wParam)); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(e.look.font.get());
    case WM_SETREDRAW: OnSetRedraw(e, wParam != 0); return 0;
    // On a monitor of another scale the font is made again for its DPI: the text keeps its point size.
    case kDpiChangedAfterParentMessage: ApplyFont(e); return 0;
    case kRefreshMessage:
        e.screen.refreshPosted = false;
        if (e.screen.scrollBarsPending) UpdateScrollBarsNow(e);
        if (e.screen.caretPending) PlaceCaretNow(e);
        return 0;
    default: return std::nullopt;
    }
}

// Files dropped from the shell are the parent's to open.
void OnDropFiles(Editor& e, HDROP drop) {
    HWND parent = GetParent(e.window);
    if (!(e.richEdit.eventMask & ENM_DROPFILES) || !parent) {
        DragFinish(drop);
        return;
    }
    ENDROPFILES files{};
    files.nmhdr.hwndFrom = e.window;
    files.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(e.window));
    files.nmhdr.code = EN_DROPFILES;
    files.hDrop = drop;
    files.cp = static_cast<LONG>(e.edit.Caret());
    SendMessageA(parent, WM_NOTIFY, files.nmhdr.idFrom, reinterpret_cast<LPARAM>(&files));
}

// Keys, characters, the mouse, the scroll bars and the wheel. WM_KEYDOWN of a key the control does
// not use goes on to the default procedure.
Handled InputMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_KEYDOWN: return OnKeyDown(e, wParam) ? Handled(0) : std::nullopt;
    case WM_CHAR: OnChar(e, wParam); return 0;
    case WM_UNICHAR:
        if (wParam == UNICODE_NOCHAR) return TRUE;
        OnCharacter(e, static_cast<char32_t>(wParam));
        return 0;
    case WM_RBUTTONUP: {
        POINT point{x, y};
        ClientToScreen(e.window, &point);
        if (HWND parent = GetParent(e.window))
            SendMessageA(parent, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(e.window), MAKELPARAM(point.x, point.y));
        return 0;
    }
    case WM_DROPFILES: OnDropFiles(e, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_INPUTLANGCHANGE: Notify(e, EN_INPUTLANGCHANGE, 0xFFFFFFFF); return 1;
    case WM_LBUTTONDOWN: OnLeftButtonDown(e, x, y, false); return 0;
    case WM_LBUTTONDBLCLK: OnLeftButtonDown(e, x, y, true); return 0;
    case WM_MOUSEMOVE: OnMouseMove(e, x, y); return 0;
    case WM_LBUTTONUP: OnLeftButtonUp(e, x, y); return 0;
    case WM_CAPTURECHANGED: EndMouse(e); return 0;
    case WM_TIMER:
        if (wParam == kAutoScrollTimer) OnAutoScrollTimer(e);
        return 0;
    case WM_VSCROLL: OnVerticalScroll(e, LOWORD(wParam)); return 0;
    case WM_HSCROLL: OnHorizontalScroll(e, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(e, GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam)); return 0;
    case WM_MOUSEHWHEEL: OnHorizontalWheel(e, GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    default: return std::nullopt;
    }
}

// The text as a whole: reading, replacing, streams, undo and the modified flag.
Handled TextMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(e.text.Length());
    case WM_GETTEXT: return OnGetText(e, wParam, reinterpret_cast<char*>(lParam));
    case WM_SETTEXT: return OnSetText(e, reinterpret_cast<const char*>(lParam));
    case WM_CLEAR:
        if (!ReadOnly(e) && e.edit.HasSelection()) e.doc.ReplaceSelection({}, UndoKind::ReplaceRange);
        return 0;
    case WM_COPY: CopySelection(e); return 0;
    case WM_CUT: CutSelection(e); return 0;
    case WM_PASTE: Paste(e); return 0;
    case WM_UNDO:
    case EM_UNDO: return OnUndo(e);
    case EM_CANUNDO: return e.doc.CanUndoTextStep();
    case EM_EMPTYUNDOBUFFER: e.doc.ForgetTextStep(); return 0;
    case EM_GETMODIFY: return e.doc.Modified();
    case EM_SETMODIFY: e.doc.SetModified(wParam != 0); return 0;
    case EM_REPLACESEL: {
        const char* bytes = reinterpret_cast<const char*>(lParam);
        ReplaceSelection(e, bytes ? std::string_view(bytes) : std::string_view(), wParam != 0);
        return 0;
    }
    case EM_STREAMIN: return StreamIn(e, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_STREAMOUT: return StreamOut(e, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_EXPECTSTREAMSIZE: e.richEdit.expectedStreamSize = static_cast<std::size_t>(lParam); return 0;
    case EM_TAKETEXTFROM: return TakeTextFrom(e, reinterpret_cast<HWND>(wParam));
    case EM_MAPBYTES: return MapSelectedBytes(e, reinterpret_cast<const std::uint8_t*>(lParam));
    case EM_GETLINEENDS:
        return static_cast<LRESULT>(e.text.DocumentLineEnd()) | (e.text.LineEnds().Mixed() ? kLineEndsMixed : 0);
    default: return std::nullopt;
    }
}

LRESULT OnGetSel(Editor& e, DWORD* first, DWORD* last) {
    DWORD start = static_cast<DWORD>(e.edit.SelectionStart()), end = static_cast<DWORD>(e.edit.SelectionEnd());
    if (first) *first = start;
    if (last) *last = end;
    return MAKELRESULT(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF));
}

LRESULT OnGetTextRange(Editor& e, TEXTRANGEA* range) {
    if (!range || !range->lpstrText) return 0;
    std::size_t first = ClampPosition(e, std::max<LONG>(0, range->chrg.cpMin));
    std::size_t last = ClampPosition(e, range->chrg.cpMax);
    if (last < first) last = first;
    return CopyOut(e, first, last, range->lpstrText);
}

Handled SelectionMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case EM_GETSEL: return OnGetSel(e, reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
    case EM_SETSEL: SetSelectionFromMessage(e, static_cast<LONG>(wParam), static_cast<LONG>(lParam)); return 0;
    case EM_EXGETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam))
            *range = {static_cast<LONG>(e.edit.SelectionStart()), static_cast<LONG>(e.edit.SelectionEnd())};
        return 0;
    case EM_EXSETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam))
            SetSelectionFromMessage(e, range->cpMin, range->cpMax);
        return static_cast<LRESULT>(e.edit.SelectionEnd());
    case EM_SELECTIONTYPE: {
        std::size_t n = e.edit.SelectionEnd() - e.edit.SelectionStart();
        return n == 0 ? SEL_EMPTY : (SEL_TEXT | (n > 1 ? SEL_MULTICHAR : 0));
    }
    case EM_GETSELTEXT:
        return CopyOut(e, e.edit.SelectionStart(), e.edit.SelectionEnd(), reinterpret_cast<char*>(lParam));
    case EM_GETTEXTRANGE: return OnGetTextRange(e, reinterpret_cast<TEXTRANGEA*>(lParam));
    case EM_SCROLLCARET: ScrollCaretIntoView(e); return 0;
    case EM_HIDESELECTION: {
        // lParam 0 is for the moment (a dialog that has taken the focus shows the match); only a
        // non-zero lParam changes how the control shows its selection unfocused from now on.
        bool wasShown = SelectionShown(e);
        if (lParam) {
            e.focus.showSelectionUnfocused = wParam == 0;
            e.focus.selectionShownForNow = -1;
        } else {
            e.focus.selectionShownForNow = wParam == 0 ? 1 : 0;
        }
        // A dialog sends this with every message it handles: only a change is repainted.
        if (SelectionShown(e) != wasShown) InvalidateSelection(e);
        return 0;
    }
    default: return std::nullopt;
    }
}

LRESULT OnGetLine(Editor& e, std::size_t line, char* out) {
    std::size_t start = e.layout.DisplayLineStart(line);
    if (!out || start == kNone) return 0;
    WORD room = *reinterpret_cast<WORD*>(out);
    std::string bytes = e.text.Range(start, e.layout.DisplayLineEnd(line));
    std::size_t count = std::min<std::size_t>(bytes.size(), room);
    std::memcpy(out, bytes.data(), count);
    return static_cast<LRESULT>(count);
}

// The first rich-edit form: the point to fill, and the position.
LRESULT OnPosFromChar(Editor& e, POINTL* point, LONG position) {
    if (!point) return 0;
    std::size_t p = ClampPosition(e, position);
    std::size_t line = e.layout.DisplayLineFromPosition(p);
    point->x = ClientX(e, e.layout.XOfPosition(line, p));
    point->y = static_cast<LONG>((static_cast<long>(line) - static_cast<long>(e.edit.TopLine())) * e.look.lineHeight);
    return 0;
}

LRESULT LineOfPosition(Editor& e, LONG position) {
    return static_cast<LRESULT>(
        e.layout.DisplayLineFromPosition(position < 0 ? e.edit.SelectionStart() : ClampPosition(e, position)));
}

// Display lines, points and the view's scroll.
Handled LineMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case EM_GETLINECOUNT: return static_cast<LRESULT>(e.layout.DisplayLineCount());
    case EM_LINEINDEX: return OnLineIndex(e, wParam);
    case EM_LINELENGTH: return OnLineLength(e, wParam);
    case EM_EXLINEFROMCHAR: return LineOfPosition(e, static_cast<LONG>(lParam));
    case EM_LINEFROMCHAR: return LineOfPosition(e, static_cast<LONG>(wParam));
    case EM_GETLINE: return OnGetLine(e, wParam, reinterpret_cast<char*>(lParam));
    case EM_GETFIRSTVISIBLELINE: return static_cast<LRESULT>(e.edit.TopLine());
    case EM_LINESCROLL: {
        long top = static_cast<long>(e.edit.TopLine()) + static_cast<LONG>(lParam);
        std::int64_t x = e.edit.ScrollX() + std::int64_t{static_cast<LONG>(wParam)} * e.look.averageWidth;
        ScrollTo(e, static_cast<std::size_t>(std::max(0L, top)), x);
        return TRUE;
    }
    case EM_POSFROMCHAR: return OnPosFromChar(e, reinterpret_cast<POINTL*>(wParam), static_cast<LONG>(lParam));
    case EM_CHARFROMPOS: {
        auto* point = reinterpret_cast<POINTL*>(lParam);
        return point ? static_cast<LRESULT>(PlaceAtPoint(e, point->x, point->y).position) : -1;
    }
    case EM_GETRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam)) {
            *rect = ClientArea(e);
            rect->left += kMargin;
            rect->right -= kMargin;
        }
        return 0;
    case EM_FORMATRANGE: return OnFormatRange(e, wParam, lParam);
    case EM_DISPLAYBAND: return OnDisplayBand(e, lParam);
    default: return std::nullopt;
    }
}

LRESULT OnSetOleCallback(Editor& e, IRichEditOleCallback* callback) {
    if (callback) callback->AddRef();
    if (e.richEdit.callback) e.richEdit.callback->Release();
    e.richEdit.callback = callback;
    return TRUE;
}

// Search, formats, the view code page, limits and the control's options.
Handled SettingMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case EM_FINDTEXT: return OnFindText(e, wParam, reinterpret_cast<FINDTEXTA*>(lParam), nullptr);
    case EM_FINDTEXTEX: {
        auto* find = reinterpret_cast<FINDTEXTEXA*>(lParam);
        if (!find) return -1;
        FINDTEXTA plain{find->chrg, find->lpstrText};
        return OnFindText(e, wParam, &plain, &find->chrgText);
    }
    case EM_FINDWORDBREAK: return OnFindWordBreak(e, wParam, lParam);
    case EM_GETCHARFORMAT: return OnGetCharFormat(e, wParam, reinterpret_cast<CHARFORMATA*>(lParam));
    case EM_SETCHARFORMAT: return OnSetCharFormat(e, wParam, reinterpret_cast<const CHARFORMATA*>(lParam));
    case EM_SETBKGNDCOLOR: {
        COLORREF previous = BackgroundColour(e);
        e.look.systemBackground = wParam != 0;
        e.look.background = static_cast<COLORREF>(lParam);
        Invalidate(e);
        return static_cast<LRESULT>(previous);
    }
    case EM_SETVIEWCODEPAGE: {
        int previous = e.doc.ViewCodePage();
        e.doc.SetViewCodePage(static_cast<std::uint8_t>(wParam <= kUtf16BeView ? wParam : 0));
        return previous;
    }
    case EM_GETVIEWCODEPAGE: return e.doc.ViewCodePage();
    case EM_EXLIMITTEXT: e.doc.SetTextLimit(static_cast<std::size_t>(lParam)); return 0;
    case EM_LIMITTEXT: e.doc.SetTextLimit(static_cast<std::size_t>(wParam)); return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(e.text.TextLimit());
    case EM_SETREADONLY: {
        LONG_PTR style = Style(e);
        SetWindowLongPtrA(e.window, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
        return TRUE;
    }
    case EM_SETOLECALLBACK: return OnSetOleCallback(e, reinterpret_cast<IRichEditOleCallback*>(lParam));
    case EM_GETOLEINTERFACE: return FALSE;
    case EM_SETEVENTMASK: return std::exchange(e.richEdit.eventMask, static_cast<DWORD>(lParam));
    case EM_GETEVENTMASK: return e.richEdit.eventMask;
    case EM_SETOPTIONS:
    case EM_GETOPTIONS: return 0;
    default: return std::nullopt;
    }
}

LRESULT HandleMessage(Editor& e, UINT message, WPARAM wParam, LPARAM lParam) {
    for (auto handler : {WindowMessage, InputMessage, TextMessage, SelectionMessage, LineMessage, SettingMessage}) {
        if (Handled result = handler(e, message, wParam, lParam)) return *result;
    }
    return DefWindowProcA(e.window, message, wParam, lParam);
}

LRESULT CALLBACK EditorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Editor* editor = EditorOf(window);
    if (message == WM_NCCREATE) {
        // The editor's own members take memory as they are made (the line index's first chunk): a
        // failure there must not leave the procedure as an exception.
        try {
            GrowthBudget::Charge(sizeof(Editor));
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            editor = new Editor(window, create ? static_cast<Document*>(create->lpCreateParams) : nullptr);
        } catch (const std::bad_alloc&) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return FALSE;
        }
        SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(editor));
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (!editor) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (editor->richEdit.callback) editor->richEdit.callback->Release();
        SetWindowLongPtrA(window, 0, 0);
        delete editor;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (message == EM_GETLASTFAILURE) return static_cast<LRESULT>(std::exchange(editor->richEdit.lastFailure, 0));
    editor->richEdit.lastFailure = 0;
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
        if (Editor* still = EditorOf(window)) still->richEdit.lastFailure = ERROR_NOT_ENOUGH_MEMORY;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}  // namespace

}  // namespace editor_control

using editor_control::Editor;
using editor_control::EditorControlProc;

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
