#pragma once
// The frame that every command rewriting the bytes of the text in place runs in: code page
// conversion, the transforms, alignment and the repair of mojibake. It works on the selection of the
// EditorControl (alignment widened to whole lines), or on the whole text when nothing is selected,
// suspends drawing, hands the command the working range's bytes, and ends with the top line where it
// was and the text drawn again; the command puts its result back in one step with one undo entry.
// The byte work itself is the portable code of encoding/; the command files are
// conversion_commands, transform_commands and repair_command.
#include <windows.h>
#include <richedit.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "document/undo_journal.h"

// The bytes a command works on.
enum class RewriteRange {
    SelectionOrWholeText,
    WholeText,                // whatever is selected
    SelectionWidenedToLines,  // a selection that starts inside a line grows to whole lines
};

// One run of a command between the common start and the common end.
struct RewriteRun {
    HWND control;
    CHARRANGE userSelection;   // as the command found it, for the paths that change nothing
    CHARRANGE savedSelection;  // what the command selects afterwards (widened for alignment)
    bool selectionWasEmpty;
    std::size_t inputLength;   // L, the bytes of the working range as copied
    // What to tell the user once the text is drawn again (characters replaced, a repair's chain).
    mutable std::string report;
};

struct Rewrite {
    RewriteRange range = RewriteRange::SelectionOrWholeText;
    // Tried first on a range that is not empty: true when it changed the text where it is, with no
    // copy; false when it changed and recorded nothing, and the bytes then go through `rewrite`.
    std::function<bool(const RewriteRun&)> inPlace;
    // The working range's bytes, copied out; the step puts its result back and selects it.
    std::function<void(const RewriteRun&, std::string& bytes)> rewrite;
};

void RunRewrite(const Rewrite& rewrite);

// The helpers of the command files.
void Select(HWND control, LONG start, LONG end);
// Back to the selection the command found, on the paths that change nothing.
void RestoreUserSelection(const RewriteRun& run);
// With kStreamSelection the bytes take the place of the selection; with SF_RTF alone the control
// reads them as RTF in place of the whole text. The undo entry for them is recorded first; when the
// control cannot take them (memory ran out) the text is as it was, the entry goes again and the user
// is told.
bool PutInRecorded(UndoKind kind, std::int32_t count, WPARAM format, std::string& bytes);
// The result takes the place of the working range (selected) with one undo entry for it. A result
// that has grown past the control's limit would be cut off there, its tail lost; the text is then
// left as it was, as when memory runs out. False then, with the user's selection back.
bool PutBack(const RewriteRun& run, std::string& result);
// PutBack with the result selected from the saved start; the control cuts the range off at the end
// of the text.
void PutBackSelected(const RewriteRun& run, std::string result);
// A whole text rewritten into another encoding: one TextSnapshot entry, so that an undo takes the
// text and the view back together. False (the user's selection back) when it is past the control's
// limit or memory runs out.
bool PutWholeTextBack(const RewriteRun& run, std::string& result);
// The view after a whole-text conversion: the bytes are now in `codePage`, so the view follows them
// and the text looks as it did. The caller restores the selection.
void ShowConvertedTextIn(std::uint8_t codePage);
