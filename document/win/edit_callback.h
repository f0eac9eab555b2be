#pragma once
// The callback object the EditorControl is given (EM_SETOLECALLBACK). Its only real work is on a
// drop the control reports: plain text only, and the whole text saved for Undo first. The object
// is static, never freed, and its reference counts are constants.
#include <windows.h>
#include <richole.h>

// Start-up step kept for its place: the method table is the compiler's, so there is nothing to fill.
void PrepareEditCallback();
IRichEditOleCallback* EditCallbackObject();
