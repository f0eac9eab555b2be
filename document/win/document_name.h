#pragma once
// The document's name: its 1251 text, which the title, the recent files and the dialogs show, and its
// path for the file system.
#include <windows.h>

#include <string>
#include <string_view>

// The name of a document that has no file, and the full path of the open document (or the untitled
// name).
extern const char* const UntitledName;
inline constexpr int kFileNameCapacity = MAX_PATH;
extern char CurrentFileName[kFileNameCapacity];
// The document's path for the file system: the path it was opened or saved under while
// CurrentFileName still is its 1251 text, else CurrentFileName itself. A name holding characters that
// 1251 lacks shows them as '?' in CurrentFileName and still opens and saves by this path.
std::wstring DocumentPath();
// CurrentFileName is UntitledName (exact, case-sensitive comparison).
bool DocumentIsUntitled();
// Names the document: CurrentFileName gets the path's 1251 text.
void SetDocumentPath(std::wstring_view path);
