#include "document/win/repair_choice_dialog.h"

#include <algorithm>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "encoding/unicode_conversion.h"
#include "resources/resource.h"

namespace {

struct RepairChoiceData {
    const std::vector<ShownReading>* readings;
    int taken = -1;
};

std::wstring WideFromUtf8(const std::string& text) {
    const std::string units = ConvertText(text, TextEncoding::Utf8, TextEncoding::Utf16LE);
    std::wstring wide;
    // The conversion's UTF-16 starts with its byte order mark.
    const std::size_t start = units.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0;
    for (std::size_t i = start; i + 1 < units.size(); i += 2)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(units[i]) | static_cast<unsigned char>(units[i + 1]) << 8);
    return wide;
}

void ShowChainOfPicked(HWND dialog, const RepairChoiceData& data) {
    const LRESULT picked = SendDlgItemMessageW(dialog, IDC_REPAIR_READINGS, LB_GETCURSEL, 0, 0);
    const bool valid = picked >= 0 && static_cast<std::size_t>(picked) < data.readings->size();
    SetDialogItemText(dialog, IDC_REPAIR_CHAIN,
                      valid ? "Что случилось: "_ui + (*data.readings)[static_cast<std::size_t>(picked)].chain + "." : "");
    EnableWindow(GetDlgItem(dialog, IDOK), valid);
}

void OnInitDialog(HWND dialog, const RepairChoiceData& data) {
    HWND list = GetDlgItem(dialog, IDC_REPAIR_READINGS);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const ShownReading& reading : *data.readings) {
        const std::wstring line = WideFromUtf8(reading.line);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        widest = std::max(widest, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    // A line wider than the list scrolls rather than being cut off.
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    ShowChainOfPicked(dialog, data);
    SetFocus(list);
}

void Take(HWND dialog, RepairChoiceData& data) {
    const LRESULT picked = SendDlgItemMessageW(dialog, IDC_REPAIR_READINGS, LB_GETCURSEL, 0, 0);
    if (picked < 0 || static_cast<std::size_t>(picked) >= data.readings->size()) return;
    data.taken = static_cast<int>(picked);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK RepairChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<RepairChoiceData*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *reinterpret_cast<RepairChoiceData*>(lParam));
        return FALSE;  // the focus is on the list
    case WM_COMMAND:
        if (!data) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_REPAIR_READINGS:
            if (HIWORD(wParam) == LBN_SELCHANGE) ShowChainOfPicked(dialog, *data);
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

}  // namespace

int AskForReading(HWND owner, const std::vector<ShownReading>& readings) {
    if (readings.empty()) return -1;
    RepairChoiceData data{&readings};
    // A Unicode dialog, so that a line shows its characters whatever the system's code page.
    DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_REPAIR_CHOICE), owner, RepairChoiceProc,
                    reinterpret_cast<LPARAM>(&data));
    return data.taken;
}
