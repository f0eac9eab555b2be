#include "document/undo_journal.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "document/editor_keys.h"
#include "support/core/memory_text.h"

namespace {

// The editor control's subclass in front of the control: it records first and then lets the control
// (or itself) make the edit, key by key, by the subclass's own rules (document/editor_keys).
struct Editor {
    MemoryText& t;
    UndoJournal& journal;
    bool overwrite = false;

    void Type(char ch) {
        if (!KeepLineBreakWhenTyping(t) && t.codePage == 1 && static_cast<unsigned char>(ch) == 0xE0 &&
            t.selStart == t.selEnd) {
            // The OEM view's letter that the control cannot take as typed is put in by the subclass.
            if (overwrite) {
                journal.Record(t, UndoKind::OvertypeChar, 1);
                if (OvertypeSelectsNextCharacter(t)) t.SetSelection(t.selStart, t.selStart + 1);
            } else {
                journal.Record(t, UndoKind::TypeChar, 1);
            }
            t.ReplaceSelection("\xA0");
            return;
        }
        journal.Record(t, overwrite ? UndoKind::OvertypeChar : UndoKind::TypeChar, 1);
        t.ControlChar(ch, overwrite);
    }
    void Enter() {
        journal.Record(t, UndoKind::TypeBreak, 2);
        t.ControlEnter();
    }
    void Delete() {
        if (t.selEnd - t.selStart > 2) KeepLineBreakWhenDeleting(t, t.LineStartOf(t.selStart));
        if (t.selStart != t.selEnd) {
            journal.Record(t, UndoKind::ReplaceRange, 0);
            t.ClearSelection();
        } else {
            journal.Record(t, UndoKind::DeleteChar, 0);
            t.ControlDelete();
        }
    }
    void Backspace() {
        if (t.selStart != t.selEnd) {
            journal.Record(t, UndoKind::ReplaceRange, 0);
            t.ClearSelection();
        } else {
            journal.Record(t, UndoKind::BackspaceChar, 0);
            t.ControlBackspace();
        }
    }
    void CtrlDelete() { journal.Record(t, UndoKind::DeleteWordRight, 0); }
    void CtrlBackspace() { journal.Record(t, UndoKind::DeleteWordLeft, 0); }
    void CtrlY() {
        std::int32_t a = t.LineStartOf(t.selStart);
        std::int32_t b = t.NextLineStart(a);
        if (b == -1) b = a + t.LineLengthAt(a);
        t.SetSelection(a, b);
        journal.Record(t, UndoKind::ReplaceRange, 0);
        t.ReplaceSelection({});
    }
    // Paste, date and time, the character table, a converted selection.
    void ReplaceSelection(const std::string& bytes) {
        journal.Record(t, UndoKind::ReplaceRange, static_cast<std::int32_t>(bytes.size()));
        t.ReplaceSelection(bytes);
    }
    void Undo() { journal.UndoLast(t); }
};

struct Fixture {
    MemoryText t;
    UndoJournal journal;
    Editor editor{t, journal};
    explicit Fixture(std::string text = {}) : t(std::move(text)) {}
    void Caret(std::int32_t p) { t.SetSelection(p, p); }
    void TypeText(std::string_view s) {
        for (char c : s) editor.Type(c);
    }
};

TEST(UndoJournal, TypedRunIsTakenBackOneCharacterAtATimeNewestFirst) {
    Fixture f("xy");
    f.Caret(1);
    f.TypeText("abc");
    EXPECT_EQ(f.t.text, "xabcy");
    ASSERT_EQ(f.journal.RecordCount(), 1u);
    EXPECT_EQ(f.journal.Newest()->start, 1);
    EXPECT_EQ(f.journal.Newest()->end, 3);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "xaby");
    EXPECT_EQ(f.t.selStart, 3);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "xay");
    EXPECT_EQ(f.journal.RecordCount(), 1u);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "xy");
    EXPECT_EQ(f.t.selStart, 1);
    EXPECT_TRUE(f.journal.Empty());
    f.editor.Undo();  // empty journal: nothing
    EXPECT_EQ(f.t.text, "xy");
}

