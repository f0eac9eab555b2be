#pragma once
// The clipboard as another program reads and fills it.
#include <windows.h>

#include <string>
#include <string_view>

// The clipboard's data in a format, up to its first NUL; "<none>" when it is not there.
std::string ClipboardBytes(UINT format = CF_TEXT);
// Its UTF-16 text; L"<none>" when there is none.
std::wstring ClipboardUnicode();
// Empties the clipboard and puts the bytes there in the format; with no bytes it stays empty. False
// when the clipboard could not be opened.
[[nodiscard]] bool PutOnClipboard(const char* bytes, UINT format = CF_TEXT);
// The same with characters, as CF_UNICODETEXT, as a program of any system's code page puts them.
[[nodiscard]] bool PutCharactersOnClipboard(std::wstring_view characters);
