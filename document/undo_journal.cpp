#include "document/undo_journal.h"

#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr std::uint32_t kCrLfValue = 0x0A0D;  // CR in the low byte, LF in the next

bool IsSingleCharacterKind(UndoKind kind) {
    switch (kind) {
    case UndoKind::TypeChar:
    case UndoKind::TypeBreak:
    case UndoKind::DeleteChar:
    case UndoKind::BackspaceChar:
    case UndoKind::OvertypeChar:
        return true;
    default:
        return false;
    }
}

std::string ReadText(TextAccess& text, std::int32_t first, std::int32_t afterLast) {
    std::string bytes(static_cast<std::size_t>(afterLast - first), '\0');
    bytes.resize(text.ReadRange(first, afterLast, bytes.data()));
    return bytes;
}

std::uint32_t ReadByte(TextAccess& text, std::int32_t position) {
    char byte = 0;
    if (text.ReadRange(position, position + 1, &byte) != 1) return 0;
    return static_cast<unsigned char>(byte);
}

bool InsertAt(TextAccess& text, std::int32_t position, std::string_view bytes) {
    // The control puts no caret between the CR and the LF of a pair, and a deletion can make a pair
    // around the place to restore: the CR is replaced by itself followed by the bytes.
    if (position > 0 && ReadByte(text, position - 1) == static_cast<unsigned char>(kCr) &&
        ReadByte(text, position) == static_cast<unsigned char>(kLf)) {
        text.SetSelection(position - 1, position);
        return text.ReplaceSelection(std::string(1, kCr).append(bytes));
    }
    text.SetSelection(position, position);
    return text.ReplaceSelection(bytes);
}

std::string_view OneByte(const char& byte) { return std::string_view(&byte, 1); }

// The selection and the length when an edit is recorded.
struct EditPlace {
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::int32_t length = 0;
};

EditPlace PlaceOf(TextAccess& text) {
    EditPlace at;
    at.length = text.TextLength();
    text.GetSelection(at.start, at.end);
    return at;
}

// ---- A record for each kind of edit; none where the edit will change nothing ----

UndoRecord TypedRunRecord(UndoKind kind, const EditPlace& at) {
    UndoRecord record;
    record.kind = kind;
    record.start = at.start;
    record.end = at.start;
    return record;
}

std::optional<UndoRecord> DeleteCharRecord(TextAccess& text, const EditPlace& at) {
    if (at.start >= at.length) return std::nullopt;
    UndoRecord record;
    record.kind = UndoKind::DeleteChar;
    record.start = at.start;
    record.end = at.start + 2;
    char pair[2] = {0, 0};
    text.ReadRange(at.start, at.start + 2, pair);
    record.value = static_cast<unsigned char>(pair[0]) | static_cast<unsigned char>(pair[1]) << 8;
    return record;
}

std::optional<UndoRecord> BackspaceCharRecord(TextAccess& text, const EditPlace& at) {
    if (at.start < 1) return std::nullopt;
    UndoRecord record;
    record.kind = UndoKind::BackspaceChar;
    record.start = at.start == 1 ? 0 : at.start - 2;
    record.end = at.end;
    char pair[2] = {0, 0};
    std::size_t got = text.ReadRange(record.start, at.start, pair);
    // The character Backspace removes goes into the second byte, the one before it (if any) into the
    // low byte.
    if (got == 1) std::swap(pair[0], pair[1]);
    record.value = static_cast<unsigned char>(pair[0]) | static_cast<unsigned char>(pair[1]) << 8;
    return record;
}

UndoRecord ReplaceRangeRecord(TextAccess& text, const EditPlace& at, std::int32_t count) {
    UndoRecord record;
    record.kind = UndoKind::ReplaceRange;
    record.start = at.start;
    record.end = at.start + count;
    if (at.end > at.start) record.text = ReadText(text, at.start, at.end);
    return record;
}

UndoRecord SnapshotRecord(TextAccess& text, const EditPlace& at) {
    UndoRecord record;
    record.kind = UndoKind::TextSnapshot;
    if (at.length > 0) {
        record.start = at.start;
        record.end = at.end;
        record.text.resize(static_cast<std::size_t>(at.length));
        record.text.resize(text.StreamTextOut(record.text.data(), record.text.size()));
        record.value = static_cast<std::uint32_t>(record.text.size());
    }
    record.codePage = text.ViewCodePage();
    return record;
}