TEST(UndoJournal, EnterSplitsTypingIntoSeparateRuns) {
    Fixture f;
    f.TypeText("ab");
    f.editor.Enter();
    f.editor.Enter();
    f.TypeText("cd");
    EXPECT_EQ(f.t.text, "ab\r\n\r\ncd");
    EXPECT_EQ(f.journal.RecordCount(), 3u);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\n\r\nc");
    f.editor.Undo();
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\n");
    EXPECT_EQ(f.t.selStart, 4);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab");
    EXPECT_EQ(f.journal.RecordCount(), 1u);
}

TEST(UndoJournal, RunContinuesOnlyAtItsEndWhileItIsTheNewestRecord) {
    Fixture f("0123456789");
    f.Caret(2);
    f.TypeText("ab");  // run at 2..3
    f.Caret(8);
    f.TypeText("x");  // elsewhere: a new run
    EXPECT_EQ(f.journal.RecordCount(), 2u);
    f.Caret(4);  // back behind the first run, which is no longer the newest
    f.TypeText("c");
    EXPECT_EQ(f.journal.RecordCount(), 3u);
    f.Caret(5);  // behind the newest run
    f.TypeText("d");
    EXPECT_EQ(f.journal.RecordCount(), 3u);
    while (!f.journal.Empty()) f.editor.Undo();
    EXPECT_EQ(f.t.text, "0123456789");
}

TEST(UndoJournal, TypingOverSelectionIsOneReplaceRange) {
    Fixture f("abcdef");
    f.t.SetSelection(1, 4);
    f.editor.Type('X');
    EXPECT_EQ(f.t.text, "aXef");
    ASSERT_EQ(f.journal.RecordCount(), 1u);
    const UndoRecord& r = *f.journal.Newest();
    EXPECT_EQ(r.kind, UndoKind::ReplaceRange);
    EXPECT_EQ(r.start, 1);
    EXPECT_EQ(r.end, 2);
    EXPECT_EQ(r.text, "bcd");
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "abcdef");
    EXPECT_EQ(f.t.selStart, 4);
    EXPECT_TRUE(f.journal.Empty());

    // Over whole lines the last line break stays.
    Fixture g("one\r\ntwo\r\nend");
    g.t.SetSelection(0, 10);
    g.editor.Type('Z');
    EXPECT_EQ(g.t.text, "Z\r\nend");
    g.editor.Undo();
    EXPECT_EQ(g.t.text, "one\r\ntwo\r\nend");
}

TEST(UndoJournal, DeleteAndBackspaceAtLineBreaksAndEndsRestoreExactly) {
    Fixture f("ab\r\ncd");
    f.Caret(2);
    f.editor.Delete();  // in front of CR LF
    EXPECT_EQ(f.t.text, "abcd");
    EXPECT_EQ(f.journal.Newest()->value, 0x0A0Du);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\ncd");
    EXPECT_EQ(f.t.selStart, 2);

    f.Caret(4);
    f.editor.Backspace();  // behind CR LF
    EXPECT_EQ(f.t.text, "abcd");
    EXPECT_EQ(f.journal.Newest()->value, 0x0A0Du);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\ncd");
    EXPECT_EQ(f.t.selStart, 4);

    f.Caret(1);
    f.editor.Backspace();  // at position 1
    EXPECT_EQ(f.journal.Newest()->start, 0);
    EXPECT_EQ(f.journal.Newest()->value, static_cast<std::uint32_t>('a') << 8);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\ncd");
    EXPECT_EQ(f.t.selStart, 1);

    f.Caret(5);
    f.editor.Delete();  // the last character: no second one
    EXPECT_EQ(f.journal.Newest()->value, static_cast<std::uint32_t>('d'));
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\ncd");

    // Taking the character between a lone CR and a lone LF makes them a pair, between whose halves
    // the control puts no caret: Undo still restores the character in its place.
    Fixture between("\rX\n");
    between.Caret(1);
    between.editor.Delete();
    EXPECT_EQ(between.t.text, "\r\n");
    between.editor.Undo();
    EXPECT_EQ(between.t.text, "\rX\n");
    EXPECT_EQ(between.t.selStart, 1);
    between.Caret(2);
    between.editor.Backspace();
    EXPECT_EQ(between.t.text, "\r\n");
    between.editor.Undo();
    EXPECT_EQ(between.t.text, "\rX\n");
    EXPECT_EQ(between.t.selStart, 2);

    // Nothing to take: nothing recorded.
    f.Caret(6);
    f.editor.Delete();
    f.editor.CtrlDelete();
    f.Caret(0);
    f.editor.Backspace();
    f.editor.CtrlBackspace();
    EXPECT_TRUE(f.journal.Empty());
    EXPECT_EQ(f.t.text, "ab\r\ncd");
}

