#pragma once
// The document's bytes as the editor control holds them: the one copy of the text. Positions are
// byte offsets; a line break is CR LF (two positions), or a lone CR, or a lone LF, each of them made
// of the text's code units: bytes, or in the UTF-16 forms two-byte units (CR LF is then four
// positions). The line index is kept up to date by every edit, so line questions cost a binary
// search, never a scan.
//
// Besides the text the model carries what the control's messages report about it: the modified
// flag, the text limit and the control's own single-level undo (the program's multi-level journal
// lives elsewhere and works through the control's messages).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "control/character_form.h"
#include "control/gap_buffer.h"
#include "control/position_list.h"
#include "encoding/line_ends.h"
#include "control/utf16_line_breaks.h"

// Told about every change of the text in terms of logical lines: the lines [firstLine,
// firstLine + oldCount) before the change are now the lines [firstLine, firstLine + newCount).
// The change has been made when it is told, so an observer must not fail.
class TextObserver {
public:
    virtual void OnLinesReplaced(std::size_t firstLine, std::size_t oldCount, std::size_t newCount) noexcept = 0;
    // The same change in bytes, told first: [first, first + removed) became inserted bytes; the
    // whole text when removed is kNoPosition.
    virtual void OnBytesReplaced(std::size_t first, std::size_t removed, std::size_t inserted) noexcept {
        (void)first, (void)removed, (void)inserted;
    }

protected:
    ~TextObserver() = default;
};

// A whole new text gathered aside while it streams in, with its line starts found on the way. The
// model takes it in one step that cannot fail, so the old text stays whole until the new one is
// complete, and a load never holds the new text twice.
class TextBuilder {
public:
    // The form whose line breaks the builder finds; set before the first byte comes.
    void SetForm(CharacterForm form) {
        form_ = form;
        utf16_ = Utf16LineStarts(form == CharacterForm::Utf16Be);
    }
    CharacterForm Form() const { return form_; }
    // The bytes expected in all: room for them is had at once, so that no growth copies the text.
    void Expect(std::size_t bytes) { bytes_.ReserveExactly(bytes); }
    // Room for at least count bytes at the end; Add(count) takes what was written there.
    char* Room(std::size_t count) { return bytes_.AppendRoom(count); }
    void Add(std::size_t count);
    void Append(std::string_view bytes);
    std::size_t Length() const { return bytes_.Size(); }
    // Bytes that fit at the end without growing.
    std::size_t Spare() const { return bytes_.Capacity() - bytes_.Size(); }
    // The bytes gathered so far, in one piece.
    std::string_view Bytes() const {
        auto [data, count] = bytes_.FirstRun();
        return std::string_view(data, count);
    }
    // Puts the line starts into their final form; the last step that can fail.
    void Finish();

private:
    friend class TextModel;
    static constexpr std::size_t kStartsPerChunk = 1 << 16;
    void AddStart(std::size_t position) {
        if (nextStart_ == chunkEnd_) NewStartChunk();
        *nextStart_++ = static_cast<std::uint32_t>(position);
    }
    void NewStartChunk();
    void AddCountedStart(std::size_t start);

    GapBuffer<char> bytes_;
    // Line starts after 0, in chunks while streaming: one growing array would be copied as it grows.
    // The last chunk is filled up to nextStart_.
    std::vector<std::unique_ptr<std::uint32_t[]>> startChunks_;
    std::uint32_t* nextStart_ = nullptr;
    std::uint32_t* chunkEnd_ = nullptr;
    bool pendingCr_ = false;  // the last byte so far is a CR whose line end depends on the next byte
    bool finished_ = false;
    CharacterForm form_ = CharacterForm::Bytes;
    Utf16LineStarts utf16_{false};
    PositionList lineStarts_;
    LineEndCensus lineEnds_;
};

// How an edit may merge with the one before it in the control's undo step: a run of typed
// characters, or of single deletions, is taken back as a whole, as users of edit controls expect.
enum class EditKind : std::uint8_t { Other, Typing, Deleting };

