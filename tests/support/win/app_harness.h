#pragma once
// Runs the application inside a test program: the same start-up as the product, then the test
// drives the real windows with messages and pumps the queue itself.
#include <windows.h>

#include <string>

// Starts the application with the given command line (program name first).
HWND StartTestApplication(const char* commandLine = "vemko.exe");
// Destroys the main window if it still exists and drains the queue up to the quit message.
void CloseTestApplication();
// Dispatches everything queued (and anything arriving) for about the given time.
void PumpMessages(DWORD milliseconds = 30);
// The window text of a window as bytes.
std::string WindowText(HWND window);
