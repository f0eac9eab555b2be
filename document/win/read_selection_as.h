#pragma once
// "Прочитать выделенное как..." (command 58), for a text whose parts came in different encodings:
// the user names the encoding the selected bytes are in, among those of the conversion chooser, and
// they are written in the view's encoding, in one undo step; the rest of the text and the view stay.
// With nothing selected the user is told so and nothing changes.
#include <windows.h>

// Runs the modal chooser owned by `owner`, `picked` (a conversion code page) picked first; the
// conversion code page taken, or -1 when it was cancelled.
int ChooseSelectionEncoding(HWND owner, int picked);

// Command 58, over the MainWindow.
void ReadSelectionAs();
