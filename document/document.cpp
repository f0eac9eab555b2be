#include "document/document.h"

#include "control/view_characters.h"

#include <algorithm>
#include <new>
#include <utility>

#include "control/text_search.h"

Document::Document() { text_.SetTextLimit(TextModel::kLargestLimit); }

// ---- Gateways --------------------------------------------------------------------------------

UndoRecord Document::PrepareRecord(UndoKind kind, std::size_t first, std::size_t last) {
    if (journalOff_ || kind == UndoKind::NotRecorded) {
        UndoRecord none;
        none.kind = UndoKind::NotRecorded;
        return none;
    }
    return journal_.Prepare({kind, first, last, SelectionStart(), SelectionEnd(), view_}, text_);
}

void Document::Changing(std::size_t first, std::size_t last) noexcept {
    for (DocumentWatcher* watcher : watchers_) watcher->OnTextChanging(first, last);
}

void Document::Changed(const TextChange& change, std::size_t caret) noexcept {
    editing_.Select(caret, caret);
    for (DocumentWatcher* watcher : watchers_) watcher->OnTextChanged(change);
}

std::size_t Document::Replace(std::size_t first, std::size_t last, std::string_view bytes, UndoKind kind, EditKind run,
                              bool controlUndo) {
    last = std::min(last, Length());
    first = std::min(first, last);
    const bool wasModified = Modified();
    // The record's memory is had before the text changes, so that a change never goes unrecorded.
    UndoRecord record = PrepareRecord(kind, first, last);
    Changing(first, last);
    const std::size_t inserted = text_.Replace(first, last, bytes, controlUndo, run);
    journal_.Commit(std::move(record), inserted);
    colours_.OnReplace(first, last - first, inserted);
    Changed({first, last - first, inserted, inserted < bytes.size()}, first + inserted);
    if (Modified() != wasModified) SetModified(true);
    return inserted;
}

std::size_t Document::ReplaceByPieces(std::size_t first, std::size_t last, const std::vector<std::string_view>& pieces,
                                      UndoKind kind) {
    last = std::min(last, Length());
    first = std::min(first, last);
    const bool wasModified = Modified();
    std::size_t offered = 0;
    for (std::string_view piece : pieces) offered += piece.size();
    UndoRecord record = PrepareRecord(kind, first, last);
    Changing(first, last);
    const std::size_t inserted = text_.ReplaceByPieces(first, last, pieces);
    journal_.Commit(std::move(record), inserted);
    colours_.OnReplace(first, last - first, inserted);
    Changed({first, last - first, inserted, inserted < offered}, first + inserted);
    if (Modified() != wasModified) SetModified(true);
    return inserted;
}

void Document::ReplaceWhole(TextBuilder& built, UndoKind kind) {
    const bool wasModified = Modified();
    UndoRecord record = PrepareRecord(kind, 0, Length());
    Changing(0, Length());
    text_.ReplaceWith(built);
    journal_.Commit(std::move(record), Length());
    colours_.Clear();
    editing_.ResetView();
    Changed({0, TextModel::kNoPosition, Length()}, 0);
    if (Modified() != wasModified) SetModified(true);
}

bool Document::MapBytes(std::size_t first, std::size_t last, const std::uint8_t* byteFor, UndoKind kind) {
    last = std::min(last, Length());
    first = std::min(first, last);
    const bool wasModified = Modified();
    UndoRecord record = PrepareRecord(kind, first, last);
    Changing(first, last);
    if (!text_.MapBytes(first, last, byteFor)) return false;
    journal_.Commit(std::move(record), last - first);
    // The bytes stay where they are, and so does the selection.
    const std::size_t anchor = editing_.Anchor(), caret = editing_.Caret();
    const bool atLineEnd = editing_.CaretAtLineEnd();
    Changed({first, last - first, last - first}, caret);
    editing_.Select(anchor, caret, atLineEnd);
    if (Modified() != wasModified) SetModified(true);
    return true;
}

