#pragma once
// The colours of the text: the text colour, the background and the colour of HTML tags, chosen in the
// system's colour dialog and stored in the settings "Cl", "Bk" and "HTML"; and the recolouring of
// the tags in the text. The tag colouring paints each stretch from '<' to the next '>' and makes
// everything else black; it is no edit: neither the modified flag nor any undo sees it.
#include <windows.h>

// What a missing "Cl" and "HTML" stand for (a missing "Bk" is the system's window colour).
inline constexpr COLORREF kDefaultTextColour = RGB(8, 0, 0);
inline constexpr COLORREF kDefaultTagColour = RGB(0, 0, 255);

void ChooseTextColour();        // 47: the whole text, and the default for text typed later
void ChooseBackgroundColour();  // 46
void ChooseHtmlColour();        // 52: then the tags are coloured anew
void RefreshHtmlColours();      // 53
