#pragma once
// The program's own multi-level undo, kept beside the editor control. Every path that changes the
// text calls RecordUndo just before the change, naming the kind of edit; UndoLast takes back the
// newest entry (for a run of typed characters or line breaks, only its last one). No redo, no depth
// limit but memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/text_access.h"

// The numbers are the values callers pass and records store.
enum class UndoKind : std::uint8_t {
    TypeChar = 0,         // a typed character (count 1); consecutive ones form a run
    TypeBreak = 1,        // Enter, the two characters CR LF (count 2); consecutive ones form a run
    DeleteChar = 2,       // Delete on an empty selection (count 0)
    BackspaceChar = 3,    // Backspace on an empty selection (count 0)
    ReplaceRange = 4,     // the selection replaced by count characters
    DeleteWordRight = 5,  // Ctrl+Delete: the recorder deletes the word; stored as ReplaceRange
    TextSnapshot = 6,     // a whole-text rewrite follows (count 0)
    DeleteWordLeft = 7,   // Ctrl+Backspace: the recorder deletes the word; stored as ReplaceRange
    OvertypeChar = 8,     // a character typed in overwrite mode (count 1)
};

struct UndoRecord {
    // DeleteChar, BackspaceChar: the characters read next to the caret, the first one in the low byte
    // (Backspace: the one it removes in the second byte). OvertypeChar: the byte under the caret
    // (0 at the end of the text). TextSnapshot: the byte count of the saved text.
    std::uint32_t value = 0;
    // The record's range, in the control's (first, after-last) order: a run's first and newest
    // position, the range to select on Undo, or the selection a snapshot restores.
    std::int32_t start = 0;
    std::int32_t end = 0;
    // The saved selection, word or whole text; empty when there is none.
    std::string text;
    // OvertypeChar: the text length before the character was typed, which tells on Undo whether the
    // control put it in front of the character under the caret or in its place.
    std::int32_t lengthBefore = 0;
    std::uint8_t codePage = 0;  // TextSnapshot: CodePageIndex when it was taken
    UndoKind kind = UndoKind::TypeChar;
};

// Where the journal stood before an edit was recorded, so that the record can be taken out again
// when the edit itself could not be made.
struct UndoMark {
    std::size_t count = 0;
    std::int32_t newestEnd = 0;
};

class UndoJournal {
public:
    // Records the edit the caller is about to make, reading the selection, the length and the
    // characters about to be destroyed; performs the word deletions itself. When memory for the
    // record cannot be had, reports it and records nothing (a word deletion then does not happen).
    void Record(TextAccess& text, UndoKind kind, std::int32_t count);
    // Takes back the newest entry; nothing when the journal is empty.
    void UndoLast(TextAccess& text);
    void Clear();

    UndoMark Mark() const;
    // Takes out what was recorded since the mark (a new record, or the growth of a typed run).
    void ForgetSince(const UndoMark& mark);

    bool Empty() const { return records_.empty(); }
    const UndoRecord* Newest() const { return records_.empty() ? nullptr : &records_.back(); }
    std::size_t RecordCount() const { return records_.size(); }
    // Heap bytes held: the record slots plus the saved texts.
    std::size_t MemoryBytes() const;

private:
    void MakeRoomForOneMore();
    void Push(UndoRecord&& record);
    void DeleteWord(TextAccess& text, std::int32_t first, std::int32_t afterLast);
    // Grows the newest record when it is a run of `kind` that the character typed at `caret` continues.
    bool ExtendTypedRun(UndoKind kind, std::int32_t count, std::int32_t caret);

    std::vector<UndoRecord> records_;  // oldest first; the newest is at the back
};

// The process-wide journal of the document in the editor control.
// JournalOff: the setting "NO"; while it is set nothing is recorded and Undo is the control's own.
// JournalWasOff: the journal was off at start or has been switched off since.
extern bool JournalOff;
extern bool JournalWasOff;

UndoJournal& DocumentUndoJournal();
// The control the process-wide operations act on; nullptr: none (they do nothing).
void InstallUndoTextAccess(TextAccess* text);

void RecordUndo(UndoKind kind, std::int32_t count);
void UndoLast();
void ClearUndo();
UndoMark MarkUndo();
void ForgetUndoSince(const UndoMark& mark);