void Document::TakeTextFrom(Document& other) noexcept {
    text_.TakeTextFrom(other.text_);
    std::swap(colours_, other.colours_);
    for (Document* changed : {&other, this}) {
        changed->editing_.ResetView();
        changed->Changed({0, TextModel::kNoPosition, changed->Length()}, 0);
    }
}

// ---- Undo ------------------------------------------------------------------------------------

bool Document::Undo() {
    if (!journalOff_) {
        if (journal_.Empty()) return false;
        const std::size_t before = journal_.RecordCount();
        const std::uint64_t version = ChangeCount();
        journal_.UndoLast(*this);
        return journal_.RecordCount() != before || ChangeCount() != version;
    }
    return UndoTextStep();
}

bool Document::UndoTextStep() {
    const std::size_t before = Length();
    Changing(0, Length());
    const TextModel::UndoResult result = text_.Undo();
    if (!result.done) return false;
    const std::size_t inserted = result.last - result.first;
    const std::size_t removed = before + inserted - Length();
    colours_.OnReplace(result.first, removed, inserted);
    Changed({result.first, removed, inserted}, result.last);
    editing_.Select(result.first, result.last);
    for (DocumentWatcher* watcher : watchers_) watcher->OnSelectionChanged();
    return true;
}

void Document::SetJournalOff(bool off) {
    if (off && !journalOff_) {
        journal_.Clear();
        journalWasOff_ = true;
    }
    journalOff_ = off;
}

bool Document::Restore(std::size_t first, std::size_t last, std::string_view bytes) {
    try {
        Replace(first, last, bytes, UndoKind::NotRecorded, EditKind::Other, false);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool Document::RestoreWhole(std::string_view bytes) {
    try {
        TextBuilder built;
        built.Expect(bytes.size());
        built.Append(bytes);
        built.Finish();
        ReplaceWhole(built, UndoKind::NotRecorded);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Document::ReportOutOfMemory() {
    if (reportOutOfMemory_) reportOutOfMemory_();
}

// ---- Selection, view, name -------------------------------------------------------------------

void Document::Select(std::size_t anchor, std::size_t caret, bool atLineEnd) {
    text_.CloseUndoRun();
    editing_.Select(anchor, caret, atLineEnd);
    SelectionMoved();
}

void Document::SelectionMoved() noexcept {
    for (DocumentWatcher* watcher : watchers_) watcher->OnSelectionChanged();
}

void Document::SetViewCodePage(std::uint8_t view) {
    if (view > kUtf16BeView) view = 0;
    // The line index follows the view's units (a failure throws with the view as it was).
    text_.SetForm(FormOfView(view));
    view_ = view;
    editing_.SetLetters(LettersOfView(view));
    // Positions inside a character of the Unicode views move to its start.
    const std::size_t anchor = editing_.Anchor(), caret = editing_.Caret();
    editing_.Select(anchor, caret, editing_.CaretAtLineEnd());
    for (DocumentWatcher* watcher : watchers_) watcher->OnViewChanged();
    if (editing_.Anchor() != anchor || editing_.Caret() != caret) SelectionMoved();
}

void Document::SetOverwrite(bool overwrite) {
    overwrite_ = overwrite;
    for (DocumentWatcher* watcher : watchers_) watcher->OnViewChanged();
}

void Document::SetName(std::string_view name, std::u16string_view path) {
    name_ = name;
    path_ = path;
    for (DocumentWatcher* watcher : watchers_) watcher->OnNameChanged();
}

void Document::SetModified(bool modified) {
    text_.SetModified(modified);
    for (DocumentWatcher* watcher : watchers_) watcher->OnModifiedChanged();
}

void Document::AddWatcher(DocumentWatcher* watcher) { watchers_.push_back(watcher); }

void Document::RemoveWatcher(DocumentWatcher* watcher) {
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}
