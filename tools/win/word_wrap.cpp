#include "tools/win/word_wrap.h"

#include <richedit.h>


#include "base/settings.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "app/win/status_bar.h"
#include "resources/resource.h"

bool RebuildEditorControl(DWORD style) {
    HWND old = EditorControl;
    if (!old) return false;
    CHARRANGE selection{};
    SendMessageA(old, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool modified = SendMessageA(old, EM_GETMODIFY, 0, 0) != 0;

    // The new control is made and given the text before the old one goes; the text moves between
    // the two without a copy. When no window can be had, the old one stays, with its text.
    const DWORD oldStyle = WordWrapStyle;
    WordWrapStyle = style;
    CreateEditorControl();
    HWND made = EditorControl;
    if (!made || !SendMessageA(made, EM_TAKETEXTFROM, reinterpret_cast<WPARAM>(old), 0)) {
        DWORD error = made ? ERROR_INVALID_WINDOW_HANDLE : GetLastError();
        if (made) DestroyWindow(made);
        WordWrapStyle = oldStyle;
        EditorControl = old;
        SetFocus(old);
        SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    DestroyWindow(old);

    RECT client{};
    GetClientRect(MainWindow, &client);
    SendMessageA(MainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));

    SendMessageA(EditorControl, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(EditorControl, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
    // The new control starts at the top; the caret the user was at should still be in sight.
    SendMessageA(EditorControl, EM_SCROLLCARET, 0, 0);
    ShowCaretPosition();
    return true;
}

void ToggleWordWrap() {
    if (!EditorControl) return;
    const DWORD style = WordWrapStyle == 0 ? kNoWordWrapStyle : 0;
    if (!RebuildEditorControl(style)) {
        ReportLastError();
        return;
    }
    if (HMENU menu = GetMenu(MainWindow))
        CheckMenuItem(menu, IDM_WORD_WRAP, MF_BYCOMMAND | (style == 0 ? MF_CHECKED : MF_UNCHECKED));
    WriteSettingDword("WW", style);
}
