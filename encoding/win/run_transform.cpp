#include "encoding/win/run_transform.h"

#include <richedit.h>

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "control/utf16_characters.h"
#include "control/win/editor_control.h"
#include "control/win/text_streams.h"
#include "document/win/editor_window.h"
#include "document/undo_journal.h"
#include "document/win/document_files.h"
#include "document/win/editor_subclass.h"
#include "document/win/view_code_page.h"
#include "encoding/chart_conversion.h"
#include "encoding/code_page_tables.h"
#include "encoding/mojibake_repair.h"
#include "encoding/transforms.h"
#include "resources/resource.h"


namespace {

// The view after a whole-text conversion: the bytes are now in `codePage`, so the view follows them
// and the text looks as it did. The caller restores the selection.
void ShowConvertedTextIn(std::uint8_t codePage) {
    CodePageIndex = codePage;
    ApplyViewFont();
}

// The chord's same key twice: only the view changes, keeping selection and scroll position.
void SwitchViewTo(std::uint8_t codePage) {
    CodePageIndex = codePage;
    ApplyViewCodePage();
}

// The last step of RTF to plain text. The control has just read the RTF (hidden, so the reader's
// work is never seen) and must end up shown, holding plain text, with word wrap as it was: that is
// the rebuild the word-wrap command makes, with the style kept, from the plain text streamed out of
// this control into a new one. When no new control can be had, this one is shown again with the
// text it read, rather than leaving the document out of sight.
void RebuildEditorFromPlainText(bool hadFocus) {
    if (RebuildEditorControl(WordWrapStyle)) return;
    ShowWindow(EditorControl, SW_SHOW);
    if (hadFocus) SetFocus(EditorControl);
}

// The input copy: EM_GETSELTEXT would stop at the first NUL byte, and a conversion must keep every
// byte, so the selection is streamed out. False when memory for it cannot be had.
bool StreamSelectionOut(HWND control, std::size_t expected, std::string& bytes) {
    bytes.reserve(expected + 2);
    return StreamBytesOut(control, SF_TEXT | SFF_SELECTION, bytes) == 0;
}

// With kStreamSelection the bytes take the place of the selection; with SF_RTF alone the control
// reads them as RTF in place of the whole text. The undo entry for them is recorded first; when the
// control cannot take them (memory ran out) the text is as it was, the entry goes again and the user
// is told.
bool PutInRecorded(UndoKind kind, std::int32_t count, WPARAM format, std::string& bytes) {
    if (StreamTextInRecorded(kind, count, bytes.data(), bytes.size(), format)) return true;
    ReportLastError();
    return false;
}

CHARRANGE Selection(HWND control) {
    CHARRANGE range{};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void Select(HWND control, LONG start, LONG end) {
    CHARRANGE range{start, end};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

bool IsAlignment(int command) { return command >= IDM_JUSTIFY && command <= IDM_ALIGN_RIGHT; }

bool IsConversion(int command) {
    return command == IDM_CONVERSION_CHOOSER || command == IDM_TO_UTF8 || command == IDM_TO_UTF16_LE ||
           (command >= IDM_TO_ANSI && command <= IDM_TO_FIDO);
}

Alignment AlignmentOf(int command) {
    switch (command) {
    case IDM_JUSTIFY: return Alignment::Justify;
    case IDM_CENTRE: return Alignment::Centre;
    case IDM_ALIGN_LEFT: return Alignment::Left;
    default: return Alignment::Right;
    }
}

// Alignment works on whole lines, but only a selection that starts inside a line is widened: its
// start goes back to the start of its line and its end forward to the end of the line it lies in.
CHARRANGE WidenedToLines(HWND control, CHARRANGE range) {
    const LRESULT startLine = SendMessageA(control, EM_EXLINEFROMCHAR, 0, range.cpMin);
    const LRESULT startLineIndex = SendMessageA(control, EM_LINEINDEX, static_cast<WPARAM>(startLine), 0);
    if (range.cpMin - startLineIndex <= 0) return range;
    range.cpMin = static_cast<LONG>(startLineIndex);
    const LRESULT endLine = SendMessageA(control, EM_EXLINEFROMCHAR, 0, range.cpMax);
    const LRESULT endLineIndex = SendMessageA(control, EM_LINEINDEX, static_cast<WPARAM>(endLine), 0);
    const LRESULT endLineEnd = endLineIndex + SendMessageA(control, EM_LINELENGTH, static_cast<WPARAM>(endLineIndex), 0);
    if (endLineEnd > range.cpMax) range.cpMax = static_cast<LONG>(endLineEnd);
    return range;
}

// One run of a command between the common start and the common end.
struct TransformRun {
    HWND control;
    int command;
    int from;
    int to;
    CHARRANGE userSelection;   // as the command found it, for the paths that change nothing
    CHARRANGE savedSelection;  // what the command selects afterwards (widened for alignment)
    bool selectionWasEmpty;
    std::size_t inputLength;   // L, the bytes of the working range as copied
    // A conversion with UTF-8 on a side goes by the charts between these conversion code pages;
    // -1 for the others.
    int chartSource = -1;
    int chartTarget = -1;
    // Characters the target lacked; told once the text is drawn again.
    mutable std::uint64_t replaced = 0;
    // What the mojibake repair did, told once the text is drawn again.
    mutable std::string report;
};

// The result takes the place of the working range (selected) with one undo entry for it. A result
// that has grown past the control's limit would be cut off there, its tail lost; the text is then
// left as it was, as when memory runs out.
bool PutBack(const TransformRun& run, std::string& result) {
    const std::size_t length = static_cast<std::size_t>(SendMessageA(run.control, WM_GETTEXTLENGTH, 0, 0));
    const std::size_t limit = static_cast<std::size_t>(SendMessageA(run.control, EM_GETLIMITTEXT, 0, 0));
    if (result.size() > run.inputLength && length - run.inputLength + result.size() > limit) {
        Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
        return false;
    }
    if (PutInRecorded(UndoKind::ReplaceRange, static_cast<std::int32_t>(result.size()), kStreamSelection, result)) return true;
    Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
    return false;
}

void ConvertCodePageOf(const TransformRun& run, std::string& bytes) {
    ConvertCodePage(bytes, run.from, run.to);
    // A whole-text conversion by a fixed command leaves the text in its target code page, so the view
    // follows it; the chooser and a selection leave the view alone.
    const bool viewFollows = run.selectionWasEmpty && run.command != IDM_CONVERSION_CHOOSER;
    const bool converted = viewFollows
                               ? PutInRecorded(UndoKind::TextSnapshot, 0, kStreamSelection, bytes)
                               : PutInRecorded(UndoKind::ReplaceRange, static_cast<std::int32_t>(bytes.size()),
                                               kStreamSelection, bytes);
    if (!converted) {
        Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
        return;
    }
    if (viewFollows)
        ShowConvertedTextIn(static_cast<std::uint8_t>(run.command == IDM_TO_FIDO ? int{kOem866} : run.command - IDM_TO_ANSI));
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
}

// Characters the target lacks became '?': the user is told how many, so nothing is replaced silently.
void ReportReplacedCharacters(std::uint64_t replaced) {
    if (replaced == 0) return;
    const std::string text = "Символов, которых нет в выбранной кодировке, заменено на \"?\": "_ui + std::to_string(replaced);
    ShowMessageBox(MainWindow, text, "VEMKO", MB_OK | MB_ICONINFORMATION);
}

// By the charts the length may change, so the result replaces the range as a whole. The view follows
// the target when the whole text was converted (an undo takes both back); a selection leaves it.
void ConvertByChartsOf(const TransformRun& run, std::string_view bytes) {
    std::uint64_t replaced = 0;
    std::string result = ConvertByCharts(bytes, run.chartSource, run.chartTarget, replaced, run.command == IDM_TO_FIDO,
                                         run.selectionWasEmpty);
    const int view = ViewOfConversionCodePage(run.chartTarget);
    const bool viewFollows = run.selectionWasEmpty && view >= 0;
    if (viewFollows) {
        const std::size_t limit = static_cast<std::size_t>(SendMessageA(run.control, EM_GETLIMITTEXT, 0, 0));
        if (result.size() > limit || !PutInRecorded(UndoKind::TextSnapshot, 0, kStreamSelection, result)) {
            Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
            return;
        }
        ShowConvertedTextIn(static_cast<std::uint8_t>(view));
        Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
        run.replaced = replaced;
    } else {
        if (!PutBack(run, result)) return;
        const LONG end = run.selectionWasEmpty ? run.savedSelection.cpMin : run.savedSelection.cpMin + static_cast<LONG>(result.size());
        Select(run.control, run.savedSelection.cpMin, end);
        run.replaced = replaced;
    }
}

// A conversion maps every byte by itself, so the control changes the bytes where they are: of the
// text, only what Undo keeps is copied. False when the control cannot do it that way (nothing
// changed, nothing recorded); the conversion then goes through a copy.
bool ConvertCodePageInPlace(const TransformRun& run) {
    const ConversionMap map = ComposeConversion(run.from, run.to);
    const bool viewFollows = run.selectionWasEmpty && run.command != IDM_CONVERSION_CHOOSER;
    const CHARRANGE working = Selection(run.control);
    const UndoMark mark = MarkUndo();
    RecordUndo(viewFollows ? UndoKind::TextSnapshot : UndoKind::ReplaceRange,
               viewFollows ? 0 : working.cpMax - working.cpMin);
    if (!SendMessageA(run.control, EM_MAPBYTES, 0, reinterpret_cast<LPARAM>(map.byteFor.data()))) {
        ForgetUndoSince(mark);
        return false;
    }
    if (viewFollows)
        ShowConvertedTextIn(static_cast<std::uint8_t>(run.command == IDM_TO_FIDO ? int{kOem866} : run.command - IDM_TO_ANSI));
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMax);
    return true;
}

// The result is selected from the saved start; the control cuts the range off at the end of the text.
void PutBackSelected(const TransformRun& run, std::string result) {
    if (!PutBack(run, result)) return;
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin + static_cast<LONG>(result.size()));
}

void ConvertRtfToPlainText(const TransformRun& run, std::string& bytes) {
    if (bytes.compare(0, 5, "{\\rtf") != 0) {
        Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
        return;
    }
    const bool hadFocus = GetFocus() == run.control;
    ShowWindow(run.control, SW_HIDE);
    if (!PutInRecorded(UndoKind::TextSnapshot, 0, SF_RTF, bytes)) {
        ShowWindow(run.control, SW_SHOW);
        if (hadFocus) SetFocus(run.control);
        Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
        return;
    }
    SendMessageA(run.control, EM_SETSEL, 0, 0);
    RebuildEditorFromPlainText(hadFocus);
}

// The encodings as the program names them to the user.
std::string ShownEncodingName(RepairEncoding encoding) {
    switch (encoding) {
    case RepairEncoding::Koi8R: return "KOI8-R";
    case RepairEncoding::Iso8859_5: return "ISO 8859-5";
    case RepairEncoding::MacCyrillic: return "Mac";
    case RepairEncoding::Utf8: return "UTF-8";
    default: return RepairEncodingName(encoding);
    }
}

std::string ShownChain(const MisreadingChain& chain) {
    std::string text = "Исправлено: текст в "_ui + ShownEncodingName(chain.Original());
    for (int i = 0; i < chain.length; ++i) {
        const Misreading& step = chain.steps[i];
        text += (i == 0 ? " прочитан как "_ui : "; затем прочитан как "_ui) + ShownEncodingName(step.readAs);
        if (step.savedAs != step.readAs) text += " и сохранён в "_ui + ShownEncodingName(step.savedAs);
    }
    return text + ".";
}

// The chain is sought in the text as the view shows it, so the view's own reading can be its last
// step. The whole text is then written as it was first written when a view shows that encoding (so a
// text that only was shown in the wrong view keeps its bytes), and the view follows, as after a
// whole-text conversion (an undo takes both back); a selection, and a text first written in ISO
// 8859-5 or Mac Cyrillic, is written in the view's encoding.
void RepairMojibakeOf(const TransformRun& run, std::string_view bytes) {
    const int viewPage = ConversionCodePageOfView(CodePageIndex);
    const RepairEncoding view = viewPage == kUtf8Conversion ? RepairEncoding::Utf8 : static_cast<RepairEncoding>(viewPage);
    // Piece by piece: what reads right stays as it is, and the first piece repaired names the chain.
    const TextRepair repair = FindTextRepair(bytes, view);
    RepairFinding finding;
    finding.kind = repair.Kind();
    std::size_t repaired = 0;
    for (const RepairPiece& piece : repair.pieces)
        if (piece.finding.kind == RepairFinding::Kind::Repair && repaired++ == 0) finding = piece.finding;
    if (finding.kind != RepairFinding::Kind::Repair) {
        Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
        run.report = finding.kind == RepairFinding::Kind::Clean
                         ? "Исправлять нечего: текст читается верно."_ui
                         : "Не удалось понять, что случилось с текстом; он оставлен как был."_ui;
        return;
    }
    RepairEncoding target = view;
    int targetView = -1;
    if (run.selectionWasEmpty && repair.pieces.size() == 1) {
        const RepairEncoding original = finding.chain.Original();
        targetView = ViewOfConversionCodePage(original == RepairEncoding::Utf8 ? kUtf8Conversion : static_cast<int>(original));
        if (targetView >= 0) target = original;
    }
    std::uint64_t lost = 0;
    std::string result = UndoTextRepair(bytes, repair, target, &lost);
    if (targetView >= 0) {
        const std::size_t limit = static_cast<std::size_t>(SendMessageA(run.control, EM_GETLIMITTEXT, 0, 0));
        if (result.size() > limit || !PutInRecorded(UndoKind::TextSnapshot, 0, kStreamSelection, result)) {
            Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
            return;
        }
        ShowConvertedTextIn(static_cast<std::uint8_t>(targetView));
        Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin);
    } else {
        if (!PutBack(run, result)) return;
        const LONG end = run.selectionWasEmpty ? run.savedSelection.cpMin : run.savedSelection.cpMin + static_cast<LONG>(result.size());
        Select(run.control, run.savedSelection.cpMin, end);
    }
    run.report = ShownChain(finding.chain);
    if (repair.pieces.size() > 1)
        run.report += "\nИсправлено частей: "_ui + std::to_string(repaired) + " из "_ui + std::to_string(repair.pieces.size());
    if (lost > 0) run.report += "\nПотеряны в пути и остались \"?\": "_ui + std::to_string(lost);
}

