#include "control/text_model.h"

#include <cstring>

#include "control/line_breaks.h"

#include "control/text_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The code units of the text in the form, from its start; a byte left over at the end is none.
std::vector<unsigned> ReferenceUnits(const std::string& s, CharacterForm form) {
    std::vector<unsigned> units;
    const std::size_t size = UnitBytes(form);
    for (std::size_t i = 0; i + size <= s.size(); i += size) {
        const unsigned char a = s[i], b = size == 2 ? s[i + 1] : 0;
        units.push_back(size == 1 ? a : form == CharacterForm::Utf16Be ? a * 256u + b : b * 256u + a);
    }
    return units;
}

std::vector<std::size_t> ReferenceLineStarts(const std::string& s, CharacterForm form = CharacterForm::Bytes) {
    std::vector<std::size_t> starts{0};
    const std::vector<unsigned> units = ReferenceUnits(s, form);
    const std::size_t size = UnitBytes(form);
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] == '\n' || (units[i] == '\r' && (i + 1 == units.size() || units[i + 1] != '\n')))
            starts.push_back((i + 1) * size);
    }
    return starts;
}

std::vector<std::string> ReferenceLines(const std::string& s, CharacterForm form = CharacterForm::Bytes) {
    std::vector<std::string> lines;
    auto starts = ReferenceLineStarts(s, form);
    for (std::size_t i = 0; i < starts.size(); ++i)
        lines.push_back(s.substr(starts[i], (i + 1 < starts.size() ? starts[i + 1] : s.size()) - starts[i]));
    return lines;
}

// Keeps its own copy of the lines, updated only through the notifications, so a wrong range in a
// notification shows as a difference from the text.
class MirrorObserver final : public TextObserver {
public:
    explicit MirrorObserver(const TextModel& text) : text_(text), lines_{""} {}
    void OnLinesReplaced(std::size_t firstLine, std::size_t oldCount, std::size_t newCount) noexcept override {
        ASSERT_LE(firstLine + oldCount, lines_.size());
        std::vector<std::string> fresh;
        for (std::size_t i = firstLine; i < firstLine + newCount; ++i)
            fresh.push_back(text_.Range(text_.LineStart(i), text_.LineBreakEnd(i)));
        lines_.erase(lines_.begin() + firstLine, lines_.begin() + firstLine + oldCount);
        lines_.insert(lines_.begin() + firstLine, fresh.begin(), fresh.end());
    }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    const TextModel& text_;
    std::vector<std::string> lines_;
};

// The breaks of each kind, counted unit by unit: in UTF-16 a byte 0D or 0A of another character
// (U+040D, U+0A0D) is none.
LineEndCensus ReferenceCensus(const std::vector<unsigned>& units) {
    LineEndCensus census;
    for (std::size_t i = 0; i < units.size(); ++i) {
        census.crs += units[i] == '\r';
        census.lfs += units[i] == '\n';
        census.pairs += units[i] == '\r' && i + 1 < units.size() && units[i + 1] == '\n';
    }
    return census;
}

void ExpectSameLines(const TextModel& text, const std::string& expected) {
    auto starts = ReferenceLineStarts(expected, text.Form());
    const std::size_t unit = text.UnitBytes();
    const std::vector<unsigned> units = ReferenceUnits(expected, text.Form());
    ASSERT_EQ(text.LineCount(), starts.size());
    // The census and the document's kind follow every change along with the lines.
    ASSERT_EQ(text.LineEnds(), ReferenceCensus(units));
    // In the UTF-16 forms the first break is one of units.
    std::string unitBreaks;
    for (unsigned u : units) unitBreaks += u == '\r' || u == '\n' ? static_cast<char>(u) : 'x';
    ASSERT_EQ(text.DocumentLineEnd(), FirstLineEnd(unitBreaks));
    for (std::size_t i = 0; i < starts.size(); ++i) {
        ASSERT_EQ(text.LineStart(i), starts[i]) << "line " << i;
        std::size_t next = i + 1 < starts.size() ? starts[i + 1] : expected.size();
        std::size_t end = next;
        if (i + 1 < starts.size()) {
            end = next - unit;
            const std::size_t u = next / unit;
            if (next >= starts[i] + 2 * unit && units[u - 1] == '\n' && units[u - 2] == '\r') end = next - 2 * unit;
        }
        ASSERT_EQ(text.LineEnd(i), end) << "line " << i;
    }
    // Every position around each line start, which is where the index can go wrong.
    for (std::size_t start : starts) {
        for (std::size_t p = start >= 2 ? start - 2 : 0; p <= std::min(start + 1, expected.size()); ++p) {
            std::size_t line = std::upper_bound(starts.begin(), starts.end(), p) - starts.begin() - 1;
            ASSERT_EQ(text.LineFromPosition(p), line) << "position " << p;
        }
    }
    for (std::size_t p = 0; p <= expected.size(); p += 97) {
        std::size_t line = std::upper_bound(starts.begin(), starts.end(), p) - starts.begin() - 1;
        ASSERT_EQ(text.LineFromPosition(p), line) << "position " << p;
    }
}

