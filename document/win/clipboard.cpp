#include "document/win/clipboard.h"

#include <cstdint>
#include <new>
#include <string_view>

#include "base/win/program.h"
#include "control/win/view_clipboard.h"
#include "document/win/document_files.h"
#include "document/win/document_line_ends.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"

void PutViewBytesOnClipboard(std::string_view bytes) { view_clipboard::Put(MainWindow, CodePageIndex, bytes); }

bool CopySelection() {
    if (!EditorControl) return true;
    const Document& document = ProgramDocument();
    const std::size_t first = document.SelectionStart(), last = document.SelectionEnd();
    if (last <= first) return true;
    // The selection is read straight into the clipboard's block.
    const DWORD error = view_clipboard::Put(MainWindow, CodePageIndex, last - first, [&](std::uint8_t* bytes) {
        document.Text().CopyRange(first, last, reinterpret_cast<char*>(bytes));
        return last - first;
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
        try {
            ProgramDocument().ReplaceSelection(std::string_view(bytes, count), UndoKind::ReplaceRange);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    });
    // Told once the clipboard is closed again, so other programs are not kept waiting for it (and
    // after the unlocking and closing, which set the error code of their own).
    if (!pasted) ReportOutOfMemory();
}

void DeleteSelection() {
    if (!EditorControl) return;
    Document& document = ProgramDocument();
    if (document.SelectionStart() == document.SelectionEnd()) return;
    try {
        document.ReplaceSelection({}, UndoKind::ReplaceRange);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
    }
}

void SelectAllText() {
    if (EditorControl) ProgramDocument().Select(0, ProgramDocument().Length());
}
