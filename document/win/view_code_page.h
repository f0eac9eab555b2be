#pragma once
// The view code page: the same bytes shown as ANSI (1251), OEM (866), KOI8-R or UTF-8. A view change never
// touches the bytes; it puts the view's own font (face, size, effects, character set from the
// settings) on the whole text and tells the control which code page to decode the bytes with, while
// the selection, the top line, the modified flag and the user's keyboard layout stay as they were.
#include <windows.h>

#include <cstdint>

// 0 ANSI (1251), 1 OEM (866), 2 KOI8-R, 3 UTF-8, 4 UTF-16 LE, 5 UTF-16 BE. Whoever sets it calls ApplyViewCodePage (or ApplyViewFont).
extern std::uint8_t CodePageIndex;

// The view's font on the default character format and on the whole text, the control told the view
// code page, the menu mark and the status bar set. Leaves the whole text selected.
void ApplyViewFont();
// ApplyViewFont in one repaint, keeping the selection and the first visible line.
void ApplyViewCodePage();
// Commands 16-18: the view of command - 16, 54 the UTF-8 view, 62 and 63 the UTF-16 views;
// re-applied also when it is the current one.
void SelectViewCodePage(UINT command);
// Commands 49 (bigger) and 50 (smaller): the current view's font height by one point, within bounds.
void ChangeViewFontSize(UINT command);
// Status bar part 1: "EN", "RU" or the eight-digit name of the active keyboard layout.
void ShowKeyboardLayout();
// Status bar part 2: the name of the view code page.
void ShowViewCodePage();
