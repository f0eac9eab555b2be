#pragma once
// The program's start, its one message loop and its end; the process-wide state they create; the
// one way a failed system call is reported; the About box; the window title.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

// The child windows, reached by many through this header.
#include "app/win/editor_setup.h"
#include "app/win/status_bar.h"

extern HINSTANCE ProgramInstance;
extern HWND MainWindow;

// The name of a document that has no file, and the full path of the open document (or the untitled
// name).
extern const char* const UntitledName;
inline constexpr int kFileNameCapacity = MAX_PATH;
extern char CurrentFileName[kFileNameCapacity];
// The document's path for the file system: the path it was opened or saved under while
// CurrentFileName still is its 1251 text, else CurrentFileName itself. A name holding characters that
// 1251 lacks shows them as '?' in CurrentFileName and still opens and saves by this path.
std::wstring DocumentPath();
// Names the document: CurrentFileName gets the path's 1251 text.
void SetDocumentPath(std::wstring_view path);

extern HICON ClassIcon;  // icon 1; also the About box's
extern HICON SmallIcon;  // icon 2 at 16 x 16; the program's dialogs take it as their icon
extern HICON MenuIcon;   // icon 3 at 16 x 16, for the owner-drawn menus
extern HFONT MenuFont;
// The system's menu metrics, for measuring owner-drawn menu items.
extern NONCLIENTMETRICSA NonClientMetrics;
// The largest text in bytes: the editor control's limit and the largest file that is loaded.
extern std::uint32_t TextLimit;
// The custom colours offered by the colour dialogs; the system colours 0-15 at start.
extern COLORREF CustomColours[16];
// "AU": the window placement is remembered from one run to the next.
extern bool RememberWindowSize;
// The window placement is restored at start and saved at exit ("AU" on and a normal start).
extern bool RestorePlacement;
// "RP": a remembered file's caret position is restored when the file is opened.
extern bool RestoreCaretPosition;
// Accelerator table 1, offered every message that reaches the editor control.
extern HACCEL AcceleratorTable;
// The 16 x 16 images of the owner-drawn menus: the program's strip and the system's standard set.
extern HBITMAP MenuStripBitmap;
extern HBITMAP StandardSmallBitmap;

// Registers the editor control's class; a test puts a failing one here to see the start without it.
extern bool (*EditorClassRegistration)(HINSTANCE instance);

// The show command as the system's start-up information gives it.
inline constexpr int kShowCommandFromStartupInfo = -1;

// Start-up up to the message loop: registers the classes, creates the main window and its children,
// opens the file named on the command line, restores the placement and shows the window. False when
// the main window class cannot be registered (the exit code is then 255). A test passes the show
// command that a start from the shell would carry.
bool StartApplication(HINSTANCE instance, const wchar_t* commandLine,
                      int startupShowCommand = kShowCommandFromStartupInfo);
// The same with a command line of 1251 text.
bool StartApplication(HINSTANCE instance, const char* commandLine,
                      int startupShowCommand = kShowCommandFromStartupInfo);
// The part of the start-up that creates the children and opens the file of the command line.
void InitApplication(const wchar_t* commandLine);
void InitApplication(const char* commandLine);
// One turn of the message loop for a message taken with GetMessageW or PeekMessageW: translated and
// dispatched, a typed character for the editor control in UTF-16 (WM_UNICHAR).
void DispatchLoopMessage(MSG& message);
// The message loop with its idle step; returns the quit code.
int RunMessageLoop();
// After the loop: releases the GDI objects the shell holds.
void EndApplication();

// Shows the system's text for the calling thread's last error (code 10 when there is none) in an
// information box owned by the main window, and returns when it is closed.
void ReportLastError();
// ReportLastError with the system's text for "not enough memory" (a bare allocation failure sets
// no error code of its own).
void ReportOutOfMemory();
// The same over a modal dialog, which the box must keep from use until it is answered.
void ReportLastError(HWND owner);
// Command 51.
void ShowAboutBox();
// For the destroy handler: writes the main window's placement as "DEF" when RestorePlacement is set
// and the settings key exists.
void SaveWindowPlacement();
// "[" + the name of the document + "]-VEMKO": the file's own name as stored on disk, or the untitled
// name, or the full path of a file that no longer exists.
void UpdateTitle();
