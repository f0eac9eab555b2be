#include "document/win/conversion_commands.h"

#include <richedit.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "document/undo_journal.h"
#include "document/win/document_files.h"
#include "document/win/editor_subclass.h"
#include "document/win/recent_files_host.h"
#include "document/win/rewrite_run.h"
#include "document/win/view_code_page.h"
#include "encoding/chart_conversion.h"
#include "encoding/code_page_tables.h"
#include "encoding/transforms.h"
#include "resources/resource.h"

namespace {

// The chord's same key twice: only the view changes, keeping selection and scroll position. The
// view is chosen by hand, as by its menu command.
void SwitchViewTo(std::uint8_t codePage) {
    CodePageIndex = codePage;
    ApplyViewCodePage();
    RememberViewChosenByHand();
}

// A whole-text conversion by a fixed command leaves the text in its target code page, so the view
// follows it; the chooser and a selection leave the view alone.
bool ViewFollows(const RewriteRun& run) { return run.selectionWasEmpty && run.command != IDM_CONVERSION_CHOOSER; }

std::uint8_t TargetViewOf(int command) {
    return static_cast<std::uint8_t>(command == IDM_TO_FIDO ? int{kOem866} : command - IDM_TO_ANSI);
}

void ConvertCodePageOf(const RewriteRun& run, int from, int to, std::string& bytes) {
    ConvertCodePage(bytes, from, to);
    const bool viewFollows = ViewFollows(run);
    const bool converted = viewFollows
                               ? PutInRecorded(UndoKind::TextSnapshot, 0, kStreamSelection, bytes)
                               : PutInRecorded(UndoKind::ReplaceRange, static_cast<std::int32_t>(bytes.size()),
                                               kStreamSelection, bytes);
    if (!converted) {
        RestoreUserSelection(run);
        return;
    }
    if (viewFollows) ShowConvertedTextIn(TargetViewOf(run.command));
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
}

// A conversion maps every byte by itself, so the control changes the bytes where they are: of the
// text, only what Undo keeps is copied. False when the control cannot do it that way (nothing
// changed, nothing recorded); the conversion then goes through a copy.
bool ConvertCodePageInPlace(const RewriteRun& run, int from, int to) {
    const ConversionMap map = ComposeConversion(from, to);
    const bool viewFollows = ViewFollows(run);
    CHARRANGE working{};
    SendMessageA(run.control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&working));
    const UndoMark mark = MarkUndo();
    RecordUndo(viewFollows ? UndoKind::TextSnapshot : UndoKind::ReplaceRange,
               viewFollows ? 0 : working.cpMax - working.cpMin);
    if (!SendMessageA(run.control, EM_MAPBYTES, 0, reinterpret_cast<LPARAM>(map.byteFor.data()))) {
        ForgetUndoSince(mark);
        return false;
    }
    if (viewFollows) ShowConvertedTextIn(TargetViewOf(run.command));
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
    return true;
}

// Characters the target lacks became '?': the user is told how many, so nothing is replaced silently.
std::string ReplacedCharactersReport(std::uint64_t replaced) {
    if (replaced == 0) return {};
    return "Символов, которых нет в выбранной кодировке, заменено на \"?\": "_ui + std::to_string(replaced);
}

// By the charts the length may change, so the result replaces the range as a whole. The view follows
// the target when the whole text was converted (an undo takes both back); a selection leaves it.
void ConvertByChartsOf(const RewriteRun& run, int source, int target, std::string_view bytes) {
    std::uint64_t replaced = 0;
    std::string result =
        ConvertByCharts(bytes, source, target, replaced, run.command == IDM_TO_FIDO, run.selectionWasEmpty);
    const int view = ViewOfConversionCodePage(target);
    if (run.selectionWasEmpty && view >= 0) {
        if (!PutWholeTextBack(run, result)) return;
        ShowConvertedTextIn(static_cast<std::uint8_t>(view));
        Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
    } else {
        if (!PutBack(run, result)) return;
        const LONG end = run.selectionWasEmpty ? run.savedSelection.cpMin : run.savedSelection.cpMin + static_cast<LONG>(result.size());
        Select(run.control, run.savedSelection.cpMin, end);
    }
    run.report = ReplacedCharactersReport(replaced);
}

}  // namespace

void RunTransform(int command, int from, int to) {
    RunRewrite({command, RewriteRange::SelectionOrWholeText,
                [from, to](const RewriteRun& run) { return ConvertCodePageInPlace(run, from, to); },
                [from, to](const RewriteRun& run, std::string& bytes) { ConvertCodePageOf(run, from, to, bytes); }});
}

void RunChartConversion(int command, int source, int target) {
    RunRewrite({command, RewriteRange::SelectionOrWholeText, nullptr,
                [source, target](const RewriteRun& run, std::string& bytes) {
                    ConvertByChartsOf(run, source, target, bytes);
                }});
}

void RunConversionCommand(UINT command) {
    const int source = ConversionCodePageOfView(CodePageIndex);
    if (IsUnicodeView(CodePageIndex) && command >= IDM_TO_ANSI && command <= IDM_TO_FIDO) {
        RunChartConversion(static_cast<int>(command), source, TargetViewOf(command));
        return;
    }
    const int view = CodePageIndex < kConversionCodePageCount ? int{CodePageIndex} : int{kAnsi1251};
    switch (command) {
    case IDM_TO_ANSI:
    case IDM_TO_OEM:
    case IDM_TO_KOI8:
        RunTransform(static_cast<int>(command), FromTable[view], ToTable[command - IDM_TO_ANSI]);
        break;
    case IDM_TO_FIDO: RunTransform(IDM_TO_FIDO, FromTable[view], FidoTarget); break;
    case IDM_TO_UTF8: RunChartConversion(IDM_TO_UTF8, source, kUtf8Conversion); break;
    case IDM_TO_UTF16_LE: RunChartConversion(IDM_TO_UTF16_LE, source, kUtf16LeConversion); break;
    }
}

void RunChordCommand(UINT command) {
    const ChordStep step = Program().pendingChord.Strike(static_cast<int>(command));
    switch (step.kind) {
    case ChordStep::Kind::Wait:
        break;
    case ChordStep::Kind::SwitchView:
        SwitchViewTo(static_cast<std::uint8_t>(step.codePage));
        break;
    case ChordStep::Kind::Convert:
        RunTransform(step.command, step.fromTable, step.toTable);
        break;
    }
}
