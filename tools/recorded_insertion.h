#pragma once
// Bytes put in place of the selection by a command rather than by typing (the date and time, the
// character table): each piece is announced to the undo journal just before it goes in, so that one
// Undo takes back one piece and the last Undo puts the replaced selection back.
#include <cstdint>
#include <functional>
#include <string_view>

#include "document/text_access.h"
#include "document/undo_journal.h"

// The program passes RecordUndo; tests record into a journal of their own.
using UndoRecorder = std::function<void(UndoKind kind, std::int32_t count)>;

// A ReplaceRange entry for the bytes, then the bytes in place of the selection (the caret ends after
// them). Nothing at all for no bytes. False when the control could not take them; the caller then
// takes the entry out again and reports it.
bool InsertRecorded(TextAccess& text, const UndoRecorder& record, std::string_view bytes);
