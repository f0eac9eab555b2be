#pragma once
// The program's context, which every window and dialog of it needs: its module, its main window (the
// owner of every dialog and message box), its icons, the largest text it takes, and the one way a
// failed system call is reported. The shell fills them at start; nothing below it sets them.
#include <windows.h>

#include <cstdint>

extern HINSTANCE ProgramInstance;
extern HWND MainWindow;

extern HICON ClassIcon;  // icon 1; also the About box's
extern HICON SmallIcon;  // icon 2 at 16 x 16; the program's dialogs take it as their icon
extern HICON MenuIcon;   // icon 3 at 16 x 16, for the owner-drawn menus
// The largest text in bytes: the editor control's limit and the largest file that is loaded.
extern std::uint32_t TextLimit;

// The main window's class name, which is also the caption of the error boxes.
extern const wchar_t* const kMainWindowClassWide;

// Shows the system's text for the calling thread's last error (code 10 when there is none) in an
// information box owned by the main window, and returns when it is closed.
void ReportLastError();
// ReportLastError with the system's text for "not enough memory" (a bare allocation failure sets
// no error code of its own).
void ReportOutOfMemory();
// The same over a modal dialog, which the box must keep from use until it is answered.
void ReportLastError(HWND owner);
