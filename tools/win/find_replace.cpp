#include "tools/win/find_replace.h"

#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "base/win/shown_text.h"
#include "document/win/document_line_ends.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/utf8_sequences.h"
#include "resources/resource.h"

namespace {

// A search over more than this many bytes may take long enough on a slow machine to be noticed.
constexpr LONG kLongSearchBytes = 1 << 20;

// The outside history: another program's settings file, named without a path so that the system
// looks for it where it keeps such files.
constexpr const wchar_t* kOutsideHistoryFile = L"wincmd.ini";
constexpr const wchar_t* kOutsideHistorySection = L"SearchText";

// The dialog is a Unicode window: its texts are read as the characters typed, in UTF-8, so the UTF-8
// view can search for any of them; the single-byte views take their 1251 text from that.
std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, u'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()))));
    return Utf8OfUtf16(text);
}

// A history text or a word offered in the search field: in the UTF-8 view as it is, in the others
// as their 1251 text.
void AddSearchChoice(HWND combo, std::string_view text, int codePage, int index = -1) {
    const std::string choice = IsUnicodeView(codePage) ? std::string(text) : AnsiToTypedText(TypedTextToAnsi(text));
    const std::u16string shown = Utf16OfUtf8(choice);
    SendMessageW(combo, index < 0 ? CB_ADDSTRING : CB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(shown.c_str()));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

// The editor control as the search steps need it. While a run replaces every match without asking,
// drawing is off and the wait cursor shows: the control is repainted once at the end instead of
// after each of possibly many thousands of replacements.
class EditorSearchTarget final : public SearchTarget {
public:
    EditorSearchTarget(HWND control, const SearchState& state) : control_(control), state_(state) {}
    ~EditorSearchTarget() override {
        if (drawingSuspended_) {
            SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(control_, nullptr, TRUE);
            SendMessageA(control_, EM_SCROLLCARET, 0, 0);
        }
        if (previousCursor_) SetCursor(previousCursor_);
    }
    EditorSearchTarget(const EditorSearchTarget&) = delete;
    EditorSearchTarget& operator=(const EditorSearchTarget&) = delete;

    std::int32_t SelectionStart() override { return static_cast<std::int32_t>(ProgramDocument().SelectionStart()); }

    std::int32_t TextLength() override { return static_cast<std::int32_t>(ProgramDocument().Length()); }

    // A hexadecimal replacement stays bytes in the UTF-16 views, whose line breaks are units.
    LineEndKind DocumentLineEnd() override {
        return IsUtf16View(CodePageIndex) ? LineEndKind::CrLf : LineEndsOfDocument().kind;
    }

    std::int32_t FindFirst(std::int32_t lo, std::int32_t hi, std::string_view pattern, bool wholeWord,
                           bool matchCase) override {
        if (hi - lo > kLongSearchBytes) ShowBusy();
        std::string zeroEnded(pattern);
        FINDTEXTA find{{lo, hi}, zeroEnded.c_str()};
        // The control searches forward only; no direction flag is passed.
        WPARAM flags = (wholeWord ? FR_WHOLEWORD : 0) | (matchCase ? FR_MATCHCASE : 0);
        return static_cast<std::int32_t>(SendMessageA(control_, EM_FINDTEXT, flags, reinterpret_cast<LPARAM>(&find)));
    }

    void Select(std::int32_t start, std::int32_t end) override {
        ProgramDocument().Select(static_cast<std::size_t>(std::max(0, start)), static_cast<std::size_t>(std::max(0, end)));
    }

    bool ReplaceSelection(std::string_view text) override {
        Document& document = ProgramDocument();
        // A whole replace run is taken back by one Undo: every replacement is a TextSnapshot, and
        // the journal keeps one for a row of them. The snapshot is taken with the first replacement
        // of the run rather than when the run starts: a run that replaces nothing (no match, or
        // every match skipped) then leaves no entry behind, so the next Undo takes back the user's
        // own last edit, and no copy of a big text is kept for nothing. The text is still as it was
        // when the run started, but the selection is the match: the user's own selection from the
        // run's start is put back for the moment of the snapshot, so that Undo of the run selects
        // it again. Drawing is off meanwhile, so the view does not jump to that selection and back.
        const std::size_t first = document.SelectionStart(), last = document.SelectionEnd();
        const bool firstOfRun = snapshotPending_;
        const std::size_t recordsBefore = document.Journal().RecordCount();
        if (state_.replaceAll && !state_.promptReplace) SuspendDrawing();
        try {
            if (firstOfRun) {
                snapshotPending_ = false;
                replaced_ = 0;
                if (!drawingSuspended_) SendMessageA(control_, WM_SETREDRAW, FALSE, 0);
                document.Select(static_cast<std::size_t>(runStartSelection_.cpMin),
                                static_cast<std::size_t>(runStartSelection_.cpMax));
                if (!drawingSuspended_) SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
            }
            // Patterns and replacements end at their first zero byte.
            document.Replace(first, last, text.substr(0, text.find('\0')), UndoKind::TextSnapshot);
        } catch (const std::bad_alloc&) {
            if (firstOfRun) document.Select(first, last);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            TakeBackFailedRun();
            return false;
        }
        if (firstOfRun) runRecorded_ = document.Journal().RecordCount() > recordsBefore;
        ++replaced_;
        return true;
    }

    ReplaceAnswer ConfirmReplace() override {
        SendMessageA(control_, EM_SCROLLCARET, 0, 0);
        if (previousCursor_) SetCursor(previousCursor_);
        ReplaceAnswer answer = ShowConfirmReplaceDialog(MainWindow);
        if (previousCursor_) SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return answer;
    }

    void RecordSnapshot() override {
        snapshotPending_ = true;
        runStartSelection_ = {static_cast<LONG>(ProgramDocument().SelectionStart()),
                              static_cast<LONG>(ProgramDocument().SelectionEnd())};
    }

private:
    // A replacement the text could not take (memory ran out) ends the run, and the run is taken
    // back with its own snapshot, so the text is as the run found it; a snapshot shared with the
    // rewrite before it would take back more, so then the replacements made stay, for one Undo.
    void TakeBackFailedRun() {
        const DWORD error = GetLastError();
        if (runRecorded_ && replaced_ > 0) UndoLast();
        runRecorded_ = false;
        SetLastError(error);
        ReportLastError();
    }

    void ShowBusy() {
        if (!previousCursor_) previousCursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    }

    void SuspendDrawing() {
        if (drawingSuspended_) return;
        drawingSuspended_ = true;
        ShowBusy();
        SendMessageA(control_, WM_SETREDRAW, FALSE, 0);
    }

    HWND control_;
    const SearchState& state_;
    bool snapshotPending_ = false;
    bool runRecorded_ = false;
    std::size_t replaced_ = 0;
    CHARRANGE runStartSelection_{};
    bool drawingSuspended_ = false;
    HCURSOR previousCursor_ = nullptr;
};

// The find and replace dialog.

struct FindDialogData {
    SearchState* state;
    HWND editor;
    int codePage;  // the view code page the texts are converted into
};

// The word that starts at or before the start of the selection, as the search field offers it (UTF-8).
std::string CaretWord(HWND editor, int codePage) {
    CHARRANGE selection{};
    SendMessageA(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LONG right = static_cast<LONG>(SendMessageA(editor, EM_FINDWORDBREAK, WB_MOVEWORDRIGHT, selection.cpMin));
    const LONG left = static_cast<LONG>(SendMessageA(editor, EM_FINDWORDBREAK, WB_MOVEWORDLEFT, right));
    LONG end = right;
    const auto most = static_cast<LONG>(IsUnicodeView(codePage) ? kCaretWordBytesMax : kSearchTextMax);
    if (end - left > most) end = left + most;
    if (left < 0 || end <= left) return {};
    char buffer[kCaretWordBytesMax + 1] = {};
    TEXTRANGEA range{{left, end}, buffer};
    // The count the control returns, not the first zero: a zero byte is dropped like any control byte.
    const LRESULT copied = SendMessageA(editor, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    if (copied <= 0) return {};
    return CaretWordText(std::string_view(buffer, static_cast<std::size_t>(copied)), codePage);
}

void FillSearchList(HWND combo, HWND editor, int codePage) {
    for (const std::string& text : ReadSearchHistory()) AddSearchChoice(combo, text, codePage);
    for (int d = 0; d < kSearchHistorySize; ++d) {
        const wchar_t key[2] = {static_cast<wchar_t>(L'0' + d), L'\0'};
        char16_t text[kSearchHistoryBuffer] = {};
        if (GetPrivateProfileStringW(kOutsideHistorySection, key, L"", reinterpret_cast<wchar_t*>(text),
                                     kSearchHistoryBuffer, kOutsideHistoryFile) > 0)
            AddSearchChoice(combo, Utf8OfUtf16(text), codePage);
    }
    if (!editor) return;
    const std::string word = CaretWord(editor, codePage);
    if (word.empty()) return;
    AddSearchChoice(combo, word, codePage, 0);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void OnInitFindDialog(HWND dialog, const FindDialogData& data) {
    const SearchState& state = *data.state;
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    Check(dialog, IDC_WHOLE_WORD, state.wholeWord);
    Check(dialog, IDC_MATCH_CASE, state.matchCase);
    Check(dialog, IDC_WHOLE_TEXT, state.wholeText);
    Check(dialog, IDC_SEARCH_BACKWARDS, state.backwards);
    if (state.replaceMode) {
        Check(dialog, IDC_PROMPT_REPLACE, state.promptReplace);
        SetShownText(dialog, "Заменить..."_ui);
    } else {
        for (int id : {IDC_REPLACE_LABEL, IDC_PROMPT_REPLACE, IDC_HEX_REPLACE, IDC_REPLACE_TEXT, IDC_REPLACE_ALL})
            ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
        SetShownText(dialog, "Найти..."_ui);
    }
    FillSearchList(GetDlgItem(dialog, IDC_SEARCH_TEXT), data.editor, data.codePage);
}

void OnHexInput(HWND dialog, const FindDialogData& data) {
    const bool hex = Checked(dialog, IDC_HEX_INPUT);
    EnableWindow(GetDlgItem(dialog, IDC_SEARCH_TEXT), !hex);
    EnableWindow(GetDlgItem(dialog, IDC_HEX_SEARCH), hex);
    if (data.state->replaceMode) {
        EnableWindow(GetDlgItem(dialog, IDC_REPLACE_TEXT), !hex);
        EnableWindow(GetDlgItem(dialog, IDC_HEX_REPLACE), hex);
    }
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, hex ? IDC_HEX_SEARCH : IDC_SEARCH_TEXT)), TRUE);
}

// "ОК" and "Все": with nothing to search for the dialog stays open.
void OnAccept(HWND dialog, const FindDialogData& data, bool allButton) {
    SearchState& state = *data.state;
    SearchDialogInput input;
    input.hexInput = !IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH_TEXT));
    input.searchText = ItemText(dialog, input.hexInput ? IDC_HEX_SEARCH : IDC_SEARCH_TEXT);
    if (state.replaceMode) input.replaceText = ItemText(dialog, input.hexInput ? IDC_HEX_REPLACE : IDC_REPLACE_TEXT);
    if (!SearchInputAcceptable(input)) return;
    input.allButton = allButton;
    input.wholeWord = Checked(dialog, IDC_WHOLE_WORD);
    input.matchCase = Checked(dialog, IDC_MATCH_CASE);
    input.wholeText = Checked(dialog, IDC_WHOLE_TEXT);
    input.backwards = Checked(dialog, IDC_SEARCH_BACKWARDS);
    input.promptReplace = Checked(dialog, IDC_PROMPT_REPLACE);
    AcceptSearchInput(state, input, data.codePage);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK FindReplaceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<FindDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInitFindDialog(dialog, *reinterpret_cast<FindDialogData*>(lParam));
        return TRUE;  // the focus goes to the search field
    case WM_COMMAND:
        if (!data) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_HEX_INPUT:
            if (HIWORD(wParam) == BN_CLICKED) OnHexInput(dialog, *data);
            return TRUE;
        case IDOK:
            OnAccept(dialog, *data, false);
            return TRUE;
        case IDC_REPLACE_ALL:
            if (data->state->replaceMode) OnAccept(dialog, *data, true);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK ConfirmReplaceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    // The dialog has taken the focus from the editor, which would hide its selection: the match
    // must stay highlighted while the user decides.
    if (EditorControl) SendMessageA(EditorControl, EM_HIDESELECTION, FALSE, 0);
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
        case IDC_STOP_REPLACING:
        case IDC_REPLACE_ALL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR ShowFindReplaceDialog(HWND owner) {
    FindDialogData data{&Program().search, EditorControl, CodePageIndex};
    return DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_FIND_REPLACE), owner, FindReplaceDialogProc,
                           reinterpret_cast<LPARAM>(&data));
}