std::string RandomBytes(std::mt19937& random, std::size_t count) {
    // Mostly line-break material, so CR LF pairs are split and joined often (of UTF-16 units too).
    static const char alphabet[] = {'\r', '\n', '\r', '\n', 'a', 'b', ' ', '\xE0', '\0', '\xFF', '\0', '\0'};
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s.push_back(alphabet[random() % sizeof alphabet]);
    return s;
}

}  // namespace

// Seeds from 9 on edit UTF-16 text, now in one byte order, now in the other, now as bytes again (the
// line index built afresh each time), with edits of odd lengths that move every unit after them.
TEST(TextModel, RandomEditsKeepTextLinesAndNotificationsEqualToAPlainString) {
    constexpr CharacterForm kForms[] = {CharacterForm::Utf16Le, CharacterForm::Utf16Be, CharacterForm::Bytes};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        TextModel text;
        if (seed > 8) text.SetForm(kForms[seed % 2]);
        text.SetTextLimit(TextModel::kLargestLimit);
        MirrorObserver mirror(text);
        text.AddObserver(&mirror);
        std::string expected;
        for (int step = 0; step < 300; ++step) {
            std::size_t length = expected.size();
            std::size_t first = length ? random() % (length + 1) : 0;
            std::size_t last = first + (length > first ? random() % std::min<std::size_t>(length - first + 1, 12) : 0);
            if (random() % 4 == 0) last = first;
            std::string bytes = RandomBytes(random, random() % 3 == 0 ? 0 : random() % 9);
            if (random() % 50 == 0) bytes = RandomBytes(random, 300);
            // Keep the text small enough that the checks stay quick.
            if (length > 600) {
                bytes.clear();
                last = std::min(length, first + 200);
            }
            std::size_t inserted = text.Replace(first, last, bytes, random() % 2 == 0);
            if (random() % 40 == 0) text.Compact();
            if (seed > 8 && random() % 30 == 0) text.SetForm(kForms[random() % 3]);
            ASSERT_EQ(inserted, bytes.size());
            expected.replace(first, last - first, bytes);
            ASSERT_EQ(text.Text(), expected) << "seed " << seed << " step " << step;
            ExpectSameLines(text, expected);
            ASSERT_EQ(mirror.Lines(), ReferenceLines(expected, text.Form())) << "seed " << seed << " step " << step;
        }
        text.RemoveObserver(&mirror);
    }
}

// Texts whose line breaks come now thick, now after long runs without one, so that the scan's many
// bytes at a time both skip and find them, CR LF pairs split at any place.
std::string TextOfVaryingDensity(std::mt19937& random, std::size_t count) {
    std::string s;
    while (s.size() < count) {
        const std::size_t run = random() % 4 == 0 ? random() % 80 : random() % 6;
        // Zero bytes beside the CRs and LFs make the line breaks of UTF-16 in either byte order.
        static const char kRun[] = {'a', 'b', ' ', '\xE0', '\xFF', '\x8D', '\x8A', '\x0C', '\x0E', '\0', '\0'};
        for (std::size_t i = 0; i < run; ++i) s.push_back(kRun[random() % sizeof kRun]);
        s.push_back("\r\n"[random() % 2]);
        if (random() % 2) s.push_back('\0');
    }
    s.resize(count);
    return s;
}

