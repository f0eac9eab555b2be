#include "app/win/stand_ins.h"

#include "app/win/editor_setup.h"

void PrepareEditCallback() {}

IRichEditOleCallback* EditCallbackObject() { return nullptr; }

LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(EditorControlProcedure, window, message, wParam, lParam);
}

RECT PageMargins{};

void ReleasePrinterChoice() {}
