#include "control/editing_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/core/plain_utf16.h"

namespace {

using Motion = EditingState::Motion;

// A text of words of every class, long words that wrap inside themselves, runs of blanks and every
// kind of line break, Cyrillic letters included.
std::string RandomText(std::mt19937& random) {
    static const char* const pieces[] = {"a", "bc", "word", "\xE0\xE1\xE2", " ", "  ", "\t", ".", ",!",
                                         "\r\n", "\r\n", "\r", "\n", "\r\n\r\n", "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"};
    std::string text;
    std::size_t count = random() % 120;
    for (std::size_t i = 0; i < count; ++i) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
    return text;
}

struct Editing {
    TextModel text;
    TextLayout layout{text};
    EditingState edit{text, layout};

    Editing(std::string_view bytes, std::mt19937& random) {
        text.SetTextLimit(TextModel::kLargestLimit);
        text.Insert(0, bytes, false);
        CharWidths widths;
        for (int& w : widths) w = 1 + static_cast<int>(random() % 20);
        layout.SetWidths(widths, 40);
        int wrapWidths[] = {0, 0, 25, 60, 110, 200};
        int wrap = wrapWidths[random() % 6];
        layout.SetWrapWidth(wrap);
        edit.SetViewSize(2 + random() % 8, wrap ? wrap : 150, 8);
    }
    // Edits run on random texts; a failure names the case.
    std::string Case() const { return "text '" + text.Text() + "' wrap " + std::to_string(layout.WrapWidth()); }
};

bool InsidePair(const TextModel& text, std::size_t p) {
    return p > 0 && p < text.Length() && text.At(p - 1) == '\r' && text.At(p) == '\n';
}

// Each round is a random text with random character widths, wrap width and view height.
template <typename Check>
void ForRandomTexts(unsigned rounds, Check&& check) {
    std::mt19937 random(20261208);
    for (unsigned round = 0; round < rounds; ++round) {
        std::string bytes = RandomText(random);
        Editing e(bytes, random);
        check(e, random);
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace

TEST(EditingState, RightVisitsEveryPlaceOnceNeverInsideALineBreakAndLeftGoesBack) {
    ForRandomTexts(300, [](Editing& e, std::mt19937&) {
        std::size_t length = e.text.Length();
        std::vector<std::size_t> forward{0};
        e.edit.Select(0, 0);
        while (e.edit.Caret() < length) {
            ASSERT_TRUE(e.edit.Move(Motion::Right, false));
            ASSERT_GT(e.edit.Caret(), forward.back()) << e.Case();
            forward.push_back(e.edit.Caret());
        }
        std::vector<std::size_t> expected;
        for (std::size_t p = 0; p <= length; ++p)
            if (!InsidePair(e.text, p)) expected.push_back(p);
        EXPECT_EQ(forward, expected) << e.Case();

        std::vector<std::size_t> backward{length};
        while (e.edit.Caret() > 0) {
            e.edit.Move(Motion::Left, false);
            backward.push_back(e.edit.Caret());
        }
        EXPECT_EQ(std::vector<std::size_t>(backward.rbegin(), backward.rend()), forward) << e.Case();

        // With Shift the anchor stays; without, a selection collapses to the side the key names.
        e.edit.Select(0, 0);
        for (std::size_t i = 1; i < forward.size() && i < 4; ++i) e.edit.Move(Motion::Right, true);
        EXPECT_EQ(e.edit.Anchor(), 0u);
        std::size_t end = e.edit.Caret();
        e.edit.Move(Motion::Left, false);
        EXPECT_EQ(e.edit.Caret(), 0u);
        e.edit.Select(end, 0);
        e.edit.Move(Motion::Right, false);
        EXPECT_EQ(e.edit.Caret(), end);
        EXPECT_FALSE(e.edit.HasSelection());
    });
}

TEST(EditingState, AnEmptySelectionNeverStandsInsideALineBreakButARangeMay) {
    TextModel text;
    TextLayout layout{text};
    EditingState edit{text, layout};
    text.Insert(0, "ab\r\ncd\n\r\n", false);
    edit.Select(3, 3);
    EXPECT_EQ(edit.Caret(), 2u);
    EXPECT_EQ(edit.Anchor(), 2u);
    edit.Select(8, 8);
    EXPECT_EQ(edit.Caret(), 7u);
    edit.Select(3, 4);  // a search may select the LF of a pair
    EXPECT_EQ(edit.SelectionStart(), 3u);
    EXPECT_EQ(edit.SelectionEnd(), 4u);
    edit.Select(100, 200);
    EXPECT_EQ(edit.Caret(), text.Length());
    EXPECT_EQ(edit.NextPosition(2), 4u);
    EXPECT_EQ(edit.PreviousPosition(4), 2u);
    EXPECT_EQ(edit.PreviousPosition(8), 7u);  // LF CR LF: the lone LF is a step of its own
}

TEST(EditingState, EndStaysOnItsDisplayLineAndHomeReturnsToTheLineStart) {
    ForRandomTexts(300, [](Editing& e, std::mt19937& random) {
        std::size_t lines = e.layout.DisplayLineCount();
        for (std::size_t d = 0; d < lines; ++d) {
            std::size_t start = e.layout.DisplayLineStart(d);
            std::size_t end = e.layout.DisplayLineEnd(d);
            std::size_t p = start + (end > start ? random() % (end - start) : 0);
            e.edit.Select(p, p);
            ASSERT_EQ(e.edit.CaretLine(), d) << e.Case() << " at " << p;
            e.edit.Move(Motion::LineEnd, false);
            EXPECT_EQ(e.edit.CaretLine(), d) << e.Case() << " line " << d;
            std::size_t lineEnd = e.edit.Caret();
            bool lastPart = d + 1 == lines || e.layout.DisplayLineStart(d + 1) != end;
            if (lastPart) {
                EXPECT_EQ(lineEnd, e.text.LineEnd(e.text.LineFromPosition(start))) << e.Case();
            } else {
                // An upper part ends on the blank it hangs on, or behind its last letter when the
                // line wraps inside a word.
                unsigned char last = e.text.At(end - 1);
                EXPECT_EQ(lineEnd, last == ' ' || last == '\t' ? end - 1 : end) << e.Case() << " line " << d;
                EXPECT_EQ(e.edit.CaretAtLineEnd(), lineEnd == end);
            }
            // Shift+End selects up to the same place; Home goes back to the line's start.
            e.edit.Select(p, p);
            e.edit.Move(Motion::LineEnd, true);
            EXPECT_EQ(e.edit.Caret(), lineEnd);
            EXPECT_EQ(e.edit.Anchor(), p);
            e.edit.Move(Motion::LineStart, false);
            EXPECT_EQ(e.edit.Caret(), start) << e.Case() << " line " << d;
            // A click past the end of the line lands where End does, on the same line.
            e.edit.ScrollTo(d, 0);
            EditingState::Place place = e.edit.PlaceAt(static_cast<long>(d - e.edit.TopLine()), 1 << 20);
            EXPECT_EQ(place.position, lineEnd);
            e.edit.MoveTo(place, false);
            EXPECT_EQ(e.edit.CaretLine(), d);
        }
        e.edit.Move(Motion::TextEnd, false);
        EXPECT_EQ(e.edit.Caret(), e.text.Length());
        e.edit.Move(Motion::TextStart, true);
        EXPECT_EQ(e.edit.SelectionEnd(), e.text.Length());
        EXPECT_EQ(e.edit.Caret(), 0u);
    });
}

TEST(EditingState, DownThenUpReturnsToTheSamePlaceAndTheColumnOutlivesShortLines) {
    ForRandomTexts(300, [](Editing& e, std::mt19937& random) {
        std::size_t lines = e.layout.DisplayLineCount();
        for (int trial = 0; trial < 10; ++trial) {
            std::size_t p = random() % (e.text.Length() + 1);
            e.edit.Select(p, p);
            p = e.edit.Caret();
            std::size_t d = e.edit.CaretLine();
            if (d + 1 >= lines) {
                EXPECT_FALSE(e.edit.Move(Motion::Down, false));
                EXPECT_EQ(e.edit.Caret(), p);
                continue;
            }
            ASSERT_TRUE(e.edit.Move(Motion::Down, false));
            EXPECT_EQ(e.edit.CaretLine(), d + 1) << e.Case() << " from " << p;
            std::size_t steps = 1;
            if (d + 2 < lines) {
                e.edit.Move(Motion::Down, false);
                EXPECT_EQ(e.edit.CaretLine(), d + 2) << e.Case() << " from " << p;
                ++steps;
            }
            for (std::size_t i = 0; i < steps; ++i) ASSERT_TRUE(e.edit.Move(Motion::Up, false));
            EXPECT_EQ(e.edit.Caret(), p) << e.Case() << " from " << p;
            EXPECT_EQ(e.edit.CaretLine(), d);
        }
        // Up on the first line does nothing.
        e.edit.Select(0, 0);
        EXPECT_FALSE(e.edit.Move(Motion::Up, false));
        EXPECT_EQ(e.edit.Caret(), 0u);
    });
}

// A column remembered by Up and Down belongs to those moves only: any other change of the
// selection, a double click among them, starts from the caret's own column.
TEST(EditingState, TheColumnForUpAndDownIsForgottenByAnyOtherMove) {
    std::mt19937 random(7);
    Editing e("long first line\r\nab\r\nthird line here", random);
    CharWidths widths;
    widths.fill(10);
    e.layout.SetWidths(widths, 40);
    e.layout.SetWrapWidth(0);
    e.edit.Select(12, 12);
    e.edit.Move(Motion::Down, false);
    EXPECT_EQ(e.edit.Caret(), 19u);  // the end of "ab"
    EXPECT_EQ(e.edit.DesiredX(), 120);
    e.edit.Move(Motion::Down, false);
    EXPECT_EQ(e.edit.Caret(), 33u);  // back to the column of the start
    ASSERT_TRUE(e.edit.SelectWordAt(17));
    EXPECT_EQ(e.edit.DesiredX(), -1);
    e.edit.EndSelecting();
    e.edit.Move(Motion::Down, false);
    EXPECT_EQ(e.edit.Caret(), 23u);  // below the end of "ab", not at the old column
}

TEST(EditingState, ADoubleClickSelectsAWordWithItsBlanksAndADragGoesByWholeWords) {
    ForRandomTexts(300, [](Editing& e, std::mt19937& random) {
        const ViewLetters& letters = e.edit.Letters();
        std::size_t length = e.text.Length();
        auto cls = [&](std::size_t i) { return letters.classes[e.text.At(i)]; };
        for (int trial = 0; trial < 5; ++trial) {
            std::size_t p = random() % (length + 1);
            e.edit.Select(0, 0);
            bool selected = e.edit.SelectWordAt(p);
            // At a line break or the text's end the word is the one before.
            std::size_t at = p < length && cls(p) != WordClass::LineBreak ? p : p - (p > 0);
            if (length == 0 || cls(at) == WordClass::LineBreak) {
                EXPECT_FALSE(selected) << e.Case() << " at " << p;
                continue;
            }
            ASSERT_TRUE(selected) << e.Case() << " at " << p;
            std::size_t first = e.edit.SelectionStart(), last = e.edit.SelectionEnd();
            WordClass word = cls(at);
            // The run of one class around the place, whole, then the blanks after it.
            ASSERT_LE(first, at);
            ASSERT_GT(last, at);
            EXPECT_TRUE(first == 0 || cls(first - 1) != word) << e.Case() << " at " << p;
            std::size_t i = first;
            while (i < last && cls(i) == word) ++i;
            EXPECT_GT(i, at);
            std::size_t wordEnd = i;
            if (word != WordClass::Blank)
                while (i < last && cls(i) == WordClass::Blank) ++i;
            EXPECT_EQ(i, last) << e.Case() << " at " << p;
            if (last < length) {
                EXPECT_NE(cls(last), WordClass::Blank) << e.Case() << " at " << p;
                if (wordEnd == last) EXPECT_NE(cls(last), word) << e.Case() << " at " << p;
            }

            // A drag from there keeps the word and ends at the bounds of the words it reaches.
            std::size_t q = random() % (length + 1);
            e.edit.DragTo({q, false});
            EXPECT_LE(e.edit.SelectionStart(), first);
            EXPECT_GE(e.edit.SelectionEnd(), last);
            auto [qFirst, qLast] = e.edit.WordAt(q);
            EXPECT_TRUE(e.edit.SelectionStart() == qFirst || e.edit.SelectionEnd() == qLast ||
                        (e.edit.SelectionStart() == first && e.edit.SelectionEnd() == last))
                << e.Case() << " from " << p << " to " << q;
            e.edit.EndSelecting();
        }
    });
}

TEST(EditingState, PageDownThenPageUpKeepsTheCaretsRowAndPlace) {
    std::mt19937 random(11);
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + (i % 7 == 0 ? " with more words on it" : "") + "\r\n";
    for (int wrap : {0, 70})
    for (std::size_t rows : {1, 2, 3, 12}) {
        Editing e(text, random);
        CharWidths widths;
        widths.fill(10);
        e.layout.SetWidths(widths, 40);
        e.layout.SetWrapWidth(wrap);
        e.edit.SetViewSize(rows, wrap ? wrap : 400, 10);
        std::size_t page = static_cast<std::size_t>(e.edit.PageLines());
        std::size_t lines = e.layout.DisplayLineCount();
        for (int trial = 0; trial < 200; ++trial) {
            e.edit.ScrollTo(random() % lines, 0);
            std::size_t top = e.edit.TopLine();
            std::size_t line = top + random() % rows;
            line = std::min(line, lines - 1);
            std::size_t start = e.layout.DisplayLineStart(line);
            std::size_t end = e.layout.DisplayLineEnd(line);
            std::size_t p = start + (end > start ? random() % (end - start) : 0);
            e.edit.Select(p, p);
            p = e.edit.Caret();
            std::size_t row = e.edit.CaretLine() - top;
            ASSERT_LT(row, rows);
            e.edit.Move(Motion::PageDown, false);
            std::size_t newRow = e.edit.CaretLine() - e.edit.TopLine();
            EXPECT_LT(newRow, rows) << "the caret stays in view";
            if (e.edit.TopLine() == top + page && e.edit.CaretLine() + 1 < lines) {
                EXPECT_EQ(newRow, row) << "wrap " << wrap << " rows " << rows << " top " << top << " at " << p;
                e.edit.Move(Motion::PageUp, false);
                EXPECT_EQ(e.edit.TopLine(), top);
                EXPECT_EQ(e.edit.Caret(), p) << "wrap " << wrap << " rows " << rows << " top " << top;
            } else {
                // Near the end the view stops and the caret goes on, at most to the text's end.
                EXPECT_EQ(e.edit.TopLine(), e.edit.ClampTopLine(lines));
            }
        }
        // Past the first line Page Up goes to the start, past the last Page Down to the end, in a
        // view of any height, and a selection collapses.
        e.edit.ScrollTo(0, 0);
        e.edit.Select(5, 3);
        EXPECT_TRUE(e.edit.Move(Motion::PageUp, false));
        EXPECT_EQ(e.edit.Caret(), 0u) << "rows " << rows;
        EXPECT_FALSE(e.edit.HasSelection()) << "rows " << rows;
        e.edit.Select(text.size() - 4, text.size());
        EXPECT_TRUE(e.edit.Move(Motion::PageDown, false));
        EXPECT_EQ(e.edit.Caret(), text.size()) << "rows " << rows;
        EXPECT_FALSE(e.edit.HasSelection()) << "rows " << rows;
    }
}

TEST(EditingState, ADroppedSelectionMovesOrCopiesAndADropIntoItselfChangesNothing) {
    ForRandomTexts(300, [](Editing& e, std::mt19937& random) {
        std::string before = e.text.Text();
        std::size_t length = before.size();
        std::size_t a = random() % (length + 1), b = random() % (length + 1);
        std::size_t to = random() % (length + 1);
        bool copy = random() % 3 == 0;
        e.edit.Select(a, b);
        std::size_t first = e.edit.SelectionStart(), last = e.edit.SelectionEnd();
        std::string dragged = before.substr(first, last - first);
        // The text is kept over a limit lowered under it: a move never loses bytes to it.
        if (random() % 4 == 0) e.text.SetTextLimit(std::max<std::size_t>(1, length / 2));

        EditingState::Drop drop = e.edit.DropAt(to, copy);
        std::string expected;
        if (to >= first && to <= last) {
            EXPECT_FALSE(drop.changesText);
            EXPECT_EQ(drop.selectFirst, to);
            EXPECT_EQ(drop.selectLast, to);
            return;
        }
        if (copy) expected = before.substr(0, to) + dragged + before.substr(to);
        else if (to > last)
            expected = before.substr(0, first) + before.substr(last, to - last) + dragged + before.substr(to);
        else expected = before.substr(0, to) + dragged + before.substr(to, first - to) + before.substr(last);
        ASSERT_TRUE(drop.changesText);
        std::size_t inserted = e.text.Replace(drop.first, drop.last, drop.bytes, false);
        if (copy && e.text.TextLimit() < expected.size()) {
            EXPECT_EQ(e.text.Text(), before.substr(0, to) + dragged.substr(0, inserted) + before.substr(to));
            return;
        }
        EXPECT_EQ(e.text.Text(), expected) << "from " << first << "-" << last << " to " << to;
        e.edit.Select(drop.selectFirst, drop.selectLast);
        EXPECT_EQ(e.text.Range(e.edit.SelectionStart(), e.edit.SelectionEnd()), dragged);
    });
}

TEST(EditingState, TheViewKeepsTheCaretInSightAndStaysWithinTheText) {
    ForRandomTexts(300, [](Editing& e, std::mt19937& random) {
        std::size_t lines = e.layout.DisplayLineCount();
        std::size_t rows = e.edit.VisibleLines();
        EXPECT_EQ(e.edit.ClampTopLine(lines + 50), lines > rows ? lines - rows : 0);
        for (int trial = 0; trial < 5; ++trial) {
            std::size_t p = random() % (e.text.Length() + 1);
            e.edit.ScrollTo(random() % (lines + 3), random() % 3000);
            EXPECT_LE(e.edit.TopLine(), e.edit.ClampTopLine(lines));
            if (e.layout.Wraps()) EXPECT_EQ(e.edit.ScrollX(), 0);
            e.edit.Select(p, p);
            e.edit.ScrollCaretIntoView();
            std::size_t line = e.edit.CaretLine();
            EXPECT_GE(line, e.edit.TopLine());
            EXPECT_LT(line, e.edit.TopLine() + rows);
            if (!e.layout.Wraps()) {
                std::int64_t x = e.layout.XOfPosition(line, e.edit.Caret());
                EXPECT_GE(x, e.edit.ScrollX());
                EXPECT_LT(x, e.edit.ScrollX() + e.edit.TextWidth());
                EXPECT_GE(e.edit.WidestLine(), x);
            }
            // The view's rows are what a position's row counts from.
            EXPECT_EQ(e.edit.RowOf(e.edit.Caret()), static_cast<long>(line) - static_cast<long>(e.edit.TopLine()));
            EXPECT_FALSE(e.edit.ScrollCaretIntoView()) << "already in sight";
        }
    });
}

TEST(EditingState, WheelUnitsAddUpToNotchesAndSidewaysStopsAtTheWidestLine) {
    std::mt19937 random(3);
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line\r\n";
    Editing e(text, random);
    e.layout.SetWrapWidth(0);
    e.edit.SetViewSize(10, 200, 8);
    e.edit.ScrollTo(50, 0);
    // Three small turns down make one notch: three lines.
    EXPECT_FALSE(e.edit.Wheel(-40, 3, false));
    EXPECT_FALSE(e.edit.Wheel(-40, 3, false));
    EXPECT_TRUE(e.edit.Wheel(-40, 3, false));
    EXPECT_EQ(e.edit.TopLine(), 53u);
    EXPECT_TRUE(e.edit.Wheel(2 * EditingState::kWheelNotch, 3, false));
    EXPECT_EQ(e.edit.TopLine(), 47u);
    EXPECT_TRUE(e.edit.Wheel(EditingState::kWheelNotch, 3, true));  // a page a notch
    EXPECT_EQ(e.edit.TopLine(), 37u);
    EXPECT_TRUE(e.edit.Wheel(100 * EditingState::kWheelNotch, 3, false));
    EXPECT_EQ(e.edit.TopLine(), 0u);
    EXPECT_FALSE(e.edit.Wheel(EditingState::kWheelNotch, 3, false)) << "nothing above the start";

    e.edit.NoteLineWidth(100);
    EXPECT_TRUE(e.edit.HorizontalWheel(EditingState::kWheelNotch, 3));
    EXPECT_EQ(e.edit.ScrollX(), 24);
    e.edit.HorizontalWheel(10 * EditingState::kWheelNotch, 3);
    EXPECT_EQ(e.edit.ScrollX(), 100);
    e.edit.HorizontalWheel(-20 * EditingState::kWheelNotch, 3);
    EXPECT_EQ(e.edit.ScrollX(), 0);
    e.layout.SetWrapWidth(150);
    EXPECT_FALSE(e.edit.HorizontalWheel(EditingState::kWheelNotch, 3)) << "a wrapped view has nothing sideways";
}

TEST(EditingState, DeletingKeysTakeALineBreakPairWholeAndOverwritingStopsAtTheBreak) {
    using Deletion = EditingState::Deletion;
    ForRandomTexts(300, [](Editing& e, std::mt19937& random) {
        // Backspace from the end, and Delete from the start, empty the text one character (or one
        // CR LF pair) at a time, and a deleting run is one undo step.
        for (Deletion deletion : {Deletion::CharacterBefore, Deletion::CharacterAfter}) {
            std::string before = e.text.Text();
            std::size_t start = deletion == Deletion::CharacterBefore ? e.text.Length() : 0;
            e.edit.Select(start, start);
            while (e.text.Length() > 0) {
                EditingState::KeyEdit edit = e.edit.DeletionFor(deletion);
                ASSERT_LT(edit.first, edit.last) << e.Case();
                std::string removed = e.text.Range(edit.first, edit.last);
                EXPECT_TRUE(removed.size() == 1 || removed == "\r\n") << e.Case();
                EXPECT_FALSE(InsidePair(e.text, edit.first) || InsidePair(e.text, edit.last)) << e.Case();
                EXPECT_EQ(edit.kind, EditKind::Deleting);
                e.text.Erase(edit.first, edit.last, true, edit.kind);
                e.edit.Select(edit.first, edit.first);
            }
            e.text.Undo();
            EXPECT_EQ(e.text.Text(), before) << "one undo step brings the whole run back";
        }
        // Word deletions end where Ctrl+arrows stop; any key takes a selection whole.
        std::size_t length = e.text.Length();
        std::size_t p = random() % (length + 1);
        e.edit.Select(p, p);
        p = e.edit.Caret();
        EditingState::KeyEdit word = e.edit.DeletionFor(Deletion::WordAfter);
        e.edit.Move(Motion::WordRight, false);
        EXPECT_EQ(word.first, p);
        EXPECT_EQ(word.last, e.edit.Caret());
        EditingState::KeyEdit wordBefore = e.edit.DeletionFor(Deletion::WordBefore);
        e.edit.Move(Motion::WordLeft, false);
        EXPECT_EQ(wordBefore.first, e.edit.Caret());
        e.edit.Select(p, p);
        EXPECT_EQ(e.edit.DeletionFor(Deletion::Selection).last, e.edit.DeletionFor(Deletion::Selection).first);
        std::size_t q = random() % (length + 1);
        e.edit.Select(p, q == p ? (p == 0 ? length : 0) : q);
        for (Deletion deletion : {Deletion::Selection, Deletion::CharacterBefore, Deletion::WordAfter}) {
            if (length == 0) break;
            EditingState::KeyEdit edit = e.edit.DeletionFor(deletion);
            EXPECT_EQ(edit.first, e.edit.SelectionStart());
            EXPECT_EQ(edit.last, e.edit.SelectionEnd());
            EXPECT_EQ(edit.kind, EditKind::Other);
        }
        // Overwriting replaces one character of the line, never its break.
        e.edit.Select(p, p);
        EditingState::KeyEdit typed = e.edit.TypingFor(true);
        p = e.edit.Caret();
        EXPECT_EQ(typed.first, p);
        bool atBreak = p == length || e.text.At(p) == '\r' || e.text.At(p) == '\n';
        EXPECT_EQ(typed.last, atBreak ? p : p + 1) << e.Case() << " at " << p;
        EXPECT_EQ(e.edit.TypingFor(false).last, p);
    });
}

namespace {

// UTF-8 texts of characters of every length with bytes that belong to none among them: stray
// continuation bytes, cut and overlong sequences, encoded surrogates, bytes no sequence begins with.
std::string RandomUtf8Text(std::mt19937& random) {
    static const char* const pieces[] = {
        "a", "word", " ", "\t", ".", "\r\n", "\n", "\xD0\x9F\xD1\x80\xD0\xB8", "\xCE\xB1\xCE\xB2",  // Пpи αβ
        "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF0\x90\x8D\x88",                                     // € 😀 𐍈
        "\x80", "\xBF", "\xD0", "\xE2\x82", "\xF0\x9F\x98", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
        "\xF4\x90\x80\x80", "\xFF", "\xF8"};
    std::string text;
    std::size_t count = random() % 80;
    for (std::size_t i = 0; i < count; ++i) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
    return text;
}

// UTF-16 texts of random bytes in the units' order: letters of every plane, line breaks of units,
// pairs, surrogates without their other half, and now and then a single byte, which shifts every
// unit after it by one.
std::string RandomUtf16Text(std::mt19937& random, bool bigEndian) {
    static const char16_t* const pieces[] = {
        u"a", u"word", u" ", u"\t", u".", u"\r\n", u"\n", u"\r", u"\u041F\u0440\u0438", u"\u03B1\u03B2",
        u"\u20AC", u"\U0001F600", u"\U00010348", u"\u00A0", u"\xD800", u"\xDC00", u"\xDBFF\xDBFF", u"\uFEFF",
        u"\u0D0A", u"\u0A0D", u"\u0A00"};
    std::string text;
    std::size_t count = random() % 80;
    for (std::size_t i = 0; i < count; ++i) {
        if (random() % 12 == 0) text += static_cast<char>(random() % 256);
        else text += PlainUtf16Bytes(pieces[random() % (sizeof pieces / sizeof pieces[0])], bigEndian);
    }
    return text;
}

std::vector<std::size_t> StartsOf(const std::vector<PlainCharacter>& characters, std::size_t length) {
    std::vector<std::size_t> starts;
    for (const PlainCharacter& c : characters) starts.push_back(c.start);
    starts.push_back(length);
    return starts;
}

std::vector<std::size_t> PlainStarts(const std::string& text, CharacterForm form) {
    if (form == CharacterForm::Utf8) return StartsOf(PlainUtf8Characters(text), text.size());
    return StartsOf(PlainUtf16Characters(text, form == CharacterForm::Utf16Be), text.size());
}

// A CR LF pair of the text's units that position stands inside.
bool InsideUnitPair(const TextModel& text, std::size_t p) {
    const std::size_t unit = text.UnitBytes();
    return p >= unit && text.CrLfAt(p - unit);
}

}  // namespace

// In the UTF-8 and the UTF-16 views every place the caret or a selection's end can stand is a
// character start of the plain model: moves, clicks, word moves and double clicks stop there, Right
// then Left comes back, a deleting key removes exactly one character's bytes (or one line break),
// and a byte or unit of no character survives every edit around it.
TEST(EditingState, TheCharacterViewsGoByWholeCharactersAndKeepStrayUnits) {
    using Deletion = EditingState::Deletion;
    std::mt19937 random(24);
    for (CharacterForm form : {CharacterForm::Utf8, CharacterForm::Utf16Le, CharacterForm::Utf16Be})
    for (int round = 0; round < 300; ++round) {
        const bool bigEndian = form == CharacterForm::Utf16Be;
        Editing e(form == CharacterForm::Utf8 ? RandomUtf8Text(random) : RandomUtf16Text(random, bigEndian), random);
        e.text.SetForm(form);
        e.layout.SetCharacterMeasure([](char32_t code) { return 1 + static_cast<int>(code % 23); });
        std::string text = e.text.Text();
        std::vector<std::size_t> starts = PlainStarts(text, form), places;
        for (std::size_t p : starts)
            if (!InsideUnitPair(e.text, p)) places.push_back(p);
        auto isStart = [&](std::size_t p) { return std::binary_search(starts.begin(), starts.end(), p); };
        const std::string lineBreak = form == CharacterForm::Utf8 ? "\r\n" : PlainUtf16Bytes(u"\r\n", bigEndian);

        std::vector<std::size_t> forward{0};
        e.edit.Select(0, 0);
        while (e.edit.Caret() < text.size()) {
            e.edit.Move(Motion::Right, false);
            forward.push_back(e.edit.Caret());
        }
        ASSERT_EQ(forward, places) << e.Case();
        for (std::size_t i = forward.size(); i-- > 1;) {
            e.edit.Move(Motion::Left, false);
            ASSERT_EQ(e.edit.Caret(), forward[i - 1]) << e.Case();
        }

        for (int trial = 0; trial < 10; ++trial) {
            std::size_t p = random() % (text.size() + 1), q = random() % (text.size() + 1);
            e.edit.Select(p, q);
            EXPECT_TRUE(isStart(e.edit.Anchor()) && isStart(e.edit.Caret())) << e.Case() << " " << p << "-" << q;
            EXPECT_LE(e.edit.Anchor(), p);
            EXPECT_GT(e.edit.Anchor() + 4, p);
            e.edit.Select(p, p);
            for (Motion motion : {Motion::WordRight, Motion::WordLeft, Motion::Down, Motion::Up, Motion::LineEnd}) {
                e.edit.Move(motion, random() % 2);
                EXPECT_TRUE(isStart(e.edit.Caret())) << e.Case() << " from " << p;
            }
            auto [first, last] = e.edit.WordAt(p);
            EXPECT_TRUE(isStart(first) && isStart(last)) << e.Case() << " at " << p;
            EXPECT_TRUE(isStart(e.edit.PlaceAt(static_cast<long>(random() % 6), random() % 300).position)) << e.Case();

            // One key's edit: Backspace, Delete or an overwriting character, each over one whole
            // character (or a CR LF pair); the bytes around it stay, stray ones included.
            e.edit.Select(p, p);
            p = e.edit.Caret();
            EditingState::KeyEdit edit;
            switch (random() % 3) {
            case 0: edit = e.edit.DeletionFor(Deletion::CharacterBefore); break;
            case 1: edit = e.edit.DeletionFor(Deletion::CharacterAfter); break;
            default: edit = e.edit.TypingFor(true); break;
            }
            ASSERT_TRUE(isStart(edit.first) && isStart(edit.last)) << e.Case() << " at " << p;
            std::string removed = text.substr(edit.first, edit.last - edit.first);
            auto at = std::lower_bound(starts.begin(), starts.end(), edit.first);
            EXPECT_TRUE(edit.first == edit.last || removed == lineBreak || *(at + 1) == edit.last) << e.Case() << " at " << p;
            std::string inserted = edit.kind != EditKind::Typing ? std::string()
                                   : form == CharacterForm::Utf8 ? std::string("\xD0\xAF")
                                                                 : PlainUtf16Bytes(u"\u042F", bigEndian);
            e.text.Replace(edit.first, edit.last, inserted, false);
            EXPECT_EQ(e.text.Text(), text.substr(0, edit.first) + inserted + text.substr(edit.last));
            e.text.Replace(edit.first, edit.first + inserted.size(), removed, false);
            ASSERT_EQ(e.text.Text(), text);
        }
    }
}

// Word moves and double clicks know the letters and digits of Latin, Cyrillic and Greek text, and
// take a byte of no character for punctuation.
TEST(EditingState, Utf8WordsAreRunsOfUnicodeLettersAndDigits) {
    std::mt19937 random(3);
    // "Éte Привет,Ωμέγα2 x\xFF y"
    Editing e("\xC3\x89te \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82,\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1"
              "2 x\xFFy",
              random);
    e.text.SetForm(CharacterForm::Utf8);
    std::vector<std::size_t> stops{0};
    e.edit.Select(0, 0);
    while (e.edit.Caret() < e.text.Length()) {
        e.edit.Move(Motion::WordRight, false);
        stops.push_back(e.edit.Caret());
    }
    EXPECT_EQ(stops, (std::vector<std::size_t>{0, 5, 17, 18, 30, 31, 32, 33}));
    EXPECT_EQ(e.edit.WordAt(8), (std::pair<std::size_t, std::size_t>{5, 17}));
}
