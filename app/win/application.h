#pragma once
#include <windows.h>

#include <cstdint>

// Start-up up to the message loop: registers the classes, creates and shows the main window.
// False when the program cannot start at all (its exit code is then 255).
bool StartApplication(HINSTANCE instance, const char* commandLine);
// The message loop with its idle step; returns the quit code.
int RunMessageLoop();

extern HINSTANCE ProgramInstance;
extern HWND MainWindow;

// The program's child windows; null while they do not exist (the bars while hidden).
extern HWND EditorControl;
extern HWND StatusBar;

// The name of a document that has no file, and the document's full path or that name.
extern const char* const UntitledName;
extern char CurrentFileName[MAX_PATH];
// The largest text in bytes: a larger file is neither loaded nor inserted.
extern std::uint32_t TextLimit;

// The one way a failed system call is reported: the system's text for the thread's last error (10
// when there is none) in an information box titled "VEMKO".
void ReportLastError();
// The MainWindow's title: "[" + the file's name as stored on disk (or the untitled name) + "]-VEMKO".
void UpdateTitle();
