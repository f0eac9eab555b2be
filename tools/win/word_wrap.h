#pragma once
// Command 25 "П&еренос по словам": word wrap on or off. The control's wrapping follows from its
// window style (no horizontal scroll bar and no automatic horizontal scrolling), which a window
// cannot change once created, so the EditorControl is made anew around the same text.
#include <windows.h>

// Flips the setting "WW" between 0 (word wrap on) and WS_HSCROLL | ES_AUTOHSCROLL (off), marks menu
// item 25 while word wrap is on and rebuilds the control. Without memory for the copy of the text,
// or when no new control can be made, nothing changes at all.
void ToggleWordWrap();

// Puts a new EditorControl with the word-wrap style bits `style` in the place of the old one and
// hands it the old one's plain text, selection and modified flag; the undo journal is kept, its
// positions are still right. On success WordWrapStyle is `style`; false when nothing has changed
// (no memory for the copy, or no new window), the old control then still being there as it was.
bool RebuildEditorControl(DWORD style);
