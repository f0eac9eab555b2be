#pragma once
// The commands that convert the text (or the selection) from one encoding into another: the fixed
// "->" commands, the conversion chooser's and the Ctrl+W/D/K chord's. Between the single-byte code
// pages a conversion is a lookup through the 866 tables that keeps the length, made where the bytes
// are; with UTF-8 or UTF-16 on a side it goes by the published charts, and the user is told how many
// characters the target lacked.
#include <windows.h>

#include "encoding/text_encoding.h"

// Who asked, for the view after a whole text is converted: a fixed command and the chord leave the
// text in a view of its new encoding, so that it looks as it did; the chooser does so only for a
// conversion by the charts, and leaves the view alone between the single-byte code pages.
enum class ConversionOrigin { Command, Chooser };

void RunConversion(const TextConversion& conversion, ConversionOrigin origin = ConversionOrigin::Command);

// Commands 29-32 ("-> ANSI", "-> OEM", "-> KOI8", "-> Fido"), 56 ("-> UTF-8") and 64 ("-> UTF-16"):
// the text is taken to be in the view's encoding.
void RunConversionCommand(UINT command);

// Commands 100 (Ctrl+W), 101 (Ctrl+D) and 102 (Ctrl+K).
void RunChordCommand(UINT command);
