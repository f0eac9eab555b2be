#pragma once
// Printing the text (command 15), counting its pages with the page-number switch (23) and the
// page setup (24); the printer context, page geometry and page number that the preview shares.
#include <windows.h>
#include <richedit.h>

#include <string>

#include "base/win/owned_handle.h"
#include "base/win/program.h"
#include "tools/page_layout.h"

// A context for the chosen printer, or for the default printer (which becomes the choice); none
// when there is no printer.
DeviceContext GetPrinterContext();
void ReleasePrinterChoice();
PageGeometry PageGeometryOf(HDC printer);

// The EditorControl's character format of the selection with no height (the number control makes
// its own size of it) and the background setting, given to a control that draws page numbers.
void ApplyPageNumberLook(HWND numberControl);
// The band of a page number, measured on the printer in the number control's font.
RECT PageNumberBandOn(HDC printer, const PageGeometry& geometry, HWND numberControl, const std::string& text);
RECT ToRect(const TwipRect& twips);
// A layout request for [first, last) into rect (twips) on a page of this geometry, laid out for the
// printer and drawn (when asked to) on output.
FORMATRANGE PageRequest(HDC output, HDC printer, const PageGeometry& geometry, const RECT& rect, LONG first, LONG last);

void PrintDocument();
void CountPages();
void PageSetup();