TEST(UndoJournal, NulBytesAreRestoredLikeAnyOther) {
    const std::string text("a\0\r\0b", 5);
    Fixture f(text);
    f.Caret(1);
    f.editor.Delete();
    f.Caret(3);
    f.editor.Backspace();
    f.t.SetSelection(0, 2);
    f.editor.Backspace();
    f.editor.ReplaceSelection(std::string("\0\0", 2));
    EXPECT_EQ(f.t.text, std::string("\0\0b", 3));
    while (!f.journal.Empty()) f.editor.Undo();
    EXPECT_EQ(f.t.text, text);
}

TEST(UndoJournal, OvertypeInFrontOfLineBreakInsertsAndElsewhereOverwrites) {
    Fixture f("ab\r\ncd");
    f.editor.overwrite = true;
    f.Caret(1);
    f.TypeText("XY");  // over b, then in front of CR
    EXPECT_EQ(f.t.text, "aXY\r\ncd");
    EXPECT_EQ(f.journal.RecordCount(), 2u);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "aX\r\ncd");
    EXPECT_EQ(f.t.selStart, 2);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\ncd");
    EXPECT_EQ(f.t.selStart, 2);  // after the restored character

    f.Caret(6);
    f.TypeText("Z");  // at the end of the text
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "ab\r\ncd");
}

// A zero `value` used to mean "nothing was overwritten", so an overwritten NUL byte was dropped on
// Undo, and a control that types in front of a lone LF got an extra one back.
TEST(UndoJournal, OvertypeUndoFollowsWhatTheControlDid) {
    Fixture f(std::string("a\0b\nc", 5));
    f.editor.overwrite = true;
    f.Caret(1);
    f.TypeText("X");  // over the NUL byte
    EXPECT_EQ(f.t.text, "aXb\nc");
    f.editor.Undo();
    EXPECT_EQ(f.t.text, std::string("a\0b\nc", 5));

    for (bool keepsLf : {false, true}) {
        Fixture g("ab\ncd");
        g.t.overwriteKeepsLf = keepsLf;
        g.editor.overwrite = true;
        g.Caret(2);
        g.TypeText("X");
        EXPECT_EQ(g.t.text, keepsLf ? "abX\ncd" : "abXcd");
        g.editor.Undo();
        EXPECT_EQ(g.t.text, "ab\ncd") << keepsLf;
    }

    // In the OEM view the subclass puts the 0xA0 byte in itself.
    Fixture h("ab\r\n");
    h.t.codePage = 1;
    h.editor.overwrite = true;
    h.Caret(1);
    h.TypeText("\xE0\xE0");
    EXPECT_EQ(h.t.text, "a\xA0\xA0\r\n");
    h.editor.Undo();
    h.editor.Undo();
    EXPECT_EQ(h.t.text, "ab\r\n");
}

TEST(UndoJournal, WordDeletionsAreDoneByTheRecorderAndTakenBackWhole) {
    Fixture f("one two  three");
    f.Caret(4);
    f.editor.CtrlDelete();
    EXPECT_EQ(f.t.text, "one three");
    EXPECT_EQ(f.journal.Newest()->kind, UndoKind::ReplaceRange);
    EXPECT_EQ(f.journal.Newest()->text, "two  ");
    f.Caret(9);
    f.editor.CtrlBackspace();
    EXPECT_EQ(f.t.text, "one ");
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "one three");
    EXPECT_EQ(f.t.selStart, 9);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "one two  three");
    EXPECT_EQ(f.t.selStart, 9);  // after the restored word

    // Out of memory: nothing recorded, the word stays, the error is shown.
    f.Caret(0);
    f.t.failNextRead = true;
    f.editor.CtrlDelete();
    EXPECT_EQ(f.t.text, "one two  three");
    EXPECT_TRUE(f.journal.Empty());
    EXPECT_EQ(f.t.errorsReported, 1);
}

