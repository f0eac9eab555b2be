#include "tools/date_time_text.h"

DateTimePieces DateTimePiecesOf(std::string_view date, std::string_view time, std::string_view blank) {
    DateTimePieces pieces;
    if (!date.empty()) {
        pieces.date.assign(date);
        pieces.date += blank;
    }
    pieces.time.assign(time);
    return pieces;
}

bool InsertDateTimeText(TextAccess& text, const UndoRecorder& record, std::string_view date, std::string_view time,
                        std::string_view blank) {
    const DateTimePieces pieces = DateTimePiecesOf(date, time, blank);
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    std::string replaced(static_cast<std::size_t>(end - start), '\0');
    replaced.resize(text.ReadRange(start, end, replaced.data()));
    if (!InsertRecorded(text, record, pieces.date)) return false;
    if (InsertRecorded(text, record, pieces.time)) return true;
    // The time could not follow the date: the date goes out again, so the command leaves nothing
    // half done.
    text.SetSelection(start, start + static_cast<std::int32_t>(pieces.date.size()));
    if (text.ReplaceSelection(replaced)) text.SetSelection(start, end);
    return false;
}
