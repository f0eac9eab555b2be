// What each editing key does to the document, in every view: the one place of these rules. The
// window only says which key it was.
#include "control/view_characters.h"
#include "control/view_decoding.h"
#include "document/document.h"
#include "document/editor_keys.h"
#include "encoding/utf8_sequences.h"

namespace {

constexpr std::size_t kNone = TextModel::kNoPosition;

}  // namespace

void Document::TypeBytes(std::string_view bytes, UndoKind kind) {
    const std::size_t start = SelectionStart();
    const std::size_t end = EndKeptWhenTyping(start, SelectionEnd(), [this](std::size_t p) { return text_.At(p); });
    if (end != SelectionEnd()) editing_.Select(start, end);
    const EditingState::KeyEdit edit = editing_.TypingFor(overwrite_);
    Replace(edit.first, edit.last, bytes, kind, edit.kind);
}

void Document::TypeAnsi(std::uint8_t typed) {
    if (!IsPrintableTyped(typed)) return;
    if (IsUnicodeView(view_)) {
        TypeCharacter(ViewGlyph(0, typed));
        return;
    }
    const char byte = static_cast<char>(ViewByteOfTyped(typed, view_));
    TypeBytes(std::string_view(&byte, 1), overwrite_ ? UndoKind::OvertypeChar : UndoKind::TypeChar);
}

bool Document::TypeCharacter(char32_t character) {
    if (IsUnicodeView(view_)) {
        // Any character but the halves of a pair, which carry none alone, and the control characters.
        if (character != '\t' &&
            (character < 0x20 || character == 0x7F || character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)))
            return false;
        // Each character is a range of its own: the undo journal's typed runs go by bytes.
        TypeBytes(EncodeCharacter(text_.Form(), character), UndoKind::ReplaceRange);
        return true;
    }
    if (character > 0xFFFF) return false;
    const auto byte = ViewByteFor(0, static_cast<char16_t>(character));
    if (!byte || !IsPrintableTyped(*byte)) return false;
    TypeAnsi(*byte);
    return true;
}

void Document::TypeLineBreak() {
    // A UTF-16 break is the mode's break in units, two or four bytes, which the journal keeps as a range.
    Replace(SelectionStart(), SelectionEnd(), LineBreakOfText(text_),
            IsUtf16(text_.Form()) ? UndoKind::ReplaceRange : UndoKind::TypeBreak, EditKind::Typing);
}

void Document::DeleteForward() {
    if (SelectionEnd() - SelectionStart() > 2) {
        const std::size_t start = SelectionStart();
        const std::size_t lineStart = layout_.DisplayLineStart(layout_.DisplayLineFromPosition(start));
        const std::size_t end =
            EndKeptWhenDeleting(start, SelectionEnd(), lineStart, [this](std::size_t p) { return text_.At(p); });
        if (end != SelectionEnd()) editing_.Select(start, end);
    }
    const EditingState::KeyEdit edit = editing_.DeletionFor(EditingState::Deletion::CharacterAfter);
    if (edit.first == edit.last) return;
    // A character of the Unicode views may be several bytes: the journal keeps it as a range.
    const UndoKind kind = editing_.HasSelection() || IsUnicodeView(view_) ? UndoKind::ReplaceRange : UndoKind::DeleteChar;
    Replace(edit.first, edit.last, {}, kind, edit.kind);
}

void Document::DeleteBackward() {
    const EditingState::KeyEdit edit = editing_.DeletionFor(EditingState::Deletion::CharacterBefore);
    if (edit.first == edit.last) return;
    const UndoKind kind = editing_.HasSelection() || IsUnicodeView(view_) ? UndoKind::ReplaceRange : UndoKind::BackspaceChar;
    Replace(edit.first, edit.last, {}, kind, edit.kind);
}

void Document::DeleteWordForward() {
    // With the journal off the key is the control's own: the selection, or the word after the caret.
    if (journalOff_) {
        const EditingState::KeyEdit edit = editing_.DeletionFor(EditingState::Deletion::WordAfter);
        if (edit.first < edit.last) Replace(edit.first, edit.last, {}, UndoKind::NotRecorded);
        return;
    }
    const std::size_t first = SelectionStart();
    if (first >= Length()) return;
    const std::size_t last = editing_.WordBreak(first, WordMove::Right);
    if (last > first) Replace(first, last, {}, UndoKind::DeleteWordRight);
}

void Document::DeleteWordBackward() {
    if (journalOff_) {
        const EditingState::KeyEdit edit = editing_.DeletionFor(EditingState::Deletion::WordBefore);
        if (edit.first < edit.last) Replace(edit.first, edit.last, {}, UndoKind::NotRecorded);
        return;
    }
    const std::size_t last = SelectionStart();
    if (last < 1) return;
    const std::size_t first = editing_.WordBreak(last, WordMove::Left);
    if (first < last) Replace(first, last, {}, UndoKind::DeleteWordLeft);
}

void Document::DeleteLine() {
    const std::size_t line = layout_.DisplayLineFromPosition(SelectionStart());
    const std::size_t first = layout_.DisplayLineStart(line);
    if (first == kNone) return;
    std::size_t last = layout_.DisplayLineStart(line + 1);
    if (last == kNone) last = layout_.DisplayLineEnd(line);
    Select(first, last);
    Replace(first, last, {}, UndoKind::ReplaceRange);
}
