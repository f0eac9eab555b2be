#pragma once
// The status bar at the bottom of the main window: caret column and line, keyboard layout, view
// code page and insert/overwrite mode. Null while hidden; every status operation does nothing then.
#include <windows.h>
#include <richedit.h>

#include "base/win/shell_messages.h"

extern HWND StatusBar;
// The selection that part 0 shows; a start of -1 makes the next ShowCaretPosition write anew.
extern CHARRANGE LastShownSelection;

// Right edges of parts 0-2; part 3 reaches to the right end.
inline constexpr int kStatusBarPartEdges[] = {88, 166, 276, -1};

void CreateStatusBar();
void DestroyStatusBar();
// Part 0: the caret's column and line, written only when the selection moved since the last time.
void ShowCaretPosition();
// Part 3: "Вставка" or "Замена" by OverwriteMode.
void ShowEditMode();
// A text of the layers below for a part; false while the status bar is hidden.
bool ShowStatusBarText(WPARAM partAndStyle, const StatusBarText& text);
