#pragma once
// The program's own multi-level undo, kept by the document beside its text. The journal never
// guesses what an edit will do: the document's gateways tell it, before the change, the range an
// edit replaces (so the bytes it removes are copied while they are still there) and, after the
// change, how many bytes went in. UndoLast takes back the newest entry (for a run of typed
// characters or line breaks, only its last one). No redo, no depth limit but memory.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/text_model.h"

// The numbers are the values records store.
enum class UndoKind : std::uint8_t {
    TypeChar = 0,         // a typed character; consecutive ones form a run
    TypeBreak = 1,        // Enter, a line break; consecutive ones form a run
    DeleteChar = 2,       // Delete on an empty selection
    BackspaceChar = 3,    // Backspace on an empty selection
    ReplaceRange = 4,     // the selection (or any range) replaced
    DeleteWordRight = 5,  // Ctrl+Delete; stored as ReplaceRange
    TextSnapshot = 6,     // a whole-text rewrite: the whole text is kept once for a row of them
    DeleteWordLeft = 7,   // Ctrl+Backspace; stored as ReplaceRange
    OvertypeChar = 8,     // a character typed in overwrite mode
    // Not a record: an edit the journal keeps nothing of (an undo step itself, a load).
    NotRecorded = 0xFF,
};

struct UndoRecord {
    UndoKind kind = UndoKind::TypeChar;
    // A typed run: the positions of its first and its newest character or line break. Any other
    // record: the place of the edit and the end of what it put in, the range Undo replaces.
    std::int32_t start = 0;
    std::int32_t end = 0;
    // A typed run: the width of each of its characters or line breaks.
    std::int32_t width = 0;
    // The bytes the edit removed, put back by Undo; a snapshot's whole text.
    std::string text;
    // TextSnapshot: the selection and the view code page to go back to.
    std::int32_t selectionStart = 0;
    std::int32_t selectionEnd = 0;
    std::uint8_t codePage = 0;
};

// Where the journal stood before an edit was recorded, so that the record can be taken out again
// when the edit itself could not be made.
struct UndoMark {
    std::size_t count = 0;
    std::int32_t newestEnd = 0;
};

// What Undo changes: the document.
class UndoTarget {
public:
    // [first, last) replaced by bytes; false when memory ran out and nothing changed. The caret
    // ends after the bytes.
    virtual bool Restore(std::size_t first, std::size_t last, std::string_view bytes) = 0;
    virtual bool RestoreWhole(std::string_view bytes) = 0;
    virtual void SelectRange(std::size_t anchor, std::size_t caret) = 0;
    virtual std::uint8_t ViewCodePage() const = 0;
    virtual void ApplyViewCodePage(std::uint8_t codePage) = 0;
    virtual void ReportOutOfMemory() = 0;

protected:
    ~UndoTarget() = default;
};

// An edit a gateway is about to make, as the document knows it before the change.
struct UndoEdit {
    UndoKind kind = UndoKind::ReplaceRange;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t selectionStart = 0;  // the selection before the edit
    std::size_t selectionEnd = 0;
    std::uint8_t codePage = 0;
};

class UndoJournal {
public:
    // The record for an edit about to be made: the bytes it removes (a snapshot: the whole text)
    // copied and room for one more record had now, so that Commit cannot fail. Throws
    // std::bad_alloc when the memory cannot be had; nothing is recorded then. Gives a record of
    // kind NotRecorded when the edit needs none (a snapshot after a snapshot).
    UndoRecord Prepare(const UndoEdit& edit, const TextModel& text);
    // The prepared record joins the journal once its edit is made: inserted bytes went in. A typed
    // character that continues the newest run only moves the run's end.
    void Commit(UndoRecord&& record, std::size_t inserted) noexcept;

    // Takes back the newest entry; nothing when the journal is empty. An undo step the target
    // cannot make leaves its record, to be tried again, and is reported.
    void UndoLast(UndoTarget& target);
    void Clear();

    UndoMark Mark() const;
    // Takes out what was recorded since the mark (a new record, or the growth of a typed run).
    void ForgetSince(const UndoMark& mark);

    bool Empty() const { return records_.empty(); }
    const UndoRecord* Newest() const { return records_.empty() ? nullptr : &records_.back(); }
    std::size_t RecordCount() const { return records_.size(); }
    // Heap bytes held: the record slots plus the saved texts.
    std::size_t MemoryBytes() const;

    // The kinds of a key that takes one character at the caret: over a selection the key takes the
    // selection, and the record is a ReplaceRange.
    static bool TakesOneCharacter(UndoKind kind);

private:
    void MakeRoomForOneMore();
    // Grows the newest record when it is a run of `kind` that a character of `width` typed at
    // `caret` continues.
    bool ExtendTypedRun(UndoKind kind, std::int32_t width, std::int32_t caret);

    std::vector<UndoRecord> records_;  // oldest first; the newest is at the back
};
