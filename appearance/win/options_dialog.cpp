#include "appearance/win/options_dialog.h"

#include <commctrl.h>

#include "base/settings.h"
#include "base/win/program.h"
#include "resources/resource.h"

namespace {

struct IndentControls {
    const IndentField& field;
    int edit;
    int upDown;
};

// In the order their values are written on OK.
const IndentControls kIndents[] = {
    {kLeftIndent, IDC_LEFT_INDENT, IDC_LEFT_INDENT_UPDOWN},
    {kRightMargin, IDC_RIGHT_MARGIN, IDC_RIGHT_MARGIN_UPDOWN},
    {kFirstLineIndent, IDC_FIRST_LINE_INDENT, IDC_FIRST_LINE_INDENT_UPDOWN},
};

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void OnInitDialog(HWND dialog, const OptionChoices& choices) {
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    Check(dialog, IDC_SHOW_TOOLBAR, choices.toolBar);
    Check(dialog, IDC_SHOW_STATUS_BAR, choices.statusBar);
    Check(dialog, IDC_BIG_BUTTONS, choices.bigButtons);
    Check(dialog, IDC_REMEMBER_WINDOW_SIZE, choices.rememberWindowSize);
    Check(dialog, IDC_REMEMBER_CARET, choices.restoreCaret);
    Check(dialog, IDC_UNDO_JOURNAL, choices.journalOn);
    Check(dialog, IDC_RECOVERY_COPY, choices.recoveryCopy);
    Check(dialog, IDC_IGNORE_LINE_BREAKS, IgnoreLineBreaksShown());
    for (const IndentControls& indent : kIndents) {
        CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0, 0, 0, dialog,
                            indent.upDown, Program().instance, GetDlgItem(dialog, indent.edit), indent.field.upper,
                            indent.field.lower, StoredIndent(indent.field));
    }
}

void OnOk(HWND dialog, OptionChoices& choices) {
    choices.toolBar = Checked(dialog, IDC_SHOW_TOOLBAR);
    choices.statusBar = Checked(dialog, IDC_SHOW_STATUS_BAR);
    choices.journalOn = Checked(dialog, IDC_UNDO_JOURNAL);
    choices.rememberWindowSize = Checked(dialog, IDC_REMEMBER_WINDOW_SIZE);
    choices.restoreCaret = Checked(dialog, IDC_REMEMBER_CARET);
    choices.bigButtons = Checked(dialog, IDC_BIG_BUTTONS);
    choices.recoveryCopy = Checked(dialog, IDC_RECOVERY_COPY);
    WriteSettingDword("IG", Checked(dialog, IDC_IGNORE_LINE_BREAKS) ? 1 : 0);
    for (const IndentControls& indent : kIndents) {
        const auto answer = static_cast<std::uint32_t>(SendDlgItemMessageA(dialog, indent.upDown, UDM_GETPOS, 0, 0));
        WriteSettingDword(indent.field.setting, static_cast<std::uint32_t>(IndentFromPosition(indent.field, answer)));
    }
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *reinterpret_cast<const OptionChoices*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOk(dialog, *reinterpret_cast<OptionChoices*>(GetWindowLongPtrA(dialog, DWLP_USER)));
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR RunOptionsDialog(HWND owner, OptionChoices& choices) {
    OptionChoices edited = choices;
    // A Unicode dialog, so its Cyrillic texts show as they are on a system of any code page.
    INT_PTR result = DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_OPTIONS), owner, OptionsDialogProc,
                                     reinterpret_cast<LPARAM>(&edited));
    if (result == IDOK) choices = edited;
    return result;
}
