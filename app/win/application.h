#pragma once
// The program's start, its one message loop and its end; the layout of the main window's children;
// the About box; the window title.
#include <windows.h>

// "AU": the window placement is remembered from one run to the next.
extern bool RememberWindowSize;
// The window placement is restored at start and saved at exit ("AU" on and a normal start).
extern bool RestorePlacement;

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

// The toolbar at the top, the status bar at the bottom and the editor in between, for a client area
// of the given size.
void LayoutChildWindows(int clientWidth, int clientHeight);
// On destroy of the main window: the printer choice, the EditorControl and the undo journal.
void ReleaseShellResources();

// Command 51.
void ShowAboutBox();
// For the destroy handler: writes the main window's placement as "DEF" when RestorePlacement is set
// and the settings key exists.
void SaveWindowPlacement();
// "[" + the name of the document + "]-VEMKO": the file's own name as stored on disk, or the untitled
// name, or the full path of a file that no longer exists.
void UpdateTitle();
