#pragma once
// The commands that convert the text (or the selection) from one code page to another: the fixed
// "->" commands, the conversion chooser's and the Ctrl+W/D/K chord's. Between the single-byte code
// pages a conversion is a lookup through the 866 tables that keeps the length, made where the bytes
// are; with UTF-8 or UTF-16 on a side it goes by the published charts. A whole text converted by a
// fixed command or the chord leaves the view in the target code page, so the text looks as it did.
#include <windows.h>

// `command` is the menu command id; `from` is the table that takes the source code page to 866 (or
// kNoTable), `to` the table that takes 866 to the target, FidoTarget, or kNoTable.
void RunTransform(int command, int from, int to);

// A conversion by the published charts, for those with UTF-8 or UTF-16 on a side: `source` and
// `target` are conversion code pages. A character the target lacks becomes '?', and the user is told
// how many.
void RunChartConversion(int command, int source, int target);

// Commands 29-32 ("-> ANSI", "-> OEM", "-> KOI8", "-> Fido"), 56 ("-> UTF-8") and 64 ("-> UTF-16"):
// the text is taken to be in the view code page.
void RunConversionCommand(UINT command);

// Commands 100 (Ctrl+W), 101 (Ctrl+D) and 102 (Ctrl+K).
void RunChordCommand(UINT command);
