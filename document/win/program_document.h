#pragma once
// The program's one document: the text the EditorControl shows, with its selection, view code page,
// overwrite mode, modified flag and undo journal. Every command changes it through its gateways
// (document/document.h), which record undo as the text changes and tell the views; the control is a
// view of it and stays one when word wrap makes it anew.
#include "document/document.h"

Document& ProgramDocument();
// A start of the program begins with a new, empty document; no view may be showing the old one,
// nor anyone watching it.
void RenewProgramDocument();

// The journal's switch, the setting "NO": while it is off nothing is recorded and Undo is the
// text's own single step. Switching it off empties the journal and is remembered (JournalWasOff).
inline bool JournalOff() { return ProgramDocument().JournalOff(); }
inline bool JournalWasOff() { return ProgramDocument().JournalWasOff(); }
inline void SetJournalOff(bool off) { ProgramDocument().SetJournalOff(off); }

// The Undo command: the journal's newest record, or with the journal off the text's own step.
inline void UndoLast() { ProgramDocument().Undo(); }
inline void ClearUndo() { ProgramDocument().ClearUndo(); }
inline const UndoJournal& DocumentUndoJournal() { return ProgramDocument().Journal(); }
inline bool CanUndo() { return ProgramDocument().CanUndo(); }
