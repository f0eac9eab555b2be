#include "support/win/dialog_fit.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace {

std::wstring ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

std::wstring ClassOf(HWND control) {
    wchar_t name[64] = L"";
    GetClassNameW(control, name, 64);
    return name;
}

bool IsButton(HWND control) { return lstrcmpiW(ClassOf(control).c_str(), L"Button") == 0; }
bool IsStatic(HWND control) { return lstrcmpiW(ClassOf(control).c_str(), L"Static") == 0; }

LONG Style(HWND control) { return GetWindowLongW(control, GWL_STYLE); }

// Frames and group boxes are drawn around other controls on purpose.
bool HoldsOthers(HWND control) {
    const LONG style = Style(control);
    if (IsButton(control)) return (style & BS_TYPEMASK) == BS_GROUPBOX;
    if (IsStatic(control)) {
        const LONG kind = style & SS_TYPEMASK;
        return kind == SS_ETCHEDFRAME || kind == SS_BLACKFRAME || kind == SS_GRAYFRAME || kind == SS_WHITEFRAME ||
               kind == SS_ETCHEDHORZ || kind == SS_ETCHEDVERT;
    }
    return false;
}

// An up-down control aligned to its edit lies over the edit's edge on purpose: the system narrows
// the edit and lets their borders merge.
bool JoinedAsBuddies(HWND first, HWND second) {
    auto buddyOf = [](HWND control) {
        if (lstrcmpiW(ClassOf(control).c_str(), UPDOWN_CLASSW) != 0) return HWND{};
        return reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
    };
    return buddyOf(first) == second || buddyOf(second) == first;
}

RECT RectInDialog(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The room a control's text needs, measured in its own font as the control draws it: on one line,
// or broken into lines within `width` (a word longer than the width widens the answer).
SIZE TextRoom(HWND control, const std::wstring& text, bool wraps, int width) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    UINT flags = DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// The room a control gives its text: its client area less the box of a check box or radio button,
// the edges of a push button, the lines of a group box. Nothing for controls whose text is not drawn
// as a label (edits, lists, the program's text control, owner-drawn ones).
bool TextArea(HWND control, SIZE& area, bool& wraps) {
    RECT client{};
    GetClientRect(control, &client);
    area = {client.right, client.bottom};
    const LONG style = Style(control);
    // The 3-D edge a push button draws inside itself, and a pixel between it and the text.
    const int margin = GetSystemMetrics(SM_CXEDGE) + 1;
    if (IsButton(control)) {
        wraps = (style & BS_MULTILINE) != 0;
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            area.cx -= 2 * margin;
            area.cy -= 2 * margin;
            return true;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            if (style & BS_PUSHLIKE) {
                area.cx -= 2 * margin;
                area.cy -= 2 * margin;
            } else {
                area.cx -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
            }
            return true;
        case BS_GROUPBOX:
            area.cx -= 4 * margin;
            wraps = false;
            return true;
        }
        return false;
    }
    if (IsStatic(control)) {
        const LONG kind = style & SS_TYPEMASK;
        if (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP && kind != SS_SIMPLE)
            return false;
        wraps = kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
        return true;
    }
    return false;
}

std::string Described(HWND dialog, HWND control, const char* what) {
    char text[200];
    const RECT r = RectInDialog(dialog, control);
    std::snprintf(text, sizeof text, "control %d (%ls, %ld,%ld-%ld,%ld): %s", GetDlgCtrlID(control),
                  ClassOf(control).c_str(), r.left, r.top, r.right, r.bottom, what);
    return text;
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

std::vector<std::string> ControlsNotShownWhole(HWND dialog) {
    std::vector<std::string> faults;
    RECT client{};
    GetClientRect(dialog, &client);
    std::vector<HWND> shown;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (Style(child) & WS_VISIBLE) shown.push_back(child);
    for (HWND child : shown) {
        const RECT box = RectInDialog(dialog, child);
        if (box.left < 0 || box.top < 0 || box.right > client.right || box.bottom > client.bottom)
            faults.push_back(Described(dialog, child, "reaches out of the dialog"));
        SIZE area{};
        bool wraps = false;
        const std::wstring text = ControlText(child);
        if (!text.empty() && TextArea(child, area, wraps)) {
            const SIZE needed = TextRoom(child, text, wraps, area.cx);
            if (needed.cx > area.cx) faults.push_back(Described(dialog, child, "its text is wider than the control"));
            else if (needed.cy > area.cy) faults.push_back(Described(dialog, child, "its text is taller than the control"));
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (HoldsOthers(shown[i])) continue;
        const RECT first = RectInDialog(dialog, shown[i]);
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            if (HoldsOthers(shown[j])) continue;
            const RECT second = RectInDialog(dialog, shown[j]);
            RECT common{};
            // Controls that touch in the template may share a pixel where their dialog units are
            // rounded; that covers nothing.
            if (IntersectRect(&common, &first, &second) && common.right - common.left > 1 &&
                common.bottom - common.top > 1 && !JoinedAsBuddies(shown[i], shown[j])) {
                char what[64];
                std::snprintf(what, sizeof what, "covers control %d", GetDlgCtrlID(shown[j]));
                faults.push_back(Described(dialog, shown[i], what));
            }
        }
    }
    return faults;
}

bool WithDialogTemplate(int templateId, HWND owner, const std::function<void(HWND)>& inspect) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, InertDialogProc, 0);
    if (!dialog) return false;
    inspect(dialog);
    DestroyWindow(dialog);
    return true;
}
