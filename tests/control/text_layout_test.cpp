#include "control/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/core/plain_utf8.h"

namespace {

CharWidths EvenWidths(int width) {
    CharWidths widths;
    widths.fill(width);
    return widths;
}

struct Fixture {
    TextModel text;
    TextLayout layout{text};
    explicit Fixture(std::string_view bytes, int wrapWidth) {
        text.SetTextLimit(TextModel::kLargestLimit);
        text.Insert(0, bytes, false);
        layout.SetWidths(EvenWidths(10), 40);
        layout.SetWrapWidth(wrapWidth);
    }
};

std::vector<std::size_t> Starts(TextLayout& layout) {
    std::vector<std::size_t> starts;
    for (std::size_t d = 0; d < layout.DisplayLineCount(); ++d) starts.push_back(layout.DisplayLineStart(d));
    return starts;
}

}  // namespace

TEST(TextLayout, WrapsAfterBlanksAndInsideWordsTooLongForTheLine) {
    // Ten characters of 10 pixels fit in 100.
    Fixture f("aaaa bbbb cccc\r\nabcdefghijklmnopqrstuvwxy\r\naaaaaaaaaa     b\r\n", 100);
    EXPECT_EQ(Starts(f.layout), (std::vector<std::size_t>{0, 10, 16, 26, 36, 43, 58, 61}));
    EXPECT_EQ(f.layout.DisplayLineCount(), 8u);
    EXPECT_EQ(f.layout.DisplayLineCountEstimate(), 8u);
    // The upper part of a wrapped line ends at the wrap; the last part before the break.
    EXPECT_EQ(f.layout.DisplayLineEnd(0), 10u);
    EXPECT_EQ(f.layout.DisplayLineEnd(1), 14u);
    EXPECT_EQ(f.layout.DisplayLineEnd(6), 59u);
    EXPECT_EQ(f.layout.DisplayLineEnd(7), 61u);
    // A wrap position belongs to the lower line; the break's own positions to the line they end.
    EXPECT_EQ(f.layout.DisplayLineFromPosition(9), 0u);
    EXPECT_EQ(f.layout.DisplayLineFromPosition(10), 1u);
    EXPECT_EQ(f.layout.DisplayLineFromPosition(15), 1u);
    EXPECT_EQ(f.layout.DisplayLineFromPosition(16), 2u);
    EXPECT_EQ(f.layout.DisplayLineFromPosition(1000), 7u);
    EXPECT_EQ(f.layout.DisplayLineStart(8), TextModel::kNoPosition);
    // Blanks at the end of the upper line hang past the edge.
    EXPECT_EQ(f.layout.DisplayLineWidth(5), 150);

    f.layout.SetWrapWidth(0);
    EXPECT_EQ(Starts(f.layout), (std::vector<std::size_t>{0, 16, 43, 61}));
    EXPECT_EQ(f.layout.DisplayLineFromPosition(30), 1u);
}

// A view that shows the top of a big text makes the layout count only the lines it shows: switching
// wrap on, or to another width, counts nothing until asked, and then only down to what was asked.
TEST(TextLayout, WrapCountsOnlyAsFarDownAsAsked) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += "aaaa bbbb cccc dddd\r\n";
    Fixture f(bytes, 0);
    EXPECT_EQ(f.layout.DisplayLineCount(), 5001u);
    EXPECT_EQ(f.layout.DisplayLineFromPosition(bytes.size()), 5000u);
    EXPECT_EQ(f.layout.LinesCounted(), 0u) << "without wrap a display line is a logical line";
    for (int width : {100, 60}) {
        SCOPED_TRACE(width);
        const std::uint64_t before = f.layout.LinesCounted();
        f.layout.SetWrapWidth(width);
        EXPECT_GE(f.layout.DisplayLineCountEstimate(), 5001u);
        EXPECT_EQ(f.layout.LinesCounted(), before);
        // A screen of 40 rows from the top, with the caret at the start.
        for (std::size_t row = 0; row < 40; ++row) f.layout.XOfPosition(row, f.layout.DisplayLineStart(row) + 1);
        EXPECT_EQ(f.layout.DisplayLineFromPosition(0), 0u);
        EXPECT_LE(f.layout.LinesCounted() - before, 21u) << "each line has two display lines or more";
        const std::size_t each = f.layout.FirstDisplayLineOf(1);
        ASSERT_GE(each, 2u);
        EXPECT_EQ(f.layout.DisplayLineFromPosition(21 * 2500), 2500 * each);
        EXPECT_EQ(f.layout.LinesCounted() - before, 2501u) << "each line once";
        EXPECT_EQ(f.layout.DisplayLineCount(), 5000 * each + 1);
        EXPECT_EQ(f.layout.LinesCounted() - before, 5001u);
    }
}