UndoRecord OvertypeCharRecord(TextAccess& text, const EditPlace& at) {
    UndoRecord record;
    record.kind = UndoKind::OvertypeChar;
    record.start = at.start;
    record.end = at.start + 1;
    record.value = at.start < at.length ? ReadByte(text, at.start) : 0;
    record.lengthBefore = at.length;
    return record;
}

// ---- Taking back each kind; false when the control could not make the change ----

enum class TypedUndo { Failed, RunGoesOn, RunEnded };

// The newest character (or line break) of a typed run.
TypedUndo UndoTypedCharacter(TextAccess& text, UndoRecord& record) {
    const std::int32_t width = record.kind == UndoKind::TypeChar ? 1 : 2;
    if (record.end >= record.start) {
        text.SetSelection(record.end, record.end + width);
        if (!text.ClearSelection()) return TypedUndo::Failed;
        record.end -= width;
    }
    return record.end >= record.start ? TypedUndo::RunGoesOn : TypedUndo::RunEnded;
}

bool UndoDeleteChar(TextAccess& text, const UndoRecord& record) {
    const char low = static_cast<char>(record.value & 0xFF);
    const bool done = InsertAt(text, record.start,
                               (record.value & 0xFFFF) == kCrLfValue ? std::string_view("\r\n", 2) : OneByte(low));
    // The caret stands before the restored text, as after the Delete.
    if (done) text.SetSelection(record.start, record.start);
    return done;
}

bool UndoBackspaceChar(TextAccess& text, const UndoRecord& record) {
    // The caret ends after the restored text, as before the Backspace.
    if ((record.value & 0xFFFF) == kCrLfValue) return InsertAt(text, record.end - 2, std::string_view("\r\n", 2));
    const char removed = static_cast<char>((record.value >> 8) & 0xFF);
    return InsertAt(text, record.end - 1, OneByte(removed));
}

bool UndoReplaceRange(TextAccess& text, const UndoRecord& record) {
    if (record.start == record.end) return InsertAt(text, record.start, record.text);
    text.SetSelection(record.start, record.end);
    return text.ReplaceSelection(record.text);
}

bool UndoSnapshot(TextAccess& text, const UndoRecord& record) {
    if (!text.StreamTextIn(record.text)) return false;
    text.SetSelection(record.start, record.end);
    if (record.codePage != text.ViewCodePage()) text.ApplyViewCodePage(record.codePage);
    return true;
}

bool UndoOvertypeChar(TextAccess& text, const UndoRecord& record) {
    // The control puts a character typed in front of a line break (or at the end) beside it and
    // overwrites any other; the length tells which it did, so a NUL byte or a lone line-break
    // character that was overwritten comes back as well.
    const std::int32_t length = text.TextLength();
    text.SetSelection(record.start, record.start + 1);
    if (length > record.lengthBefore) return text.ReplaceSelection({});
    if (record.start < length) {
        const char overwritten = static_cast<char>(record.value & 0xFF);
        return text.ReplaceSelection(OneByte(overwritten));
    }
    return true;
}

}  // namespace

void UndoJournal::MakeRoomForOneMore() {
    // Grown here, geometrically, so that the push after an edit the recorder has already performed
    // cannot fail.
    if (records_.size() < records_.capacity()) return;
    records_.reserve(records_.empty() ? 16 : records_.capacity() * 2);
}

void UndoJournal::Push(UndoRecord&& record) {
    MakeRoomForOneMore();
    records_.push_back(std::move(record));
}

void UndoJournal::DeleteWord(TextAccess& text, std::int32_t first, std::int32_t afterLast) {
    // A word break that does not move (or moves the wrong way) leaves nothing to delete.
    if (afterLast <= first) return;
    UndoRecord record;
    record.kind = UndoKind::ReplaceRange;
    record.start = first;
    record.end = first;
    record.text = ReadText(text, first, afterLast);
    MakeRoomForOneMore();
    text.SetSelection(first, afterLast);
    if (!text.ClearSelection()) {
        text.ReportOutOfMemory();
        return;
    }
    records_.push_back(std::move(record));
}