// The control can fail an edit (memory ran out) and then leaves the text as it was. What was recorded
// for an edit that did not happen goes again, as the program's paths do it through a mark; an undo
// step the control could not make stays, to be tried again, and is reported.
TEST(UndoJournal, FailedEditsLeaveTheJournalAsItWasAndFailedUndoStepsStay) {
    Fixture f;
    f.TypeText("abc");
    auto failing = [&f](auto edit) {
        const UndoMark mark = f.journal.Mark();
        f.t.editsToFail = 1;
        edit();
        if (f.t.editsToFail == 0) f.journal.ForgetSince(mark);
        f.t.editsToFail = 0;
    };
    failing([&] { f.editor.Type('d'); });                // would have grown the run
    failing([&] { f.editor.ReplaceSelection("xyz"); });  // would have pushed a record
    failing([&] { f.editor.Enter(); });
    EXPECT_EQ(f.t.text, "abc");
    ASSERT_EQ(f.journal.RecordCount(), 1u);
    EXPECT_EQ(f.journal.Newest()->end, 2);
    f.TypeText("d");
    EXPECT_EQ(f.journal.RecordCount(), 1u);

    f.t.editsToFail = 1;
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "abcd");
    EXPECT_EQ(f.t.errorsReported, 1);
    for (int i = 0; i < 4; ++i) f.editor.Undo();
    EXPECT_EQ(f.t.text, "");
    EXPECT_TRUE(f.journal.Empty());

    // A word the control could not delete is not recorded as deleted.
    Fixture w("one two");
    w.Caret(0);
    w.t.editsToFail = 1;
    w.editor.CtrlDelete();
    EXPECT_EQ(w.t.text, "one two");
    EXPECT_TRUE(w.journal.Empty());
    EXPECT_EQ(w.t.errorsReported, 1);

    // A snapshot that cannot be streamed back stays for the next Undo, with its view.
    Fixture s("old");
    s.journal.Record(s.t, UndoKind::TextSnapshot, 0);
    s.t.StreamTextIn("new");
    s.t.codePage = 2;
    s.t.editsToFail = 1;
    s.editor.Undo();
    EXPECT_EQ(s.t.text, "new");
    EXPECT_EQ(s.t.codePage, 2);
    s.editor.Undo();
    EXPECT_EQ(s.t.text, "old");
    EXPECT_EQ(s.t.codePage, 0);
}

TEST(UndoJournal, ConsecutiveSnapshotsAreTakenBackTogetherWithTheirView) {
    Fixture f("Hello");
    f.t.SetSelection(1, 3);
    f.journal.Record(f.t, UndoKind::TextSnapshot, 0);
    f.t.StreamTextIn("HELLO");
    f.t.ApplyViewCodePage(1);
    f.journal.Record(f.t, UndoKind::TextSnapshot, 0);
    f.t.StreamTextIn("hello world");
    f.t.ApplyViewCodePage(2);
    EXPECT_EQ(f.journal.RecordCount(), 1u);
    EXPECT_EQ(f.journal.Newest()->value, 5u);
    f.editor.Undo();
    EXPECT_EQ(f.t.text, "Hello");
    EXPECT_EQ(f.t.selStart, 1);
    EXPECT_EQ(f.t.selEnd, 3);
    EXPECT_EQ(f.t.codePage, 0);

    Fixture e;
    e.t.codePage = 2;
    e.journal.Record(e.t, UndoKind::TextSnapshot, 0);
    e.t.StreamTextIn("new");
    e.t.SetSelection(2, 3);
    e.t.codePage = 0;
    e.editor.Undo();
    EXPECT_EQ(e.t.text, "");
    EXPECT_EQ(e.t.selStart, 0);
    EXPECT_EQ(e.t.selEnd, 0);
    EXPECT_EQ(e.t.codePage, 2);
}

TEST(UndoJournal, SwitchedOffRecordsNothingAndClearFreesEverything) {
    MemoryText t("abc");
    InstallUndoTextAccess(&t);
    ClearUndo();
    JournalOff = true;
    RecordUndo(UndoKind::TextSnapshot, 0);
    RecordUndo(UndoKind::DeleteWordRight, 0);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    EXPECT_EQ(t.text, "abc");
    JournalOff = false;
    RecordUndo(UndoKind::TextSnapshot, 0);
    t.StreamTextIn("x");
    t.SetSelection(1, 1);
    RecordUndo(UndoKind::TypeChar, 1);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 2u);
    EXPECT_GT(DocumentUndoJournal().MemoryBytes(), 0u);
    ClearUndo();
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    EXPECT_EQ(DocumentUndoJournal().MemoryBytes(), 0u);
    UndoLast();
    EXPECT_EQ(t.text, "x");
    InstallUndoTextAccess(nullptr);
}

