#include "tools/recorded_insertion.h"

void InsertRecorded(TextAccess& text, const UndoRecorder& record, std::string_view bytes) {
    if (bytes.empty()) return;
    record(UndoKind::ReplaceRange, static_cast<std::int32_t>(bytes.size()));
    text.ReplaceSelection(bytes);
}
