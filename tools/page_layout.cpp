#include "tools/page_layout.h"

#include <algorithm>
#include <cstdio>

#include "base/screen_scale.h"
#include "base/ui_text.h"

namespace {

// Multiply then divide, in 64 bits so that no paper size or margin can overflow.
std::int32_t Scale(std::int64_t value, std::int64_t times, std::int64_t by) {
    if (by == 0) return 0;
    return static_cast<std::int32_t>(value * times / by);
}

}  // namespace

std::int32_t PixelsToTwips(std::int32_t pixels, std::int32_t pixelsPerInch) {
    return Scale(pixels, kTwipsPerInch, pixelsPerInch);
}

std::int32_t MarginToTwips(std::int32_t units) { return Scale(units, kTwipsPerInch, kMarginUnitsPerInch); }

PageGeometry ComputePageGeometry(std::int32_t physicalWidth, std::int32_t physicalHeight, std::int32_t pixelsPerInchX,
                                 std::int32_t pixelsPerInchY, const Margins& margins) {
    PageGeometry g;
    g.page = {0, 0, PixelsToTwips(physicalWidth, pixelsPerInchX), PixelsToTwips(physicalHeight, pixelsPerInchY)};
    g.text = g.page;
    std::int32_t left = MarginToTwips(margins.left), right = MarginToTwips(margins.right);
    std::int32_t top = MarginToTwips(margins.top), bottom = MarginToTwips(margins.bottom);
    // A negative margin would put text off the paper; such a pair is left alone like a too wide one.
    if (left >= 0 && right >= 0 && static_cast<std::int64_t>(left) + right + kTwipsPerInch < g.page.Width()) {
        g.text.left += left;
        g.text.right -= right;
        g.sidesApplied = true;
    }
    if (top >= 0 && bottom >= 0 && static_cast<std::int64_t>(top) + bottom + kTwipsPerInch < g.page.Height()) {
        g.text.top += top;
        g.text.bottom -= bottom;
        g.topBottomApplied = true;
    }
    return g;
}

std::string PageNumberText(unsigned page) {
    char text[16];
    std::snprintf(text, sizeof text, "-%u-", page);
    return text;
}

TwipRect PageNumberBand(const PageGeometry& geometry, std::int32_t width, std::int32_t height) {
    TwipRect band;
    band.left = (geometry.page.Width() - width) / 2;
    band.right = geometry.text.right;
    band.bottom = geometry.text.top;
    band.top = (geometry.text.top - geometry.page.top - height) / 2;
    return band;
}

void RunPrintJob(const PrintRequest& request, PrintPages& pages) {
    unsigned copies = std::max(1u, request.copies);
    unsigned outer = request.collate ? copies : 1;
    unsigned inner = request.collate ? 1 : copies;
    unsigned lastPage = request.pageRange ? request.lastPage : kLastPossiblePage;
    for (unsigned run = 0; run < outer; ++run) {
        pages.BeginRun();
        unsigned number = 1;
        std::size_t start = request.first;
        do {
            std::size_t next = pages.LayOutPage(start, number);
            if (!(request.pageRange && number < request.firstPage))
                for (unsigned copy = 0; copy < inner; ++copy) pages.SendPage(number);
            // A layout that did not move would send the same page for ever.
            start = std::max(next, start + 1);
            ++number;
        } while (start < request.end && number <= lastPage);
    }
}

unsigned CountTextPages(std::size_t length, const std::function<std::size_t(std::size_t start)>& layOutPage) {
    unsigned count = 0;
    std::size_t start = 0;
    do {
        std::size_t next = layOutPage(start);
        start = std::max(next, start + 1);
        ++count;
    } while (start < length && count < kPageCountLimit);
    return count;
}

std::string PageCountCaption(unsigned count) {
    if (count == 0 || count >= kPageCountLimit) return "EnumPage() failed";
    char text[32];
    std::snprintf(text, sizeof text, "Страниц: %u"_ui, count);
    return text;
}

PictureRect PreviewPicturePlace(int clientWidth, int clientHeight, int buttonHeight, const TwipRect& page, int dpi) {
    PictureRect r;
    r.y = buttonHeight + ScaledForDpi(4, dpi);
    std::int64_t pageWidth = std::max(1, page.Width()), pageHeight = std::max(1, page.Height());
    if (pageHeight >= pageWidth) {
        r.height = std::max(0, clientHeight - r.y - ScaledForDpi(2, dpi));
        r.width = static_cast<int>(r.height * pageWidth / pageHeight);
    } else {
        r.width = std::max(0, clientWidth - r.y);
        r.height = static_cast<int>(r.width * pageHeight / pageWidth);
    }
    r.x = (clientWidth - r.width) / 2;
    return r;
}

PreviewMapping PreviewMappingFor(int physicalWidth, int physicalHeight, int screenPerInchX, int screenPerInchY,
                                 int printerPerInchX, int printerPerInchY, int zoom, int zoomX, int zoomY) {
    PreviewMapping m;
    zoom = std::max(1, zoom);
    m.windowWidth = Scale(physicalWidth, screenPerInchX, printerPerInchX) / zoom;
    m.windowHeight = Scale(physicalHeight, screenPerInchY, printerPerInchY) / zoom;
    if (zoom != 1) {
        m.originX = -zoomX * (zoom - 1);
        m.originY = -zoomY * (zoom - 1);
    }
    return m;
}

std::string NextPageLabel(unsigned page, bool moreText) {
    char text[32];
    std::snprintf(text, sizeof text, moreText ? "%u&.>>" : "%u ||", page);
    return text;
}
