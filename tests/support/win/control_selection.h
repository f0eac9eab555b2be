#pragma once
// The selection of a text control (class "RICHEDIT"), set and read by its messages.
#include <windows.h>
#include <richedit.h>

inline void Select(HWND control, LONG start, LONG end) {
    CHARRANGE range{start, end};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

inline CHARRANGE Selection(HWND control) {
    CHARRANGE range{};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}