// The UTF-16 views align and transliterate their characters as the UTF-8 view does.
std::string ByCharactersOfView(std::string_view bytes, const std::function<std::string(std::string_view)>& transform) {
    if (!IsUtf16View(CodePageIndex)) return transform(bytes);
    return TransformedByUtf8(bytes, CodePageIndex == kUtf16BeView, transform);
}

void AlignLines(const TransformRun& run, std::string_view bytes) {
    const bool characters = IsUnicodeView(CodePageIndex);
    std::string result = ByCharactersOfView(bytes, [&](std::string_view text) {
        return AlignParagraphs(text, AlignmentOf(run.command), ReadParagraphSettings(), characters);
    });
    if (!PutBack(run, result)) return;
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin);
}

void RunCommandSteps(const TransformRun& run, std::string& bytes) {
    if (run.chartSource >= 0) {
        ConvertByChartsOf(run, bytes);
    } else if (IsConversion(run.command)) {
        ConvertCodePageOf(run, bytes);
    } else if (IsAlignment(run.command)) {
        AlignLines(run, bytes);
    } else if (run.command == IDM_TRANSLIT) {
        PutBackSelected(run, ByCharactersOfView(bytes, [](std::string_view text) {
                            return Transliterate(text, IsUtf16View(CodePageIndex) ? kUtf8View : CodePageIndex);
                        }));
    } else if (run.command == IDM_RTF_TO_ANSI) {
        ConvertRtfToPlainText(run, bytes);
    } else if (run.command == IDM_QUOTED_PRINTABLE) {
        PutBackSelected(run, DecodeQuotedPrintable(bytes));
    } else if (run.command == IDM_LINE_BREAK) {
        PutBackSelected(run, RepairBareCr(bytes));
    } else if (run.command == IDM_REPAIR_MOJIBAKE) {
        RepairMojibakeOf(run, bytes);
    } else {
        Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax);
    }
}

