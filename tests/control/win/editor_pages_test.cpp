// The editor control's pages (EM_FORMATRANGE, EM_DISPLAYBAND) laid out and drawn into pictures in
// memory, which stand in for the printer a test machine lacks.
#include "control/win/editor_control.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/win/control_host.h"

namespace {

struct Control {
    HWND window;
    explicit Control(const std::string& text) : window(CreateTestControl(WS_CHILD | ES_MULTILINE, 200, 100)) {
        SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ~Control() { DestroyWindow(window); }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(window, message, wParam, lParam);
    }
};

// A white 32-bit picture in memory with its own drawing context (at the screen's resolution).
struct Picture {
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    std::uint32_t* pixels = nullptr;
    Picture(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Picture() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    std::vector<std::uint32_t> Pixels() {
        GdiFlush();
        return {pixels, pixels + width * height};
    }
    // Pixels that are not white inside [left, right) x [top, bottom).
    int InkIn(int left, int top, int right, int bottom) {
        GdiFlush();
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) ++count;
        return count;
    }
};

int PixelsPerInch(HDC dc) { return GetDeviceCaps(dc, LOGPIXELSY); }

FORMATRANGE Request(HDC dc, LONG first, LONG last, RECT twips) {
    FORMATRANGE range{};
    range.hdc = dc;
    range.hdcTarget = dc;
    range.rc = twips;
    range.rcPage = twips;
    range.chrg = {first, last};
    return range;
}

LRESULT Format(const Control& c, FORMATRANGE& range, bool render) {
    return c.Send(EM_FORMATRANGE, render, reinterpret_cast<LPARAM>(&range));
}

std::string Lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

std::vector<LONG> PageStarts(const Control& c, HDC dc, RECT twips) {
    std::vector<LONG> starts;
    LONG length = static_cast<LONG>(c.Send(WM_GETTEXTLENGTH));
    LONG start = 0;
    c.Send(EM_FORMATRANGE, 0, 0);
    do {
        starts.push_back(start);
        FORMATRANGE range = Request(dc, start, length, twips);
        start = static_cast<LONG>(Format(c, range, false));
    } while (start < length && starts.size() < 1000);
    c.Send(EM_FORMATRANGE, 0, 0);
    return starts;
}

}  // namespace

TEST(EditorPages, PagesFollowEachOtherAtLineStartsAndTallerPagesHoldMoreLines) {
    Control c(Lines(120));
    Picture picture(400, 400);
    std::vector<LONG> one = PageStarts(c, picture.dc, {0, 0, 1440 * 3, 1440});
    std::vector<LONG> two = PageStarts(c, picture.dc, {0, 0, 1440 * 3, 2880});
    ASSERT_GT(one.size(), 2u);
    for (LONG start : one) EXPECT_TRUE(start == 0 || c.Send(EM_LINEINDEX, c.Send(EM_EXLINEFROMCHAR, 0, start)) == start);
    // Twice the height gives half the pages (the last one may be part full).
    EXPECT_NEAR(static_cast<double>(two.size()), one.size() / 2.0, 1.0);
    // Every page but the last holds the same number of lines; the bottom tells how far they go.
    FORMATRANGE range = Request(picture.dc, 0, -1, {0, 0, 1440 * 3, 1440});
    LONG next = static_cast<LONG>(Format(c, range, false));
    EXPECT_EQ(next, one[1]);
    EXPECT_GT(range.rc.bottom, 1440 * 3 / 4);
    EXPECT_LE(range.rc.bottom, 1440);
    c.Send(EM_FORMATRANGE, 0, 0);
}

TEST(EditorPages, RangesEmptyTextsAndPagesTooLowForALine) {
    Control c(Lines(10));
    Picture picture(400, 400);
    // The range's end stops the page; -1 runs to the end of the text.
    FORMATRANGE part = Request(picture.dc, 7, 20, {0, 0, 1440 * 3, 1440 * 5});
    EXPECT_EQ(Format(c, part, false), 20);
    FORMATRANGE whole = Request(picture.dc, 0, -1, {0, 0, 1440 * 3, 1440 * 5});
    EXPECT_EQ(Format(c, whole, false), c.Send(WM_GETTEXTLENGTH));
    // A page lower than a line still takes one, so a page loop ends.
    EXPECT_EQ(PageStarts(c, picture.dc, {0, 0, 1440 * 3, 10}).size(), 10u);
    // An empty text is one page; no request drops the layout and answers 0.
    Control empty("");
    EXPECT_EQ(PageStarts(empty, picture.dc, {0, 0, 1440, 1440}), std::vector<LONG>{0});
    EXPECT_EQ(empty.Send(EM_FORMATRANGE, 0, 0), 0);
}

