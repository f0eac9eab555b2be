#pragma once
// The byte patcher (command 43): single bytes of any file on disk changed in place, without the file
// ever going into the editor. The user picks a file, types a hexadecimal offset, sees the byte there,
// types a new value and confirms; the file is opened afresh for every look and every write and
// closed at once. The document in the editor is not involved.
#include <windows.h>

// Runs the modal dialog owned by `owner` on the file at `path`; returns when it is closed.
void ShowBytePatcher(HWND owner, const wchar_t* path);
// The same by a path of 1251 text.
void ShowBytePatcher(HWND owner, const char* path);

// Command 43: the open-file dialog, then the byte patcher on the chosen file.
void PatchFileByte();
