#include "document/undo_journal.h"

#include <new>
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
    const std::int32_t length = text.TextLength();
    std::int32_t s0 = 0, s1 = 0;
    text.GetSelection(s0, s1);
    if (s0 != s1 && IsSingleCharacterKind(kind)) kind = UndoKind::ReplaceRange;

    try {
        UndoRecord record;
        record.kind = kind;
        switch (kind) {
        case UndoKind::TypeChar:
        case UndoKind::TypeBreak:
            if (!records_.empty() && records_.back().kind == kind && records_.back().end + count == s0) {
                records_.back().end = s0;
                return;
            }
            record.start = s0;
            record.end = s0;
            break;

        case UndoKind::DeleteChar: {
            if (s0 >= length) return;
            record.start = s0;
            record.end = s0 + 2;
            char pair[2] = {0, 0};
            text.ReadRange(s0, s0 + 2, pair);
            record.value = static_cast<unsigned char>(pair[0]) | static_cast<unsigned char>(pair[1]) << 8;
            break;
        }

        case UndoKind::BackspaceChar: {
            if (s0 < 1) return;
            record.start = s0 == 1 ? 0 : s0 - 2;
            record.end = s1;
            char pair[2] = {0, 0};
            std::size_t got = text.ReadRange(record.start, s0, pair);
            // The character Backspace removes goes into the second byte, the one before it (if any)
            // into the low byte.
            if (got == 1) std::swap(pair[0], pair[1]);
            record.value = static_cast<unsigned char>(pair[0]) | static_cast<unsigned char>(pair[1]) << 8;
            break;
        }

        case UndoKind::ReplaceRange:
            record.start = s0;
            record.end = s0 + count;
            if (s1 > s0) record.text = ReadText(text, s0, s1);
            break;

        case UndoKind::DeleteWordRight:
            if (s0 >= length) return;
            DeleteWord(text, s0, text.WordBreakRight(s0));
            return;

        case UndoKind::DeleteWordLeft:
            if (s0 < 1) return;
            DeleteWord(text, text.WordBreakLeft(s0), s0);
            return;

        case UndoKind::TextSnapshot:
            // Consecutive whole-text rewrites are taken back together.
            if (!records_.empty() && records_.back().kind == UndoKind::TextSnapshot) return;
            if (length > 0) {
                record.start = s0;
                record.end = s1;
                record.text.resize(static_cast<std::size_t>(length));
                record.text.resize(text.StreamTextOut(record.text.data(), record.text.size()));
                record.value = static_cast<std::uint32_t>(record.text.size());
            }
            record.codePage = text.ViewCodePage();
            break;

        case UndoKind::OvertypeChar:
            record.start = s0;
            record.end = s0 + 1;
            record.value = s0 < length ? ReadByte(text, s0) : 0;
            record.lengthBefore = length;
            break;

        default:
            return;
        }
        Push(std::move(record));
    } catch (const std::bad_alloc&) {
        text.ReportOutOfMemory();
    }
}

void UndoJournal::UndoLast(TextAccess& text) {
    if (records_.empty()) return;
    UndoRecord& record = records_.back();
    // An undo step the control cannot make leaves its record, to be tried again.
    bool done = true;
    switch (record.kind) {
    case UndoKind::TypeChar:
    case UndoKind::TypeBreak: {
        const std::int32_t width = record.kind == UndoKind::TypeChar ? 1 : 2;
        if (record.end >= record.start) {
            text.SetSelection(record.end, record.end + width);
            if (!text.ClearSelection()) {
                done = false;
                break;
            }
            record.end -= width;
        }
        // A run stays until its first character has been taken back.
        if (record.end >= record.start) return;
        break;
    }

    case UndoKind::DeleteChar: {
        const char low = static_cast<char>(record.value & 0xFF);
        done = InsertAt(text, record.start,
                        (record.value & 0xFFFF) == kCrLfValue ? std::string_view("\r\n", 2) : OneByte(low));
        // The caret stands before the restored text, as after the Delete.
        if (done) text.SetSelection(record.start, record.start);
        break;
    }

    case UndoKind::BackspaceChar: {
        // The caret ends after the restored text, as before the Backspace.
        if ((record.value & 0xFFFF) == kCrLfValue) {
            done = InsertAt(text, record.end - 2, std::string_view("\r\n", 2));
        } else {
            const char removed = static_cast<char>((record.value >> 8) & 0xFF);
            done = InsertAt(text, record.end - 1, OneByte(removed));
        }
        break;
    }

    case UndoKind::ReplaceRange:
        if (record.start == record.end) {
            done = InsertAt(text, record.start, record.text);
            break;
        }
        text.SetSelection(record.start, record.end);
        done = text.ReplaceSelection(record.text);
        break;

    case UndoKind::TextSnapshot:
        done = text.StreamTextIn(record.text);
        if (!done) break;
        text.SetSelection(record.start, record.end);
        if (record.codePage != text.ViewCodePage()) text.ApplyViewCodePage(record.codePage);
        break;

    case UndoKind::OvertypeChar: {
        // The control puts a character typed in front of a line break (or at the end) beside it and
        // overwrites any other; the length tells which it did, so a NUL byte or a lone line-break
        // character that was overwritten comes back as well.
        const std::int32_t length = text.TextLength();
        text.SetSelection(record.start, record.start + 1);
        if (length > record.lengthBefore) {
            done = text.ReplaceSelection({});
        } else if (record.start < length) {
            const char overwritten = static_cast<char>(record.value & 0xFF);
            done = text.ReplaceSelection(OneByte(overwritten));
        }
        break;
    }

    default:
        break;
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
