#include "document/win/clipboard.h"

#include <richedit.h>

#include <cstdint>
#include <string_view>

#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "control/win/view_clipboard.h"
#include "document/undo_journal.h"
#include "document/win/document_files.h"
#include "document/win/document_line_ends.h"
#include "document/win/view_code_page.h"

void PutViewBytesOnClipboard(std::string_view bytes) { view_clipboard::Put(MainWindow, CodePageIndex, bytes); }

bool CopySelection() {
    if (!EditorControl) return true;
    CHARRANGE selection{};
    SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    LONG count = selection.cpMax - selection.cpMin;
    if (count <= 0) return true;
    // The selection is read straight into the clipboard's block.
    const DWORD error =
        view_clipboard::Put(MainWindow, CodePageIndex, static_cast<std::size_t>(count), [&](std::uint8_t* bytes) {
            LRESULT copied = SendMessageA(EditorControl, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(bytes));
            return static_cast<std::size_t>(copied < 0 || copied > count ? count : copied);
        });
    if (error == 0) return true;
    SetLastError(error);
    return false;
}

void CutSelection() {
    if (!CopySelection()) {
        ReportLastError();
        return;
    }
    DeleteSelection();
}

void PasteClipboard() {
    if (!EditorControl) return;
    const LineEndKind lineEnd = LineEndsOfDocument().kind;
    const bool pasted = view_clipboard::Take(MainWindow, CodePageIndex, lineEnd, [](const char* bytes, std::size_t count) {
        return StreamTextInRecorded(UndoKind::ReplaceRange, static_cast<std::int32_t>(count), bytes, count,
                                    kStreamSelection);
    });
    // Told once the clipboard is closed again, so other programs are not kept waiting for it (and
    // after the unlocking and closing, which set the error code of their own).
    if (!pasted) ReportOutOfMemory();
}

void DeleteSelection() {
    if (!EditorControl) return;
    const UndoMark mark = MarkUndo();
    RecordUndo(UndoKind::ReplaceRange, 0);
    SendMessageA(EditorControl, WM_CLEAR, 0, 0);
    if (EditorControlFailed()) {
        ForgetUndoSince(mark);
        ReportLastError();
    }
}

void SelectAllText() {
    if (EditorControl) SendMessageA(EditorControl, EM_SETSEL, 0, -1);
}
