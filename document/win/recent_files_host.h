#pragma once
// The recent-files list's view of the system: drive types and short names from the file system, the
// caret of the EditorControl, and the File menu's items 900-909.
#include <cstdint>

#include "document/recent_files.h"

// The one host of the program, over the EditorControl and the MainWindow's menu.
RecentFilesHost& ProgramRecentFilesHost();

// The user switched the view by hand: it is kept with the current file, when that is listed, and
// used instead of the guess when the file is opened again unchanged.
void RememberViewChosenByHand(std::uint8_t view);
// The file was just written: a view kept with it stays, with the file's new size and time.
void RememberViewOfSavedDocument(std::uint8_t view);
// The view kept with the file just loaded, when the file has not changed since; -1 for none.
int ViewChosenForLoadedFile();
