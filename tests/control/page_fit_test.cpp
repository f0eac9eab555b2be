#include "control/page_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Fixture {
    TextModel text;
    TextLayout layout{text};
    Fixture(std::string_view bytes, int wrapWidth) {
        text.SetTextLimit(TextModel::kLargestLimit);
        text.Insert(0, bytes, false);
        CharWidths widths;
        widths.fill(10);
        layout.SetWidths(widths, 40);
        layout.SetWrapWidth(wrapWidth);
    }
};

std::vector<std::string> Lines(const Fixture& f, const PageFit& fit) {
    std::vector<std::string> lines;
    for (const PageLine& line : fit.lines) lines.push_back(f.text.Range(line.first, line.last));
    return lines;
}

// The starts of the pages of [0, length), as a page loop would find them.
std::vector<std::size_t> PageStarts(Fixture& f, int lineHeight, int pageHeight) {
    std::vector<std::size_t> starts;
    std::size_t start = 0;
    do {
        starts.push_back(start);
        start = FitPage(f.layout, start, f.text.Length(), lineHeight, pageHeight).next;
    } while (start < f.text.Length() && starts.size() < 1000);
    return starts;
}

}  // namespace

TEST(PageFit, TakesTheWholeLinesThatFitAndNamesTheNextPageStart) {
    Fixture f("one\r\ntwo\r\nthree\r\nfour\r\nfive", 0);
    // Three lines of 20 in 65: the fourth would pass the bottom.
    PageFit fit = FitPage(f.layout, 0, f.text.Length(), 20, 65);
    EXPECT_EQ(Lines(f, fit), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(fit.next, 17u);
    PageFit rest = FitPage(f.layout, fit.next, f.text.Length(), 20, 65);
    EXPECT_EQ(Lines(f, rest), (std::vector<std::string>{"four", "five"}));
    EXPECT_EQ(rest.next, f.text.Length());
    EXPECT_EQ(PageStarts(f, 20, 40), (std::vector<std::size_t>{0, 10, 23}));
}

TEST(PageFit, WrapsLongLinesToThePageWidthAndBreaksPagesInsideALogicalLine) {
    // Ten characters of 10 pixels to a line of 100.
    Fixture f("aaaa bbbb cccc dddd eeee ffff\r\nx", 100);
    PageFit fit = FitPage(f.layout, 0, f.text.Length(), 10, 20);
    EXPECT_EQ(Lines(f, fit), (std::vector<std::string>{"aaaa bbbb ", "cccc dddd "}));
    EXPECT_EQ(fit.next, 20u);
    EXPECT_EQ(Lines(f, FitPage(f.layout, fit.next, f.text.Length(), 10, 20)),
              (std::vector<std::string>{"eeee ffff", "x"}));
}

TEST(PageFit, EndsAtTheRangeEndAndStartsInsideALineWhenAskedTo) {
    Fixture f("abcdef\r\nghijkl\r\nmnopqr", 0);
    // A selection from the middle of the first line into the second.
    PageFit fit = FitPage(f.layout, 3, 11, 10, 100);
    EXPECT_EQ(Lines(f, fit), (std::vector<std::string>{"def", "ghi"}));
    EXPECT_EQ(fit.next, 11u);
    // Nothing to lay out: no lines, and the next start is the end.
    PageFit empty = FitPage(f.layout, 5, 5, 10, 100);
    EXPECT_TRUE(empty.lines.empty());
    EXPECT_EQ(empty.next, 5u);
}

TEST(PageFit, APageTooLowForOneLineStillTakesOneSoThatEveryPageLoopEnds) {
    Fixture f("a\r\nb\r\nc", 0);
    EXPECT_EQ(PageStarts(f, 50, 10), (std::vector<std::size_t>{0, 3, 6}));
    EXPECT_EQ(PageStarts(f, 0, 0).size(), 3u);
    // A trailing line break leaves an empty last line that needs no page of its own.
    Fixture broken("a\r\nb\r\n", 0);
    EXPECT_EQ(PageStarts(broken, 10, 20), (std::vector<std::size_t>{0}));
    EXPECT_EQ(PageStarts(broken, 10, 10), (std::vector<std::size_t>{0, 3}));
}
