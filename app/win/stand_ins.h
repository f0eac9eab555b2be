#pragma once
// Operations that the start-up, the editor set-up and the destroy handler call in their places, but
// whose real versions belong to the editing and printing work. Until a real one lands, the minimal
// stand-in in stand_ins.cpp keeps the program starting and running; whoever lands the real operation
// deletes its stand-in there and moves the declaration to the owner's header. Nothing here pretends
// to do the work.
#include <windows.h>

struct IRichEditOleCallback;

// The editor control's callback object (made ready once at start) and its subclass procedure.
void PrepareEditCallback();
IRichEditOleCallback* EditCallbackObject();
LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Page margins in 2500ths of an inch, and the printer chosen last (released on destroy).
extern RECT PageMargins;
void ReleasePrinterChoice();
