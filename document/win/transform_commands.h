#pragma once
// The menu's commands that rewrite the text in place: the conversions (conversion_commands), the
// repair of mojibake (repair_command), and the transforms made here: the four paragraph alignments,
// transliteration, RTF to plain text, quoted-printable decoding, bare-CR repair and the conversion of
// every line break to CR LF, LF or CR. A command the
// view cannot apply (the menu greys it) does nothing: RTF in the views that go by characters, the
// byte transforms and the repair in the UTF-16 views.
#include <windows.h>

// Commands 19-22, 29-36, 56, 57, 59-61 and 64 as the menu and the toolbar give them.
void RunTransformCommand(UINT command);
