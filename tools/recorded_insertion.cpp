#include "tools/recorded_insertion.h"

bool InsertRecorded(TextAccess& text, const UndoRecorder& record, std::string_view bytes) {
    if (bytes.empty()) return true;
    record(UndoKind::ReplaceRange, static_cast<std::int32_t>(bytes.size()));
    return text.ReplaceSelection(bytes);
}
