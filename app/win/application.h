#pragma once
// The program's start, its one message loop and its end.
#include <windows.h>

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
