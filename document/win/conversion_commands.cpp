#include "document/win/conversion_commands.h"

#include <richedit.h>

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "document/win/document_files.h"
#include "document/win/program_document.h"
#include "document/win/recent_files_host.h"
#include "document/win/rewrite_run.h"
#include "document/win/view_code_page.h"
#include "encoding/chart_conversion.h"
#include "encoding/code_page_tables.h"
#include "resources/resource.h"

namespace {

// The chord's same key twice: only the view changes, keeping selection and scroll position. The
// view is chosen by hand, as by its menu command.
void SwitchViewTo(std::uint8_t codePage) {
    CodePageIndex = codePage;
    ApplyViewCodePage();
    RememberViewChosenByHand(CodePageIndex);
}

// Put back in place of the working range: a whole text whose view follows it as one TextSnapshot
// entry, so that an undo takes the text and the view back together; otherwise a ReplaceRange.
bool PutConvertedBack(const RewriteRun& run, std::string& bytes, bool viewFollows) {
    return viewFollows ? PutInRecorded(UndoKind::TextSnapshot, 0, kStreamSelection, bytes)
                       : PutInRecorded(UndoKind::ReplaceRange, static_cast<std::int32_t>(bytes.size()), kStreamSelection,
                                       bytes);
}

void ConvertCodePageOf(const RewriteRun& run, const TextConversion& conversion, bool viewFollows, std::string& bytes) {
    const ConversionMap map = PivotMapOf(conversion);
    ApplyConversion(map, reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    if (!PutConvertedBack(run, bytes, viewFollows)) {
        RestoreUserSelection(run);
        return;
    }
    if (viewFollows) ShowConvertedTextIn(*ViewOf(conversion.target));
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
}

// A conversion maps every byte by itself, so the control changes the bytes where they are: of the
// text, only what Undo keeps is copied. False when the control cannot do it that way (nothing
// changed, nothing recorded); the conversion then goes through a copy.
bool ConvertCodePageInPlace(const RewriteRun& run, const TextConversion& conversion, bool viewFollows) {
    const ConversionMap map = PivotMapOf(conversion);
    CHARRANGE working{};
    SendMessageA(run.control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&working));
    try {
        if (!ProgramDocument().MapBytes(static_cast<std::size_t>(working.cpMin), static_cast<std::size_t>(working.cpMax),
                                        map.byteFor.data(),
                                        viewFollows ? UndoKind::TextSnapshot : UndoKind::ReplaceRange))
            return false;
    } catch (const std::bad_alloc&) {
        return false;  // no memory for the record: the copy's way tells of it
    }
    if (viewFollows) ShowConvertedTextIn(*ViewOf(conversion.target));
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
    return true;
}

// Characters the target lacks became '?': the user is told how many, so nothing is replaced silently.
std::string ReplacedCharactersReport(std::uint64_t replaced) {
    if (replaced == 0) return {};
    return "Символов, которых нет в выбранной кодировке, заменено на \"?\": "_ui + std::to_string(replaced);
}

// By the charts the length may change, so the result replaces the range as a whole. The view follows
// the target when the whole text was converted and a view shows the target (an undo takes both
// back); a selection leaves it.
void ConvertByChartsOf(const RewriteRun& run, const TextConversion& conversion, std::string_view bytes) {
    std::uint64_t replaced = 0;
    std::string result = ConvertByCharts(bytes, conversion, replaced, run.selectionWasEmpty);
    const std::optional<std::uint8_t> view = ViewOf(conversion.target);
    if (run.selectionWasEmpty && view) {
        if (!PutWholeTextBack(run, result)) return;
        ShowConvertedTextIn(*view);
        Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
    } else {
        if (!PutBack(run, result)) return;
        const LONG end = run.selectionWasEmpty ? run.savedSelection.cpMin : run.savedSelection.cpMin + static_cast<LONG>(result.size());
        Select(run.control, run.savedSelection.cpMin, end);
    }
    run.report = ReplacedCharactersReport(replaced);
}

TextEncoding TargetOf(UINT command) {
    switch (command) {
    case IDM_TO_ANSI: return TextEncoding::Cp1251;
    case IDM_TO_KOI8: return TextEncoding::Koi8R;
    case IDM_TO_UTF8: return TextEncoding::Utf8;
    case IDM_TO_UTF16_LE: return TextEncoding::Utf16LE;
    default: return TextEncoding::Cp866;  // "-> OEM" and "-> Fido"
    }
}

}  // namespace

void RunConversion(const TextConversion& conversion, ConversionOrigin origin) {
    if (conversion.ByCharts()) {
        RunRewrite({RewriteRange::SelectionOrWholeText, nullptr, [conversion](const RewriteRun& run, std::string& bytes) {
                        ConvertByChartsOf(run, conversion, bytes);
                    }});
        return;
    }
    const bool followsWhole = origin == ConversionOrigin::Command;
    RunRewrite({RewriteRange::SelectionOrWholeText,
                [conversion, followsWhole](const RewriteRun& run) {
                    return ConvertCodePageInPlace(run, conversion, followsWhole && run.selectionWasEmpty);
                },
                [conversion, followsWhole](const RewriteRun& run, std::string& bytes) {
                    ConvertCodePageOf(run, conversion, followsWhole && run.selectionWasEmpty, bytes);
                }});
}

void RunConversionCommand(UINT command) {
    RunConversion({EncodingOfView(CodePageIndex), TargetOf(command), command == IDM_TO_FIDO});
}

void RunChordCommand(UINT command) {
    const ChordStep step = Program().pendingChord.Strike(static_cast<int>(command));
    switch (step.kind) {
    case ChordStep::Kind::Wait:
        break;
    case ChordStep::Kind::SwitchView:
        SwitchViewTo(*ViewOf(step.view));
        break;
    case ChordStep::Kind::Convert:
        RunConversion(step.conversion);
        break;
    }
}
