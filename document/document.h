#pragma once
// The document: one text and everything that belongs to it (the selection and the rules that move
// it, the view code page, overwrite mode, the name, the modified flag, the colour runs, the undo
// journal). Its text changes only through the gateways below, each naming the kind of edit; a
// gateway records undo from what it is about to change, makes the change all or nothing, and tells
// the watchers what changed. Views draw the document and turn input into its calls; the shell
// watches it for the title, the status bar and the menu marks. A new rule of what a key does goes
// into the key calls here (or into control/editing_state when it is about the caret and the
// selection), never into a window.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/colour_runs.h"
#include "control/editing_state.h"
#include "control/text_layout.h"
#include "control/text_model.h"
#include "document/undo_journal.h"

// A change of the text: [first, first + removed) became `inserted` bytes; removed is
// TextModel::kNoPosition when the whole text was replaced. `cut`: the text limit kept some of the
// bytes out.
struct TextChange {
    std::size_t first = 0;
    std::size_t removed = 0;
    std::size_t inserted = 0;
    bool cut = false;
};

// Told of every change of the document once it is made; a watcher must not fail.
class DocumentWatcher {
public:
    // [first, last) is about to be replaced; the view can still find where it shows it.
    virtual void OnTextChanging(std::size_t first, std::size_t last) noexcept { (void)first, (void)last; }
    // The text changed; the selection has been put after the change.
    virtual void OnTextChanged(const TextChange& change) noexcept { (void)change; }
    // The selection moved without the text changing.
    virtual void OnSelectionChanged() noexcept {}
    // The view code page or overwrite mode changed.
    virtual void OnViewChanged() noexcept {}
    // The name changed, or the modified flag.
    virtual void OnNameChanged() noexcept {}
    virtual void OnModifiedChanged() noexcept {}

protected:
    ~DocumentWatcher() = default;
};

class Document : private UndoTarget {
public:
    static constexpr std::uint8_t kUtf8View = 3;

    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // ---- What it holds, for reading (and for a view's layout and scrolling) ---------------------
    const TextModel& Text() const { return text_; }
    TextLayout& Layout() { return layout_; }
    EditingState& Editing() { return editing_; }
    const EditingState& Editing() const { return editing_; }
    ColourRuns& Colours() { return colours_; }
    const UndoJournal& Journal() const { return journal_; }
    std::size_t Length() const { return text_.Length(); }
    std::size_t SelectionStart() const { return editing_.SelectionStart(); }
    std::size_t SelectionEnd() const { return editing_.SelectionEnd(); }
    // Changes with every change of the text: whoever keeps something made from the text (a
    // recovery copy, a cache) compares it.
    std::uint64_t ChangeCount() const { return text_.Version(); }

    // ---- Gateways: every change of the text ----------------------------------------------------
    // [first, last) replaced by bytes (cut to the text limit), recorded as `kind`; the caret goes
    // behind the inserted bytes. `run` joins the control's own single undo step with the one
    // before, as typing and deleting do; without controlUndo that step is discarded. Returns the
    // number of bytes inserted. Throws std::bad_alloc when memory for the change or its record
    // ran out: then nothing changed, neither text nor journal.
    std::size_t Replace(std::size_t first, std::size_t last, std::string_view bytes, UndoKind kind,
                        EditKind run = EditKind::Other, bool controlUndo = true);
    std::size_t Insert(std::size_t position, std::string_view bytes, UndoKind kind) {
        return Replace(position, position, bytes, kind);
    }
    void Delete(std::size_t first, std::size_t last, UndoKind kind) { Replace(first, last, {}, kind); }
    std::size_t ReplaceSelection(std::string_view bytes, UndoKind kind) {
        return Replace(SelectionStart(), SelectionEnd(), bytes, kind);
    }
    // The same by pieces (a stream's blocks), without the control's undo step.
    std::size_t ReplaceByPieces(std::size_t first, std::size_t last, const std::vector<std::string_view>& pieces,
                                UndoKind kind);
    // A whole new text, built aside: the old one stays whole until this step, which cannot fail
    // once the record is had. The caret goes to the start, the view to the top.
    void ReplaceWhole(TextBuilder& built, UndoKind kind);
    // Every byte of [first, last) by byteFor[byte], in place (see TextModel::MapBytes); false, and
    // nothing changed, for a table that would move line breaks.
    bool MapBytes(std::size_t first, std::size_t last, const std::uint8_t* byteFor, UndoKind kind);
    // The other document's text comes here without a copy; this one's goes there.
    void TakeTextFrom(Document& other) noexcept;

