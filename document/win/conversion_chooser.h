#pragma once
// The conversion chooser (command 27): the user picks any source and any target among the five
// conversion code pages and UTF-8 and converts the selection, or the whole text, from the one to the
// other. Unlike the fixed conversion commands it ignores the view code page; it changes it only when
// UTF-8 is on a side and the whole text was converted into a code page that a view shows. The pair
// chosen last is kept in the settings "CP1" and "CP2" and offered again.
#include <windows.h>

#include "encoding/text_encoding.h"

// The list is in the order of TextEncoding: the five code pages of the tables, then UTF-8, UTF-16 LE
// and UTF-16 BE; a list index is the encoding.
inline constexpr int kConversionListLength = kTextEncodingCount;
// Fills a list box with them, `picked` (a TextEncoding's number) picked.
void FillConversionCodePageList(HWND list, DWORD picked);

// Runs the modal dialog owned by `owner`; 1 after a conversion, 2 when closed without one.
INT_PTR ShowConversionChooser(HWND owner);

// Command 27: the dialog over the MainWindow, with the editor's selection kept visible meanwhile.
void RunConversionChooser();
