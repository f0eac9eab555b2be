#include <windows.h>

#include "app/win/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!StartApplication(instance, GetCommandLineW())) return 255;
    const int quitCode = RunMessageLoop();
    EndApplication();
    return quitCode;
}
