#include "control/text_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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
