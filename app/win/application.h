#pragma once
#include <windows.h>

// Start-up up to the message loop: registers the classes, creates and shows the main window.
// False when the program cannot start at all (its exit code is then 255).
bool StartApplication(HINSTANCE instance, const char* commandLine);
// The message loop with its idle step; returns the quit code.
int RunMessageLoop();

extern HINSTANCE ProgramInstance;
extern HWND MainWindow;
