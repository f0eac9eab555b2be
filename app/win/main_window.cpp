#include "app/win/main_window.h"

#include <commctrl.h>
#include <richedit.h>
#include <windowsx.h>

#include <cstring>
#include <iterator>
#include <new>
#include <string>

#include "base/ui_text.h"
#include "app/win/shell_window.h"
#include "control/win/editor_control.h"
#include "app/win/help.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "document/win/clipboard.h"
#include "appearance/win/menu_tables.h"
#include "base/win/shown_text.h"
#include "app/win/status_bar.h"
#include "app/win/options_command.h"
#include "app/win/toolbar.h"
#include "base/win/shell_messages.h"
#include "appearance/win/colours.h"
#include "appearance/win/owner_drawn_menus.h"
#include "document/recent_files.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/recent_files_host.h"
#include "document/win/recovery_keeper.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "document/win/conversion_chooser.h"
#include "document/win/read_selection_as.h"
#include "document/win/conversion_commands.h"
#include "document/win/transform_commands.h"
#include "resources/resource.h"
#include "tools/win/byte_patcher.h"
#include "tools/win/character_table_dialog.h"
#include "tools/win/date_time.h"
#include "tools/win/find_replace.h"
#include "tools/win/font_dialog.h"
#include "tools/win/print_preview.h"
#include "tools/win/printing.h"
#include "tools/win/word_wrap.h"

