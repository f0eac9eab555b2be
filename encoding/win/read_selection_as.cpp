#include "encoding/win/read_selection_as.h"

#include <richedit.h>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "document/win/conversion_commands.h"
#include "document/win/editor_window.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/text_encoding.h"
#include "encoding/win/conversion_chooser.h"
#include "resources/resource.h"

namespace {

struct ReadAsData {
    int picked;
    int taken = -1;
};

// The encoding taken last is offered again while the program runs; first the one most often met
// beside another in one file.
int LastTaken = kOem866;

void Take(HWND dialog, ReadAsData& data) {
    const LRESULT picked = SendDlgItemMessageW(dialog, IDC_READ_AS_ENCODING, LB_GETCURSEL, 0, 0);
    if (picked < 0 || picked >= kConversionListLength) return;
    data.taken = static_cast<int>(picked);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ReadAsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<ReadAsData*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        FillConversionCodePageList(GetDlgItem(dialog, IDC_READ_AS_ENCODING),
                                   static_cast<DWORD>(reinterpret_cast<ReadAsData*>(lParam)->picked));
        SetFocus(GetDlgItem(dialog, IDC_READ_AS_ENCODING));
        return FALSE;  // the focus is on the list
    case WM_COMMAND:
        if (!data) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_READ_AS_ENCODING:
            if (HIWORD(wParam) == LBN_DBLCLK) Take(dialog, *data);
            return TRUE;
        case IDOK:
            Take(dialog, *data);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

bool SelectionIsEmpty() {
    CHARRANGE range{};
    SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range.cpMin == range.cpMax;
}

}  // namespace

int ChooseSelectionEncoding(HWND owner, int picked) {
    ReadAsData data{picked};
    // A Unicode dialog, as the conversion chooser is, so that its Russian texts show on any system.
    DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_READ_AS), owner, ReadAsProc, reinterpret_cast<LPARAM>(&data));
    return data.taken;
}

void ReadSelectionAs() {
    if (!EditorControl) return;
    if (SelectionIsEmpty()) {
        ShowMessageBox(MainWindow, "Ничего не выделено: выделите часть текста, пришедшую в другой кодировке."_ui, "VEMKO",
                       MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The selection stays in sight while the user looks for its encoding.
    SendMessageA(EditorControl, EM_HIDESELECTION, FALSE, TRUE);
    const int source = ChooseSelectionEncoding(MainWindow, LastTaken);
    if (EditorControl) SendMessageA(EditorControl, EM_HIDESELECTION, TRUE, TRUE);
    if (source < 0 || !EditorControl) return;
    LastTaken = source;
    // Read as what the view shows, the bytes are already written in it.
    const TextEncoding target = EncodingOfView(CodePageIndex);
    if (static_cast<TextEncoding>(source) == target) return;
    // As the conversion chooser converts: between the single-byte code pages by the 866 tables, with
    // Unicode on a side by the charts. A selection keeps the view.
    RunConversion({static_cast<TextEncoding>(source), target}, ConversionOrigin::Chooser);
}