// The property: whatever the user does, each Undo returns to the text before the edit it takes
// back, with the caret where the journal puts it, and undoing everything gives the original text.
class RandomEditing {
public:
    RandomEditing(std::uint32_t seed, bool keepsLf) : rng_(seed) { f_.t.overwriteKeepsLf = keepsLf; }

    void Run() {
        original_ = RandomBytes(Pick(0, 30));
        f_.t.text = original_;
        RandomSelection();
        int actions = Pick(1, 40);
        for (int i = 0; i < actions && !::testing::Test::HasFailure(); ++i) Step();
        while (!units_.empty() && !::testing::Test::HasFailure()) UndoOne();
        EXPECT_TRUE(f_.journal.Empty());
        EXPECT_EQ(f_.t.text, original_);
    }

private:
    struct Unit {
        std::string text;
        std::int32_t selStart, selEnd;
        bool snapshot = false;
        std::uint8_t codePage = 0;
        std::string what;
    };

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    std::int32_t Length() { return f_.t.TextLength(); }

    std::string RandomBytes(int n) {
        static const std::string_view pieces[] = {"a", "b", "z", " ", "\t", "\r\n", "\r\n", "\r\n", "\r", "\n",
                                                  std::string_view("\0", 1), "\xE0", "\xA0", "\xFF", ".", "Q"};
        std::string s;
        while (static_cast<int>(s.size()) < n) s += pieces[Pick(0, 15)];
        return s;
    }
    void RandomSelection() {
        std::int32_t a = Pick(0, Length());
        std::int32_t b = Pick(0, 3) == 0 ? Pick(0, Length()) : a;
        // Mostly where the keyboard can put the caret: not inside a CR LF pair.
        if (Pick(0, 4) != 0) {
            if (f_.t.IsCrLfAt(a - 1)) --a;
            if (f_.t.IsCrLfAt(b - 1)) ++b;
        }
        f_.t.SetSelection(a, b);
    }

    // Where the selection [first, last) of the text ends once the subclass's rule has kept a line
    // break out of it.
    template <typename Rule>
    static std::int32_t SelectionEndKept(const std::string& text, std::int32_t first, std::int32_t last, Rule&& rule) {
        MemoryText probe(text);
        probe.SetSelection(first, last);
        rule(probe);
        return probe.selEnd;
    }

    void Push(Unit u) { units_.push_back(std::move(u)); }
    Unit Before(std::string what) { return Unit{f_.t.text, 0, 0, false, f_.t.codePage, std::move(what)}; }

