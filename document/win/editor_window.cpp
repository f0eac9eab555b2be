#include "document/win/editor_window.h"

#include <richedit.h>

#include "base/settings.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "control/win/editor_control.h"
#include "document/win/edit_callback.h"
#include "document/win/editor_subclass.h"
#include "document/win/view_code_page.h"
#include "document/undo_journal.h"

bool OverwriteMode = false;

void CreateEditorControl() {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP |
                        ES_SELECTIONBAR | Program().switches.wordWrapStyle;
    Program().editorControl = CreateWindowExA(WS_EX_STATICEDGE | WS_EX_ACCEPTFILES, "RICHEDIT", nullptr, style, 0, 64, 256, 128,
                                    MainWindow, nullptr, Program().instance, nullptr);
    if (!EditorControl) return;
    SetFocus(EditorControl);
    SendMessageA(EditorControl, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(Program().textLimit));
    SendMessageA(EditorControl, EM_SETBKGNDCOLOR, 0, ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW)));
    ApplyViewCodePage();
    OverwriteMode = false;
    SendShellMessage(kShowEditModeMessage);
    SendShellMessage(kShowCaretPositionMessage, 1);
    SendMessageA(EditorControl, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(EditCallbackObject()));
    // Every change of the text is told to the main window, which keeps the recovery copy by it.
    SendMessageA(EditorControl, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SubclassEditorControl(EditorControl);
}

bool RebuildEditorControl(DWORD style) {
    HWND old = EditorControl;
    if (!old) return false;
    CHARRANGE selection{};
    SendMessageA(old, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool modified = SendMessageA(old, EM_GETMODIFY, 0, 0) != 0;

    // The new control is made and given the text before the old one goes; the text moves between
    // the two without a copy. When no window can be had, the old one stays, with its text.
    const DWORD oldStyle = Program().switches.wordWrapStyle;
    Program().switches.wordWrapStyle = style;
    CreateEditorControl();
    HWND made = EditorControl;
    if (!made || !SendMessageA(made, EM_TAKETEXTFROM, reinterpret_cast<WPARAM>(old), 0)) {
        DWORD error = made ? ERROR_INVALID_WINDOW_HANDLE : GetLastError();
        if (made) DestroyWindow(made);
        Program().switches.wordWrapStyle = oldStyle;
        Program().editorControl = old;
        SetFocus(old);
        SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    DestroyWindow(old);
    SendShellMessage(kEditorWindowMadeMessage);

    SendMessageA(EditorControl, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(EditorControl, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
    // The new control starts at the top; the caret the user was at should still be in sight.
    SendMessageA(EditorControl, EM_SCROLLCARET, 0, 0);
    SendShellMessage(kShowCaretPositionMessage);
    return true;
}

bool EditorControlFailed() {
    if (!EditorControl) return false;
    const DWORD failure = static_cast<DWORD>(SendMessageA(EditorControl, EM_GETLASTFAILURE, 0, 0));
    if (failure == 0) return false;
    SetLastError(failure);
    return true;
}

bool ReportEditorControlFailure() {
    if (!EditorControlFailed()) return false;
    ReportLastError();
    return true;
}