class TextModel {
public:
    static constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);
    // Positions travel in 32-bit signed message parameters.
    static constexpr std::size_t kLargestLimit = 0x7FFFFFFF;
    // The limit of a new control, as the system's rich-edit has it.
    static constexpr std::size_t kDefaultLimit = 32767;

    TextModel();
    TextModel(const TextModel&) = delete;
    TextModel& operator=(const TextModel&) = delete;

    std::size_t Length() const { return bytes_.Size(); }
    unsigned char At(std::size_t position) const { return static_cast<unsigned char>(bytes_[position]); }
    std::string Range(std::size_t first, std::size_t last) const;
    // Copies [first, last) to out (last - first bytes, no terminator).
    void CopyRange(std::size_t first, std::size_t last, char* out) const;
    std::string Text() const { return Range(0, Length()); }

    // Calls visit(const char* bytes, std::size_t count, std::size_t position) for the one or two
    // contiguous runs that make up [first, last), in order.
    template <typename Visit>
    void VisitRange(std::size_t first, std::size_t last, Visit&& visit) const;

    // Replaces [first, last) by bytes, cut so that the text stays within the limit, or above a
    // limit lowered under it no longer than it was (so moving text within it never loses any);
    // returns the number of bytes inserted. With canUndo the change becomes the control's undo
    // step (merged with the previous one by kind); without, the undo step is discarded, since its
    // positions would no longer be right. Any change sets the modified flag.
    std::size_t Replace(std::size_t first, std::size_t last, std::string_view bytes, bool canUndo,
                        EditKind kind = EditKind::Other);
    // The same as one Replace without undo by the pieces joined: a stream hands its text over in
    // blocks, and joining them first would cost another copy of a big text.
    std::size_t ReplaceByPieces(std::size_t first, std::size_t last, const std::vector<std::string_view>& pieces);
    std::size_t Insert(std::size_t position, std::string_view bytes, bool canUndo, EditKind kind = EditKind::Other) {
        return Replace(position, position, bytes, canUndo, kind);
    }
    void Erase(std::size_t first, std::size_t last, bool canUndo, EditKind kind = EditKind::Other) {
        Replace(first, last, {}, canUndo, kind);
    }

    // Gives back the memory held in reserve for growth; for the end of a load, when the next edits
    // are likely small.
    void Compact();

    // Every byte of [first, last) replaced by byteFor[byte], where it is: a change that cannot fail
    // and copies nothing. The table must keep CR and LF and make no other byte one of them, so the
    // lines stay where they are; false (and nothing changed) when it does not.
    bool MapBytes(std::size_t first, std::size_t last, const std::uint8_t* byteFor) noexcept;

    // The built text in place of the whole text, as one change without undo. The builder must be
    // finished; it keeps the old text, for the caller to let go of.
    void ReplaceWith(TextBuilder& built) noexcept;
    // Takes the other model's text and line index, leaving it the empty text: hands a text from one
    // control to another without copying it. The modified flags stay with their models.
    void TakeTextFrom(TextModel& other) noexcept;

    // How the bytes make code units and line breaks. A change of the unit rebuilds the line index,
    // a walk over the text (on failure it throws, changing nothing); the observers are told of a
    // whole new text, though no byte changed and neither the modified flag nor the undo step does.
    CharacterForm Form() const { return form_; }
    void SetForm(CharacterForm form);
    std::size_t UnitBytes() const { return ::UnitBytes(form_); }
    // The code unit at position (a byte, or a UTF-16 unit at an even position); kNoUnit past the
    // text's whole units and at an odd position of UTF-16.
    static constexpr std::uint32_t kNoUnit = 0xFFFFFFFF;
    std::uint32_t UnitAt(std::size_t position) const;
    // Whether a CR LF pair of the text's units starts at position.
    bool CrLfAt(std::size_t position) const {
        return UnitAt(position) == '\r' && UnitAt(position + UnitBytes()) == '\n';
    }

    // Lines. A position between the CR and the LF of a pair belongs to the line the pair ends.
    std::size_t LineCount() const { return lineStarts_.Count(); }
    std::size_t LineStart(std::size_t line) const { return lineStarts_.Value(line); }
    // The end of the line's text, before its break.
    std::size_t LineEnd(std::size_t line) const;
    // The start of the next line, after the break (the text length for the last line).
    std::size_t LineBreakEnd(std::size_t line) const {
        return line + 1 < LineCount() ? LineStart(line + 1) : Length();
    }
    std::size_t LineLength(std::size_t line) const { return LineEnd(line) - LineStart(line); }
    std::size_t LineFromPosition(std::size_t position) const;

    // The line breaks of the text by kind, counted anew by every change around what it changed; in
    // the UTF-16 forms of code units, whose CR and LF are two bytes each.
    const LineEndCensus& LineEnds() const { return lineEnds_; }
    // The document's line-end kind: that of its first line break, CR LF when it has none.
    LineEndKind DocumentLineEnd() const;

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    std::size_t TextLimit() const { return limit_; }
    // 0 restores the default; the text already held is never cut by a lower limit.
    void SetTextLimit(std::size_t limit);

    // The control's single undo step. Undoing puts the step's inverse in its place, so a second
    // undo redoes, as in the system's edit controls. The result is the range the undo put back.
    bool CanUndo() const { return undo_.valid; }
    struct UndoResult {
        bool done = false;
        std::size_t first = 0;
        std::size_t last = 0;
    };
    UndoResult Undo();
    void EmptyUndoBuffer() { undo_ = {}; }
    // Ends a typing or deleting run: the next edit of that kind starts a new undo step.
    void CloseUndoRun() { undo_.kind = EditKind::Other; }

    // Changes with every edit, for caches that depend on the text.
    std::uint64_t Version() const { return version_; }

    // Watching changes nothing of the text: a const text can be watched.
    void AddObserver(TextObserver* observer) const;
    void RemoveObserver(TextObserver* observer) const;

    std::size_t MemoryBytes() const { return bytes_.Capacity() + lineStarts_.MemoryBytes(); }