TEST(TextLayout, TabsStopAtMultiplesOfTheTabWidthAndXMapsToTheNearestPlace) {
    Fixture f("a\tbc\td", 0);
    EXPECT_EQ(f.layout.XOfPosition(0, 1), 10);
    EXPECT_EQ(f.layout.XOfPosition(0, 2), 40);
    EXPECT_EQ(f.layout.XOfPosition(0, 4), 60);
    EXPECT_EQ(f.layout.XOfPosition(0, 5), 80);
    EXPECT_EQ(f.layout.DisplayLineWidth(0), 90);
    EXPECT_EQ(f.layout.PositionAtX(0, 0), 0u);
    EXPECT_EQ(f.layout.PositionAtX(0, 4), 0u);
    EXPECT_EQ(f.layout.PositionAtX(0, 6), 1u);
    EXPECT_EQ(f.layout.PositionAtX(0, 24), 1u);
    EXPECT_EQ(f.layout.PositionAtX(0, 26), 2u);
    EXPECT_EQ(f.layout.PositionAtX(0, 500), 6u);
    // A wrapped line's tabs count from its own start.
    f.layout.SetWrapWidth(50);
    EXPECT_EQ(Starts(f.layout), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(f.layout.XOfPosition(1, 4), 20);
    EXPECT_EQ(f.layout.XOfPosition(1, 5), 40);
}

TEST(TextLayout, EditsKeepTheDisplayLinesOfALayoutMadeAfresh) {
    std::mt19937 random(3);
    Fixture f("", 70);
    std::string pieces[] = {"word ", "x", " ", "\r\n", "\n", "\r", "longerwordthanaline", "\t", "ab cd"};
    for (int step = 0; step < 600; ++step) {
        std::size_t length = f.text.Length();
        std::size_t first = length ? random() % (length + 1) : 0;
        std::size_t last = std::min(length, first + (random() % 3 == 0 ? random() % 30 : 0));
        std::string bytes;
        for (int n = random() % 4; n > 0; --n) bytes += pieces[random() % std::size(pieces)];
        f.text.Replace(first, last, bytes, false);
        // Sometimes ask only about a line near the top, so the counted part stays partial.
        if (random() % 3 == 0) {
            f.layout.DisplayLineFromPosition(random() % (f.text.Length() + 1) / 4);
            continue;
        }
        TextModel copy;
        copy.SetTextLimit(TextModel::kLargestLimit);
        copy.Insert(0, f.text.Text(), false);
        TextLayout fresh(copy);
        fresh.SetWidths(EvenWidths(10), 40);
        fresh.SetWrapWidth(70);
        ASSERT_EQ(Starts(f.layout), Starts(fresh)) << "step " << step;
        std::size_t p = random() % (f.text.Length() + 1);
        ASSERT_EQ(f.layout.DisplayLineFromPosition(p), fresh.DisplayLineFromPosition(p)) << "step " << step;
    }
}

// On lines far longer than a screen, positions and x are found from places remembered along the
// line; edits anywhere must leave them giving what a layout made afresh gives.
TEST(TextLayout, LongLinesGiveTheSameXAndPositionsAfterEditsAsAFreshLayout) {
    std::mt19937 random(11);
    std::string line;
    for (int i = 0; i < 60000; ++i) line += random() % 29 == 0 ? '\t' : static_cast<char>('a' + random() % 26);
    Fixture f(line, 0);
    CharWidths widths = EvenWidths(7);
    for (int b = 'a'; b <= 'z'; ++b) widths[b] = 5 + b % 4;
    f.layout.SetWidths(widths, 40);
    for (int step = 0; step < 60; ++step) {
        std::size_t length = f.text.Length();
        // Mostly at the end, as typing is; now and then anywhere, a line break among them.
        std::size_t at = random() % 3 ? length - random() % std::min<std::size_t>(length, 50) : random() % length;
        std::size_t removed = random() % 3 == 0 ? std::min<std::size_t>(random() % 5000, length - at) : 0;
        std::string inserted = random() % 10 == 0 ? "\r\n" : std::string(random() % 3, 'q');
        f.text.Replace(at, at + removed, inserted, false);
        TextModel copy;
        copy.SetTextLimit(TextModel::kLargestLimit);
        copy.Insert(0, f.text.Text(), false);
        TextLayout fresh(copy);
        fresh.SetWidths(widths, 40);
        for (int probe = 0; probe < 8; ++probe) {
            std::size_t display = random() % f.layout.DisplayLineCount();
            std::size_t start = fresh.DisplayLineStart(display), end = fresh.DisplayLineEnd(display);
            std::size_t p = start + random() % (end - start + 1);
            ASSERT_EQ(f.layout.XOfPosition(display, p), fresh.XOfPosition(display, p)) << "step " << step;
            int x = fresh.XOfPosition(display, p) + static_cast<int>(random() % 9) - 4;
            ASSERT_EQ(f.layout.PositionAtX(display, x), fresh.PositionAtX(display, x)) << "step " << step;
            TextLayout::Place place = f.layout.PlaceBeforeX(display, x);
            ASSERT_LE(place.x, std::max(x, 0));
            ASSERT_EQ(place.x, fresh.XOfPosition(display, place.position));
        }
    }
}

namespace {

// The widths the UTF-8 view's tests give characters beyond ASCII, and a byte standing alone.
int TestCharacterWidth(char32_t code) { return code == kMalformedByte ? 17 : 3 + static_cast<int>(code % 11); }

// The characters of a text as the view reads them: bytes, or in the UTF-8 view the plain model's.
std::vector<PlainCharacter> CharactersOf(const std::string& text, bool utf8) {
    if (utf8) return PlainUtf8Characters(text);
    std::vector<PlainCharacter> bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) bytes.push_back({i, 1, static_cast<unsigned char>(text[i])});
    return bytes;
}

long long ReferenceAdvance(const PlainCharacter& c, long long x, const CharWidths& widths, int tab, bool utf8) {
    if (c.code == '\t') return tab - x % tab;
    if (c.code >= 0 && c.code < (utf8 ? 0x80 : 0x100)) return widths[c.code];
    return TestCharacterWidth(c.code < 0 ? kMalformedByte : static_cast<char32_t>(c.code));
}

// Display line starts by the rule itself, walked over a plain string: blanks hang at the end of the
// upper line, a line breaks after them where it can, inside a word only when the word alone is too
// wide; tabs stop at multiples of the tab width from the display line's start. A line breaks only
// between characters.
std::vector<std::size_t> ReferenceStarts(const std::string& text, const CharWidths& widths, int tab, int wrap,
                                         bool utf8) {
    std::vector<std::size_t> starts;
    std::vector<PlainCharacter> characters = CharactersOf(text, utf8);
    auto advance = [&](const PlainCharacter& c, long long x) { return ReferenceAdvance(c, x, widths, tab, utf8); };
    auto blank = [](const PlainCharacter& c) { return c.code == ' ' || c.code == '\t'; };
    std::size_t k = 0;  // the character at the start of the logical line
    for (;;) {
        std::size_t start = k < characters.size() ? characters[k].start : text.size();
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        starts.push_back(start);
        std::size_t lineBegin = k, afterBlanks = std::string::npos;
        long long x = 0;
        std::size_t i = k;
        for (; i < characters.size() && characters[i].start < end; ++i) {
            const PlainCharacter& c = characters[i];
            if (!blank(c) && i > k && blank(characters[i - 1])) afterBlanks = i;
            long long w = advance(c, x);
            while (!blank(c) && x + w > wrap && i > lineBegin) {
                std::size_t at = afterBlanks != std::string::npos && afterBlanks > lineBegin ? afterBlanks : i;
                starts.push_back(characters[at].start);
                lineBegin = at;
                afterBlanks = std::string::npos;
                x = 0;
                for (std::size_t j = at; j < i; ++j) x += advance(characters[j], x);
                w = advance(c, x);
            }
            x += w;
        }
        if (end == text.size()) break;
        k = i + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return starts;
}

}  // namespace

// Long lines keep their display line starts in pieces and lay out again only around an edit; after
// any run of edits, with any widths and wrap width, what they give must be what the rule gives on
// the text as it stands: starts, ends, the line of a position, and x along the lines.
// Seeds from 7 on do so in the UTF-8 view, with texts of characters of every length and bytes that
// belong to none.
TEST(TextLayout, LongLinesLaidOutInPiecesMatchTheRuleAfterRandomEdits) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        const bool utf8 = seed > 6;
        std::mt19937 random(seed);
        CharWidths widths;
        for (int& w : widths) w = random() % 9 == 0 ? 0 : 1 + static_cast<int>(random() % 14);
        int tab = 4 + static_cast<int>(random() % 60);
        int wrap = 1 + static_cast<int>(random() % 200);
        auto randomBytes = [&](std::size_t count) {
            static const char kAlphabet[] = "abcdefgh    \t\tWWW";
            // Cyrillic, a three- and a four-byte character, and bytes that join or break them.
            static const char* const kUtf8[] = {"\xD0\x96", "\xD1\x8F", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                                "\xD0", "\x80", "\xE2\x82", "\xED\xA0\x80", "\xC0\xAF", "\xFF"};
            std::string bytes;
            while (bytes.size() < count) {
                if (random() % 400 == 0) bytes += '\n';
                else if (utf8 && random() % 2) bytes += kUtf8[random() % 10];
                else bytes += kAlphabet[random() % (sizeof kAlphabet - 1)];
            }
            return bytes;
        };
        TextModel text;
        text.SetTextLimit(TextModel::kLargestLimit);
        text.Insert(0, randomBytes(3000 + random() % 3000), false);
        // Pieces of a few dozen bytes, so a short text has lines of many pieces.
        TextLayout layout(text, 16 + random() % 80);
        layout.SetWidths(widths, tab);
        layout.SetWrapWidth(wrap);
        if (utf8) text.SetForm(CharacterForm::Utf8);
        layout.SetCharacterMeasure(TestCharacterWidth);
        for (int step = 0; step < 160; ++step) {
            std::size_t length = text.Length();
            std::size_t at = random() % 4 == 0 ? length : random() % (length + 1);
            std::size_t removed = random() % 3 == 0 ? std::min<std::size_t>(random() % (random() % 5 == 0 ? 800 : 6), length - at) : 0;
            std::string inserted = random() % 12 == 0 ? std::string(random() % 2 ? "\r\n" : "\r")
                                                      : randomBytes(random() % 3 == 0 ? random() % 300 : random() % 4);
            text.Replace(at, at + removed, inserted, false);
            if (random() % 40 == 0) layout.SetWrapWidth(wrap = 1 + static_cast<int>(random() % 200));
            // Often only a place near the edit is asked about, as typing does.
            if (random() % 2) {
                layout.DisplayLineFromPosition(std::min(text.Length(), at + inserted.size()));
                continue;
            }
            std::string now = text.Text();
            std::vector<std::size_t> expected = ReferenceStarts(now, widths, tab, wrap, utf8);
            ASSERT_EQ(Starts(layout), expected) << "seed " << seed << " step " << step;
            std::vector<PlainCharacter> characters = CharactersOf(now, utf8);
            for (int probe = 0; probe < 20; ++probe) {
                std::size_t p = random() % (now.size() + 1);
                std::size_t display = static_cast<std::size_t>(std::upper_bound(expected.begin(), expected.end(), p) -
                                                               expected.begin() - 1);
                ASSERT_EQ(layout.DisplayLineFromPosition(p), display) << "seed " << seed << " step " << step;
                std::size_t start = expected[display];
                std::size_t end = display + 1 < expected.size() && now.find_first_of("\r\n", start) >= expected[display + 1]
                                      ? expected[display + 1]
                                      : std::min(now.find_first_of("\r\n", start), now.size());
                ASSERT_EQ(layout.DisplayLineEnd(display), end) << "seed " << seed << " step " << step;
                // A place inside a character of the UTF-8 view stands where the character does.
                PixelX x = 0;
                auto byStart = [](const PlainCharacter& c, std::size_t value) { return c.start < value; };
                auto c = std::lower_bound(characters.begin(), characters.end(), start, byStart);
                for (; c != characters.end() && c->start + c->length <= std::min(p, end); ++c)
                    x += ReferenceAdvance(*c, x, widths, tab, utf8);
                ASSERT_EQ(layout.XOfPosition(display, p), x) << "seed " << seed << " step " << step;
                std::size_t atX = layout.PositionAtX(display, x + static_cast<int>(random() % 5));
                auto at = std::lower_bound(characters.begin(), characters.end(), atX, byStart);
                ASSERT_TRUE(atX == end || (at != characters.end() && at->start == atX)) << "seed " << seed;
            }
        }
    }
}