    // ---- Undo ----------------------------------------------------------------------------------
    // The newest record taken back; with the journal off, the control's own single step. False
    // when there was nothing to take back or it could not be made (reported).
    bool Undo();
    bool CanUndo() const { return journalOff_ ? text_.CanUndo() : !journal_.Empty(); }
    void ClearUndo() { journal_.Clear(); }
    // The text's own single step (the rich-edit control's EM_UNDO): the last edit, or the run of
    // typing or deleting it ended, taken back whatever the journal holds; the range it put back is
    // selected. False when there is none.
    bool UndoTextStep();
    bool CanUndoTextStep() const { return text_.CanUndo(); }
    void ForgetTextStep() { text_.EmptyUndoBuffer(); }
    // The next edit starts a new step of the text's own undo, as a move of the caret does.
    void CloseTypingRun() { text_.CloseUndoRun(); }
    // The setting "NO": nothing is recorded while it is set. Switching it on clears the journal
    // and marks that the journal has been off.
    bool JournalOff() const { return journalOff_; }
    bool JournalWasOff() const { return journalWasOff_; }
    void SetJournalOff(bool off);

    // ---- Keys: the rules of what each does, for any view ----------------------------------------
    // A typed character of the keyboard's 1251, put in as the view's byte (the UTF-8 view's:
    // the character's bytes); over a selection of whole lines the last line break stays; in
    // overwrite mode it takes the character after the caret unless that is a line break.
    void TypeAnsi(std::uint8_t typed);
    // A typed character of any script: the UTF-8 view takes every one, the other views the 1251
    // characters (false for one the view has no byte for).
    bool TypeCharacter(char32_t character);
    void TypeLineBreak();
    // Delete and Backspace: the selection (a selection from inside a line keeps the line break at
    // its end), else the character after or before the caret, a CR LF pair whole.
    void DeleteForward();
    void DeleteBackward();
    // Ctrl+Delete and Ctrl+Backspace: the word after or before the selection's start.
    void DeleteWordForward();
    void DeleteWordBackward();
    // Ctrl+Y: the caret's display line with its line break (the last line has none).
    void DeleteLine();

    // ---- Line ends -----------------------------------------------------------------------------
    // The kind of the text's first line break, CR LF when it has none: what Enter, paste and every
    // command that puts in a line break put in, and the kind a view shows no mark for. Mixed: line
    // breaks of another kind are there too.
    LineEndKind LineEndMode() const { return text_.DocumentLineEnd(); }
    bool LineEndsMixed() const { return text_.LineEnds().Mixed(); }

    // ---- Selection -----------------------------------------------------------------------------
    void Select(std::size_t anchor, std::size_t caret, bool atLineEnd = false);
    // A view moved the selection through Editing() (a key, the mouse): the watchers are told.
    void SelectionMoved() noexcept;

    // ---- View, mode, name, modified ------------------------------------------------------------
    // 0 ANSI (1251), 1 OEM (866), 2 KOI8-R, 3 UTF-8: only how the bytes are shown and typed.
    std::uint8_t ViewCodePage() const override { return view_; }
    void SetViewCodePage(std::uint8_t view);
    bool Overwrite() const { return overwrite_; }
    void SetOverwrite(bool overwrite);
    // The name as the program shows it (1251; a character 1251 lacks is '?') and the path the file
    // is opened and saved by, UTF-16.
    const std::string& Name() const { return name_; }
    const std::u16string& Path() const { return path_; }
    void SetName(std::string_view name, std::u16string_view path);
    bool Modified() const { return text_.Modified(); }
    void SetModified(bool modified);
    void SetTextLimit(std::size_t limit) { text_.SetTextLimit(limit); }
    std::size_t TextLimit() const { return text_.TextLimit(); }
    // Gives back the room a load kept beyond the text that it will not need.
    void CompactText() { text_.Compact(); }

    void AddWatcher(DocumentWatcher* watcher);
    void RemoveWatcher(DocumentWatcher* watcher);

    // Told instead of std::bad_alloc escaping an undo step; a view tells it when a key it turned
    // into a call here ran out of memory (the key then did nothing).
    void SetOutOfMemoryReport(void (*report)()) { reportOutOfMemory_ = report; }
    void TellOutOfMemory() { ReportOutOfMemory(); }

private:
    // UndoTarget: the journal's steps change the text unrecorded.
    bool Restore(std::size_t first, std::size_t last, std::string_view bytes) override;
    bool RestoreWhole(std::string_view bytes) override;
    void SelectRange(std::size_t anchor, std::size_t caret) override { Select(anchor, caret); }
    void ApplyViewCodePage(std::uint8_t codePage) override { SetViewCodePage(codePage); }
    void ReportOutOfMemory() override;

    UndoRecord PrepareRecord(UndoKind kind, std::size_t first, std::size_t last);
    void Changed(const TextChange& change, std::size_t caret) noexcept;
    void Changing(std::size_t first, std::size_t last) noexcept;
    // A key's edit: out of memory is reported, and the key does nothing.
    template <typename Edit>
    void KeyEdit(Edit&& edit);
    void TypeBytes(std::string_view bytes, UndoKind kind);

    TextModel text_;
    TextLayout layout_{text_};
    EditingState editing_{text_, layout_};
    ColourRuns colours_;
    UndoJournal journal_;
    std::uint8_t view_ = 0;
    bool overwrite_ = false;
    bool journalOff_ = false;
    bool journalWasOff_ = false;
    std::string name_;
    std::u16string path_;
    std::vector<DocumentWatcher*> watchers_;
    void (*reportOutOfMemory_)() = nullptr;
};
