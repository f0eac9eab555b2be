#include "document/undo_journal.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "document/editor_keys.h"
#include "support/core/loaded_document.h"

namespace {

TEST(UndoJournal, TypedRunIsTakenBackOneCharacterAtATimeNewestFirst) {
    LoadedDocument f("xy");
    f.Caret(1);
    f.TypeAll("abc");
    EXPECT_EQ(f.Bytes(), "xabcy");
    ASSERT_EQ(f.Journal().RecordCount(), 1u);
    EXPECT_EQ(f.Journal().Newest()->start, 1);
    EXPECT_EQ(f.Journal().Newest()->end, 3);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "xaby");
    EXPECT_EQ(f.SelectionStart(), 3u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "xay");
    EXPECT_EQ(f.Journal().RecordCount(), 1u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "xy");
    EXPECT_EQ(f.SelectionStart(), 1u);
    EXPECT_TRUE(f.Journal().Empty());
    f.Undo();  // empty journal: nothing
    EXPECT_EQ(f.Bytes(), "xy");
}

TEST(UndoJournal, EnterSplitsTypingIntoSeparateRuns) {
    LoadedDocument f;
    f.TypeAll("ab");
    f.TypeLineBreak();
    f.TypeLineBreak();
    f.TypeAll("cd");
    EXPECT_EQ(f.Bytes(), "ab\r\n\r\ncd");
    EXPECT_EQ(f.Journal().RecordCount(), 3u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\n\r\nc");
    f.Undo();
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\n");
    EXPECT_EQ(f.SelectionStart(), 4u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab");
    EXPECT_EQ(f.Journal().RecordCount(), 1u);
}

TEST(UndoJournal, EnterPutsInTheDocumentsLineBreakAndIsTakenBackOneBreakAtATime) {
    for (const char* lineBreak : {"\n", "\r"}) {
        const std::string start = std::string("one") + lineBreak + "ab";
        LoadedDocument f(start);
        f.Caret(6);
        f.TypeLineBreak();
        f.TypeLineBreak();
        EXPECT_EQ(f.Bytes(), start + lineBreak + lineBreak);
        EXPECT_EQ(f.Journal().RecordCount(), 1u);
        f.Undo();
        EXPECT_EQ(f.Bytes(), start + lineBreak);
        f.Undo();
        EXPECT_EQ(f.Bytes(), start);
        EXPECT_FALSE(f.CanUndo());
    }
    // A text without a line break, new or emptied, ends its lines as CR LF.
    LoadedDocument empty;
    empty.TypeLineBreak();
    EXPECT_EQ(empty.Bytes(), "\r\n");
    EXPECT_EQ(empty.LineEndMode(), LineEndKind::CrLf);
    LoadedDocument mixed("a\nb\r\n");
    EXPECT_EQ(mixed.LineEndMode(), LineEndKind::Lf);
    EXPECT_TRUE(mixed.LineEndsMixed());
}

TEST(UndoJournal, RunContinuesOnlyAtItsEndWhileItIsTheNewestRecord) {
    LoadedDocument f("0123456789");
    f.Caret(2);
    f.TypeAll("ab");  // run at 2..3
    f.Caret(8);
    f.TypeAll("x");  // elsewhere: a new run
    EXPECT_EQ(f.Journal().RecordCount(), 2u);
    f.Caret(4);  // back behind the first run, which is no longer the newest
    f.TypeAll("c");
    EXPECT_EQ(f.Journal().RecordCount(), 3u);
    f.Caret(5);  // behind the newest run
    f.TypeAll("d");
    EXPECT_EQ(f.Journal().RecordCount(), 3u);
    while (!f.Journal().Empty()) f.Undo();
    EXPECT_EQ(f.Bytes(), "0123456789");
}

TEST(UndoJournal, TypingOverSelectionIsOneReplaceRange) {
    LoadedDocument f("abcdef");
    f.Select(1, 4);
    f.TypeAnsi('X');
    EXPECT_EQ(f.Bytes(), "aXef");
    ASSERT_EQ(f.Journal().RecordCount(), 1u);
    const UndoRecord& r = *f.Journal().Newest();
    EXPECT_EQ(r.kind, UndoKind::ReplaceRange);
    EXPECT_EQ(r.start, 1);
    EXPECT_EQ(r.end, 2);
    EXPECT_EQ(r.text, "bcd");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "abcdef");
    EXPECT_EQ(f.SelectionStart(), 4u);
    EXPECT_TRUE(f.Journal().Empty());

    // Over whole lines the last line break stays.
    LoadedDocument g("one\r\ntwo\r\nend");
    g.Select(0, 10);
    g.TypeAnsi('Z');
    EXPECT_EQ(g.Bytes(), "Z\r\nend");
    g.Undo();
    EXPECT_EQ(g.Bytes(), "one\r\ntwo\r\nend");
}

TEST(UndoJournal, DeleteAndBackspaceAtLineBreaksAndEndsRestoreExactly) {
    LoadedDocument f("ab\r\ncd");
    f.Caret(2);
    f.DeleteForward();  // in front of CR LF
    EXPECT_EQ(f.Bytes(), "abcd");
    EXPECT_EQ(f.Journal().Newest()->text, "\r\n");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");
    EXPECT_EQ(f.SelectionStart(), 2u);

    f.Caret(4);
    f.DeleteBackward();  // behind CR LF
    EXPECT_EQ(f.Bytes(), "abcd");
    EXPECT_EQ(f.Journal().Newest()->text, "\r\n");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");
    EXPECT_EQ(f.SelectionStart(), 4u);

    f.Caret(1);
    f.DeleteBackward();  // at position 1
    EXPECT_EQ(f.Journal().Newest()->start, 0);
    EXPECT_EQ(f.Journal().Newest()->text, "a");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");
    EXPECT_EQ(f.SelectionStart(), 1u);

    f.Caret(5);
    f.DeleteForward();  // the last character: no second one
    EXPECT_EQ(f.Journal().Newest()->text, "d");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");

    // Taking the character between a lone CR and a lone LF makes them a pair, between whose halves
    // the control puts no caret: Undo still restores the character in its place.
    LoadedDocument between("\rX\n");
    between.Caret(1);
    between.DeleteForward();
    EXPECT_EQ(between.Bytes(), "\r\n");
    between.Undo();
    EXPECT_EQ(between.Bytes(), "\rX\n");
    EXPECT_EQ(between.SelectionStart(), 1u);
    between.Caret(2);
    between.DeleteBackward();
    EXPECT_EQ(between.Bytes(), "\r\n");
    between.Undo();
    EXPECT_EQ(between.Bytes(), "\rX\n");
    EXPECT_EQ(between.SelectionStart(), 2u);

    // Nothing to take: nothing recorded.
    f.Caret(6);
    f.DeleteForward();
    f.DeleteWordForward();
    f.Caret(0);
    f.DeleteBackward();
    f.DeleteWordBackward();
    EXPECT_TRUE(f.Journal().Empty());
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");
}

TEST(UndoJournal, NulBytesAreRestoredLikeAnyOther) {
    const std::string text("a\0\r\0b", 5);
    LoadedDocument f(text);
    f.Caret(1);
    f.DeleteForward();
    f.Caret(3);
    f.DeleteBackward();
    f.Select(0, 2);
    f.DeleteBackward();
    f.ReplaceSelection(std::string("\0\0", 2), UndoKind::ReplaceRange);
    EXPECT_EQ(f.Bytes(), std::string("\0\0b", 3));
    while (!f.Journal().Empty()) f.Undo();
    EXPECT_EQ(f.Bytes(), text);
}

TEST(UndoJournal, OvertypeInFrontOfLineBreakInsertsAndElsewhereOverwrites) {
    LoadedDocument f("ab\r\ncd");
    f.SetOverwrite(true);
    f.Caret(1);
    f.TypeAll("XY");  // over b, then in front of CR
    EXPECT_EQ(f.Bytes(), "aXY\r\ncd");
    EXPECT_EQ(f.Journal().RecordCount(), 2u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "aX\r\ncd");
    EXPECT_EQ(f.SelectionStart(), 2u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");
    EXPECT_EQ(f.SelectionStart(), 2u);  // after the restored character

    f.Caret(6);
    f.TypeAll("Z");  // at the end of the text
    f.Undo();
    EXPECT_EQ(f.Bytes(), "ab\r\ncd");
}

// An overwritten NUL byte comes back like any other, and a character typed in front of a lone LF
// is only taken out again.
TEST(UndoJournal, OvertypeUndoPutsBackWhatWasOverwritten) {
    LoadedDocument f(std::string("a\0b\nc", 5));
    f.SetOverwrite(true);
    f.Caret(1);
    f.TypeAll("X");  // over the NUL byte
    EXPECT_EQ(f.Bytes(), "aXb\nc");
    f.Undo();
    EXPECT_EQ(f.Bytes(), std::string("a\0b\nc", 5));

    LoadedDocument g("ab\ncd");
    g.SetOverwrite(true);
    g.Caret(2);
    g.TypeAll("X");
    EXPECT_EQ(g.Bytes(), "abX\ncd");
    g.Undo();
    EXPECT_EQ(g.Bytes(), "ab\ncd");

    // In the OEM view 1251's а is the byte 0xA0, also in front of a line break.
    LoadedDocument h("ab\r\n", 1);
    h.SetOverwrite(true);
    h.Caret(1);
    h.TypeAll("\xE0\xE0");
    EXPECT_EQ(h.Bytes(), "a\xA0\xA0\r\n");
    h.Undo();
    h.Undo();
    EXPECT_EQ(h.Bytes(), "ab\r\n");
}

// The memory of the journal and of the text runs out: the next growth fails.
struct NextGrowthFails {
    NextGrowthFails() { GrowthBudget::allocations = 0; }
    ~NextGrowthFails() { GrowthBudget::allocations = GrowthBudget::kUnlimited; }
};

int reportsOfMemory = 0;
void CountReport() { ++reportsOfMemory; }

TEST(UndoJournal, WordDeletionsAreTakenBackWhole) {
    LoadedDocument f("one two  three");
    f.Caret(4);
    f.DeleteWordForward();
    EXPECT_EQ(f.Bytes(), "one three");
    EXPECT_EQ(f.Journal().Newest()->kind, UndoKind::ReplaceRange);
    EXPECT_EQ(f.Journal().Newest()->text, "two  ");
    f.Caret(9);
    f.DeleteWordBackward();
    EXPECT_EQ(f.Bytes(), "one ");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "one three");
    EXPECT_EQ(f.SelectionStart(), 9u);
    f.Undo();
    EXPECT_EQ(f.Bytes(), "one two  three");
    EXPECT_EQ(f.SelectionStart(), 9u);  // after the restored word

    // Out of memory: nothing recorded, the word stays.
    f.Caret(0);
    {
        NextGrowthFails shortOfMemory;
        EXPECT_THROW(f.DeleteWordForward(), std::bad_alloc);
    }
    EXPECT_EQ(f.Bytes(), "one two  three");
    EXPECT_TRUE(f.Journal().Empty());
}

// Every key and gateway is all or nothing: with its first, second, third ... growth failing it
// changes neither the text nor the journal, until it succeeds. An undo step that cannot be made
// stays, to be tried again, and is reported.
TEST(UndoJournal, EachGrowthFailingInTurnLeavesTextAndJournalAsTheyWere) {
    const std::function<void(LoadedDocument&)> edits[] = {
        [](LoadedDocument& d) { d.TypeAnsi('d'); },
        [](LoadedDocument& d) { d.TypeLineBreak(); },
        [](LoadedDocument& d) { d.Select(1, 3), d.TypeAnsi('d'); },
        [](LoadedDocument& d) { d.DeleteBackward(); },
        [](LoadedDocument& d) { d.Caret(1), d.DeleteForward(); },
        [](LoadedDocument& d) { d.DeleteWordBackward(); },
        [](LoadedDocument& d) { d.DeleteLine(); },
        [](LoadedDocument& d) { d.ReplaceSelection("xyz", UndoKind::ReplaceRange); },
        [](LoadedDocument& d) { d.Rewrite("rewritten"); },
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        LoadedDocument d("one two\r\nthree");
        d.Caret(14);
        d.TypeAll("abc");
        const std::string text = d.Bytes();
        bool done = false;
        for (std::size_t growths = 0; !done; ++growths) {
            GrowthBudget::allocations = growths;
            try {
                edits[i](d);
                done = true;
            } catch (const std::bad_alloc&) {
                ASSERT_EQ(d.Bytes(), text) << i << " with growth " << growths << " failing";
                ASSERT_EQ(d.Journal().RecordCount(), 1u);
                ASSERT_EQ(d.Journal().Newest()->end, 16);
            }
            GrowthBudget::allocations = GrowthBudget::kUnlimited;
        }
        EXPECT_NE(d.Bytes(), text) << i;
        d.SetOutOfMemoryReport(CountReport);
        reportsOfMemory = 0;
        {
            NextGrowthFails shortOfMemory;
            d.Undo();
        }
        EXPECT_EQ(reportsOfMemory, 1) << i;
        d.Undo();
        EXPECT_EQ(d.Bytes(), text) << i;
    }
}

TEST(UndoJournal, ConsecutiveSnapshotsAreTakenBackTogetherWithTheirView) {
    LoadedDocument f("Hello");
    f.Select(1, 3);
    f.Rewrite("HELLO");
    f.SetViewCodePage(1);
    f.Rewrite("hello world");
    f.SetViewCodePage(2);
    EXPECT_EQ(f.Journal().RecordCount(), 1u);
    EXPECT_EQ(f.Journal().Newest()->text, "Hello");
    f.Undo();
    EXPECT_EQ(f.Bytes(), "Hello");
    EXPECT_EQ(f.SelectionStart(), 1u);
    EXPECT_EQ(f.SelectionEnd(), 3u);
    EXPECT_EQ(f.ViewCodePage(), 0);

    LoadedDocument e({}, 2);
    e.Rewrite("new");
    e.Select(2, 3);
    e.SetViewCodePage(0);
    e.Undo();
    EXPECT_EQ(e.Bytes(), "");
    EXPECT_EQ(e.SelectionStart(), 0u);
    EXPECT_EQ(e.SelectionEnd(), 0u);
    EXPECT_EQ(e.ViewCodePage(), 2);
}

TEST(UndoJournal, SwitchedOffRecordsNothingAndUndoIsTheControlsOwn) {
    LoadedDocument d("abc");
    d.Rewrite("x");
    d.Caret(1);
    d.TypeAnsi('y');
    EXPECT_EQ(d.Journal().RecordCount(), 2u);
    EXPECT_GT(d.Journal().MemoryBytes(), 0u);
    d.SetJournalOff(true);
    EXPECT_TRUE(d.Journal().Empty());
    EXPECT_EQ(d.Journal().MemoryBytes(), 0u);
    EXPECT_TRUE(d.JournalWasOff());
    d.Rewrite("abc def");
    d.Caret(0);
    d.DeleteWordForward();
    d.TypeAll("xy");
    EXPECT_TRUE(d.Journal().Empty());
    EXPECT_EQ(d.Bytes(), "xydef");
    // The control's own step takes back the typing run, and a second Undo redoes it.
    EXPECT_TRUE(d.CanUndo());
    d.Undo();
    EXPECT_EQ(d.Bytes(), "def");
    d.Undo();
    EXPECT_EQ(d.Bytes(), "xydef");
    d.SetJournalOff(false);
    EXPECT_TRUE(d.JournalWasOff());
    EXPECT_FALSE(d.CanUndo());
}

// Watchers hear of every change once it is made: views redraw, the shell follows the name, the
// modified flag and the view, a recovery copy follows the change count.
TEST(Document, WatchersAreToldOfEveryChange) {
    struct Watcher : DocumentWatcher {
        std::vector<std::string> heard;
        const Document* document = nullptr;
        void OnTextChanging(std::size_t first, std::size_t last) noexcept override {
            heard.push_back("changing " + std::to_string(first) + "-" + std::to_string(last));
        }
        void OnTextChanged(const TextChange& c) noexcept override {
            heard.push_back("changed " + std::to_string(c.first) + " " + std::to_string(c.removed) + " " +
                            std::to_string(c.inserted) + " caret " + std::to_string(document->SelectionStart()));
        }
        void OnSelectionChanged() noexcept override { heard.push_back("selection"); }
        void OnViewChanged() noexcept override { heard.push_back("view"); }
        void OnNameChanged() noexcept override { heard.push_back("name " + document->Name()); }
        void OnModifiedChanged() noexcept override { heard.push_back(document->Modified() ? "modified" : "saved"); }
    } watcher;
    LoadedDocument d("abc");
    watcher.document = &d;
    d.AddWatcher(&watcher);
    const std::uint64_t count = d.ChangeCount();
    d.Select(1, 2);
    d.TypeAnsi('X');
    d.SetViewCodePage(1);
    d.SetOverwrite(true);
    d.SetName("letter.txt", u"letter.txt");
    d.SetModified(false);
    d.Undo();
    EXPECT_GT(d.ChangeCount(), count);
    const std::vector<std::string> expected = {
        "selection", "changing 1-2", "changed 1 1 1 caret 2", "modified", "view", "view", "name letter.txt",
        "saved", "changing 1-2", "changed 1 1 1 caret 2", "modified"};
    EXPECT_EQ(watcher.heard, expected);
    d.RemoveWatcher(&watcher);
    d.TypeAnsi('Y');
    EXPECT_EQ(watcher.heard.size(), expected.size());
}

// The property: whatever the user does, each Undo returns to the text before the edit it takes
// back, with the caret where the journal puts it, and undoing everything gives the original text.
class RandomEditing {
public:
    explicit RandomEditing(std::uint32_t seed) : rng_(seed) {}

    void Run() {
        original_ = RandomBytes(Pick(0, 30));
        f_.Replace(0, 0, original_, UndoKind::NotRecorded);
        RandomSelection();
        int actions = Pick(1, 40);
        for (int i = 0; i < actions && !::testing::Test::HasFailure(); ++i) Step();
        while (!units_.empty() && !::testing::Test::HasFailure()) UndoOne();
        EXPECT_TRUE(f_.Journal().Empty());
        EXPECT_EQ(f_.Bytes(), original_);
    }

private:
    struct Unit {
        std::string text;
        std::size_t selStart, selEnd;
        bool snapshot = false;
        std::uint8_t codePage = 0;
        std::string what;
    };

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    std::size_t Pick(std::size_t high) { return static_cast<std::size_t>(Pick(0, static_cast<int>(high))); }
    std::size_t Length() const { return f_.Length(); }
    static bool IsCrLfAt(const std::string& text, std::size_t p) {
        return p + 1 < text.size() && text[p] == '\r' && text[p + 1] == '\n';
    }

    std::string RandomBytes(int n) {
        static const std::string_view pieces[] = {"a", "b", "z", " ", "\t", "\r\n", "\r\n", "\r\n", "\r", "\n",
                                                  std::string_view("\0", 1), "\xE0", "\xA0", "\xFF", ".", "Q"};
        std::string s;
        while (static_cast<int>(s.size()) < n) s += pieces[Pick(0, 15)];
        return s;
    }
    void RandomSelection() {
        std::size_t a = Pick(Length());
        std::size_t b = Pick(0, 3) == 0 ? Pick(Length()) : a;
        // Mostly where the keyboard can put the caret: not inside a CR LF pair.
        if (Pick(0, 4) != 0) {
            const std::string text = f_.Bytes();
            if (a > 0 && IsCrLfAt(text, a - 1)) --a;
            if (b > 0 && IsCrLfAt(text, b - 1)) ++b;
        }
        f_.Select(a, b);
    }

    void Push(Unit u) { units_.push_back(std::move(u)); }
    Unit Before(std::string what) { return Unit{f_.Bytes(), 0, 0, false, f_.ViewCodePage(), std::move(what)}; }

    // Where a deletion started: the caret after it may have moved to the start of a pair that the
    // deletion made.
    std::size_t AfterRestored(std::size_t lengthBefore) const {
        return static_cast<std::size_t>(f_.Journal().Newest()->start) + (lengthBefore - Length());
    }

    void Type() {
        f_.SetOverwrite(Pick(0, 3) == 0);
        int n = Pick(1, 5);
        for (int k = 0; k < n; ++k) {
            Unit u = Before(f_.Overwrite() ? "overtype" : "type");
            std::size_t a = f_.SelectionStart(), b = f_.SelectionEnd(), before = Length();
            std::string ch = RandomBytes(1).substr(0, 1);
            // Only printable characters are typed; Enter has its own key.
            if (ch == "\r" || ch == "\n" || ch[0] == '\0') ch = "k";
            f_.TypeAnsi(static_cast<std::uint8_t>(ch[0]));
            b = EndKeptWhenTyping(a, b, [&](std::size_t p) { return u.text[p]; });
            u.selStart = u.selEnd = a != b ? b : (f_.Overwrite() && Length() == before) ? a + 1 : a;
            Push(std::move(u));
        }
    }

    void Rewrite(std::size_t s0, std::size_t s1, std::size_t length) {
        Unit u = Before("snapshot");
        u.snapshot = true;
        if (length > 0) {
            u.selStart = s0;
            u.selEnd = s1;
        }
        bool merged = !units_.empty() && units_.back().snapshot;
        std::string rewritten = f_.Bytes();
        switch (Pick(0, 3)) {
        case 0:
            for (char& c : rewritten) c = static_cast<char>(c ^ 0x20);
            break;
        case 1: std::erase(rewritten, '\r'); break;
        case 2: rewritten.insert(Pick(length), RandomBytes(Pick(1, 8))); break;
        default: rewritten.clear();
        }
        f_.Rewrite(rewritten);
        if (Pick(0, 1)) f_.SetViewCodePage(static_cast<std::uint8_t>(Pick(0, 2)));
        RandomSelection();
        if (!merged) Push(std::move(u));
    }

    void Step() {
        std::size_t s0 = f_.SelectionStart(), s1 = f_.SelectionEnd(), length = Length();
        switch (Pick(0, 15)) {
        case 0:
        case 1:
        case 2: Type(); break;  // a typing run, possibly in overwrite mode
        case 3: {
            Unit u = Before("enter");
            f_.TypeLineBreak();
            u.selStart = u.selEnd = s1;
            Push(std::move(u));
            break;
        }
        case 4:
        case 5: {
            Unit u = Before("delete");
            const std::size_t lineStart = f_.Text().LineStart(f_.Text().LineFromPosition(s0));
            const std::size_t b = EndKeptWhenDeleting(s0, s1, lineStart, [&](std::size_t p) { return u.text[p]; });
            f_.DeleteForward();
            if (s0 == b && s0 >= length) break;
            u.selStart = u.selEnd = b;
            Push(std::move(u));
            break;
        }
        case 6:
        case 7: {
            Unit u = Before("backspace");
            f_.DeleteBackward();
            if (s0 == s1 && s0 < 1) break;
            u.selStart = u.selEnd = s1;
            Push(std::move(u));
            break;
        }
        case 8:
        case 9: {
            bool right = Pick(0, 1) == 0;
            Unit u = Before(right ? "ctrl+delete" : "ctrl+backspace");
            right ? f_.DeleteWordForward() : f_.DeleteWordBackward();
            if (f_.Bytes() == u.text) break;
            u.selStart = u.selEnd = AfterRestored(length);
            Push(std::move(u));
            break;
        }
        case 10: {
            Unit u = Before("ctrl+y");
            f_.DeleteLine();
            if (f_.Bytes() == u.text) break;  // an empty last line: nothing to take
            u.selStart = u.selEnd = AfterRestored(length);
            Push(std::move(u));
            break;
        }
        case 11: {
            Unit u = Before("replace selection");
            const std::string bytes = RandomBytes(Pick(0, 6));
            f_.ReplaceSelection(bytes, UndoKind::ReplaceRange);
            if (s0 == s1 && bytes.empty()) break;
            u.selStart = u.selEnd = s1;
            Push(std::move(u));
            break;
        }
        case 12: Rewrite(s0, s1, length); break;  // a conversion, transform, replace run, file insertion
        case 13:  // a view switch is no edit
            f_.SetViewCodePage(static_cast<std::uint8_t>(Pick(0, 2)));
            break;
        case 14: UndoOne(); break;
        default: RandomSelection();
        }
    }

    void UndoOne() {
        if (units_.empty()) {
            EXPECT_TRUE(f_.Journal().Empty());
            std::string before = f_.Bytes();
            f_.Undo();
            EXPECT_EQ(f_.Bytes(), before);
            return;
        }
        Unit u = std::move(units_.back());
        units_.pop_back();
        f_.Undo();
        ASSERT_EQ(f_.Bytes(), u.text) << "undo of " << u.what << ", original " << ::testing::PrintToString(original_);
        // No caret stands between the CR and the LF of a pair.
        if (u.selStart == u.selEnd && u.selStart > 0 && IsCrLfAt(u.text, u.selStart - 1))
            u.selStart = u.selEnd = u.selStart - 1;
        EXPECT_EQ(f_.SelectionStart(), u.selStart) << "undo of " << u.what;
        EXPECT_EQ(f_.SelectionEnd(), u.selEnd) << "undo of " << u.what;
        if (u.snapshot) {
            EXPECT_EQ(f_.ViewCodePage(), u.codePage);
        }
    }

    std::mt19937 rng_;
    LoadedDocument f_;
    std::string original_;
    std::vector<Unit> units_;
};

TEST(UndoJournal, RandomEditSequencesUndoToTheOriginalText) {
    for (std::uint32_t seed = 1; seed <= 5000 && !HasFailure(); ++seed) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        RandomEditing(seed).Run();
    }
}

}  // namespace
