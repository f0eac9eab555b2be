#pragma once
// The clipboard as another program reads and fills it.
#include <windows.h>

#include <string>

// The clipboard's data in a format, up to its first NUL; "<none>" when it is not there.
std::string ClipboardBytes(UINT format = CF_TEXT);
// Its UTF-16 text; L"<none>" when there is none.
std::wstring ClipboardUnicode();
// Empties the clipboard and puts the bytes there in the format; with no bytes it stays empty. False
// when the clipboard could not be opened.
[[nodiscard]] bool PutOnClipboard(const char* bytes, UINT format = CF_TEXT);
