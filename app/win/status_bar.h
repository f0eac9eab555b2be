#pragma once
// The status bar at the bottom of the main window: caret column and line, keyboard layout, view
// code page, the text's line ends and insert/overwrite mode (the parts of base/win/shell_messages.h).
// Null while hidden; every status operation does nothing then.
#include <windows.h>
#include <richedit.h>

#include "base/win/program.h"
#include "base/win/shell_messages.h"

// Right edges of parts 0-3; part 4 reaches to the right end.
inline constexpr int kStatusBarPartEdges[kStatusBarPartCount] = {88, 166, 276, 406, -1};

void CreateStatusBar();
void DestroyStatusBar();
// Part 0: the caret's column and line, written only when the selection moved since the last time.
void ShowCaretPosition();
// "Вставка" or "Замена" by the document's overwrite mode.
void ShowEditMode();
// The text's line ends (LineEndsText), written only when they read otherwise than last time, or
// always with `anew`: every change of the text asks.
void ShowLineEnds(bool anew = false);
// A text of the layers below for a part; false while the status bar is hidden.
bool ShowStatusBarText(WPARAM partAndStyle, const StatusBarText& text);