// A line of millions of tabs or wide glyphs runs past what an int holds in pixels; x along it still
// counts exactly, both ways.
TEST(TextLayout, XAlongALineWiderThanAnIntHoldsIsExact) {
    const std::size_t tabs = 3'000'000;
    Fixture f(std::string(tabs, '\t') + "ab", 0);
    f.layout.SetWidths(EvenWidths(10), 1000);
    const PixelX end = PixelX{1000} * tabs;
    EXPECT_EQ(f.layout.XOfPosition(0, tabs), end);
    EXPECT_EQ(f.layout.DisplayLineWidth(0), end + 20);
    EXPECT_EQ(f.layout.PositionAtX(0, end - 1000 + 499), tabs - 1);
    EXPECT_EQ(f.layout.PositionAtX(0, end + 6), tabs + 1);
    EXPECT_EQ(f.layout.PositionAtX(0, end * 4), tabs + 2);
    TextLayout::Place place = f.layout.PlaceBeforeX(0, end - 5000);
    EXPECT_LE(place.x, end - 5000);
    EXPECT_EQ(place.x, PixelX{1000} * static_cast<PixelX>(place.position));
    // Typing at the end keeps the count.
    f.text.Insert(f.text.Length(), "\t", false);
    EXPECT_EQ(f.layout.DisplayLineWidth(0), end + 1000);
}
