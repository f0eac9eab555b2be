#pragma once
// The EditorControl, the window that shows the program's document (ProgramDocument): its creation
// with the program's styles, limit, colour and view, the accelerators the message loop offers its
// keys, and how a failed change of its text is told.
#include <windows.h>

#include <cstdint>

#include "base/win/program.h"

// Creates and sets up the EditorControl; leaves EditorControl null when the window cannot be made.
void CreateEditorControl();
// Puts a new EditorControl with the word-wrap style bits `style` in the place of the old one, a
// view of the same document (text, colours, selection, modified flag and undo journal stay as they
// are). On success the word-wrap style is `style`; false when nothing has changed (no new window), the
// old control then still being there as it was, with the error code set.
bool RebuildEditorControl(DWORD style);

// After a message that changes the text: true when the control could not make the change (memory
// ran out), in which case the text is as it was. The error code is then set.
bool EditorControlFailed();
// EditorControlFailed, and when it did, the user is told once through ReportLastError.
bool ReportEditorControlFailure();
