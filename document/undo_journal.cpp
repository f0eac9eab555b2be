#include "document/undo_journal.h"

#include <new>
#include <utility>

namespace {

bool IsTypedRun(UndoKind kind) { return kind == UndoKind::TypeChar || kind == UndoKind::TypeBreak; }

std::int32_t Position(std::size_t position) { return static_cast<std::int32_t>(position); }

}  // namespace

bool UndoJournal::TakesOneCharacter(UndoKind kind) {
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

// ---- Observed edits ----------------------------------------------------------------------------

UndoRecord UndoJournal::Prepare(const UndoEdit& edit, const TextModel& text) {
    UndoRecord record;
    record.kind = edit.kind;
    // A key that would take one character takes the selection when there is one.
    if (edit.selectionStart != edit.selectionEnd && TakesOneCharacter(edit.kind)) record.kind = UndoKind::ReplaceRange;
    if (record.kind == UndoKind::DeleteWordLeft || record.kind == UndoKind::DeleteWordRight)
        record.kind = UndoKind::ReplaceRange;
    record.start = record.end = Position(edit.first);
    switch (record.kind) {
    case UndoKind::NotRecorded: return record;
    case UndoKind::TextSnapshot:
        // Consecutive whole-text rewrites are taken back together.
        if (!records_.empty() && records_.back().kind == UndoKind::TextSnapshot) {
            record.kind = UndoKind::NotRecorded;
            return record;
        }
        GrowthBudget::Charge(text.Length());
        record.text = text.Text();
        record.start = record.end = 0;
        if (!record.text.empty()) {
            record.selectionStart = Position(edit.selectionStart);
            record.selectionEnd = Position(edit.selectionEnd);
        }
        record.codePage = edit.codePage;
        break;
    case UndoKind::TypeChar:
    case UndoKind::TypeBreak:
        // A typed run removes nothing: the character goes in at the caret.
        break;
    default:
        GrowthBudget::Charge(edit.last - edit.first);
        record.text = text.Range(edit.first, edit.last);
        break;
    }
    MakeRoomForOneMore();
    return record;
}

void UndoJournal::Commit(UndoRecord&& record, std::size_t inserted) noexcept {
    switch (record.kind) {
    case UndoKind::NotRecorded: return;
    case UndoKind::TypeChar:
    case UndoKind::TypeBreak:
        if (inserted == 0) return;
        if (ExtendTypedRun(record.kind, static_cast<std::int32_t>(inserted), record.start)) return;
        record.width = static_cast<std::int32_t>(inserted);
        break;
    case UndoKind::TextSnapshot: break;
    default:
        // An edit that changed nothing leaves nothing to take back.
        if (inserted == 0 && record.text.empty()) return;
        record.end = record.start + static_cast<std::int32_t>(inserted);
        break;
    }
    // The room was had by Prepare.
    records_.push_back(std::move(record));
}

bool UndoJournal::ExtendTypedRun(UndoKind kind, std::int32_t width, std::int32_t caret) {
    if (records_.empty()) return false;
    UndoRecord& newest = records_.back();
    if (newest.kind != kind || newest.width != width || newest.end + width != caret) return false;
    newest.end = caret;
    return true;
}

// ---- Taking back -------------------------------------------------------------------------------

void UndoJournal::UndoLast(UndoTarget& target) {
    if (records_.empty()) return;
    UndoRecord& record = records_.back();
    bool done = true;
    if (IsTypedRun(record.kind)) {
        // The newest character (or line break) of the run; the run stays until its first is gone.
        const auto at = static_cast<std::size_t>(record.end);
        if (record.end >= record.start) {
            done = target.Restore(at, at + static_cast<std::size_t>(record.width), {});
            if (done) record.end -= record.width;
        }
        if (done && record.end >= record.start) return;
    } else if (record.kind == UndoKind::TextSnapshot) {
        done = target.RestoreWhole(record.text);
        if (done) {
            target.SelectRange(static_cast<std::size_t>(record.selectionStart), static_cast<std::size_t>(record.selectionEnd));
            if (record.codePage != target.ViewCodePage()) target.ApplyViewCodePage(record.codePage);
        }
    } else {
        const auto start = static_cast<std::size_t>(record.start);
        done = target.Restore(start, static_cast<std::size_t>(record.end), record.text);
        // After Delete the caret stood before the character it took; after every other edit the
        // caret goes behind the restored text.
        if (done && record.kind == UndoKind::DeleteChar) target.SelectRange(start, start);
    }
    if (!done) {
        target.ReportOutOfMemory();
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

void UndoJournal::MakeRoomForOneMore() {
    // Grown here, geometrically, so that the push after an edit has been made cannot fail.
    if (records_.size() < records_.capacity()) return;
    const std::size_t wanted = records_.empty() ? 16 : records_.capacity() * 2;
    GrowthBudget::Charge((wanted - records_.capacity()) * sizeof(UndoRecord));
    records_.reserve(wanted);
}
