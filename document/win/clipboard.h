#pragma once
// The clipboard commands on the program's document. The bytes cross in the view's code page, by the
// same rules as the control's own copy and paste (control/win/view_clipboard.h); the document records
// each change for Undo.
#include <windows.h>

#include <string_view>

// Command 2: the selection onto the clipboard; an empty selection leaves the clipboard as it was.
// False, with the error code set, when memory or the clipboard could not be had; the clipboard is
// then as it was, and the command says nothing.
bool CopySelection();
// Command 1: copy, then delete the selection, undoably; what did not reach the clipboard is not
// deleted, and the user is told.
void CutSelection();
// Bytes of the view code page onto the clipboard as command 2 puts them. When memory or the
// clipboard cannot be had, the clipboard is left as it was.
void PutViewBytesOnClipboard(std::string_view bytes);
// Command 3: the clipboard's text in place of the selection, undoable.
void PasteClipboard();
// Command 6: the selection deleted, undoable.
void DeleteSelection();
// Command 48.
void SelectAllText();
