#include "document/win/editor_window.h"

#include <richedit.h>

#include "base/settings.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "control/win/editor_control.h"
#include "document/win/edit_callback.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"

namespace {

// A view of the program's document, with the program's styles.
HWND MakeEditorWindow() {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP |
                        ES_SELECTIONBAR | Program().switches.wordWrapStyle;
    HWND made = CreateWindowExA(WS_EX_STATICEDGE | WS_EX_ACCEPTFILES, "RICHEDIT", nullptr, style, 0, 64, 256, 128,
                                MainWindow, nullptr, Program().instance, &ProgramDocument());
    if (!made) return nullptr;
    SendMessageA(made, EM_SETBKGNDCOLOR, 0, ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW)));
    SendMessageA(made, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(EditCallbackObject()));
    // Every change of the text is told to the main window, which keeps the recovery copy by it; a
    // file dropped on the text is the main window's to open.
    SendMessageA(made, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_DROPFILES);
    return made;
}

// A new view starts in insert mode, with the view code page's font.
void SetUpEditorControl() {
    SetFocus(EditorControl);
    ProgramDocument().SetTextLimit(Program().textLimit);
    ApplyViewCodePage();
    ProgramDocument().SetOverwrite(false);
    SendShellMessage(kShowEditModeMessage);
    SendShellMessage(kShowCaretPositionMessage, 1);
}

}  // namespace

void CreateEditorControl() {
    Program().editorControl = MakeEditorWindow();
    if (EditorControl) SetUpEditorControl();
}

bool RebuildEditorControl(DWORD style) {
    HWND old = EditorControl;
    if (!old) return false;
    // The new view is made before the old one goes; the document stays as it is. When no window
    // can be had, the old one stays. The new view starts at the top, as a view of a new text does:
    // the old top line numbers the lines of the other layout, and the sizes and fonts the new view
    // takes on the way would lay the text out down to it for each.
    Document& document = ProgramDocument();
    const std::size_t oldTop = document.Editing().TopLine();
    const std::int64_t oldScrollX = document.Editing().ScrollX();
    const DWORD oldStyle = Program().switches.wordWrapStyle;
    Program().switches.wordWrapStyle = style;
    document.Editing().ResetView();
    HWND made = MakeEditorWindow();
    if (!made) {
        const DWORD error = GetLastError();
        Program().switches.wordWrapStyle = oldStyle;
        // The old view has shown nothing meanwhile: it goes on from where it was.
        document.Editing().ScrollTo(oldTop, oldScrollX);
        SetFocus(old);
        SetLastError(error ? error : ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    // The old view goes before the new one is set up: while both watch the document, each
    // selection the setup puts (the font is applied to the whole text) would scroll the shared view
    // in the old one too, and with the layout already wrapped that counts the display lines of the
    // whole text down to the end of the selection. The new view gets its size before its font, so
    // the setup lays the text out (down to the caret, for the status bar) only once.
    Program().editorControl = made;
    DestroyWindow(old);
    SendShellMessage(kEditorWindowMadeMessage);
    SetUpEditorControl();
    // The caret the user was at should still be in sight: the view scrolls to a selection the
    // document puts.
    document.Select(document.SelectionStart(), document.SelectionEnd());
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
