#include "document/win/editor_window.h"

#include <richedit.h>

#include "base/settings.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "tools/win/printing.h"
#include "document/win/edit_callback.h"
#include "document/win/editor_subclass.h"
#include "document/win/view_code_page.h"
#include "app/win/status_bar.h"
#include "app/win/toolbar.h"
#include "document/undo_journal.h"

HWND EditorControl = nullptr;
HACCEL AcceleratorTable = nullptr;
WNDPROC EditorControlProcedure = nullptr;
bool OverwriteMode = false;
DWORD WordWrapStyle = kNoWordWrapStyle;

void CreateEditorControl() {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP |
                        ES_SELECTIONBAR | WordWrapStyle;
    EditorControl = CreateWindowExA(WS_EX_STATICEDGE | WS_EX_ACCEPTFILES, "RICHEDIT", nullptr, style, 0, 64, 256, 128,
                                    MainWindow, nullptr, ProgramInstance, nullptr);
    if (!EditorControl) return;
    SetFocus(EditorControl);
    SendMessageA(EditorControl, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(TextLimit));
    SendMessageA(EditorControl, EM_SETBKGNDCOLOR, 0, ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW)));
    ApplyViewCodePage();
    OverwriteMode = false;
    ShowEditMode();
    LastShownSelection.cpMin = -1;
    ShowCaretPosition();
    SendMessageA(EditorControl, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(EditCallbackObject()));
    SubclassEditorControl(EditorControl);
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