ReplaceAnswer ShowConfirmReplaceDialog(HWND owner) {
    switch (DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_CONFIRM_REPLACE), owner, ConfirmReplaceDialogProc, 0)) {
    case IDOK: return ReplaceAnswer::Yes;
    case IDCANCEL: return ReplaceAnswer::No;
    case IDC_REPLACE_ALL: return ReplaceAnswer::All;
    // "Отмена", and a dialog that could not be shown: the run stops rather than going on unasked.
    default: return ReplaceAnswer::Cancel;
    }
}

void FindCommand() {
    if (!EditorControl) return;
    if (ShowFindReplaceDialog(MainWindow) != IDOK) return;
    EditorSearchTarget target(EditorControl, Program().search);
    RunSearch(Program().search, target);
}

bool FindNext() {
    if (!EditorControl) return false;
    EditorSearchTarget target(EditorControl, Program().search);
    return FindNext(Program().search, target);
}

void ReplaceSelection() {
    if (!EditorControl) return;
    EditorSearchTarget target(EditorControl, Program().search);
    ReplaceSelection(Program().search, target);
}

void FindNextCommand() {
    if (!EditorControl) return;
    bool openDialog = false;
    {
        EditorSearchTarget target(EditorControl, Program().search);
        openDialog = FindNextCommand(Program().search, target);
    }
    if (openDialog) FindCommand();
}

void RunSearchCommand(UINT command) {
    switch (command) {
    case IDM_FIND:
    case IDM_REPLACE:
        Program().search.replaceMode = command == IDM_REPLACE;
        FindCommand();
        break;
    case IDM_FIND_NEXT:
        FindNextCommand();
        break;
    }
}
