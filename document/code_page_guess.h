#pragma once
// The view code page a loaded text is most likely written in, from the start of the text: 0 ANSI
// (1251), 1 OEM (866) or 2 KOI8-R. It counts the bytes of the frequent small letters of 1251
// against the frequent letters and box drawing of 866, and KOI8-R's capital-then-small at the start
// of a word. The editor and `vemkoconv guess` both call it on the first bytes of the file as they are.
#include <cstddef>

// Only this many bytes are looked at; the sample's bytes past them, and past `count`, read as 0.
inline constexpr std::size_t kCodePageGuessWindow = 4092;

int GuessCodePage(const unsigned char* sample, std::size_t count);

// The view a loaded text opens in: UTF-16 LE or BE when it starts with FF FE or FE FF, or when its
// units' zero bytes fall as in UTF-16 text (as `vemkoconv detect` tells it); UTF-8 (kUtf8View) when
// it starts with the UTF-8 byte order mark,
// or when the window is well-formed UTF-8 (a sequence cut by the end of a full window allowed) with
// at least one character above U+007F; otherwise GuessCodePage.
int GuessViewCodePage(const unsigned char* sample, std::size_t count);
