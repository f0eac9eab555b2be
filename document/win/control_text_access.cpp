#include "document/win/control_text_access.h"

#include <richedit.h>

#include <algorithm>
#include <string>

#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "control/win/text_streams.h"
#include "document/win/editor_window.h"
#include "document/undo_journal.h"
#include "document/win/view_code_page.h"

namespace {

// EM_GETTEXTRANGE writes a terminating NUL after the range, one byte more than the caller's room.
std::size_t ReadRangeWithTerminator(HWND control, LONG start, LONG end, char* room) {
    TEXTRANGEA range{{start, end}, room};
    const LRESULT copied = SendMessageA(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return copied > 0 ? std::min(static_cast<std::size_t>(copied), static_cast<std::size_t>(end - start)) : 0;
}

}  // namespace

std::int32_t ControlTextAccess::TextLength() {
    if (!EditorControl) return 0;
    return static_cast<std::int32_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0));
}

void ControlTextAccess::GetSelection(std::int32_t& start, std::int32_t& end) {
    CHARRANGE range{};
    if (EditorControl) SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    start = range.cpMin;
    end = range.cpMax;
}

void ControlTextAccess::SetSelection(std::int32_t start, std::int32_t end) {
    if (!EditorControl) return;
    CHARRANGE range{start, end};
    SendMessageA(EditorControl, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::size_t ControlTextAccess::ReadRange(std::int32_t start, std::int32_t end, char* buffer) {
    if (!EditorControl) return 0;
    start = std::max(start, 0);
    end = std::min(end, TextLength());
    if (end <= start) return 0;
    // The range but its last byte goes straight into the buffer (its NUL lands where the last byte
    // goes); the last byte comes separately, so no copy of a long range is ever made.
    std::size_t copied = 0;
    if (end - start > 1) {
        copied = ReadRangeWithTerminator(EditorControl, start, end - 1, buffer);
        if (copied < static_cast<std::size_t>(end - 1 - start)) return copied;
    }
    char last[2] = {};
    copied += ReadRangeWithTerminator(EditorControl, end - 1, end, last);
    buffer[end - 1 - start] = last[0];
    return copied;
}

bool ControlTextAccess::ReplaceSelection(std::string_view bytes) {
    if (!EditorControl) return false;
    if (bytes.find('\0') == std::string_view::npos) {
        const std::string terminated(bytes);
        SendMessageA(EditorControl, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(terminated.c_str()));
        return !EditorControlFailed();
    }
    // EM_REPLACESEL would stop at the NUL: the text goes in as a stream in place of the selection,
    // and the caret is put after it as EM_REPLACESEL leaves it.
    std::int32_t start = 0, end = 0;
    GetSelection(start, end);
    if (StreamBytesIn(EditorControl, SF_TEXT | SFF_SELECTION, bytes) != 0) return false;
    const std::int32_t after = start + static_cast<std::int32_t>(bytes.size());
    SetSelection(after, after);
    return true;
}

bool ControlTextAccess::ClearSelection() {
    if (!EditorControl) return false;
    SendMessageA(EditorControl, WM_CLEAR, 0, 0);
    return !EditorControlFailed();
}

std::int32_t ControlTextAccess::WordBreakLeft(std::int32_t from) {
    if (!EditorControl) return from;
    return static_cast<std::int32_t>(SendMessageA(EditorControl, EM_FINDWORDBREAK, WB_MOVEWORDLEFT, from));
}

std::int32_t ControlTextAccess::WordBreakRight(std::int32_t from) {
    if (!EditorControl) return from;
    return static_cast<std::int32_t>(SendMessageA(EditorControl, EM_FINDWORDBREAK, WB_MOVEWORDRIGHT, from));
}

std::size_t ControlTextAccess::StreamTextOut(char* buffer, std::size_t capacity) {
    if (!EditorControl) return 0;
    std::size_t written = 0;
    StreamBytesOut(EditorControl, SF_TEXT, buffer, capacity, written);
    return written;
}

bool ControlTextAccess::StreamTextIn(std::string_view bytes) {
    return EditorControl && StreamBytesIn(EditorControl, SF_TEXT, bytes) == 0;
}

std::uint8_t ControlTextAccess::ViewCodePage() { return CodePageIndex; }

void ControlTextAccess::ApplyViewCodePage(std::uint8_t codePage) {
    CodePageIndex = codePage;
    ::ApplyViewCodePage();
}

void ControlTextAccess::ReportOutOfMemory() { ::ReportOutOfMemory(); }

ControlTextAccess& EditorText() {
    static ControlTextAccess text;
    return text;
}

void InstallControlTextAccess() { InstallUndoTextAccess(&EditorText()); }
