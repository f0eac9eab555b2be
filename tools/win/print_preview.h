#pragma once
// Command 10: the pages as the current printer would print them, one at a time, drawn to scale in
// a resizable dialog; a click on the page shows it three times larger around the clicked point.
#include <windows.h>

void PrintPreview();
