#include "tools/win/character_table_dialog.h"

#include <richedit.h>

#include <new>
#include <string>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/clipboard.h"
#include "control/win/editor_control.h"
#include "document/win/document_line_ends.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/unicode_conversion.h"
#include "resources/resource.h"
#include "tools/character_table.h"
#include "tools/search_logic.h"

namespace {

// The table shows the bytes as the text shows them: the editor's character format at its selection
// and the text's background. The font's character set alone does not decide how this control
// decodes bytes, so it is told the view code page as well.
void DressTableLikeTheText(HWND table) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    if (EditorControl) SendMessageA(EditorControl, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC;
    SendMessageA(table, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(table, EM_SETBKGNDCOLOR, 0, ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW)));
    SendMessageA(table, EM_SETVIEWCODEPAGE, IsUnicodeView(CodePageIndex) ? WPARAM{kAnsi1251} : WPARAM{CodePageIndex}, 0);
}

// The Unicode views have no bytes of their own to show in a table: they show the characters of 1251,
// and what is taken from there goes into the text as UTF-8 or UTF-16.
std::string InViewBytes(const std::string& tableBytes) {
    if (!IsUnicodeView(CodePageIndex)) return tableBytes;
    return SearchTextToView(tableBytes, CodePageIndex);
}

void OnInitDialog(HWND dialog) {
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    HWND table = GetDlgItem(dialog, IDC_CHARACTER_TABLE);
    DressTableLikeTheText(table);
    const std::string text = CharacterTableText();
    SendMessageA(table, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The table's selection; empty when nothing is selected.
std::string SelectedBytes(HWND dialog) {
    HWND table = GetDlgItem(dialog, IDC_CHARACTER_TABLE);
    CHARRANGE selection{};
    SendMessageA(table, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMax <= selection.cpMin) return {};
    std::string bytes(static_cast<std::size_t>(selection.cpMax - selection.cpMin) + 1, '\0');
    const LRESULT copied = SendMessageA(table, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(bytes.data()));
    bytes.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return bytes;
}

// Rows taken with the line breaks between them go in with the document's own line breaks, one
// undo step a piece; the last Undo puts the replaced selection back.
void InsertIntoText(const std::string& bytes) {
    if (bytes.empty()) return;
    try {
        ProgramDocument().ReplaceSelection(WithDocumentLineEnds(bytes), UndoKind::ReplaceRange);
    } catch (const std::bad_alloc&) {
        // No memory for the converted rows or for the change: nothing went in.
        ReportOutOfMemory();
    }
}

void OnCopyDirectly(HWND dialog) {
    const std::string bytes = InViewBytes(SelectedBytes(dialog));
    if (bytes.empty()) return;
    SetFocus(GetDlgItem(dialog, IDC_CHARACTER_TABLE));
    InsertIntoText(bytes);
}

void OnCopy(HWND dialog) {
    const std::string bytes = InViewBytes(SelectedBytes(dialog));
    if (bytes.empty()) return;
    PutViewBytesOnClipboard(bytes);
    EndDialog(dialog, IDC_COPY_CHARACTERS);
    InsertIntoText(bytes);
}

INT_PTR CALLBACK CharacterTableProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnCopyDirectly(dialog); return TRUE;
        case IDC_COPY_CHARACTERS: OnCopy(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void ShowCharacterTable() {
    // A Unicode dialog, so its texts show in Cyrillic on a system of any code page; the table itself
    // is the program's own ANSI control and keeps its bytes.
    DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_CHARACTER_TABLE), MainWindow, CharacterTableProc, 0);
}
