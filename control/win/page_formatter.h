#pragma once
// The editor control's pages: EM_FORMATRANGE and EM_DISPLAYBAND. The text is laid out in the
// font of the control as the target device (a printer) would show it, wrapped to the width of the
// page's text rectangle, and drawn onto the output device (the printer itself, or a screen picture
// of the page) with every glyph where the target put it, so a preview shows what the paper gets.
// Bytes are decoded by the view code page, as on screen.
#include <windows.h>
#include <richedit.h>

#include <memory>

#include "control/colour_runs.h"
#include "control/text_layout.h"
#include "control/text_model.h"

// The font the control shows its character format in, for a device of the given vertical
// resolution. A height of 0 has not been chosen by anyone and stands for ten points.
LOGFONTW EditorLogFont(const CHARFORMATA& format, int pixelsPerInchY);

struct FontMeasures {
    int lineHeight = 1;
    int averageWidth = 1;
    CharWidths widths{};
};
// The font selected into dc, measured for the view's 256 glyphs.
FontMeasures MeasureViewFont(HDC dc, int view);

struct PageLook {
    int view = 0;
    const CHARFORMATA* format = nullptr;
    COLORREF textColour = 0;
    const ColourRuns* colours = nullptr;
};

class PageFormatter {
public:
    explicit PageFormatter(const TextModel& text);
    ~PageFormatter();
    PageFormatter(const PageFormatter&) = delete;
    PageFormatter& operator=(const PageFormatter&) = delete;

    // EM_FORMATRANGE: lays out (and with render draws) one page of range->chrg into range->rc
    // (twips) and returns the first position not on it; range->rc.bottom becomes the bottom of the
    // lines laid out. A null range drops the layout kept between pages.
    LRESULT FormatRange(const PageLook& look, bool render, FORMATRANGE* range);
    // EM_DISPLAYBAND: draws the page laid out last without rendering into band (twips) on that
    // layout's output device. False when there is none.
    bool DisplayBand(const PageLook& look, const RECT* band);
    void Clear();

private:
    struct Target;
    bool Prepare(const PageLook& look, HDC target, int width);
    void Draw(const PageLook& look, HDC output, const RECT& twips) const;

    const TextModel& text_;
    std::unique_ptr<Target> target_;
};
