#pragma once
// Text crossing the clipboard in the view's code page: plain text (1251) from the ANSI view, OEM text
// (866) from the OEM and KOI8-R views, KOI8-R going through 866 both ways. The system then offers
// every other program the right Russian text in the form it asks for. The editor control's own
// copy, cut and paste and the program's clipboard commands both go this way, so a text copied by
// either pastes the same by the other. The UTF-8 and UTF-16 views' text crosses as the characters
// themselves (CF_UNICODETEXT), a byte or unit of no character as U+FFFD.
//
// Line breaks go out as CR LF, which other programs take for one, and come in as the kind the text
// ends its lines with, so a paste into an LF file keeps it LF.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "encoding/line_ends.h"

namespace view_clipboard {

// view: 0 ANSI (1251), 1 OEM (866), 2 KOI8-R, 3 UTF-8, 4 and 5 UTF-16 LE and BE.
UINT FormatOfView(int view);

// Puts `count` bytes of the view onto the clipboard, opened for `owner`, every line break as CR LF;
// `fill` writes them straight into the clipboard's block and returns how many it wrote (at most
// count), so a big selection is not copied twice unless it has other line breaks. When memory or the clipboard cannot be had, the clipboard is left as it was and the
// error code is returned (0 when the bytes are placed, or there are none): a cut must not delete
// what did not reach the clipboard.
DWORD Put(HWND owner, int view, std::size_t count, const std::function<std::size_t(std::uint8_t*)>& fill);
DWORD Put(HWND owner, int view, std::string_view bytes);

// Whether a paste has text to take.
bool HoldsText();

// Hands `insert` the clipboard's text as bytes of the view with every line break of `lineEnd`, while
// the clipboard is open for `owner` (the bytes live only as long as the call). Nothing on the clipboard, or a clipboard that cannot be
// opened, inserts nothing. False only when memory ran out, for the converted bytes or in `insert`
// (which returns false then); the caller reports it, after the clipboard is closed again.
bool Take(HWND owner, int view, LineEndKind lineEnd,
          const std::function<bool(const char* bytes, std::size_t count)>& insert);

}  // namespace view_clipboard
