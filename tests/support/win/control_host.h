#pragma once
// The top-level window the editor control's own tests put their controls in, with the control's
// class registered, made once for the test program.
#include <windows.h>

HWND ControlHost();
// An editor control (class "RICHEDIT") in the parent, taking texts of any length.
HWND CreateTestControl(DWORD style, int width, int height, HWND parent = ControlHost(), DWORD exStyle = 0);
