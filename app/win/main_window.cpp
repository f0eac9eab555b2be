#include "app/win/main_window.h"

#include "app/win/editor_setup.h"
#include "app/win/menu_tables.h"
#include "appearance/win/owner_drawn_menus.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        LayoutChildWindows(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_MEASUREITEM:
        MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DRAWITEM:
        DrawMenuItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_MENUCHAR:
        return AnswerMenuCharacter(window, static_cast<char>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