TEST(TextModel, LineStartsOfStreamedAndInsertedBlocksAreThoseOfTheWholeText) {
    std::mt19937 random(5);
    for (int round = 0; round < 60; ++round) {
        const std::string whole = TextOfVaryingDensity(random, random() % 3000);
        const std::vector<std::size_t> expected = ReferenceLineStarts(whole);
        // The scans alone, sixteen and eight bytes at a time, on the whole and on a piece of it.
        for (std::size_t from : {std::size_t{0}, whole.size() / 3}) {
            const std::string_view bytes = std::string_view(whole).substr(from);
            std::vector<std::size_t> plain{0};
            for (std::size_t s : ReferenceLineStarts(std::string(bytes)))
                if (s > 0 && !(s == bytes.size() && bytes.back() == '\r')) plain.push_back(s);
            const bool endsWithCr = !bytes.empty() && bytes.back() == '\r';
            std::vector<std::size_t> found{0}, foundByWords{0};
            EXPECT_EQ(line_breaks::ForEachLineStart(bytes.data(), bytes.size(), [&](std::size_t s) { found.push_back(s); }),
                      endsWithCr);
            EXPECT_EQ(line_breaks::ForEachLineStartByWords(bytes.data(), bytes.size(),
                                                           [&](std::size_t s) { foundByWords.push_back(s); }),
                      endsWithCr);
            ASSERT_EQ(found, plain);
            ASSERT_EQ(foundByWords, plain);
        }

        // Streamed in blocks of any length, some written in place, some appended; in every form.
        for (CharacterForm form : {CharacterForm::Bytes, CharacterForm::Utf16Le, CharacterForm::Utf16Be}) {
        TextBuilder built;
        built.SetForm(form);
        for (std::size_t at = 0; at < whole.size();) {
            const std::size_t n = std::min<std::size_t>(random() % 3 == 0 ? random() % 300 : random() % 4, whole.size() - at);
            if (random() % 2) {
                char* room = built.Room(n);
                if (n) std::memcpy(room, whole.data() + at, n);
                built.Add(n);
            } else {
                built.Append(std::string_view(whole).substr(at, n));
            }
            at += n;
        }
        built.Finish();
        TextModel text;
        text.SetTextLimit(TextModel::kLargestLimit);
        text.ReplaceWith(built);
        ASSERT_EQ(text.Text(), whole);
        ExpectSameLines(text, whole);

        // Inserted in pieces into the middle of another text, breaks on both sides of the edges.
        std::string expectedText = TextOfVaryingDensity(random, random() % 40);
        TextModel edited;
        edited.SetTextLimit(TextModel::kLargestLimit);
        edited.SetForm(form);
        edited.Insert(0, expectedText, false);
        std::vector<std::string_view> pieces;
        for (std::size_t at = 0; at < whole.size();) {
            const std::size_t n = std::min<std::size_t>(random() % 3 == 0 ? random() % 300 : random() % 4, whole.size() - at);
            pieces.push_back(std::string_view(whole).substr(at, n));
            at += n;
        }
        const std::size_t where = random() % (expectedText.size() + 1);
        edited.ReplaceByPieces(where, where, pieces);
        expectedText.insert(where, whole);
        ASSERT_EQ(edited.Text(), expectedText);
        ExpectSameLines(edited, expectedText);
        }
    }
}

TEST(TextModel, LineBreaksAreCrLfPairsLoneCrAndLoneLf) {
    TextModel text;
    text.Insert(0, "ab\r\ncd\ref\ngh\r", false);
    ASSERT_EQ(text.LineCount(), 5u);
    EXPECT_EQ(text.LineStart(1), 4u);
    EXPECT_EQ(text.LineStart(2), 7u);
    EXPECT_EQ(text.LineStart(3), 10u);
    EXPECT_EQ(text.LineStart(4), 13u);
    EXPECT_EQ(text.LineEnd(0), 2u);
    EXPECT_EQ(text.LineLength(1), 2u);
    EXPECT_EQ(text.LineEnd(4), 13u);
    // Between the CR and the LF of a pair is still the line the pair ends.
    EXPECT_EQ(text.LineFromPosition(3), 0u);
    // A LF typed after a lone CR joins them into one break.
    text.Insert(13, "\n", false);
    EXPECT_EQ(text.LineCount(), 5u);
    EXPECT_EQ(text.LineStart(4), 14u);
    // Splitting a pair makes two breaks.
    text.Insert(3, "x", false);
    EXPECT_EQ(text.LineCount(), 6u);
    EXPECT_EQ(text.LineStart(1), 3u);
    EXPECT_EQ(text.LineStart(2), 5u);
}