// The control may be a new window after the RTF transform, so the end reads the handle again.
void CommonEnd(LRESULT firstVisibleLine) {
    HWND control = EditorControl;
    if (!control) return;
    const LRESULT now = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (now > firstVisibleLine) SendMessageA(control, EM_LINESCROLL, 0, firstVisibleLine - now);
    SendMessageA(control, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control, nullptr, FALSE);
}

}  // namespace

namespace {

void Run(int command, int from, int to, int chartSource, int chartTarget) {
    HWND control = EditorControl;
    if (!control) return;
    SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    TransformRun run{control, command, from, to, Selection(control), {}, false, 0, chartSource, chartTarget, 0, {}};
    run.savedSelection = run.userSelection;
    run.selectionWasEmpty = run.userSelection.cpMin == run.userSelection.cpMax;
    const LRESULT firstVisibleLine = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);

    CHARRANGE working = run.userSelection;
    if (run.selectionWasEmpty || command == IDM_RTF_TO_ANSI) {
        working = {0, static_cast<LONG>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0))};
        Select(control, working.cpMin, working.cpMax);
    } else if (IsAlignment(command)) {
        working = WidenedToLines(control, working);
        run.savedSelection = working;
        Select(control, working.cpMin, working.cpMax);
    }

    const std::size_t length = static_cast<std::size_t>(working.cpMax - working.cpMin);
    if (length > 0 && IsConversion(command) && chartSource < 0 && ConvertCodePageInPlace(run)) {
        CommonEnd(firstVisibleLine);
        return;
    }
    if (length > 0) {
        // Every buffer is the run's own and goes on every path; when memory runs out, the text, the
        // selection and the undo journal stay as they were.
        try {
            std::string bytes;
            if (StreamSelectionOut(control, length, bytes)) {
                run.inputLength = bytes.size();
                RunCommandSteps(run, bytes);
            } else {
                Select(control, run.userSelection.cpMin, run.userSelection.cpMax);
                ReportOutOfMemory();
            }
        } catch (const std::bad_alloc&) {
            Select(control, run.userSelection.cpMin, run.userSelection.cpMax);
            ReportOutOfMemory();
        }
    }
    CommonEnd(firstVisibleLine);
    ReportReplacedCharacters(run.replaced);
    if (!run.report.empty()) ShowMessageBox(MainWindow, run.report, "VEMKO", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

void RunTransform(int command, int from, int to) { Run(command, from, to, -1, -1); }

void RunChartConversion(int command, int source, int target) { Run(command, kNoTable, kNoTable, source, target); }

void RunTransformCommand(UINT command) {
    if (IsUnicodeView(CodePageIndex)) {
        const int source = ConversionCodePageOfView(CodePageIndex);
        switch (command) {
        case IDM_TO_ANSI:
        case IDM_TO_OEM:
        case IDM_TO_KOI8:
            RunChartConversion(static_cast<int>(command), source, static_cast<int>(command - IDM_TO_ANSI));
            return;
        case IDM_TO_FIDO:
            RunChartConversion(IDM_TO_FIDO, source, kOem866);
            return;
        case IDM_RTF_TO_ANSI:
            return;  // greyed in this view; the shortcut-free toolbar cannot reach it either
        }
    }
    // Greyed in the UTF-16 views: they work on single bytes.
    if (IsUtf16View(CodePageIndex) &&
        (command == IDM_QUOTED_PRINTABLE || command == IDM_LINE_BREAK || command == IDM_REPAIR_MOJIBAKE))
        return;
    const int view = CodePageIndex < kConversionCodePageCount ? int{CodePageIndex} : int{kAnsi1251};
    switch (command) {
    case IDM_TO_ANSI:
    case IDM_TO_OEM:
    case IDM_TO_KOI8:
        RunTransform(static_cast<int>(command), FromTable[view], ToTable[command - IDM_TO_ANSI]);
        break;
    case IDM_TO_UTF8:
        RunChartConversion(IDM_TO_UTF8, ConversionCodePageOfView(CodePageIndex), kUtf8Conversion);
        break;
    case IDM_TO_UTF16_LE:
        RunChartConversion(IDM_TO_UTF16_LE, ConversionCodePageOfView(CodePageIndex), kUtf16LeConversion);
        break;
    case IDM_TO_FIDO:
        RunTransform(IDM_TO_FIDO, FromTable[view], FidoTarget);
        break;
    default:
        RunTransform(static_cast<int>(command), kNoTable, kNoTable);
        break;
    }
}

void RunChordCommand(UINT command) {
    const ChordStep step = PendingChord.Strike(static_cast<int>(command));
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