    void Step() {
        Editor& e = f_.editor;
        std::int32_t s0 = f_.t.selStart, s1 = f_.t.selEnd, length = Length();
        switch (Pick(0, 15)) {
        case 0:
        case 1:
        case 2: {  // a typing run, possibly in overwrite mode
            e.overwrite = Pick(0, 3) == 0;
            int n = Pick(1, 5);
            for (int k = 0; k < n; ++k) {
                Unit u = Before(e.overwrite ? "overtype" : "type");
                std::int32_t a = f_.t.selStart, b = f_.t.selEnd, before = Length();
                std::string ch = RandomBytes(1).substr(0, 1);
                // Only printable characters are typed; Enter has its own key.
                if (ch == "\r" || ch == "\n" || ch[0] == '\0') ch = "k";
                e.Type(ch[0]);
                b = SelectionEndKept(u.text, a, b, [](MemoryText& text) { KeepLineBreakWhenTyping(text); });
                std::int32_t caret = a != b ? b : (e.overwrite && Length() == before) ? a + 1 : a;
                u.selStart = u.selEnd = caret;
                Push(std::move(u));
            }
            break;
        }
        case 3: {
            Unit u = Before("enter");
            e.Enter();
            u.selStart = u.selEnd = s1;
            Push(std::move(u));
            break;
        }
        case 4:
        case 5: {
            Unit u = Before("delete");
            std::int32_t b = SelectionEndKept(u.text, s0, s1, [&](MemoryText& text) {
                if (s1 - s0 > 2) KeepLineBreakWhenDeleting(text, text.LineStartOf(s0));
            });
            e.Delete();
            if (s0 == b && s0 >= length) break;
            u.selStart = u.selEnd = b;
            Push(std::move(u));
            break;
        }
        case 6:
        case 7: {
            Unit u = Before("backspace");
            e.Backspace();
            if (s0 == s1 && s0 < 1) break;
            u.selStart = u.selEnd = s1;
            Push(std::move(u));
            break;
        }
        case 8:
        case 9: {
            bool right = Pick(0, 1) == 0;
            Unit u = Before(right ? "ctrl+delete" : "ctrl+backspace");
            right ? e.CtrlDelete() : e.CtrlBackspace();
            if (f_.t.text == u.text) break;
            // Where the deletion started: the caret after it may have moved to the start of a pair
            // that the deletion made.
            u.selStart = u.selEnd = f_.journal.Newest()->start + (length - Length());
            Push(std::move(u));
            break;
        }
        case 10: {
            Unit u = Before("ctrl+y");
            e.CtrlY();
            u.selStart = u.selEnd = f_.journal.Newest()->start + (length - Length());
            Push(std::move(u));
            break;
        }
        case 11: {
            Unit u = Before("replace selection");
            e.ReplaceSelection(RandomBytes(Pick(0, 6)));
            u.selStart = u.selEnd = s1;
            Push(std::move(u));
            break;
        }
        case 12: {  // a whole-text rewrite (conversion, transform, replace run, insert file, drop)
            Unit u = Before("snapshot");
            u.snapshot = true;
            if (length > 0) {
                u.selStart = s0;
                u.selEnd = s1;
            }
            bool merged = !units_.empty() && units_.back().snapshot;
            f_.journal.Record(f_.t, UndoKind::TextSnapshot, 0);
            std::string rewritten = f_.t.text;
            switch (Pick(0, 3)) {
            case 0:
                for (char& c : rewritten) c = static_cast<char>(c ^ 0x20);
                break;
            case 1:
                std::erase(rewritten, '\r');
                break;
            case 2:
                rewritten.insert(static_cast<std::size_t>(Pick(0, length)), RandomBytes(Pick(1, 8)));
                break;
            default:
                rewritten.clear();
            }
            f_.t.StreamTextIn(rewritten);
            if (Pick(0, 1)) f_.t.ApplyViewCodePage(static_cast<std::uint8_t>(Pick(0, 2)));
            RandomSelection();
            if (!merged) Push(std::move(u));
            break;
        }
        case 13:  // a view switch is no edit
            f_.t.ApplyViewCodePage(static_cast<std::uint8_t>(Pick(0, 2)));
            break;
        case 14:
            UndoOne();
            break;
        default:
            RandomSelection();
        }
    }

    void UndoOne() {
        if (units_.empty()) {
            EXPECT_TRUE(f_.journal.Empty());
            std::string before = f_.t.text;
            f_.editor.Undo();
            EXPECT_EQ(f_.t.text, before);
            return;
        }
        Unit u = std::move(units_.back());
        units_.pop_back();
        f_.editor.Undo();
        ASSERT_EQ(f_.t.text, u.text) << "undo of " << u.what << ", original " << ::testing::PrintToString(original_);
        // The control keeps no caret between the CR and the LF of a pair.
        if (u.selStart == u.selEnd && u.selStart > 0 && u.text.compare(static_cast<std::size_t>(u.selStart - 1), 2, "\r\n") == 0)
            u.selStart = u.selEnd = u.selStart - 1;
        EXPECT_EQ(f_.t.selStart, u.selStart) << "undo of " << u.what;
        EXPECT_EQ(f_.t.selEnd, u.selEnd) << "undo of " << u.what;
        if (u.snapshot) {
            EXPECT_EQ(f_.t.codePage, u.codePage);
        }
    }

    std::mt19937 rng_;
    Fixture f_;
    std::string original_;
    std::vector<Unit> units_;
};

TEST(UndoJournal, RandomEditSequencesUndoToTheOriginalText) {
    for (bool keepsLf : {false, true}) {
        for (std::uint32_t seed = 1; seed <= 4000 && !HasFailure(); ++seed) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << (keepsLf ? ", control keeps lone LF" : ""));
            RandomEditing(seed, keepsLf).Run();
        }
    }
}

}  // namespace
