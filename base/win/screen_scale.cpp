#include "base/win/screen_scale.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Looked up rather than imported: the program still starts on systems without the function.
GetDpiForWindowFunction DpiForWindowFunction() {
    static const auto function = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return function;
}

}  // namespace

int WindowDpi(HWND window) {
    if (window) {
        if (GetDpiForWindowFunction function = DpiForWindowFunction()) {
            UINT dpi = function(window);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDefaultDpi;
}