void UndoJournal::Record(TextAccess& text, UndoKind kind, std::int32_t count) {
    const EditPlace at = PlaceOf(text);
    if (at.start != at.end && IsSingleCharacterKind(kind)) kind = UndoKind::ReplaceRange;
    try {
        std::optional<UndoRecord> record;
        switch (kind) {
        case UndoKind::TypeChar:
        case UndoKind::TypeBreak:
            if (ExtendTypedRun(kind, count, at.start)) return;
            record = TypedRunRecord(kind, at);
            break;
        case UndoKind::DeleteChar: record = DeleteCharRecord(text, at); break;
        case UndoKind::BackspaceChar: record = BackspaceCharRecord(text, at); break;
        case UndoKind::ReplaceRange: record = ReplaceRangeRecord(text, at, count); break;
        case UndoKind::DeleteWordRight:
            if (at.start < at.length) DeleteWord(text, at.start, text.WordBreakRight(at.start));
            return;
        case UndoKind::DeleteWordLeft:
            if (at.start >= 1) DeleteWord(text, text.WordBreakLeft(at.start), at.start);
            return;
        case UndoKind::TextSnapshot:
            // Consecutive whole-text rewrites are taken back together.
            if (!records_.empty() && records_.back().kind == UndoKind::TextSnapshot) return;
            record = SnapshotRecord(text, at);
            break;
        case UndoKind::OvertypeChar: record = OvertypeCharRecord(text, at); break;
        default: return;
        }
        if (record) Push(std::move(*record));
    } catch (const std::bad_alloc&) {
        text.ReportOutOfMemory();
    }
}

bool UndoJournal::ExtendTypedRun(UndoKind kind, std::int32_t count, std::int32_t caret) {
    if (records_.empty() || records_.back().kind != kind || records_.back().end + count != caret) return false;
    records_.back().end = caret;
    return true;
}

void UndoJournal::UndoLast(TextAccess& text) {
    if (records_.empty()) return;
    UndoRecord& record = records_.back();
    // An undo step the control cannot make leaves its record, to be tried again.
    bool done = true;
    switch (record.kind) {
    case UndoKind::TypeChar:
    case UndoKind::TypeBreak: {
        const TypedUndo step = UndoTypedCharacter(text, record);
        // A run stays until its first character has been taken back.
        if (step == TypedUndo::RunGoesOn) return;
        done = step == TypedUndo::RunEnded;
        break;
    }
    case UndoKind::DeleteChar: done = UndoDeleteChar(text, record); break;
    case UndoKind::BackspaceChar: done = UndoBackspaceChar(text, record); break;
    case UndoKind::ReplaceRange: done = UndoReplaceRange(text, record); break;
    case UndoKind::TextSnapshot: done = UndoSnapshot(text, record); break;
    case UndoKind::OvertypeChar: done = UndoOvertypeChar(text, record); break;
    default: break;
    }
    if (!done) {
        text.ReportOutOfMemory();
        return;
    }
    records_.pop_back();
}

void UndoJournal::Clear() { std::vector<UndoRecord>().swap(records_); }

UndoMark UndoJournal::Mark() const {
    return {records_.size(), records_.empty() ? 0 : records_.back().end};
}

void UndoJournal::ForgetSince(const UndoMark& mark) {
    while (records_.size() > mark.count) records_.pop_back();
    if (!records_.empty() && records_.size() == mark.count) records_.back().end = mark.newestEnd;
}

std::size_t UndoJournal::MemoryBytes() const {
    std::size_t bytes = records_.capacity() * sizeof(UndoRecord);
    for (const UndoRecord& record : records_) {
        const char* data = record.text.data();
        const char* object = reinterpret_cast<const char*>(&record.text);
        bool heldInside = data >= object && data < object + sizeof(record.text);
        if (!heldInside) bytes += record.text.capacity() + 1;
    }
    return bytes;
}

bool JournalOff = false;
bool JournalWasOff = false;

namespace {
TextAccess* installedText = nullptr;
}  // namespace

UndoJournal& DocumentUndoJournal() {
    static UndoJournal journal;
    return journal;
}

void InstallUndoTextAccess(TextAccess* text) { installedText = text; }

void RecordUndo(UndoKind kind, std::int32_t count) {
    if (JournalOff || !installedText) return;
    DocumentUndoJournal().Record(*installedText, kind, count);
}

void UndoLast() {
    if (!installedText) return;
    DocumentUndoJournal().UndoLast(*installedText);
}

void ClearUndo() { DocumentUndoJournal().Clear(); }

UndoMark MarkUndo() { return DocumentUndoJournal().Mark(); }

void ForgetUndoSince(const UndoMark& mark) { DocumentUndoJournal().ForgetSince(mark); }
