#include "document/win/transform_commands.h"

#include <richedit.h>

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "control/utf16_characters.h"
#include "control/view_characters.h"
#include "control/win/editor_control.h"
#include "document/undo_journal.h"
#include "document/win/document_files.h"
#include "document/win/document_line_ends.h"
#include "document/win/conversion_commands.h"
#include "document/win/editor_window.h"
#include "document/win/repair_command.h"
#include "document/win/rewrite_run.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/transforms.h"
#include "resources/resource.h"

namespace {

bool IsAlignment(UINT command) { return command >= IDM_JUSTIFY && command <= IDM_ALIGN_RIGHT; }

bool IsConversion(UINT command) {
    return command == IDM_TO_UTF8 || command == IDM_TO_UTF16_LE || (command >= IDM_TO_ANSI && command <= IDM_TO_FIDO);
}

Alignment AlignmentOf(UINT command) {
    switch (command) {
    case IDM_JUSTIFY: return Alignment::Justify;
    case IDM_CENTRE: return Alignment::Centre;
    case IDM_ALIGN_LEFT: return Alignment::Left;
    default: return Alignment::Right;
    }
}

// The UTF-16 views align and transliterate their characters as the UTF-8 view does.
std::string ByCharactersOfView(std::string_view bytes, const std::function<std::string(std::string_view)>& transform) {
    if (!IsUtf16View(CodePageIndex)) return transform(bytes);
    return TransformedByUtf8(bytes, CodePageIndex == kUtf16BeView, transform);
}

// The alignment lays its lines out with CR LF; in a document of other line ends it reads and writes
// them as CR LF, so the aligned lines end as the document's do.
void AlignLines(const RewriteRun& run, Alignment alignment, std::string_view bytes) {
    const bool characters = IsUnicodeView(CodePageIndex);
    const LineEndKind lineEnd = LineEndsOfDocument().kind;
    std::string result = ByCharactersOfView(bytes, [&](std::string_view text) {
        if (lineEnd == LineEndKind::CrLf)
            return AlignParagraphs(text, alignment, ReadParagraphSettings(), characters);
        return WithLineEnds(AlignParagraphs(WithLineEnds(text, LineEndKind::CrLf), alignment,
                                            ReadParagraphSettings(), characters),
                            lineEnd);
    });
    if (!PutBack(run, result)) return;
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin);
}

// Every line break of the range made the command's kind, in the view's units, as one undo step. A
// converted selection stays selected; after the whole text the caret stays in front of the character
// it was in front of. A text whose breaks are all of the kind already is left alone, with nothing
// recorded.
void ConvertLineEnds(const RewriteRun& run, LineEndKind kind, std::string& bytes) {
    const CharacterForm form = FormOfView(CodePageIndex);
    std::string result = WithLineEndsIn(form, bytes, kind);
    if (result == bytes) {
        RestoreUserSelection(run);
        return;
    }
    if (!PutBack(run, result)) return;
    if (run.selectionWasEmpty) {
        const auto caret = std::min(static_cast<std::size_t>(run.savedSelection.cpMin), bytes.size());
        const auto moved = static_cast<LONG>(WithLineEndsIn(form, std::string_view(bytes).substr(0, caret), kind).size());
        Select(run.control, moved, moved);
    } else {
        Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin + static_cast<LONG>(result.size()));
    }
}

void TransliterateText(const RewriteRun& run, std::string_view bytes) {
    PutBackSelected(run, ByCharactersOfView(bytes, [](std::string_view text) {
                        return Transliterate(text, IsUtf16View(CodePageIndex) ? kUtf8View : CodePageIndex);
                    }));
}

// The last step of RTF to plain text. The control has just read the RTF (hidden, so the reader's
// work is never seen) and must end up shown, holding plain text, with word wrap as it was: that is
// the rebuild the word-wrap command makes, with the style kept, from the plain text streamed out of
// this control into a new one. When no new control can be had, this one is shown again with the
// text it read, rather than leaving the document out of sight.
void RebuildEditorFromPlainText(bool hadFocus) {
    if (RebuildEditorControl(Program().switches.wordWrapStyle)) return;
    ShowWindow(EditorControl, SW_SHOW);
    if (hadFocus) SetFocus(EditorControl);
}

void ConvertRtfToPlainText(const RewriteRun& run, std::string& bytes) {
    if (bytes.compare(0, 5, "{\\rtf") != 0) {
        RestoreUserSelection(run);
        return;
    }
    const bool hadFocus = GetFocus() == run.control;
    ShowWindow(run.control, SW_HIDE);
    if (!PutInRecorded(UndoKind::TextSnapshot, 0, SF_RTF, bytes)) {
        ShowWindow(run.control, SW_SHOW);
        if (hadFocus) SetFocus(run.control);
        RestoreUserSelection(run);
        return;
    }
    SendMessageA(run.control, EM_SETSEL, 0, 0);
    RebuildEditorFromPlainText(hadFocus);
}

void RunTransformStep(RewriteRange range, std::function<void(const RewriteRun&, std::string& bytes)> step) {
    RunRewrite({range, nullptr, std::move(step)});
}

}  // namespace

void RunTransformCommand(UINT command) {
    if (IsConversion(command)) {
        RunConversionCommand(command);
        return;
    }
    // Greyed in the views that go by characters; the shortcut-free toolbar cannot reach it either.
    if (IsUnicodeView(CodePageIndex) && command == IDM_RTF_TO_ANSI) return;
    // Greyed in the UTF-16 views: they work on single bytes.
    if (IsUtf16View(CodePageIndex) &&
        (command == IDM_QUOTED_PRINTABLE || command == IDM_LINE_BREAK || command == IDM_REPAIR_MOJIBAKE))
        return;
    if (IsAlignment(command)) {
        const Alignment alignment = AlignmentOf(command);
        RunTransformStep(RewriteRange::SelectionWidenedToLines, [alignment](const RewriteRun& run, std::string& bytes) {
            AlignLines(run, alignment, bytes);
        });
        return;
    }
    switch (command) {
    case IDM_TRANSLIT: RunTransformStep(RewriteRange::SelectionOrWholeText, TransliterateText); break;
    case IDM_RTF_TO_ANSI: RunTransformStep(RewriteRange::WholeText, ConvertRtfToPlainText); break;
    case IDM_QUOTED_PRINTABLE:
        RunTransformStep(RewriteRange::SelectionOrWholeText, [](const RewriteRun& run, std::string& bytes) {
            PutBackSelected(run, DecodeQuotedPrintable(bytes));
        });
        break;
    case IDM_LINE_BREAK:
        RunTransformStep(RewriteRange::SelectionOrWholeText, [](const RewriteRun& run, std::string& bytes) {
            PutBackSelected(run, RepairBareCr(bytes, LineEndsOfDocument().kind));
        });
        break;
    case IDM_LINE_ENDS_CRLF:
    case IDM_LINE_ENDS_LF:
    case IDM_LINE_ENDS_CR: {
        const auto kind = static_cast<LineEndKind>(command - IDM_LINE_ENDS_CRLF);
        RunTransformStep(RewriteRange::SelectionOrWholeText, [kind](const RewriteRun& run, std::string& bytes) {
            ConvertLineEnds(run, kind, bytes);
        });
        break;
    }
    case IDM_REPAIR_MOJIBAKE: RunRepairCommand(); break;
    default:
        RunTransformStep(RewriteRange::SelectionOrWholeText, [](const RewriteRun& run, std::string&) {
            RestoreUserSelection(run);
        });
        break;
    }
}