TEST(TextModel, TextLimitCutsWhatIsInsertedButNeverTheTextHeld) {
    TextModel text;
    EXPECT_EQ(text.TextLimit(), TextModel::kDefaultLimit);
    text.SetTextLimit(5);
    EXPECT_EQ(text.Insert(0, "abcdefg", false), 5u);
    EXPECT_EQ(text.Text(), "abcde");
    EXPECT_EQ(text.Insert(2, "x", false), 0u);
    // A replacement may use the room it frees.
    EXPECT_EQ(text.Replace(1, 3, "xyz", false), 2u);
    EXPECT_EQ(text.Text(), "axyde");
    text.SetTextLimit(3);
    EXPECT_EQ(text.Text(), "axyde");
    EXPECT_EQ(text.Insert(0, "q", false), 0u);
    // Above a limit lowered under it a replacement still fills what it frees, so moving or typing
    // over text never loses any.
    EXPECT_EQ(text.Replace(0, 2, "12", false), 2u);
    EXPECT_EQ(text.Text(), "12yde");
    EXPECT_EQ(text.ReplaceByPieces(0, 2, {"3", "45"}), 2u);
    EXPECT_EQ(text.Text(), "34yde");
    text.Erase(0, 3, false);
    EXPECT_EQ(text.Insert(0, "qrs", false), 1u);
    text.SetTextLimit(0);
    EXPECT_EQ(text.TextLimit(), TextModel::kDefaultLimit);
}

TEST(TextModel, ModifiedFlagIsSetByEveryChangeOnly) {
    TextModel text;
    EXPECT_FALSE(text.Modified());
    text.Replace(0, 0, "", true);
    EXPECT_FALSE(text.Modified());
    text.Insert(0, "abc", false);
    EXPECT_TRUE(text.Modified());
    text.SetModified(false);
    text.Erase(1, 2, true);
    EXPECT_TRUE(text.Modified());
    text.SetModified(false);
    text.Undo();
    EXPECT_TRUE(text.Modified());
}

TEST(TextModel, UndoTakesBackTheLastStepAndASecondUndoRedoesIt) {
    TextModel text;
    text.Insert(0, "hello world", false);
    EXPECT_FALSE(text.CanUndo());
    text.Replace(6, 11, "there", true);
    ASSERT_TRUE(text.CanUndo());
    auto result = text.Undo();
    EXPECT_TRUE(result.done);
    EXPECT_EQ(text.Text(), "hello world");
    EXPECT_EQ(result.first, 6u);
    EXPECT_EQ(result.last, 11u);
    EXPECT_TRUE(text.CanUndo());
    text.Undo();
    EXPECT_EQ(text.Text(), "hello there");
    // A change that cannot be undone discards the step.
    text.Insert(0, ">", false);
    EXPECT_FALSE(text.CanUndo());
    EXPECT_FALSE(text.Undo().done);
    text.Insert(0, "x", true);
    text.EmptyUndoBuffer();
    EXPECT_FALSE(text.CanUndo());
}

TEST(TextModel, TypedRunsAndDeletionRunsAreOneUndoStep) {
    TextModel text;
    text.Insert(0, "abc", false);
    // Typing over a selection, then on: one step puts the selection back.
    text.Replace(1, 2, "x", true, EditKind::Typing);
    text.Insert(2, "y", true, EditKind::Typing);
    text.Insert(4, "\r\n", true, EditKind::Typing);
    text.Insert(6, "z", true, EditKind::Typing);
    EXPECT_EQ(text.Text(), "axyc\r\nz");
    text.Undo();
    EXPECT_EQ(text.Text(), "axyc");
    text.Undo();
    EXPECT_EQ(text.Text(), "axyc\r\nz");
    text.Replace(0, text.Length(), "one two", false);
    // Typing elsewhere starts a new step.
    text.Insert(3, "1", true, EditKind::Typing);
    text.Insert(0, "0", true, EditKind::Typing);
    text.Undo();
    EXPECT_EQ(text.Text(), "one1 two");
    // Backspaces and Deletes merge.
    text.Replace(0, text.Length(), "abcdef", false);
    text.Erase(3, 4, true, EditKind::Deleting);  // Delete at 3
    text.Erase(3, 4, true, EditKind::Deleting);  // Delete at 3
    text.Erase(2, 3, true, EditKind::Deleting);  // Backspace at 3
    EXPECT_EQ(text.Text(), "abf");
    text.Undo();
    EXPECT_EQ(text.Text(), "abcdef");
    // Closing the run keeps the next keystroke apart.
    text.Insert(6, "g", true, EditKind::Typing);
    text.CloseUndoRun();
    text.Insert(7, "h", true, EditKind::Typing);
    text.Undo();
    EXPECT_EQ(text.Text(), "abcdefg");
}

