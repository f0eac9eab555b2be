#pragma once
// Pixel sizes drawn for a 96-dpi screen, brought to the DPI of the monitor a window is on.
#include <windows.h>

// The window's DPI where the system tells it per monitor (Windows 10 1607 and later), else the
// screen's; 96 when neither answers.
int WindowDpi(HWND window);
// `pixels` at 96 dpi, at `dpi`.
int ScaledForDpi(int pixels, int dpi);
