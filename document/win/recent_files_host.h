#pragma once
// The recent-files list's view of the system: drive types and short names from the file system, the
// caret of the EditorControl, and the File menu's items 900-909.
#include "document/recent_files.h"

// The one host of the program, over the EditorControl and the MainWindow's menu.
RecentFilesHost& ProgramRecentFilesHost();