TEST(TextModel, EveryByteValueIsKept) {
    TextModel text;
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    text.Insert(0, all, false);
    text.Insert(128, all, false);
    std::string expected = all;
    expected.insert(128, all);
    EXPECT_EQ(text.Text(), expected);
    EXPECT_EQ(text.Range(126, 130), expected.substr(126, 4));
    std::string copy(4, '?');
    text.CopyRange(126, 130, copy.data());
    EXPECT_EQ(copy, expected.substr(126, 4));
}

TEST(TextModel, ReplacingByPiecesIsReplacingByThePiecesJoined) {
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        TextModel byPieces, joined;
        std::string start = RandomBytes(random, random() % 20);
        byPieces.SetTextLimit(round % 5 == 0 ? 30 : TextModel::kLargestLimit);
        joined.SetTextLimit(byPieces.TextLimit());
        byPieces.Insert(0, start, false);
        joined.Insert(0, start, false);
        std::vector<std::string> pieces;
        for (int n = random() % 5; n > 0; --n) pieces.push_back(RandomBytes(random, random() % 6));
        std::vector<std::string_view> views(pieces.begin(), pieces.end());
        std::string all;
        for (const auto& piece : pieces) all += piece;
        std::size_t length = byPieces.Length();
        std::size_t first = random() % (length + 1);
        std::size_t last = first + random() % (length - first + 1);
        ASSERT_EQ(byPieces.ReplaceByPieces(first, last, views), joined.Replace(first, last, all, false));
        ASSERT_EQ(byPieces.Text(), joined.Text());
        ExpectSameLines(byPieces, joined.Text());
        EXPECT_FALSE(byPieces.CanUndo());
    }
}

namespace {

// Runs the operation with its first growth failing, then its second, and so on, until it has room
// enough; after each failed attempt `unchanged` checks that it changed nothing. Returns how many
// attempts failed.
template <typename Operation, typename Check>
int FailEachGrowthInTurn(Operation&& operation, Check&& unchanged) {
    for (std::size_t budget = 0; budget < 1000; ++budget) {
        GrowthBudget::allocations = budget;
        try {
            operation();
            GrowthBudget::allocations = GrowthBudget::kUnlimited;
            return static_cast<int>(budget);
        } catch (const std::bad_alloc&) {
            unchanged();
            if (::testing::Test::HasFatalFailure()) return static_cast<int>(budget);
        }
    }
    GrowthBudget::allocations = GrowthBudget::kUnlimited;
    ADD_FAILURE() << "the operation never had room enough";
    return 0;
}

CharWidths EvenWidths() {
    CharWidths widths;
    widths.fill(10);
    return widths;
}

}  // namespace

