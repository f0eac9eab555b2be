#pragma once
// The clipboard commands on the EditorControl. The program does its own clipboard work so that the
// bytes cross in the view's code page: plain text (1251) from the ANSI view, OEM text (866) from the
// OEM and KOI8-R views, KOI8-R going through 866 both ways. The system then offers every other
// program the right Russian text in the form it asks for.
#include <windows.h>

#include <string_view>

// Command 2: the selection onto the clipboard; an empty selection leaves the clipboard as it was.
void CopySelection();
// Bytes of the view code page onto the clipboard as command 2 puts them. When memory or the
// clipboard cannot be had, the clipboard is left as it was.
void PutViewBytesOnClipboard(std::string_view bytes);
// Command 3: the clipboard's text in place of the selection, undoable.
void PasteClipboard();
// Command 6: the selection deleted, undoable.
void DeleteSelection();
// Command 48.
void SelectAllText();
