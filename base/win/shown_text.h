#pragma once
// The program's texts are 1251 bytes; they reach the screen through the W functions, converted by
// the 1251 chart, so they read the same whatever the system's code page. (Through an A function the
// system would take them in its own code page: "Вставка" shows as "Âñòàâêà" on a 1252 system.)
// Texts the user types or the system gives come back the same way: what 1251 lacks becomes '?'.
#include <windows.h>

#include <string>
#include <string_view>

std::wstring WideText(std::string_view ansi);
std::string AnsiText(std::wstring_view wide, bool* lossless = nullptr);

void SetShownText(HWND window, std::string_view text);
std::string ShownText(HWND window);
// The control's text in a dialog.
void SetDialogItemText(HWND dialog, int id, std::string_view text);
std::string DialogItemText(HWND dialog, int id);
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT style);
// A part of a status bar (the part number with its style flags, as SB_SETTEXT takes them).
void SetStatusText(HWND statusBar, WPARAM partAndStyle, std::string_view text);
// CB_ADDSTRING, or CB_INSERTSTRING at `index`.
void AddComboText(HWND combo, std::string_view text, int index = -1);