// Every edit either happens whole or fails with nothing changed: each runs with its first, second,
// third ... growth failing until it succeeds, and after each failure the text, its line index, the
// control's undo step, the modified flag and a wrapping layout that follows the text all stay equal
// to a model that was given only the edits that succeeded.
TEST(TextModel, EditsThatRunOutOfMemoryChangeNothing) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::mt19937 random(seed);
        TextModel text, shadow;
        for (TextModel* model : {&text, &shadow}) model->SetTextLimit(TextModel::kLargestLimit);
        // Lines of 24 bytes or more laid out in pieces, as megabyte lines are.
        TextLayout layout(text, 24);
        layout.SetWidths(EvenWidths(), 40);
        layout.SetWrapWidth(60);
        int failures = 0;
        int step = 0;
        auto expectSameAsShadow = [&] {
            std::string expected = shadow.Text();
            ASSERT_EQ(text.Text(), expected) << "seed " << seed << " step " << step;
            ExpectSameLines(text, expected);
            ASSERT_EQ(text.Modified(), shadow.Modified()) << "seed " << seed << " step " << step;
            ASSERT_EQ(text.CanUndo(), shadow.CanUndo());
            TextLayout fresh(shadow);
            fresh.SetWidths(EvenWidths(), 40);
            fresh.SetWrapWidth(60);
            ASSERT_EQ(layout.DisplayLineCount(), fresh.DisplayLineCount()) << "seed " << seed << " step " << step;
            for (std::size_t line = 0; line < fresh.DisplayLineCount(); line += 5)
                ASSERT_EQ(layout.DisplayLineStart(line), fresh.DisplayLineStart(line));
        };
        for (; step < 300; ++step) {
            std::size_t length = shadow.Length();
            std::size_t first = length ? random() % (length + 1) : 0;
            std::size_t last = first + (length > first ? random() % std::min<std::size_t>(length - first + 1, 12) : 0);
            std::string bytes = RandomBytes(random, random() % 4 == 0 ? 0 : random() % 40);
            if (length > 2000) last = std::min(length, first + 400), bytes.clear();
            bool canUndo = random() % 2 == 0;
            EditKind kind = random() % 3 == 0 ? EditKind::Typing : random() % 2 ? EditKind::Deleting : EditKind::Other;
            text.SetModified(false);
            shadow.SetModified(false);
            switch (random() % 6) {
            case 0:
            case 1:
            case 2:
                failures += FailEachGrowthInTurn([&] { text.Replace(first, last, bytes, canUndo, kind); },
                                                 expectSameAsShadow);
                shadow.Replace(first, last, bytes, canUndo, kind);
                break;
            case 3: {
                std::vector<std::string_view> pieces{std::string_view(bytes).substr(0, bytes.size() / 2),
                                                     std::string_view(bytes).substr(bytes.size() / 2)};
                failures += FailEachGrowthInTurn([&] { text.ReplaceByPieces(first, last, pieces); }, expectSameAsShadow);
                shadow.ReplaceByPieces(first, last, pieces);
                break;
            }
            case 4:
                failures += FailEachGrowthInTurn([&] { text.Undo(); }, expectSameAsShadow);
                shadow.Undo();
                break;
            case 5: {
                // A whole new text streamed in blocks, put in place only once complete.
                std::string whole = RandomBytes(random, random() % 300);
                const bool expectSize = random() % 2;
                failures += FailEachGrowthInTurn(
                    [&] {
                        TextBuilder built;
                        if (expectSize) built.Expect(whole.size());
                        for (std::size_t at = 0; at < whole.size(); at += 7) {
                            std::size_t count = std::min<std::size_t>(7, whole.size() - at);
                            std::memcpy(built.Room(count), whole.data() + at, count);
                            built.Add(count);
                        }
                        built.Finish();
                        text.ReplaceWith(built);
                    },
                    expectSameAsShadow);
                TextBuilder built;
                built.Append(whole);
                built.Finish();
                shadow.ReplaceWith(built);
                break;
            }
            }
            expectSameAsShadow();
            if (HasFatalFailure()) return;
        }
        // What an undo step holds shows when it is taken: both models must take back the same.
        text.Undo();
        shadow.Undo();
        ASSERT_EQ(text.Text(), shadow.Text());
        EXPECT_GT(failures, 20) << "the budget should make many edits fail";
    }
}

// Text handed from one model to another moves whole, with its line index, and leaves the giver the
// taker's text: a big text changes control without a copy.
TEST(TextModel, TakingAnotherModelsTextSwapsTheTexts) {
    TextModel from, to;
    from.Insert(0, "one\r\ntwo\rthree\n", false);
    to.Insert(0, "x", false);
    from.SetModified(false);
    to.TakeTextFrom(from);
    EXPECT_EQ(to.Text(), "one\r\ntwo\rthree\n");
    ExpectSameLines(to, "one\r\ntwo\rthree\n");
    EXPECT_EQ(from.Text(), "x");
    ExpectSameLines(from, "x");
    EXPECT_FALSE(to.CanUndo());
}

// A byte map changes bytes where they are; one that would move line breaks is refused whole.
TEST(TextModel, MappingBytesInPlaceKeepsTheLinesAndRefusesToMoveLineBreaks) {
    TextModel text;
    text.Insert(0, "ab\r\ncd\ref", true);
    std::uint8_t upper[256];
    for (int b = 0; b < 256; ++b) upper[b] = static_cast<std::uint8_t>(b >= 'a' && b <= 'z' ? b - 32 : b);
    text.SetModified(false);
    EXPECT_TRUE(text.MapBytes(1, 8, upper));
    EXPECT_EQ(text.Text(), "aB\r\nCD\rEf");
    ExpectSameLines(text, "aB\r\nCD\rEf");
    EXPECT_TRUE(text.Modified());
    EXPECT_FALSE(text.CanUndo());
    std::uint8_t breaking[256];
    for (int b = 0; b < 256; ++b) breaking[b] = static_cast<std::uint8_t>(b);
    breaking['f'] = '\n';
    EXPECT_FALSE(text.MapBytes(0, text.Length(), breaking));
    breaking['f'] = 'f';
    breaking['\r'] = 'x';
    EXPECT_FALSE(text.MapBytes(0, text.Length(), breaking));
    EXPECT_EQ(text.Text(), "aB\r\nCD\rEf");
}
