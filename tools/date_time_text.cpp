#include "tools/date_time_text.h"

DateTimePieces DateTimePiecesOf(std::string_view date, std::string_view time) {
    DateTimePieces pieces;
    if (!date.empty()) {
        pieces.date.assign(date);
        pieces.date += ' ';
    }
    pieces.time.assign(time);
    return pieces;
}

void InsertDateTimeText(TextAccess& text, const UndoRecorder& record, std::string_view date, std::string_view time) {
    const DateTimePieces pieces = DateTimePiecesOf(date, time);
    InsertRecorded(text, record, pieces.date);
    InsertRecorded(text, record, pieces.time);
}
