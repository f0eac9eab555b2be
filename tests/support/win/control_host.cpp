#include "support/win/control_host.h"

#include <richedit.h>

#include "control/win/editor_control.h"

HWND ControlHost() {
    static HWND host = [] {
        RegisterEditorControlClass(GetModuleHandleA(nullptr));
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "EditorControlTestHost";
        RegisterClassA(&windowClass);
        return CreateWindowExA(0, "EditorControlTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }();
    return host;
}

HWND CreateTestControl(DWORD style, int width, int height, HWND parent, DWORD exStyle) {
    HWND control = CreateWindowExA(exStyle, "RICHEDIT", "", style, 0, 0, width, height, parent, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    return control;
}
