#pragma once
// The arithmetic of printed pages: rectangles in twips from the printer's size and the page
// margins, the band of the page number, the runs and pages of a print job, the page count, and the
// preview picture's place and scale. Nothing here draws; the printing and preview windows ask.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

inline constexpr std::int32_t kTwipsPerInch = 1440;
// The page setup dialog's margins are kept in these units, whatever units the dialog showed.
inline constexpr std::int32_t kMarginUnitsPerInch = 2500;
inline constexpr std::int32_t kDefaultMargin = 2500;
// Page counting gives up here.
inline constexpr unsigned kPageCountLimit = 512;
// The print dialog's "all pages".
inline constexpr unsigned kLastPossiblePage = 0xFFFF;

struct TwipRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    bool operator==(const TwipRect&) const = default;
};

struct Margins {
    std::int32_t left = kDefaultMargin, top = kDefaultMargin, right = kDefaultMargin, bottom = kDefaultMargin;
};

std::int32_t PixelsToTwips(std::int32_t pixels, std::int32_t pixelsPerInch);
std::int32_t MarginToTwips(std::int32_t units);

struct PageGeometry {
    TwipRect page;
    TwipRect text;
    bool sidesApplied = false;      // left and right margins taken off
    bool topBottomApplied = false;  // top and bottom margins taken off
};

// From the printer's physical page in pixels and its resolution. Each pair of margins is taken off
// only when at least an inch of text remains between them; the printable area's offset is not
// taken into account.
PageGeometry ComputePageGeometry(std::int32_t physicalWidth, std::int32_t physicalHeight, std::int32_t pixelsPerInchX,
                                 std::int32_t pixelsPerInchY, const Margins& margins);

// The number stands in the top margin, so there is none without one.
inline bool PageNumberApplies(const PageGeometry& geometry, bool pageNumbers) {
    return pageNumbers && geometry.topBottomApplied;
}

// "-7-" for page 7.
std::string PageNumberText(unsigned page);
// Where the number of a page goes, given its measured width and height in twips: centred across the
// page and in the middle of the top margin, running to the text's right edge and the text's top.
TwipRect PageNumberBand(const PageGeometry& geometry, std::int32_t width, std::int32_t height);

// What the print dialog was answered with.
struct PrintRequest {
    unsigned copies = 1;
    bool collate = false;
    bool pageRange = false;  // pages firstPage..lastPage chosen
    unsigned firstPage = 1;
    unsigned lastPage = kLastPossiblePage;
    std::size_t first = 0;  // the text range printed: the whole text or the selection
    std::size_t end = 0;
};

// The printer side of a job. Each run of the document starts its layout afresh; each page is laid
// out (its number and its text) before it is sent, and may be sent several times in a row.
class PrintPages {
public:
    virtual void BeginRun() = 0;
    // Lays out page `number` from `start` and returns the first position after it.
    virtual std::size_t LayOutPage(std::size_t start, unsigned number) = 0;
    virtual void SendPage(unsigned number) = 0;

protected:
    ~PrintPages() = default;
};

// Collated copies run the document once per copy; uncollated ones send each page copies times.
// Pages before a chosen range are laid out and numbered but not sent; the pages of a selection are
// numbered from 1.
void RunPrintJob(const PrintRequest& request, PrintPages& pages);

// The pages of a text of `length` bytes, laid out one after another from 0; an empty text is one
// page. Stops at kPageCountLimit.
unsigned CountTextPages(std::size_t length, const std::function<std::size_t(std::size_t start)>& layOutPage);
// "Страниц: 3" for a count below the limit, "EnumPage() failed" for none or the limit (1251 bytes).
std::string PageCountCaption(unsigned count);

// ---- Print preview ----

struct PictureRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PictureRect&) const = default;
};

// The page picture under the buttons, in the proportions of the paper: a page at least as tall as
// wide fills the height, a landscape one the width. The gaps around it are pixels at 96 dpi that
// grow with the dialog's `dpi`.
PictureRect PreviewPicturePlace(int clientWidth, int clientHeight, int buttonHeight, const TwipRect& page, int dpi);

// 1 and 3 alternate.
inline int NextPreviewZoom(int zoom) { return 4 - zoom; }

// The page drawn into the picture: logical units are screen pixels of the paper, so the window
// extent is the page at the screen's resolution, divided by the zoom; when zoomed, the origin
// keeps the clicked point of the picture where it was.
struct PreviewMapping {
    int windowWidth = 0, windowHeight = 0;
    int originX = 0, originY = 0;
};
PreviewMapping PreviewMappingFor(int physicalWidth, int physicalHeight, int screenPerInchX, int screenPerInchY,
                                 int printerPerInchX, int printerPerInchY, int zoom, int zoomX, int zoomY);

// The next-page button names the page shown: "3&.>>" when more text follows, "3 ||" on the last.
std::string NextPageLabel(unsigned page, bool moreText);
