#pragma once
#include <windows.h>

// The window procedure of the MainWindow: every command and message of the main window.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
