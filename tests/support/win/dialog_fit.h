#pragma once
// Whether an open dialog shows every control whole at the scaling the test runs with.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The shown controls of the dialog that do not show whole, each described by its id and what is
// wrong: reaching out of the dialog's client area, a text (label, button, check box, group box
// caption) that needs more room than its control gives it, or two controls covering each other
// (frames and group boxes aside, which are there to hold others). Empty when all show whole.
std::vector<std::string> ControlsNotShownWhole(HWND dialog);

// Creates the dialog of the template (not shown, with a procedure that does nothing), hands it to
// `inspect` and destroys it: a template looked at before any code of its own moves its controls.
// False when the dialog could not be made.
bool WithDialogTemplate(int templateId, HWND owner, const std::function<void(HWND)>& inspect);
