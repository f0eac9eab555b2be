#pragma once
// The EditorControl, the window that holds the document's text: its creation with the program's
// styles, limit, colour, view and subclass, the accelerators it offers, and how a failed change of
// its text is told.
#include <windows.h>

#include <cstdint>

#include "base/win/program.h"

// Insert (false) or overwrite (true) typing; back to insert whenever the control is created.
extern bool OverwriteMode;

// Creates and sets up the EditorControl; leaves EditorControl null when the window cannot be made.
void CreateEditorControl();
// Puts a new EditorControl with the word-wrap style bits `style` in the place of the old one and
// moves the old one's text (no copy is made), colours, selection and modified flag into it; the undo
// journal is kept, its positions are still right. On success WordWrapStyle is `style`; false when
// nothing has changed (no new window), the old control then still being there as it was, with the
// error code set.
bool RebuildEditorControl(DWORD style);

// After a message that changes the text: true when the control could not make the change (memory
// ran out), in which case the text is as it was. The error code is then set.
bool EditorControlFailed();
// EditorControlFailed, and when it did, the user is told once through ReportLastError.
bool ReportEditorControlFailure();
