#pragma once
// The program's help: a Russian plain text beside the program, shown in a second editor window.
#include <windows.h>

// The help file's name beside the program (the release package and the build folder carry it).
inline constexpr wchar_t kHelpFileName[] = L"vemko-help.txt";

// Opens the help in another instance of the editor, or brings forward the one this instance opened
// and that still runs; a missing help file or program is reported with the place it was looked for.
void ShowHelpContents(HWND window);
