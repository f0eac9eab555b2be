#pragma once
// Operations that the start-up and the destroy handler call in their places, but whose real versions
// belong to the printing work. Until a real one lands, the minimal stand-in in stand_ins.cpp keeps
// the program starting and ending; whoever lands the real operation deletes its stand-in there and
// moves the declaration to the owner's header. Nothing here pretends to do the work.
#include <windows.h>

// Page margins in 2500ths of an inch, and the printer chosen last (released on destroy).
extern RECT PageMargins;
void ReleasePrinterChoice();
