#include "support/win/app_harness.h"

#include "app/win/application.h"

HWND StartTestApplication(const char* commandLine, int showCommand) {
    if (!StartApplication(GetModuleHandleA(nullptr), commandLine, showCommand)) return nullptr;
    PumpMessages();
    return MainWindow;
}

void CloseTestApplication() {
    if (MainWindow && IsWindow(MainWindow)) DestroyWindow(MainWindow);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EndApplication();
}

void PumpMessages(DWORD milliseconds) {
    DWORD until = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::string> ComboBoxItems(HWND combo) {
    std::vector<std::string> items;
    const auto count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string item(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
        item.resize(static_cast<std::size_t>(SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}
