#include "control/win/page_formatter.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "control/page_fit.h"
#include "control/view_decoding.h"
#include "control/win/view_glyphs.h"
#include "base/win/shown_text.h"

LOGFONTW EditorLogFont(const CHARFORMATA& format, int pixelsPerInchY) {
    LOGFONTW logFont{};
    LONG twips = format.yHeight > 0 ? format.yHeight : 200;
    logFont.lfHeight = -MulDiv(twips, pixelsPerInchY, 1440);
    logFont.lfWeight = (format.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = (format.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    logFont.lfUnderline = (format.dwEffects & CFE_UNDERLINE) ? TRUE : FALSE;
    logFont.lfStrikeOut = (format.dwEffects & CFE_STRIKEOUT) ? TRUE : FALSE;
    // The text is drawn as Unicode through the view's decoding, so the font need only have the
    // glyphs; asking for the OEM character set would find no font at all on some systems.
    logFont.lfCharSet = DEFAULT_CHARSET;
    // The face is a 1251 text of the settings; the A call would read it in the system's code page.
    lstrcpynW(logFont.lfFaceName, WideText(format.szFaceName).c_str(), LF_FACESIZE);
    logFont.lfPitchAndFamily = logFont.lfFaceName[0] ? format.bPitchAndFamily : (FIXED_PITCH | FF_MODERN);
    logFont.lfQuality = DEFAULT_QUALITY;
    return logFont;
}

FontMeasures MeasureViewFont(HDC dc, int view) {
    FontMeasures m;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    m.lineHeight = std::max<int>(1, metrics.tmHeight);
    m.averageWidth = std::max<int>(1, metrics.tmAveCharWidth);
    // All 256 glyphs of the view in one string: the extents give every width in one call.
    const ViewGlyphTable& glyphs = ViewGlyphs(view);
    wchar_t all[256];
    for (int b = 0; b < 256; ++b) all[b] = static_cast<wchar_t>(glyphs[b]);
    INT extents[256] = {};
    SIZE size{};
    if (GetTextExtentExPointW(dc, all, 256, 0, nullptr, extents, &size)) {
        for (int b = 0; b < 256; ++b) m.widths[b] = std::max(0, extents[b] - (b ? extents[b - 1] : 0));
    } else {
        m.widths.fill(m.averageWidth);
    }
    return m;
}

namespace {

GdiFont CreateEditorFont(const CHARFORMATA& format, int pixelsPerInchY) {
    LOGFONTW logFont = EditorLogFont(format, pixelsPerInchY);
    return GdiFont(CreateFontIndirectW(&logFont));
}

bool SameFormat(const CHARFORMATA& a, const CHARFORMATA& b) {
    return a.yHeight == b.yHeight && a.dwEffects == b.dwEffects && a.bPitchAndFamily == b.bPitchAndFamily &&
           std::strncmp(a.szFaceName, b.szFaceName, LF_FACESIZE) == 0;
}

LONG TwipsToDevice(LONG twips, int pixelsPerInch) { return MulDiv(twips, pixelsPerInch, 1440); }

}  // namespace

// The layout for one target device and width, kept from page to page of a job (each page asks for
// the lines from its start on, and a wrapped text is counted from the top only once).
struct PageFormatter::Target {
    explicit Target(const TextModel& text) : layout(text) {}
    TextLayout layout;
    HDC device = nullptr;
    int dpiX = 0;
    int dpiY = 0;
    int width = 0;
    int view = -1;
    CHARFORMATA format{};
    int lineHeight = 1;
    // The page laid out last without rendering, for EM_DISPLAYBAND.
    bool bandReady = false;
    HDC bandOutput = nullptr;
    std::uint64_t bandVersion = 0;
    PageFit band;
};

PageFormatter::PageFormatter(const TextModel& text) : text_(text) {}
PageFormatter::~PageFormatter() = default;

void PageFormatter::Clear() { target_.reset(); }

bool PageFormatter::Prepare(const PageLook& look, HDC device, int width) {
    int dpiX = GetDeviceCaps(device, LOGPIXELSX), dpiY = GetDeviceCaps(device, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0) return false;
    Target* t = target_.get();
    if (t && t->device == device && t->dpiX == dpiX && t->dpiY == dpiY && t->width == width && t->view == look.view &&
        SameFormat(t->format, *look.format))
        return true;
    target_ = std::make_unique<Target>(text_);
    t = target_.get();
    t->device = device;
    t->dpiX = dpiX;
    t->dpiY = dpiY;
    t->width = width;
    t->view = look.view;
    t->format = *look.format;
    GdiFont font = CreateEditorFont(*look.format, dpiY);
    HGDIOBJ old = SelectObject(device, font ? font.get() : GetStockObject(SYSTEM_FIXED_FONT));
    FontMeasures measures = MeasureViewFont(device, look.view);
    SelectObject(device, old);
    t->lineHeight = measures.lineHeight;
    t->layout.SetWidths(measures.widths, 8 * measures.averageWidth);
    if (IsUnicodeView(look.view)) t->layout.SetCharacterMeasure(Utf8Measure(device, font.get()));
    t->layout.SetWrapWidth(std::max(1, width));
    return true;
}

LRESULT PageFormatter::FormatRange(const PageLook& look, bool render, FORMATRANGE* range) {
    if (!range) {
        Clear();
        return 0;
    }
    HDC target = range->hdcTarget ? range->hdcTarget : range->hdc;
    std::size_t length = text_.Length();
    LONG cpMin = std::max<LONG>(0, range->chrg.cpMin);
    std::size_t first = std::min<std::size_t>(static_cast<std::size_t>(cpMin), length);
    std::size_t last = range->chrg.cpMax < 0 ? length : std::min<std::size_t>(static_cast<std::size_t>(range->chrg.cpMax), length);
    if (last < first) last = first;
    if (!target || !range->hdc) return static_cast<LRESULT>(first);
    int dpiX = GetDeviceCaps(target, LOGPIXELSX), dpiY = GetDeviceCaps(target, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0) return static_cast<LRESULT>(first);
    int width = TwipsToDevice(range->rc.right - range->rc.left, dpiX);
    int height = TwipsToDevice(range->rc.bottom - range->rc.top, dpiY);
    if (!Prepare(look, target, width)) return static_cast<LRESULT>(first);
    Target& t = *target_;
    PageFit fit = FitPage(t.layout, first, last, t.lineHeight, height);
    range->rc.bottom = range->rc.top + MulDiv(static_cast<int>(fit.lines.size()) * t.lineHeight, 1440, dpiY);
    t.band = fit;
    t.bandOutput = range->hdc;
    t.bandReady = !render;
    t.bandVersion = text_.Version();
    if (render) Draw(look, range->hdc, range->rc);
    return static_cast<LRESULT>(fit.next);
}

bool PageFormatter::DisplayBand(const PageLook& look, const RECT* band) {
    // Positions laid out before an edit no longer name the same bytes.
    if (!band || !target_ || !target_->bandReady || target_->bandVersion != text_.Version()) return false;
    Draw(look, target_->bandOutput, *band);
    return true;
}

void PageFormatter::Draw(const PageLook& look, HDC output, const RECT& twips) const {
    const Target& t = *target_;
    int outX = GetDeviceCaps(output, LOGPIXELSX), outY = GetDeviceCaps(output, LOGPIXELSY);
    if (outX <= 0 || outY <= 0) return;
    GdiFont font = CreateEditorFont(t.format, outY);
    int saved = SaveDC(output);
    if (font) SelectObject(output, font.get());
    SetBkMode(output, TRANSPARENT);
    SetTextAlign(output, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const LONG left = TwipsToDevice(twips.left, outX), top = TwipsToDevice(twips.top, outY);
    // Target pixels to output units, from the band's corner.
    auto outputX = [&](int x) { return MulDiv(x, outX, t.dpiX); };
    GdiFont small;  // made when a box needs its digits
    std::wstring run;  // characters, or glyph indices when runByIndex
    bool runByIndex = false;
    std::vector<INT> advances;
    for (std::size_t row = 0; row < t.band.lines.size(); ++row) {
        const PageLine& line = t.band.lines[row];
        int y = top + MulDiv(static_cast<int>(row) * t.lineHeight, outY, t.dpiY);
        int x = 0;        // target pixels from the line's start
        int runX = 0;     // where the pending run starts
        std::uint32_t runColour = ColourRuns::kDefault;
        auto flush = [&] {
            if (!run.empty()) {
                SetTextColor(output, runColour == ColourRuns::kDefault ? look.textColour : static_cast<COLORREF>(runColour));
                ExtTextOutW(output, left + outputX(runX), y, runByIndex ? ETO_GLYPH_INDEX : 0, nullptr, run.data(),
                            static_cast<UINT>(run.size()), advances.data());
            }
            run.clear();
            advances.clear();
            runX = x;
        };
        t.layout.VisitCharacters(line.first, line.last, [&](std::size_t i, const Utf8Character& c) {
            std::uint32_t colour = look.colours ? look.colours->ColourAt(i) : ColourRuns::kDefault;
            if (colour != runColour) {
                flush();
                runColour = colour;
            }
            int w = t.layout.Advance(c, x);
            ShownCharacter shown = ShowCharacter(look.view, c);
            const bool byIndex = shown.kind == ShownCharacter::GlyphIndex;
            if (byIndex != runByIndex) {
                flush();
                runByIndex = byIndex;
            }
            if (shown.kind == ShownCharacter::StrayByte || shown.kind == ShownCharacter::ByteOrderMark) {
                flush();
                if (!small) small = SmallFontFor(font.get());
                DrawCharacterBox(output, shown, BoxValue(c), left + outputX(x), y, outputX(x + w) - outputX(x),
                                 MulDiv(t.lineHeight, outY, t.dpiY), small.get());
                x += w;
                runX = x;
                return true;
            }
            run.push_back(byIndex ? static_cast<wchar_t>(GlyphIndexOf(output, shown.code)) : shown.unit);
            // Rounded from the line's start, so the scaled glyphs never drift from the target's.
            advances.push_back(outputX(x + w) - outputX(x));
            x += w;
            return true;
        });
        flush();
    }
    RestoreDC(output, saved);
}
