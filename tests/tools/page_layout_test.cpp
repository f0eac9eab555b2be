#include "tools/page_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ui_text.h"

namespace {

// A4 at 300 dots to the inch, as a PostScript printer reports it.
constexpr int kA4Width = 2479, kA4Height = 3508;

Margins MarginsOf(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

// A text of `pages` pages, ten positions each, with the pages sent recorded.
struct RecordedJob : PrintPages {
    std::size_t pageLength = 10;
    std::vector<unsigned> laidOut;
    std::vector<unsigned> sent;
    std::vector<std::size_t> starts;
    int runs = 0;
    void BeginRun() override { ++runs; }
    std::size_t LayOutPage(std::size_t start, unsigned number) override {
        laidOut.push_back(number);
        starts.push_back(start);
        return start + pageLength;
    }
    void SendPage(unsigned number) override { sent.push_back(number); }
};

PrintRequest WholeText(std::size_t length) {
    PrintRequest request;
    request.end = length;
    return request;
}

}  // namespace

TEST(PageLayout, DefaultMarginsInsetTheTextByAnInchOnEverySide) {
    PageGeometry g = ComputePageGeometry(kA4Width, kA4Height, 300, 300, Margins{});
    EXPECT_EQ(g.page, (TwipRect{0, 0, 2479 * 1440 / 300, 3508 * 1440 / 300}));
    EXPECT_EQ(g.text, (TwipRect{1440, 1440, g.page.right - 1440, g.page.bottom - 1440}));
    EXPECT_TRUE(g.sidesApplied);
    EXPECT_TRUE(g.topBottomApplied);
    // 2500 units are an inch whatever the locale's units; the division truncates.
    EXPECT_EQ(MarginToTwips(2500), 1440);
    EXPECT_EQ(MarginToTwips(1000), 576);
    EXPECT_EQ(MarginToTwips(1), 0);
    EXPECT_EQ(PixelsToTwips(301, 300), 1444);
    EXPECT_EQ(PixelsToTwips(100, 0), 0);
}

TEST(PageLayout, AMarginPairThatWouldLeaveLessThanAnInchIsIgnoredAsAWhole) {
    // The page is 11899 twips wide: 5241 + 5241 twips leave less than an inch, so neither side is taken.
    PageGeometry wide = ComputePageGeometry(kA4Width, kA4Height, 300, 300, MarginsOf(9100, 2500, 9100, 2500));
    EXPECT_FALSE(wide.sidesApplied);
    EXPECT_EQ(wide.text.left, 0);
    EXPECT_EQ(wide.text.right, wide.page.right);
    EXPECT_EQ(wide.text.top, 1440);
    // Top and bottom alike; without them there is no room for a number.
    PageGeometry tall = ComputePageGeometry(kA4Width, kA4Height, 300, 300, MarginsOf(2500, 14000, 2500, 14000));
    EXPECT_FALSE(tall.topBottomApplied);
    EXPECT_EQ(tall.text.top, 0);
    EXPECT_EQ(tall.text.bottom, tall.page.bottom);
    EXPECT_EQ(tall.text.left, 1440);
    EXPECT_FALSE(PageNumberApplies(tall, true));
    EXPECT_TRUE(PageNumberApplies(wide, true));
    EXPECT_FALSE(PageNumberApplies(wide, false));
    // Exactly one inch left is not enough: the rule asks for more than the sum.
    PageGeometry inch = ComputePageGeometry(1440, 1440 * 3, 1440, 1440, MarginsOf(0, 2500, 0, 2500));
    EXPECT_FALSE(inch.topBottomApplied);
    // Negative margins would print off the paper.
    EXPECT_FALSE(ComputePageGeometry(kA4Width, kA4Height, 300, 300, MarginsOf(-100, 0, 0, 0)).sidesApplied);
}

TEST(PageLayout, ThePageNumberStandsCentredAcrossThePageInTheTopMargin) {
    EXPECT_EQ(PageNumberText(1), "-1-");
    EXPECT_EQ(PageNumberText(65535), "-65535-");
    PageGeometry g = ComputePageGeometry(kA4Width, kA4Height, 300, 300, Margins{});
    TwipRect band = PageNumberBand(g, 300, 200);
    EXPECT_EQ(band, (TwipRect{(g.page.right - 300) / 2, (1440 - 200) / 2, g.text.right, 1440}));
    // The number's middle is the page's middle, up to the halving.
    EXPECT_NEAR(band.left + 150, g.page.right / 2, 1);
}

TEST(PageLayout, CollatedCopiesRunTheDocumentUncollatedOnesRepeatEachPage) {
    PrintRequest request = WholeText(20);
    request.copies = 3;
    request.collate = true;
    RecordedJob collated;
    RunPrintJob(request, collated);
    EXPECT_EQ(collated.sent, (std::vector<unsigned>{1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(collated.runs, 3);
    request.collate = false;
    RecordedJob uncollated;
    RunPrintJob(request, uncollated);
    EXPECT_EQ(uncollated.sent, (std::vector<unsigned>{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(uncollated.runs, 1);
    EXPECT_EQ(uncollated.starts, (std::vector<std::size_t>{0, 10}));
    // No copies asked for is one copy.
    request.copies = 0;
    RecordedJob one;
    RunPrintJob(request, one);
    EXPECT_EQ(one.sent, (std::vector<unsigned>{1, 2}));
}

TEST(PageLayout, APageRangeSendsItsPagesWithTheirNumbersAfterLayingOutThoseBefore) {
    PrintRequest request = WholeText(50);
    request.pageRange = true;
    request.firstPage = 3;
    request.lastPage = 4;
    RecordedJob job;
    RunPrintJob(request, job);
    EXPECT_EQ(job.laidOut, (std::vector<unsigned>{1, 2, 3, 4}));
    EXPECT_EQ(job.sent, (std::vector<unsigned>{3, 4}));
    // A range beyond the text sends what there is of it.
    request.firstPage = 4;
    request.lastPage = 9;
    RecordedJob tail;
    RunPrintJob(request, tail);
    EXPECT_EQ(tail.sent, (std::vector<unsigned>{4, 5}));
    // Without a chosen range the numbers given for it do not count.
    request.pageRange = false;
    RecordedJob all;
    RunPrintJob(request, all);
    EXPECT_EQ(all.sent, (std::vector<unsigned>{1, 2, 3, 4, 5}));
}

TEST(PageLayout, ASelectionIsNumberedFromOneAndAnEmptyRangeIsOnePage) {
    PrintRequest request;
    request.first = 25;
    request.end = 40;
    RecordedJob job;
    RunPrintJob(request, job);
    EXPECT_EQ(job.starts, (std::vector<std::size_t>{25, 35}));
    EXPECT_EQ(job.sent, (std::vector<unsigned>{1, 2}));
    RecordedJob empty;
    RunPrintJob(WholeText(0), empty);
    EXPECT_EQ(empty.sent, std::vector<unsigned>{1});
    // A layout that does not move on still ends the job.
    RecordedJob stuck;
    stuck.pageLength = 0;
    RunPrintJob(WholeText(3), stuck);
    EXPECT_EQ(stuck.sent.size(), 3u);
}

TEST(PageLayout, PagesAreCountedUpToTheLimitAndTheCaptionSaysWhenCountingFailed) {
    auto tenEach = [](std::size_t start) { return start + 10; };
    EXPECT_EQ(CountTextPages(0, tenEach), 1u);
    EXPECT_EQ(CountTextPages(10, tenEach), 1u);
    EXPECT_EQ(CountTextPages(11, tenEach), 2u);
    EXPECT_EQ(CountTextPages(5110, tenEach), 511u);
    EXPECT_EQ(CountTextPages(100000, tenEach), kPageCountLimit);
    EXPECT_EQ(CountTextPages(5, [](std::size_t start) { return start; }), 5u);
    EXPECT_EQ(PageCountCaption(3), std::string("Страниц: 3"_ui));
    EXPECT_EQ(PageCountCaption(511), std::string("Страниц: 511"_ui));
    EXPECT_EQ(PageCountCaption(0), "EnumPage() failed");
    EXPECT_EQ(PageCountCaption(512), "EnumPage() failed");
}

TEST(PageLayout, ThePreviewPictureKeepsThePaperProportions) {
    TwipRect portrait{0, 0, 11900, 16838};
    PictureRect p = PreviewPicturePlace(1000, 800, 20, portrait, 96);
    EXPECT_EQ(p.y, 24);
    EXPECT_EQ(p.height, 800 - 24 - 2);
    EXPECT_EQ(p.width, 774 * 11900 / 16838);
    EXPECT_EQ(p.x, (1000 - p.width) / 2);
    // Landscape paper is sized from the width.
    TwipRect landscape{0, 0, 16838, 11900};
    PictureRect l = PreviewPicturePlace(1000, 800, 20, landscape, 96);
    EXPECT_EQ(l.width, 1000 - 24);
    EXPECT_EQ(l.height, 976 * 11900 / 16838);
    EXPECT_EQ(l.x, 12);
    // A square page counts as portrait; a window too small gives an empty picture, not a negative one.
    EXPECT_EQ(PreviewPicturePlace(100, 10, 20, {0, 0, 5, 5}, 96).height, 0);
    // At 150 % the gaps are half as wide again: 6 pixels under the buttons, 3 at the bottom.
    PictureRect scaled = PreviewPicturePlace(1000, 800, 30, portrait, 144);
    EXPECT_EQ(scaled.y, 36);
    EXPECT_EQ(scaled.height, 800 - 36 - 3);
}

TEST(PageLayout, ThePreviewZoomAlternatesAndKeepsTheClickedPointInPlace) {
    EXPECT_EQ(NextPreviewZoom(1), 3);
    EXPECT_EQ(NextPreviewZoom(3), 1);
    PreviewMapping whole = PreviewMappingFor(2479, 3508, 96, 96, 300, 300, 1, 50, 60);
    EXPECT_EQ(whole.windowWidth, 2479 * 96 / 300);
    EXPECT_EQ(whole.windowHeight, 3508 * 96 / 300);
    EXPECT_EQ(whole.originX, 0);
    EXPECT_EQ(whole.originY, 0);
    PreviewMapping zoomed = PreviewMappingFor(2479, 3508, 96, 96, 300, 300, 3, 50, 60);
    EXPECT_EQ(zoomed.windowWidth, 2479 * 96 / 300 / 3);
    EXPECT_EQ(zoomed.originX, -100);
    EXPECT_EQ(zoomed.originY, -120);
    EXPECT_EQ(NextPageLabel(1, false), "1 ||");
    EXPECT_EQ(NextPageLabel(12, true), "12&.>>");
}