TEST(EditorPages, LongLinesWrapToThePageWidth) {
    std::string words;
    for (int i = 0; i < 60; ++i) words += "word ";
    Control c(words + "\r\nend");
    Picture picture(400, 400);
    // One inch of width holds a few words; ten inches of height hold every wrapped line.
    FORMATRANGE narrow = Request(picture.dc, 0, -1, {0, 0, 1440, 14400});
    EXPECT_EQ(Format(c, narrow, false), c.Send(WM_GETTEXTLENGTH));
    FORMATRANGE wide = Request(picture.dc, 0, -1, {0, 0, 14400, 14400});
    Format(c, wide, false);
    EXPECT_GT(narrow.rc.bottom, 5 * wide.rc.bottom);
    // One line's height of page: the first page ends after whole words.
    FORMATRANGE low = Request(picture.dc, 0, -1, {0, 0, 1440, wide.rc.bottom / 2});
    LONG next = static_cast<LONG>(Format(c, low, false));
    EXPECT_GT(next, 0);
    EXPECT_LT(next, 60);
    EXPECT_EQ(next % 5, 0);
    c.Send(EM_FORMATRANGE, 0, 0);
}

TEST(EditorPages, RenderingDrawsInsideTheRectangleOnlyAndDecodesByTheViewCodePage) {
    Picture picture(300, 200);
    int dpi = PixelsPerInch(picture.dc);
    // The rectangle from half an inch to one and a half inches across, a quarter inch down.
    RECT twips{720, 360, 2160, 1440};
    RECT pixels{dpi / 2, dpi / 4, dpi * 3 / 2, dpi};
    Control c("\xC6\xC6\xC6 abc\r\nwww");
    FORMATRANGE range = Request(picture.dc, 0, -1, twips);
    Format(c, range, true);
    EXPECT_GT(picture.InkIn(pixels.left, pixels.top, pixels.right, pixels.bottom), 50);
    EXPECT_EQ(picture.InkIn(0, 0, 300, pixels.top - 1), 0);
    EXPECT_EQ(picture.InkIn(0, 0, pixels.left - 1, 200), 0);
    c.Send(EM_FORMATRANGE, 0, 0);

    // Zhe is C6 in 1251 and F6 in KOI8-R: the same picture; C6 in KOI8-R is another letter.
    auto draw = [&](const std::string& bytes, int view) {
        Control letters(bytes);
        letters.Send(EM_SETVIEWCODEPAGE, view);
        Picture p(300, 200);
        FORMATRANGE r = Request(p.dc, 0, -1, twips);
        Format(letters, r, true);
        letters.Send(EM_FORMATRANGE, 0, 0);
        return p.Pixels();
    };
    std::vector<std::uint32_t> ansi = draw("\xC6\xE8\xE2\xEE", 0);
    EXPECT_EQ(draw("\xF6\xC9\xD7\xCF", 2), ansi);
    EXPECT_NE(draw("\xC6\xE8\xE2\xEE", 2), ansi);
}

TEST(EditorPages, DisplayBandDrawsThePageLaidOutLastWhereverItIsAsked) {
    Control c(Lines(40));
    RECT twips{0, 0, 2880, 1440};
    Picture rendered(300, 300);
    FORMATRANGE range = Request(rendered.dc, 0, -1, twips);
    LONG renderedNext = static_cast<LONG>(Format(c, range, true));
    c.Send(EM_FORMATRANGE, 0, 0);

    EXPECT_FALSE(c.Send(EM_DISPLAYBAND, 0, reinterpret_cast<LPARAM>(&twips)));
    Picture banded(300, 300);
    FORMATRANGE layout = Request(banded.dc, 0, -1, twips);
    EXPECT_EQ(Format(c, layout, false), renderedNext);
    EXPECT_EQ(banded.InkIn(0, 0, 300, 300), 0);  // laid out, not drawn
    EXPECT_TRUE(c.Send(EM_DISPLAYBAND, 0, reinterpret_cast<LPARAM>(&twips)));
    EXPECT_EQ(banded.Pixels(), rendered.Pixels());

    // Another band moves the same lines: nothing is left above it.
    Picture moved(300, 300);
    FORMATRANGE again = Request(moved.dc, 0, -1, twips);
    Format(c, again, false);
    RECT lower{0, 1440, 2880, 2880};
    EXPECT_TRUE(c.Send(EM_DISPLAYBAND, 0, reinterpret_cast<LPARAM>(&lower)));
    int dpi = PixelsPerInch(moved.dc);
    EXPECT_EQ(moved.InkIn(0, 0, 300, dpi - 1), 0);
    EXPECT_GT(moved.InkIn(0, dpi, 300, 2 * dpi), 50);

    // After an edit the laid-out positions mean other bytes: no band.
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_FALSE(c.Send(EM_DISPLAYBAND, 0, reinterpret_cast<LPARAM>(&twips)));
    c.Send(EM_FORMATRANGE, 0, 0);
}
