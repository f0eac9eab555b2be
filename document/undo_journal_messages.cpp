// The journal for the paths of the program that record just before they send the control a message
// (and the process-wide journal they share): the record is made from what the control holds now
// and what the kind says the edit will do.
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "document/undo_journal.h"

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

std::string ReadText(TextAccess& text, std::int32_t first, std::int32_t afterLast) {
    std::string bytes(static_cast<std::size_t>(afterLast - first), '\0');
    bytes.resize(text.ReadRange(first, afterLast, bytes.data()));
    return bytes;
}

int ReadByte(TextAccess& text, std::int32_t position) {
    char byte = 0;
    if (position < 0 || text.ReadRange(position, position + 1, &byte) != 1) return -1;
    return static_cast<unsigned char>(byte);
}

// Undo through the control's messages.
class MessageTarget final : public UndoTarget {
public:
    explicit MessageTarget(TextAccess& text) : text_(text) {}

    bool Restore(std::size_t first, std::size_t last, std::string_view bytes) override {
        const auto from = static_cast<std::int32_t>(first), to = static_cast<std::int32_t>(last);
        // The control puts no caret between the CR and the LF of a pair, and a deletion can make a
        // pair around the place to restore: the CR is replaced by itself followed by the bytes.
        if (from == to && from > 0 && ReadByte(text_, from - 1) == kCr && ReadByte(text_, from) == kLf) {
            text_.SetSelection(from - 1, from);
            return text_.ReplaceSelection(std::string(1, kCr).append(bytes));
        }
        text_.SetSelection(from, to);
        return bytes.empty() ? text_.ClearSelection() : text_.ReplaceSelection(bytes);
    }
    bool RestoreWhole(std::string_view bytes) override { return text_.StreamTextIn(bytes); }
    void SelectRange(std::size_t anchor, std::size_t caret) override {
        text_.SetSelection(static_cast<std::int32_t>(anchor), static_cast<std::int32_t>(caret));
    }
    std::uint8_t ViewCodePage() const override { return text_.ViewCodePage(); }
    void ApplyViewCodePage(std::uint8_t codePage) override { text_.ApplyViewCodePage(codePage); }
    void ReportOutOfMemory() override { text_.ReportOutOfMemory(); }

private:
    TextAccess& text_;
};

struct EditPlace {
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::int32_t length = 0;
};

UndoRecord RangeRecord(UndoKind kind, std::int32_t start, std::string removed, std::int32_t inserted) {
    UndoRecord record;
    record.kind = kind;
    record.start = start;
    record.end = start + inserted;
    record.text = std::move(removed);
    return record;
}

// What Delete (after) or Backspace (before) will take: a CR LF pair whole, else one byte.
std::optional<UndoRecord> SingleDeletion(TextAccess& text, const EditPlace& at, bool after) {
    if (after ? at.start >= at.length : at.start < 1) return std::nullopt;
    const std::int32_t pairStart = after ? at.start : at.start - 2;
    const bool pair = ReadByte(text, pairStart) == kCr && ReadByte(text, pairStart + 1) == kLf;
    const std::int32_t first = after ? at.start : at.start - (pair ? 2 : 1);
    return RangeRecord(after ? UndoKind::DeleteChar : UndoKind::BackspaceChar, first,
                       ReadText(text, first, first + (pair ? 2 : 1)), 0);
}

UndoRecord SnapshotRecord(TextAccess& text, const EditPlace& at) {
    UndoRecord record;
    record.kind = UndoKind::TextSnapshot;
    if (at.length > 0) {
        record.selectionStart = at.start;
        record.selectionEnd = at.end;
        record.text.resize(static_cast<std::size_t>(at.length));
        record.text.resize(text.StreamTextOut(record.text.data(), record.text.size()));
    }
    record.codePage = text.ViewCodePage();
    return record;
}

// The control puts a character typed in front of a line break (or at the end) beside it and
// overwrites any other.
UndoRecord OvertypeRecord(TextAccess& text, const EditPlace& at) {
    const int under = at.start < at.length ? ReadByte(text, at.start) : -1;
    const bool overwrites = under >= 0 && under != kCr && under != kLf;
    return RangeRecord(UndoKind::OvertypeChar, at.start, overwrites ? std::string(1, static_cast<char>(under)) : "", 1);
}

}  // namespace

void UndoJournal::DeleteWord(TextAccess& text, std::int32_t first, std::int32_t afterLast) {
    // A word break that does not move (or moves the wrong way) leaves nothing to delete.
    if (afterLast <= first) return;
    UndoRecord record = RangeRecord(UndoKind::ReplaceRange, first, ReadText(text, first, afterLast), 0);
    MakeRoomForOneMore();
    text.SetSelection(first, afterLast);
    if (!text.ClearSelection()) {
        text.ReportOutOfMemory();
        return;
    }
    records_.push_back(std::move(record));
}

void UndoJournal::Record(TextAccess& text, UndoKind kind, std::int32_t count) {
    EditPlace at;
    at.length = text.TextLength();
    text.GetSelection(at.start, at.end);
    if (at.start != at.end && TakesOneCharacter(kind)) kind = UndoKind::ReplaceRange;
    try {
        std::optional<UndoRecord> record;
        switch (kind) {
        case UndoKind::TypeChar:
        case UndoKind::TypeBreak:
            if (ExtendTypedRun(kind, count, at.start)) return;
            record = RangeRecord(kind, at.start, {}, 0);
            record->width = count;
            break;
        case UndoKind::DeleteChar: record = SingleDeletion(text, at, true); break;
        case UndoKind::BackspaceChar: record = SingleDeletion(text, at, false); break;
        case UndoKind::ReplaceRange:
            record = RangeRecord(kind, at.start, at.end > at.start ? ReadText(text, at.start, at.end) : "", count);
            break;
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
        case UndoKind::OvertypeChar: record = OvertypeRecord(text, at); break;
        default: return;
        }
        if (record) Push(std::move(*record));
    } catch (const std::bad_alloc&) {
        text.ReportOutOfMemory();
    }
}

void UndoJournal::UndoLast(TextAccess& text) {
    MessageTarget target(text);
    UndoLast(static_cast<UndoTarget&>(target));
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