private:
    std::size_t ReplaceBytes(std::size_t first, std::size_t last, const std::string_view* pieces, std::size_t count);
    std::size_t ReplaceUnits(std::size_t first, std::size_t last, const std::string_view* pieces, std::size_t count);
    // The line starts of the text with [first, last) replaced by the pieces, found from `from` (an
    // even position of the text before the change, at most first) up to `upTo` of the new text.
    std::vector<std::uint32_t> Utf16StartsAfterEdit(std::size_t from, std::size_t first, std::size_t last,
                                                    const std::string_view* pieces, std::size_t count,
                                                    std::size_t upTo) const;
    void NotifyWhole(std::size_t oldLineCount) noexcept;
    void ChangedWhole(std::size_t oldLineCount) noexcept;
    bool IsLineStart(std::size_t position) const;
    // The CRs and LFs of [first, last) and the CR LF pairs whose CR is there.
    LineEndCensus CountLineEndsIn(std::size_t first, std::size_t last) const;
    // The same in the UTF-16 forms, of the whole units from first (even) on.
    LineEndCensus CountUnitLineEndsIn(std::size_t first, std::size_t last) const;

    struct UndoStep {
        bool valid = false;
        EditKind kind = EditKind::Other;
        std::size_t position = 0;
        std::size_t insertedLength = 0;
        std::string removed;
    };

    GapBuffer<char> bytes_;
    PositionList lineStarts_;
    LineEndCensus lineEnds_;
    CharacterForm form_ = CharacterForm::Bytes;
    bool modified_ = false;
    std::size_t limit_ = kDefaultLimit;
    UndoStep undo_;
    std::uint64_t version_ = 0;
    mutable std::vector<TextObserver*> observers_;
};

template <typename Visit>
void TextModel::VisitRange(std::size_t first, std::size_t last, Visit&& visit) const {
    if (first >= last) return;
    auto [before, beforeCount] = bytes_.FirstRun();
    if (first < beforeCount) {
        std::size_t end = last < beforeCount ? last : beforeCount;
        visit(before + first, end - first, first);
        first = end;
    }
    if (first < last) {
        auto [after, afterCount] = bytes_.SecondRun();
        (void)afterCount;
        visit(after + (first - beforeCount), last - first, first);
    }
}
