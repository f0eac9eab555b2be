#pragma once
// Runs the application inside a test program: the same start-up as the product, then the test
// drives the real windows with messages and pumps the queue itself.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// Starts the application with the given command line (program name first). The show command is
// the one the start-up information would carry (SW_SHOWMINNOACTIVE: started minimised); the
// default asks the system, as the program does.
HWND StartTestApplication(const char* commandLine = "vemko.exe", int showCommand = -1);
// The recovery copies of an application the harness starts live in a folder of the test program's
// own (removed when it is left empty), so that no test ever meets another's copies or is asked about
// them at start. A test of the copies names a folder (empty: the program's own again).
void UseRecoveryFolder(std::wstring folder);
// Destroys the main window if it still exists, drains the queue up to the quit message and releases
// what the program releases after its loop, so the next start begins afresh.
void CloseTestApplication();
// A menu command sent to the main window, as choosing it does.
void Command(UINT id);
// Dispatches everything queued (and anything arriving) for about the given time.
void PumpMessages(DWORD milliseconds = 30);
// The text of a window as the program shows it, in 1251 bytes, on a system of any code page; of the
// program's text control (class "RICHEDIT"), its bytes as they are.
std::string WindowText(HWND window);
// The text of a dialog's item, as it shows.
std::string ItemText(HWND dialog, int id);
// Whether a dialog's check box is ticked.
bool Ticked(HWND dialog, int id);
// A click on a dialog's button as its dialog procedure hears of it (WM_COMMAND with BN_CLICKED).
void Click(HWND dialog, int id);
// The character a 1251 byte stands for, as the system hands it to a Unicode window (a typed key,
// WM_CHAR or WM_MENUCHAR).
wchar_t ShownCharacter(char byte);
// The text of a part of the program's status bar, as it shows.
std::string StatusBarPart(int part);
// The entries of a combo box, and of a list box, in list order, as they show.
std::vector<std::string> ComboBoxItems(HWND combo);
std::vector<std::string> ListBoxItems(HWND list);
