#include "control/win/view_glyphs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "control/font_cmap.h"
#include "control/view_decoding.h"

ShownCharacter ShowCharacter(int view, const Utf8Character& c) {
    ShownCharacter shown;
    if (!IsUnicodeView(view) || c.code < 0x80) {
        shown.unit = c.byte == '\t' ? L' ' : static_cast<wchar_t>(ViewGlyph(IsUnicodeView(view) ? 0 : view, c.byte));
        return shown;
    }
    if (!c.WellFormed()) {
        shown.kind = ShownCharacter::StrayByte;
    } else if (c.code == 0xFEFF) {
        shown.kind = ShownCharacter::ByteOrderMark;
    } else if (c.code >= 0x10000) {
        shown.kind = ShownCharacter::GlyphIndex;
        shown.code = c.code;
    } else {
        shown.unit = static_cast<wchar_t>(c.code);
    }
    return shown;
}

WORD GlyphIndexOf(HDC dc, char32_t code) {
    // The character map of the last font asked, known by its face, weight and slant (each a font file
    // of its own): a screen or a page asks about one font many times over.
    static std::wstring mappedFont;
    static std::vector<unsigned char> cmap;
    wchar_t face[LF_FACESIZE] = {};
    TEXTMETRICW metrics{};
    if (!GetTextFaceW(dc, LF_FACESIZE, face) || !GetTextMetricsW(dc, &metrics)) return 0;
    const std::wstring font = std::wstring(face) + L'/' + std::to_wstring(metrics.tmWeight) + L'/' +
                              std::to_wstring(metrics.tmItalic);
    if (font != mappedFont) {
        constexpr DWORD kCmapTag = 'c' | 'm' << 8 | 'a' << 16 | static_cast<DWORD>('p') << 24;
        const DWORD size = GetFontData(dc, kCmapTag, 0, nullptr, 0);
        cmap.assign(size == GDI_ERROR ? 0 : size, 0);
        if (!cmap.empty() && GetFontData(dc, kCmapTag, 0, cmap.data(), size) != size) cmap.clear();
        mappedFont = font;
    }
    const std::uint32_t glyph = GlyphOfCharacter(cmap.data(), cmap.size(), code);
    return glyph <= 0xFFFF ? static_cast<WORD>(glyph) : 0;
}

GdiFont SmallFontFor(HFONT font) {
    LOGFONTW logFont{};
    if (!font || !GetObjectW(font, sizeof logFont, &logFont)) return {};
    logFont.lfHeight = logFont.lfHeight * 3 / 5;
    logFont.lfWidth = 0;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfItalic = logFont.lfUnderline = logFont.lfStrikeOut = FALSE;
    return GdiFont(CreateFontIndirectW(&logFont));
}

namespace {

// A device of its own with the fonts selected, kept as long as the layout may ask.
struct MeasureDevice {
    GdiFont font;
    GdiFont small;
    int boxWidth = 0;
    int unitBoxWidth = 0;
    // Last, so it goes first: a font is deleted only once no device holds it selected.
    DeviceContext dc;
};

int TextWidth(HDC dc, const wchar_t* units, int count) {
    SIZE size{};
    return GetTextExtentPoint32W(dc, units, count, &size) ? size.cx : 0;
}

}  // namespace

TextLayout::MeasureCharacter Utf8Measure(HDC like, HFONT font) {
    auto device = std::make_shared<MeasureDevice>();
    device->dc.reset(CreateCompatibleDC(like));
    LOGFONTW logFont{};
    if (device->dc && font && GetObjectW(font, sizeof logFont, &logFont)) device->font.reset(CreateFontIndirectW(&logFont));
    device->small = SmallFontFor(device->font.get());
    if (device->dc && device->small) {
        HGDIOBJ old = SelectObject(device->dc.get(), device->small.get());
        device->boxWidth = TextWidth(device->dc.get(), L"DD", 2) + 4;
        device->unitBoxWidth = TextWidth(device->dc.get(), L"DDDD", 4) + 4;
        SelectObject(device->dc.get(), old);
    }
    if (device->dc && device->font) SelectObject(device->dc.get(), device->font.get());
    return [device](char32_t code) {
        if (!device->dc) return 8;
        if (code == kMalformedUnit) return device->unitBoxWidth;
        if (code == kMalformedByte || code == 0xFEFF) {
            int digit = TextWidth(device->dc.get(), L"0", 1);
            return std::max(device->boxWidth, digit);
        }
        SIZE size{};
        if (code >= 0x10000) {
            WORD glyph = GlyphIndexOf(device->dc.get(), code);
            return GetTextExtentPointI(device->dc.get(), &glyph, 1, &size) ? static_cast<int>(size.cx) : 0;
        }
        const wchar_t unit = static_cast<wchar_t>(code);
        return TextWidth(device->dc.get(), &unit, 1);
    };
}

void DrawCharacterBox(HDC dc, const ShownCharacter& shown, unsigned value, int x, int y, int w, int height,
                      HFONT small) {
    const int inset = std::max(1, height / 8);
    RECT box{x + 1, y + inset, x + w - 1, y + height - inset};
    if (box.right <= box.left) return;
    if (shown.kind == ShownCharacter::ByteOrderMark) {
        HBRUSH frame = CreateSolidBrush(RGB(0xC8, 0xC8, 0xC8));
        FrameRect(dc, &box, frame);
        DeleteObject(frame);
        return;
    }
    HBRUSH fill = CreateSolidBrush(RGB(0xD8, 0xD8, 0xD8));
    FillRect(dc, &box, fill);
    DeleteObject(fill);
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    const int count = value > 0xFF ? 4 : 2;
    wchar_t digits[4];
    for (int i = 0; i < count; ++i) digits[i] = kDigits[value >> (4 * (count - 1 - i)) & 15];
    HGDIOBJ old = small ? SelectObject(dc, small) : nullptr;
    COLORREF oldColour = SetTextColor(dc, RGB(0x50, 0x50, 0x50));
    UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    DrawTextW(dc, digits, count, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    SetTextAlign(dc, oldAlign);
    SetTextColor(dc, oldColour);
    if (old) SelectObject(dc, old);
}
