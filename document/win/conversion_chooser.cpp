#include "document/win/conversion_chooser.h"

#include <richedit.h>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "encoding/code_page_tables.h"
#include "encoding/text_encoding.h"
#include "document/win/conversion_commands.h"
#include "resources/resource.h"

namespace {

constexpr DWORD kDefaultSource = kAnsi1251;
constexpr DWORD kDefaultTarget = kKoi8R;

void OnInitDialog(HWND dialog) {
    FillConversionCodePageList(GetDlgItem(dialog, IDC_SOURCE_CODE_PAGE), ReadSettingDword("CP1", kDefaultSource));
    FillConversionCodePageList(GetDlgItem(dialog, IDC_TARGET_CODE_PAGE), ReadSettingDword("CP2", kDefaultTarget));
}

// A missing selection never indexes the tables: then "=>" does nothing and the dialog stays.
void OnConvert(HWND dialog) {
    const LRESULT source = SendDlgItemMessageA(dialog, IDC_SOURCE_CODE_PAGE, LB_GETCURSEL, 0, 0);
    const LRESULT target = SendDlgItemMessageA(dialog, IDC_TARGET_CODE_PAGE, LB_GETCURSEL, 0, 0);
    if (source < 0 || source >= kConversionListLength || target < 0 || target >= kConversionListLength) return;
    WriteSettingDword("CP1", static_cast<std::uint32_t>(source));
    WriteSettingDword("CP2", static_cast<std::uint32_t>(target));
    // The conversion runs while the dialog is still open, so its selection stays in view.
    RunConversion({static_cast<TextEncoding>(source), static_cast<TextEncoding>(target)}, ConversionOrigin::Chooser);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ConversionChooserProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;  // the dialog leaves the focus where the system puts it
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OnConvert(dialog);
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

void FillConversionCodePageList(HWND list, DWORD picked) {
    for (int codePage = kConversionCodePageCount - 1; codePage >= 0; --codePage)
        SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(CodePageNames[codePage]));
    for (const char* name : {"UTF-8", "UTF-16 LE", "UTF-16 BE"})
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    // A value that another program or an older version stored outside the list would leave the list
    // without a selection, and "=>" without a code page on that side; the first one is offered instead.
    if (picked >= static_cast<DWORD>(kConversionListLength)) picked = 0;
    SendMessageA(list, LB_SETCURSEL, picked, 0);
}

INT_PTR ShowConversionChooser(HWND owner) {
    // A Unicode dialog: an ANSI one would take the template's Cyrillic texts through the system's
    // code page, and a 1252 system would show them as question marks.
    return DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_CONVERSION_CHOOSER), owner, ConversionChooserProc, 0);
}

void RunConversionChooser() {
    if (EditorControl) SendMessageA(EditorControl, EM_HIDESELECTION, FALSE, TRUE);
    ShowConversionChooser(MainWindow);
    if (EditorControl) SendMessageA(EditorControl, EM_HIDESELECTION, TRUE, TRUE);
}
