#include "tools/date_time_text.h"

#include <new>

DateTimePieces DateTimePiecesOf(std::string_view date, std::string_view time, std::string_view blank) {
    DateTimePieces pieces;
    if (!date.empty()) {
        pieces.date.assign(date);
        pieces.date += blank;
    }
    pieces.time.assign(time);
    return pieces;
}

bool InsertDateTimeText(Document& document, std::string_view date, std::string_view time, std::string_view blank) {
    const DateTimePieces pieces = DateTimePiecesOf(date, time, blank);
    const std::size_t start = document.SelectionStart(), end = document.SelectionEnd();
    try {
        if (!pieces.date.empty()) document.ReplaceSelection(pieces.date, UndoKind::ReplaceRange);
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        if (!pieces.time.empty()) document.ReplaceSelection(pieces.time, UndoKind::ReplaceRange);
        return true;
    } catch (const std::bad_alloc&) {
    }
    // The time could not follow the date: the date goes out again by its own record, so the
    // command leaves nothing half done.
    if (!pieces.date.empty() && document.Undo()) document.Select(start, end);
    return false;
}
