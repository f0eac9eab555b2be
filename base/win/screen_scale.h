#pragma once
// The DPI of the monitor a window is on, for the sizes drawn for a 96-dpi screen.
#include <windows.h>

#include "base/screen_scale.h"

// The window's DPI where the system tells it per monitor (Windows 10 1607 and later), else the
// screen's; 96 when neither answers.
int WindowDpi(HWND window);
// The system's DPI: the scale of the primary monitor when the user logged on, which device contexts
// and the system's metrics report to a program aware of each monitor's scale.
int SystemDpi();

// The messages of a move to a monitor of another scale, which the headers of a build for older
// systems leave out: the top-level window's, and the one its children get once it has answered.
inline constexpr UINT kDpiChangedMessage = 0x02E0;
inline constexpr UINT kDpiChangedAfterParentMessage = 0x02E3;
