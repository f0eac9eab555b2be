#include "app/win/application.h"

#include "app/ui_text.h"
#include "app/win/main_window.h"
#include "resources/resource.h"

HINSTANCE ProgramInstance = nullptr;
HWND MainWindow = nullptr;

bool StartApplication(HINSTANCE instance, const char* commandLine) {
    ProgramInstance = instance;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VEMKO));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SMALL), IMAGE_ICON, 16, 16, 0));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "VEMKO";
    if (!RegisterClassExA(&windowClass)) return false;
    MainWindow = CreateWindowExA(0, "VEMKO", "[БезИмени]-VEMKO"_ui, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!MainWindow) return false;
    ShowWindow(MainWindow, SW_SHOWDEFAULT);
    (void)commandLine;
    return true;
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
