#include "base/win/shown_text.h"

#include <commctrl.h>

#include "encoding/chart_text.h"

std::wstring WideText(std::string_view ansi) {
    std::u16string text = Utf16FromAnsi(ansi);
    return std::wstring(text.begin(), text.end());
}

std::string AnsiText(std::wstring_view wide, bool* lossless) {
    std::u16string text(wide.begin(), wide.end());
    return AnsiFromUtf16(text, lossless);
}

void SetShownText(HWND window, std::string_view text) { SetWindowTextW(window, WideText(text).c_str()); }

std::string ShownText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return AnsiText(text);
}

void SetDialogItemText(HWND dialog, int id, std::string_view text) { SetShownText(GetDlgItem(dialog, id), text); }

std::string DialogItemText(HWND dialog, int id) { return ShownText(GetDlgItem(dialog, id)); }

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT style) {
    return MessageBoxW(owner, WideText(text).c_str(), WideText(caption).c_str(), style);
}

void SetStatusText(HWND statusBar, WPARAM partAndStyle, std::string_view text) {
    SendMessageW(statusBar, SB_SETTEXTW, partAndStyle, reinterpret_cast<LPARAM>(WideText(text).c_str()));
}

void AddComboText(HWND combo, std::string_view text, int index) {
    const std::wstring wide = WideText(text);
    if (index < 0) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    else SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
}
