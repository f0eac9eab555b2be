#pragma once
// The EditorControl's subclass: it sees every message before the control does. It offers keys to
// the accelerators (so shortcuts work while the text has the focus), records undo entries for the
// keyboard's edits before the control makes them, makes some edits itself (word, line and selection
// deletion), translates typed characters from the keyboard's 1251 into the view code page, keeps a
// trailing line break out of a selection that is typed over or deleted, tracks the overwrite mode,
// shows the Edit menu as the context menu and opens a file dropped from the shell.
#include <windows.h>

LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts EditorSubclassProc in front of the control's own procedure (kept in EditorControlProcedure)
// and makes the control the undo journal's text. The subclass is installed with the character set
// of the control's window, so that texts the program sends pass through it unconverted.
void SubclassEditorControl(HWND control);
