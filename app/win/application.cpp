#include "app/win/application.h"

#include "app/ui_text.h"
#include "app/win/main_window.h"
#include "resources/resource.h"

#include <string>

HINSTANCE ProgramInstance = nullptr;
HWND MainWindow = nullptr;
HWND EditorControl = nullptr;
HWND StatusBar = nullptr;
const char* const UntitledName = "БезИмени"_ui;
char CurrentFileName[MAX_PATH] = {};
std::uint32_t TextLimit = 0xFFFFF;

void ReportLastError() {
    DWORD error = GetLastError();
    if (error == 0) error = ERROR_BAD_ENVIRONMENT;
    char text[81] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    MessageBoxA(MainWindow, text, "VEMKO", MB_OK | MB_ICONINFORMATION);
}

void UpdateTitle() {
    std::string name = CurrentFileName;
    if (name != UntitledName) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(CurrentFileName, &found);
        if (search != INVALID_HANDLE_VALUE) {
            name = found.cFileName;
            FindClose(search);
        }
    }
    SetWindowTextA(MainWindow, ("[" + name + "]-VEMKO").c_str());
}

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
    lstrcpynA(CurrentFileName, UntitledName, MAX_PATH);
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
