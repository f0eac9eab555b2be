#pragma once
// Find and replace on the EditorControl: the find and replace dialog, the replace confirmation and
// commands 13 "&Найти...", 14 "&Заменить..." and 28 "Н&айти далее". The steps themselves are the
// portable ones of tools/search_logic.h; this is the glue to the dialogs and the control.
#include <windows.h>

#include "tools/search_logic.h"

// Shows the find and replace dialog (as Find or Replace after ReplaceMode) and, when it is
// accepted, runs the search or the replace loop.
void FindCommand();
// One step on the control: the next match (the previous one backwards) is selected and, in
// ReplaceMode, replaced as the options and the answers say. Reports whether a match was found.
bool FindNext();
// The selected match replaced by ReplaceText, as one undoable control edit.
void ReplaceSelection();
// Command 28: in ReplaceMode the next step (all further ones while replacing all) as one undo
// entry; otherwise the next match, and the dialog when there is none.
void FindNextCommand();
// Commands 13, 14 and 28 as the menu gives them.
void RunSearchCommand(UINT command);

// The dialogs on their own, for the commands above and for tests. ShowFindReplaceDialog returns
// IDOK when a search is to run (the state then holds its pattern and options) and IDCANCEL
// otherwise; ShowConfirmReplaceDialog returns the id of the button that ended it.
INT_PTR ShowFindReplaceDialog(HWND owner);
ReplaceAnswer ShowConfirmReplaceDialog(HWND owner);
