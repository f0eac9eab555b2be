#pragma once
// The commands that rewrite the bytes of the text in place: code page conversion, the Fido letter
// substitution, transliteration, RTF to plain text, quoted-printable decoding, bare-CR repair and
// paragraph alignment, and the repair of mojibake. Each works on the selection of the EditorControl (alignment widened to whole
// lines), or on the whole text when nothing is selected, and puts the result back in one step with
// drawing suspended and one undo entry recorded. The byte work itself is the portable code of
// encoding/transforms.h; this is the glue to the control.
#include <windows.h>

#include "encoding/conversion_chord.h"

// `command` is the menu command id; `from` is the table that takes the source code page to 866 (or
// kNoTable), `to` the table that takes 866 to the target, FidoTarget, or kNoTable. For the commands
// that are not conversions both are kNoTable.
void RunTransform(int command, int from, int to);

// A conversion by the published charts, for those with UTF-8 (kUtf8Conversion) on a side: `source`
// and `target` are conversion code pages. A character the target lacks becomes '?', and the user
// is told how many.
void RunChartConversion(int command, int source, int target);

// Commands 19-22, 29-36 and 56 as the menu gives them: the conversions take the text to be in the
// view code page. In the UTF-8 view, RTF -> ANSI does nothing.
void RunTransformCommand(UINT command);

// Commands 100 (Ctrl+W), 101 (Ctrl+D) and 102 (Ctrl+K).
void RunChordCommand(UINT command);
