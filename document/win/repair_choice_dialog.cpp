#include "document/win/repair_choice_dialog.h"

#include <algorithm>

#include "base/ui_text.h"
#include "base/win/list_choice.h"
#include "base/win/shown_text.h"
#include "encoding/unicode_conversion.h"
#include "resources/resource.h"

namespace {

std::wstring WideFromUtf8(const std::string& text) {
    const std::string units = ConvertText(text, TextEncoding::Utf8, TextEncoding::Utf16LE);
    std::wstring wide;
    // The conversion's UTF-16 starts with its byte order mark.
    const std::size_t start = units.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0;
    for (std::size_t i = start; i + 1 < units.size(); i += 2)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(units[i]) | static_cast<unsigned char>(units[i + 1]) << 8);
    return wide;
}

void FillReadings(HWND list, const std::vector<ShownReading>& readings) {
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const ShownReading& reading : readings) {
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
}

void ShowChainOf(HWND dialog, const std::vector<ShownReading>& readings, int picked) {
    SetDialogItemText(dialog, IDC_REPAIR_CHAIN,
                      picked >= 0 ? "Что случилось: "_ui + readings[static_cast<std::size_t>(picked)].chain + "." : "");
    EnableWindow(GetDlgItem(dialog, IDOK), picked >= 0);
}

}  // namespace

int AskForReading(HWND owner, const std::vector<ShownReading>& readings) {
    if (readings.empty()) return -1;
    ListChoice choice;
    choice.dialog = IDD_REPAIR_CHOICE;
    choice.list = IDC_REPAIR_READINGS;
    choice.fill = [&](HWND, HWND list) { FillReadings(list, readings); };
    choice.picked = [&](HWND dialog, int picked) { ShowChainOf(dialog, readings, picked); };
    return ChooseFromList(owner, choice);
}
