#pragma once
// Command 25 "П&еренос по словам": word wrap on or off. The control's wrapping follows from its
// window style (no horizontal scroll bar and no automatic horizontal scrolling), which a window
// cannot change once created, so the EditorControl is made anew around the same text.
#include <windows.h>

// Flips the setting "WW" between 0 (word wrap on) and WS_HSCROLL | ES_AUTOHSCROLL (off), marks menu
// item 25 while word wrap is on and rebuilds the control. When no new control can be made, nothing
// changes at all and the user is told why.
void ToggleWordWrap();
