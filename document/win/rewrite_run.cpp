#include "document/win/rewrite_run.h"

#include <richedit.h>

#include <new>

#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "control/win/editor_control.h"
#include "control/win/text_streams.h"
#include "document/win/document_files.h"
#include "document/win/editor_window.h"
#include "document/win/view_code_page.h"

namespace {

// The input copy: EM_GETSELTEXT would stop at the first NUL byte, and a rewrite must keep every
// byte, so the selection is streamed out. False when memory for it cannot be had.
bool StreamSelectionOut(HWND control, std::size_t expected, std::string& bytes) {
    bytes.reserve(expected + 2);
    return StreamBytesOut(control, SF_TEXT | SFF_SELECTION, bytes) == 0;
}

CHARRANGE Selection(HWND control) {
    CHARRANGE range{};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

std::size_t TextLimitOf(HWND control) { return static_cast<std::size_t>(SendMessageA(control, EM_GETLIMITTEXT, 0, 0)); }

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

// The control may be a new window after the RTF transform, so the end reads the handle again.
void CommonEnd(LRESULT firstVisibleLine) {
    HWND control = EditorControl;
    if (!control) return;
    const LRESULT now = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (now > firstVisibleLine) SendMessageA(control, EM_LINESCROLL, 0, firstVisibleLine - now);
    SendMessageA(control, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control, nullptr, FALSE);
}

// Every buffer is the run's own and goes on every path; when memory runs out, the text, the
// selection and the undo journal stay as they were.
void RewriteCopy(const Rewrite& rewrite, RewriteRun& run, std::size_t length) {
    try {
        std::string bytes;
        if (StreamSelectionOut(run.control, length, bytes)) {
            run.inputLength = bytes.size();
            rewrite.rewrite(run, bytes);
        } else {
            RestoreUserSelection(run);
            ReportOutOfMemory();
        }
    } catch (const std::bad_alloc&) {
        RestoreUserSelection(run);
        ReportOutOfMemory();
    }
}

}  // namespace

void Select(HWND control, LONG start, LONG end) {
    CHARRANGE range{start, end};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void RestoreUserSelection(const RewriteRun& run) { Select(run.control, run.userSelection.cpMin, run.userSelection.cpMax); }

bool PutInRecorded(UndoKind kind, std::int32_t count, WPARAM format, std::string& bytes) {
    if (StreamTextInRecorded(kind, count, bytes.data(), bytes.size(), format)) return true;
    ReportLastError();
    return false;
}

bool PutBack(const RewriteRun& run, std::string& result) {
    const std::size_t length = static_cast<std::size_t>(SendMessageA(run.control, WM_GETTEXTLENGTH, 0, 0));
    if (result.size() > run.inputLength && length - run.inputLength + result.size() > TextLimitOf(run.control)) {
        RestoreUserSelection(run);
        return false;
    }
    if (PutInRecorded(UndoKind::ReplaceRange, static_cast<std::int32_t>(result.size()), kStreamSelection, result)) return true;
    RestoreUserSelection(run);
    return false;
}

void PutBackSelected(const RewriteRun& run, std::string result) {
    if (!PutBack(run, result)) return;
    Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin + static_cast<LONG>(result.size()));
}

bool PutWholeTextBack(const RewriteRun& run, std::string& result) {
    if (result.size() <= TextLimitOf(run.control) && PutInRecorded(UndoKind::TextSnapshot, 0, kStreamSelection, result))
        return true;
    RestoreUserSelection(run);
    return false;
}

void ShowConvertedTextIn(std::uint8_t codePage) {
    CodePageIndex = codePage;
    ApplyViewFont();
}

void RunRewrite(const Rewrite& rewrite) {
    HWND control = EditorControl;
    if (!control) return;
    SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    RewriteRun run{control, Selection(control), {}, false, 0, {}};
    run.savedSelection = run.userSelection;
    run.selectionWasEmpty = run.userSelection.cpMin == run.userSelection.cpMax;
    const LRESULT firstVisibleLine = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);

    CHARRANGE working = run.userSelection;
    if (run.selectionWasEmpty || rewrite.range == RewriteRange::WholeText) {
        working = {0, static_cast<LONG>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0))};
        Select(control, working.cpMin, working.cpMax);
    } else if (rewrite.range == RewriteRange::SelectionWidenedToLines) {
        working = WidenedToLines(control, working);
        run.savedSelection = working;
        Select(control, working.cpMin, working.cpMax);
    }

    const std::size_t length = static_cast<std::size_t>(working.cpMax - working.cpMin);
    if (length > 0 && rewrite.inPlace && rewrite.inPlace(run)) {
        CommonEnd(firstVisibleLine);
        return;
    }
    if (length > 0) RewriteCopy(rewrite, run, length);
    CommonEnd(firstVisibleLine);
    if (!run.report.empty()) ShowMessageBox(MainWindow, run.report, "VEMKO", MB_OK | MB_ICONINFORMATION);
}
