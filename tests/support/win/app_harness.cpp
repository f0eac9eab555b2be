#include "support/win/app_harness.h"

#include <commctrl.h>

#include "app/win/application.h"
#include "base/win/program.h"
#include "app/win/status_bar.h"
#include "base/win/shown_text.h"
#include "document/win/recovery_files.h"

namespace {

std::wstring ChosenRecoveryFolder;

std::wstring OwnRecoveryFolder() {
    wchar_t temporary[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temporary);
    return std::wstring(temporary) + L"vemko-test-recovery-" + std::to_wstring(GetCurrentProcessId());
}

}  // namespace

void UseRecoveryFolder(std::wstring folder) { ChosenRecoveryFolder = std::move(folder); }

HWND StartTestApplication(const char* commandLine, int showCommand) {
    SetRecoveryFolder(ChosenRecoveryFolder.empty() ? OwnRecoveryFolder() : ChosenRecoveryFolder);
    if (!StartApplication(GetModuleHandleA(nullptr), commandLine, showCommand)) return nullptr;
    PumpMessages();
    return MainWindow;
}

void CloseTestApplication() {
    if (MainWindow && IsWindow(MainWindow)) DestroyWindow(MainWindow);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) break;
        DispatchLoopMessage(message);
    }
    EndApplication();
    RemoveDirectoryW(OwnRecoveryFolder().c_str());
}

void Command(UINT id) { SendMessageA(MainWindow, WM_COMMAND, id, 0); }

void PumpMessages(DWORD milliseconds) {
    DWORD until = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchLoopMessage(message);
        Sleep(1);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

std::string WindowText(HWND window) {
    // The program's text control holds bytes, which it draws in the view code page: they are read as
    // they are, through the A function, as the program itself reads them from its ANSI window.
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, "RICHEDIT") == 0) {
        std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
        text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    // Any other window's text is read as it shows, through the W function and the 1251 chart, whatever
    // the system's code page (through an A function a 1252 system gives '?' for every Cyrillic letter).
    return ShownText(window);
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

wchar_t ShownCharacter(char byte) { return WideText(std::string_view(&byte, 1)).front(); }

std::string StatusBarPart(int part) {
    if (!StatusBar) return "<no status bar>";
    wchar_t text[256] = {};
    SendMessageW(StatusBar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return AnsiText(text);
}

std::vector<std::string> ComboBoxItems(HWND combo) {
    std::vector<std::string> items;
    const auto count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(AnsiText(item));
    }
    return items;
}

std::vector<std::string> ListBoxItems(HWND list) {
    std::vector<std::string> items;
    const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(AnsiText(item));
    }
    return items;
}