namespace {

void NewDocument() {
    if (!ConfirmSaveChanges()) return;
    if (EditorControl) {
        // A text that could not be emptied is still the document, under its name.
        try {
            TextBuilder empty;
            empty.SetForm(ProgramDocument().Text().Form());
            empty.Finish();
            ProgramDocument().ReplaceWhole(empty, UndoKind::NotRecorded);
        } catch (const std::bad_alloc&) {
            ReportOutOfMemory();
            return;
        }
    }
    ClearUndo();
    if (EditorControl) ProgramDocument().SetModified(false);
    lstrcpynA(CurrentFileName, UntitledName, sizeof CurrentFileName);
    UpdateTitle();
}

void UndoCommand() {
    if (!EditorControl) return;
    try {
        UndoLast();
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
    }
}

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// Moved to a monitor of another scale: the menus' look and the bars are made again at its size and
// the window takes the rectangle the system suggests, whose WM_SIZE lays them out. The view fonts
// keep their point sizes: the editor control makes its font again when its parent is done here.
void OnDpiChanged(HWND window, const RECT& suggested) {
    PrepareMenuLook(window);
    RedeclareOwnerDrawnItems();
    if (ToolBar) RebuildToolBar(true);
    if (StatusBar) {
        RebuildStatusBar(false);
        RebuildStatusBar(true);
    }
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A remembered file that can no longer be opened is forgotten without a word.
void OpenRecentFile(int position) {
    if (!ConfirmSaveChanges()) return;
    std::string path = RecentFilePath(position);
    if (!path.empty() && LoadFile(path.c_str())) return;
    ForgetRecentFile(position, ProgramRecentFilesHost());
}

// False for the ids that have no handler: they go on to the default processing.
bool OnCommand(HWND window, UINT command) {
    switch (command) {
    case IDM_CUT: CutSelection(); return true;
    case IDM_COPY: CopySelection(); return true;
    case IDM_PASTE: PasteClipboard(); return true;
    case IDM_UNDO: UndoCommand(); return true;
    case IDM_DELETE: DeleteSelection(); return true;
    case IDM_NEW: NewDocument(); return true;
    case IDM_OPEN:
        if (ConfirmSaveChanges()) OpenDocument();
        return true;
    case IDM_SAVE: SaveCurrentDocument(); return true;
    case IDM_PREVIEW: PrintPreview(); return true;
    case IDM_CHARACTER_TABLE: ShowCharacterTable(); return true;
    case IDM_HELP: ShowHelpContents(window); return true;
    case IDM_FIND:
    case IDM_REPLACE:
    case IDM_FIND_NEXT: RunSearchCommand(command); return true;
    case IDM_PRINT: PrintDocument(); return true;
    case IDM_VIEW_ANSI:
    case IDM_VIEW_OEM:
    case IDM_VIEW_KOI8:
    case IDM_VIEW_UTF8:
    case IDM_VIEW_UTF16_LE:
    case IDM_VIEW_UTF16_BE: SelectViewCodePage(command); return true;
    case IDM_JUSTIFY:
    case IDM_CENTRE:
    case IDM_ALIGN_LEFT:
    case IDM_ALIGN_RIGHT:
    case IDM_TO_ANSI:
    case IDM_TO_OEM:
    case IDM_TO_KOI8:
    case IDM_TO_UTF8:
    case IDM_TO_UTF16_LE:
    case IDM_TO_FIDO:
    case IDM_TRANSLIT:
    case IDM_RTF_TO_ANSI:
    case IDM_QUOTED_PRINTABLE:
    case IDM_LINE_BREAK:
    case IDM_LINE_ENDS_CRLF:
    case IDM_LINE_ENDS_LF:
    case IDM_LINE_ENDS_CR:
    case IDM_REPAIR_MOJIBAKE: RunTransformCommand(command); return true;
    case IDM_PAGE_NUMBERS: CountPages(); return true;
    case IDM_PAGE_SETUP: PageSetup(); return true;
    case IDM_WORD_WRAP: ToggleWordWrap(); return true;
    case IDM_SAVE_AS: SaveDocumentAs(); return true;
    case IDM_CONVERSION_CHOOSER: RunConversionChooser(); return true;
    case IDM_READ_SELECTION_AS: ReadSelectionAs(); return true;
    case IDM_OPTIONS: ShowOptionsDialog(); return true;
    case IDM_INSERT_FILE: InsertFile(); return true;
    case IDM_DATE_TIME: InsertDateTime(); return true;
    case IDM_FONT_ANSI:
    case IDM_FONT_OEM:
    case IDM_FONT_KOI8: ChooseViewFont(static_cast<int>(command - IDM_FONT_ANSI)); return true;
    case IDM_FONT_UTF8: ChooseViewFont(kUtf8View); return true;
    case IDM_REPLACE_BYTE: PatchFileByte(); return true;
    case IDM_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); return true;
    case IDM_CUSTOMIZE_TOOLBAR: CustomizeToolBar(); return true;
    case IDM_BACKGROUND_COLOUR: ChooseBackgroundColour(); return true;
    case IDM_TEXT_COLOUR: ChooseTextColour(); return true;
    case IDM_SELECT_ALL: SelectAllText(); return true;
    case IDM_SIZE_UP:
    case IDM_SIZE_DOWN: ChangeViewFontSize(command); return true;
    case IDM_ABOUT: ShowAboutBox(); return true;
    case IDM_HTML_COLOUR: ChooseHtmlColour(); return true;
    case IDM_HTML_REFRESH: RefreshHtmlColours(); return true;
    case IDM_CHORD_W:
    case IDM_CHORD_D:
    case IDM_CHORD_K: RunChordCommand(command); return true;
    }
    if (command >= IDM_RECENT_FIRST && command <= IDM_RECENT_LAST) {
        OpenRecentFile(static_cast<int>(command - IDM_RECENT_FIRST));
        return true;
    }
    return false;
}

void Enable(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// The file and edit pop-ups, and the edit pop-up when it opens as the text's context menu (then at
// position 0 of its own menu); never the system menu.
void OnInitMenuPopup(HMENU menu, UINT position, bool systemMenu) {
    if (systemMenu || position > 1) return;
    Enable(menu, IDM_UNDO, CanUndo());
    Enable(menu, IDM_PASTE, IsClipboardFormatAvailable(CF_TEXT) != FALSE);
    const Document& document = ProgramDocument();
    Enable(menu, IDM_SAVE, EditorControl && document.Modified());
    bool selection = EditorControl && document.SelectionEnd() > document.SelectionStart();
    Enable(menu, IDM_COPY, selection);
    Enable(menu, IDM_CUT, selection);
    Enable(menu, IDM_DELETE, selection);
}

// The view shown is marked; RTF -> ANSI, which writes 1251 text, is greyed in the Unicode views,
// and in the UTF-16 views so are the transforms that work on single bytes.
void MarkViewCodePage(HMENU menu) {
    // The Unicode items' ids do not follow the other three, so the marks are set one by one.
    static constexpr UINT kViewCommands[6] = {IDM_VIEW_ANSI, IDM_VIEW_OEM,      IDM_VIEW_KOI8,
                                              IDM_VIEW_UTF8, IDM_VIEW_UTF16_LE, IDM_VIEW_UTF16_BE};
    for (int view = 0; view < 6; ++view)
        CheckMenuItem(menu, kViewCommands[view], MF_BYCOMMAND | (view == CodePageIndex ? MF_CHECKED : MF_UNCHECKED));
    Enable(menu, IDM_RTF_TO_ANSI, !IsUnicodeView(CodePageIndex));
    for (UINT command : {IDM_QUOTED_PRINTABLE, IDM_LINE_BREAK, IDM_REPAIR_MOJIBAKE})
        Enable(menu, command, !IsUtf16View(CodePageIndex));
}

// The Edit menu as the text's context menu, at a screen position.
void ShowContextMenu(HWND window, DWORD position) {
    constexpr int kEditPopup = 1;
    TrackPopupMenu(GetSubMenu(GetMenu(window), kEditPopup), TPM_CENTERALIGN | TPM_RIGHTBUTTON, GET_X_LPARAM(position),
                   GET_Y_LPARAM(position), 0, window, nullptr);
}

void CopyText(char* destination, int size, const char* text) {
    if (destination && size > 0) lstrcpynA(destination, text, size);
}

// The main window is a Unicode window, so the toolbar and its tooltips ask in UTF-16.
void CopyText(wchar_t* destination, int size, const char* text) {
    if (destination && size > 0) lstrcpynW(destination, WideText(text).c_str(), size);
}

template <typename Tip>
void AnswerTip(Tip* tip) {
    CopyText(tip->szText, static_cast<int>(std::size(tip->szText)), MenuText(static_cast<UINT>(tip->hdr.idFrom)));
}

template <typename Request>
LRESULT AnswerButtonInfo(Request* request) {
    if (request->iItem < 0 || request->iItem >= kAvailableButtonCount) return FALSE;
    request->tbButton = AvailableButtons[request->iItem];
    CopyText(request->pszText, request->cchText, MenuText(static_cast<UINT>(request->tbButton.idCommand)));
    return TRUE;
}

// Handled notifications give their answer; the others go on to the default processing.
bool OnNotify(NMHDR* header, LRESULT& answer) {
    switch (header->code) {
    case EN_DROPFILES:
        if (header->hwndFrom != EditorControl) return false;
        OpenDroppedFiles(static_cast<HDROP>(reinterpret_cast<ENDROPFILES*>(header)->hDrop));
        answer = 0;
        return true;
    case TTN_NEEDTEXTA:
        AnswerTip(reinterpret_cast<NMTTDISPINFOA*>(header));
        return false;
    case TTN_NEEDTEXTW:
        AnswerTip(reinterpret_cast<NMTTDISPINFOW*>(header));
        return false;
    case TBN_GETBUTTONINFOA:
        answer = AnswerButtonInfo(reinterpret_cast<NMTOOLBARA*>(header));
        return true;
    case TBN_GETBUTTONINFOW:
        answer = AnswerButtonInfo(reinterpret_cast<NMTOOLBARW*>(header));
        return true;
    case TBN_RESET:
        RestoreToolBarLayout();
        answer = 0;
        return true;
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
        answer = TRUE;
        return true;
    case TBN_TOOLBARCHANGE:
        SaveToolBarLayout();
        answer = 0;
        return true;
    case TBN_CUSTHELP:
        PostMessageA(MainWindow, WM_COMMAND, IDM_HELP, 0);
        answer = 0;
        return true;
    }
    return false;
}

// What the layers below tell the shell (base/win/shell_messages.h); false for any other message.
bool OnShellMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
    switch (message) {
    case kShowTitleMessage:
        UpdateTitle();
        return true;
    case kShowCaretPositionMessage:
        if (wParam) Program().lastShownSelection.cpMin = -1;
        ShowCaretPosition();
        return true;
    case kShowEditModeMessage:
        ShowEditMode();
        return true;
    case kShowStatusTextMessage:
        answer = ShowStatusBarText(wParam, *reinterpret_cast<const StatusBarText*>(lParam));
        return true;
    case kRecentFilesChangedMessage:
        RedeclareRecentMenuItems();
        return true;
    case kViewCodePageChangedMessage:
        MarkViewCodePage(GetMenu(window));
        // UTF-16 and the other views find other line breaks in the same bytes.
        ShowLineEnds();
        return true;
    case kSwitchChangedMessage:
        CheckMenuItem(GetMenu(window), static_cast<UINT>(wParam), MF_BYCOMMAND | (lParam ? MF_CHECKED : MF_UNCHECKED));
        return true;
    case kEditorWindowMadeMessage: {
        RECT client{};
        GetClientRect(window, &client);
        LayoutChildWindows(client.right, client.bottom);
        return true;
    }
    }
    return false;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam && reinterpret_cast<HWND>(lParam) == EditorControl) {
            if (HIWORD(wParam) == EN_CHANGE) {
                NoteTextChanged();
                ShowLineEnds();
            }
            if (HIWORD(wParam) == EN_INPUTLANGCHANGE) ShowKeyboardLayout();
            return 0;
        }
        if (OnCommand(window, LOWORD(wParam))) return 0;
        break;
    case WM_SIZE:
        LayoutChildWindows(LOWORD(lParam), HIWORD(lParam));
        break;
    // F1 in a dialog or a message box of this window: the dialog passes the request on to its owner.
    case WM_HELP:
        ShowHelpContents(window);
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(window, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SETFOCUS:
        if (EditorControl) SetFocus(EditorControl);
        break;
    // The right button released in the text; a menu asked for by the keyboard (-1) is not shown.
    case WM_CONTEXTMENU:
        if (EditorControl && reinterpret_cast<HWND>(wParam) == EditorControl && lParam != -1) {
            ShowContextMenu(window, static_cast<DWORD>(lParam));
            return 0;
        }
        break;
    // The keyboard layout changed: the status bar shows it, and nothing of the text changes.
    case WM_INPUTLANGCHANGE:
        ShowKeyboardLayout();
        return 1;
    case WM_CLOSE:
        // Without an editor control there is no text to lose.
        if (EditorControl && !ConfirmSaveChanges()) return 0;
        break;
    case WM_QUERYENDSESSION:
        if (!ConfirmSaveChanges()) return FALSE;
        break;
    case WM_DESTROY:
        SaveWindowPlacement();
        ReleaseShellResources();
        PostQuitMessage(0);
        return 0;
    case WM_MEASUREITEM:
        MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        LRESULT answer = 0;
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), answer)) return answer;
        break;
    }
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0);
        break;
    case WM_MENUCHAR:
        return AnswerMenuCharacter(window, static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
    default: {
        LRESULT answer = 0;
        if (OnShellMessage(window, message, wParam, lParam, answer)) return answer;
        break;
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
