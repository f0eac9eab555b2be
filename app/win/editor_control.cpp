#include "app/win/editor_control.h"

// The class is registered first; the control's message handling grows into this file.
namespace {

LRESULT CALLBACK EditorControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterEditorControlClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = EditorControlProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_IBEAM));
    windowClass.lpszClassName = L"RICHEDIT";
    return RegisterClassExW(&windowClass) != 0;
}
