#include "control/win/editor_state.h"

namespace editor_control {

namespace {

// The bars are set once per burst of messages (from the posted refresh), so drawing the changed bar
// at once is cheap; invalidating its strip of the frame instead cost more, because the frame's
// repaint draws both bars and the border.
void SetScrollBar(Editor& e, int bar, const SCROLLINFO& info) { SetScrollInfo(e.window, bar, &info, TRUE); }

// The units a scroll bar is given at most: well inside int, so arithmetic on them cannot overflow.
constexpr PixelX kScrollUnits = 0x3FFFFFFF;

void RequestRefresh(Editor& e) {
    if (e.screen.refreshPosted) return;
    e.screen.refreshPosted = true;
    PostMessageA(e.window, kRefreshMessage, 0, 0);
}

}  // namespace

// Scroll bars and caret follow the text once a burst of messages is handled: a run of
// replacements sends thousands, and each update is a trip to the display under Wine.
void UpdateScrollBars(Editor& e) {
    e.screen.scrollBarsPending = true;
    RequestRefresh(e);
}

void UpdateScrollBarsNow(Editor& e) {
    e.screen.scrollBarsPending = false;
    if (!e.screen.redraw) return;
    LONG_PTR style = Style(e);
    if (style & WS_VSCROLL) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = static_cast<int>(std::min<std::size_t>(e.edit.LineCountForScrolling() - 1, 0x7FFFFFFE));
        info.nPage = static_cast<UINT>(e.edit.VisibleLines());
        info.nPos = static_cast<int>(e.edit.TopLine());
        const SCROLLINFO& shown = e.screen.shownVertical;
        if (info.nMax != shown.nMax || info.nPage != shown.nPage || info.nPos != shown.nPos) {
            SetScrollBar(e, SB_VERT, info);
            e.screen.shownVertical = info;
        }
    }
    if (style & WS_HSCROLL) {
        // The bar holds int units; a line wider than that is shown in units of several pixels, and
        // the thumb at its end stands for the end of the line, not for the last whole unit.
        // The range grows in steps of half the view: typing at the end of the widest line would
        // otherwise change it at every key, and each change redraws the bar (a trip to the display).
        const PixelX step = std::max<PixelX>(e.look.averageWidth, TextAreaWidth(e) / 2);
        PixelX range = e.edit.WidestLine() + 2 * kMargin + e.look.averageWidth;
        range = (range + step - 1) / step * step;
        e.screen.horizontalUnit = std::max<PixelX>(1, (range + kScrollUnits - 1) / kScrollUnits);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = static_cast<int>(range / e.screen.horizontalUnit);
        info.nPage = static_cast<UINT>(std::max<PixelX>(1, (TextAreaWidth(e) + 2 * kMargin) / e.screen.horizontalUnit));
        info.nPos = static_cast<int>(std::min<PixelX>(e.edit.ScrollX() / e.screen.horizontalUnit, info.nMax));
        if (info.nMax != e.screen.shownHorizontal.nMax || info.nPage != e.screen.shownHorizontal.nPage ||
            info.nPos != e.screen.shownHorizontal.nPos) {
            SetScrollBar(e, SB_HORZ, info);
            e.screen.shownHorizontal = info;
        }
    }
}

namespace {

POINT CaretPoint(Editor& e) {
    long where = e.edit.RowOf(e.edit.Caret());
    if (where == kAbove || where == kBelow) return {-1000, where == kAbove ? -1000 : 0x3FFFFFFF};
    std::size_t line = e.edit.CaretLine();
    long row = static_cast<long>(line) - static_cast<long>(e.edit.TopLine());
    return {ClientX(e, e.layout.XOfPosition(line, e.edit.Caret())), static_cast<LONG>(row * e.look.lineHeight)};
}

}  // namespace

void PlaceCaret(Editor& e) {
    if (!e.focus.held) return;
    e.screen.caretPending = true;
    RequestRefresh(e);
}

void PlaceCaretNow(Editor& e) {
    e.screen.caretPending = false;
    if (!e.focus.held) return;
    POINT p = e.mouse.dragging ? POINT{} : CaretPoint(e);
    if (e.mouse.dragging) {
        std::size_t line = e.layout.DisplayLineFromPosition(e.mouse.dropPosition);
        p.x = ClientX(e, e.layout.XOfPosition(line, e.mouse.dropPosition));
        p.y = static_cast<LONG>((static_cast<long>(line) - static_cast<long>(e.edit.TopLine())) * e.look.lineHeight);
    }
    if (p.x == e.screen.shownCaret.x && p.y == e.screen.shownCaret.y) return;
    SetCaretPos(p.x, p.y);
    e.screen.shownCaret = p;
}

void MakeCaret(Editor& e) {
    if (!e.focus.held) return;
    DestroyCaret();
    CreateCaret(e.window, nullptr, e.doc.Overwrite() ? std::max(2, e.look.averageWidth) : 2, e.look.lineHeight);
    e.screen.shownCaret = {-100000, -100000};
    PlaceCaretNow(e);
    ShowCaret(e.window);
}

void ViewMoved(Editor& e) {
    Invalidate(e);
    UpdateScrollBars(e);
    PlaceCaret(e);
}

void ScrollTo(Editor& e, std::size_t top, std::int64_t x) {
    if (e.edit.ScrollTo(top, x)) ViewMoved(e);
}

void ScrollCaretIntoView(Editor& e) {
    if (e.edit.ScrollCaretIntoView()) ViewMoved(e);
    PlaceCaret(e);
}

void InvalidateSelection(Editor& e) {
    if (!e.edit.HasSelection() || !e.screen.redraw) return;
    long first = e.edit.RowOf(e.edit.SelectionStart());
    long last = e.edit.RowOf(e.edit.SelectionEnd());
    InvalidateRows(e, first, last == kBelow ? kBelow : last + 1);
}

void ShowSelection(Editor& e, bool scroll) {
    InvalidateSelection(e);
    // While drawing is off the caller is rewriting the text and puts the view back itself.
    if (scroll && e.screen.redraw) ScrollCaretIntoView(e);
    else PlaceCaret(e);
    NotifySelectionChange(e);
}

void SelectionChanged(Editor& e, bool scroll) {
    ShowSelection(e, scroll);
    // The document's other watchers hear of it; this view knows already.
    e.movingSelection = true;
    e.doc.SelectionMoved();
    e.movingSelection = false;
}

void SetSelection(Editor& e, std::size_t anchor, std::size_t caret, bool scroll, bool atLineEnd) {
    InvalidateSelection(e);
    e.edit.Select(anchor, caret, atLineEnd);
    SelectionChanged(e, scroll);
}

// ---- Font ------------------------------------------------------------------------------------

void MeasureFont(Editor& e) {
    HDC dc = GetDC(e.window);
    HGDIOBJ old = SelectObject(dc, e.look.font.get());
    FontMeasures measures = MeasureViewFont(dc, e.doc.ViewCodePage());
    SelectObject(dc, old);
    e.look.lineHeight = measures.lineHeight;
    e.look.averageWidth = measures.averageWidth;
    e.layout.SetWidths(measures.widths, 8 * e.look.averageWidth);
    // The Unicode views measure each character the first time the layout meets it.
    const bool unicode = IsUnicodeView(e.doc.ViewCodePage());
    e.layout.SetCharacterMeasure(unicode ? Utf8Measure(dc, e.look.font.get()) : nullptr);
    e.look.smallFont = unicode ? SmallFontFor(e.look.font.get()) : GdiFont();
    ReleaseDC(e.window, dc);
    e.edit.ForgetWidestLine();
    SyncViewSize(e);
}

// The point size in pixels of the monitor the window is on, which on a system with monitors of
// several scales need not be the DPI its device context reports.
void ApplyFont(Editor& e) {
    LOGFONTW logFont = EditorLogFont(e.look.format, WindowDpi(e.window));
    HFONT created = CreateFontIndirectW(&logFont);
    if (!created) created = static_cast<HFONT>(GetStockObject(SYSTEM_FIXED_FONT));
    e.look.font.reset(created);
    MeasureFont(e);
    e.layout.SetWrapWidth(Wraps(e) ? TextAreaWidth(e) : 0);
    MakeCaret(e);
    e.edit.ClampView();
    UpdateScrollBars(e);
    Invalidate(e);
}

namespace {

// ---- Painting --------------------------------------------------------------------------------

struct Segment {
    std::wstring glyphs;  // characters, or glyph indices when byIndex
    bool byIndex = false;
    std::vector<INT> advances;
    PixelX left = 0;
    int width = 0;
    bool selected = false;
    COLORREF colour = 0;
};

void DrawSegment(Editor& e, HDC dc, int y, Segment& s) {
    if (s.glyphs.empty()) return;
    int left = ClientX(e, s.left);
    if (s.selected) {
        RECT r{left, y, left + s.width, y + e.look.lineHeight};
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        SetTextColor(dc, s.colour);
    }
    ExtTextOutW(dc, left, y, s.byIndex ? ETO_GLYPH_INDEX : 0, nullptr, s.glyphs.data(), static_cast<UINT>(s.glyphs.size()),
                s.advances.data());
    s.glyphs.clear();
    s.advances.clear();
    s.width = 0;
}

// The line's break: one of the text's own kind shows nothing, one of another kind (a mixed file) its
// glyph, the CR's for a CR LF; a selected break shows as a small block. `kind` is the text's.
void PaintLineBreak(Editor& e, HDC dc, std::size_t start, std::size_t end, std::int64_t x, int y, bool showSelection,
                    LineEndKind kind) {
    std::size_t logical = e.text.LineFromPosition(start);
    if (end != e.text.LineEnd(logical)) return;
    std::size_t breakEnd = e.text.LineBreakEnd(logical);
    if (breakEnd == end) return;
    std::size_t selectionFirst = showSelection ? e.edit.SelectionStart() : 0;
    std::size_t selectionLast = showSelection ? e.edit.SelectionEnd() : 0;
    bool breakSelected = end >= selectionFirst && end < selectionLast;
    int left = ClientX(e, x);
    const bool pair = breakEnd - end != e.text.UnitBytes();
    const LineEndKind own = pair ? LineEndKind::CrLf : e.text.UnitAt(end) == '\n' ? LineEndKind::Lf : LineEndKind::Cr;
    if (own != kind) {
        const ViewGlyphTable& glyphs = ViewGlyphs(IsUnicodeView(e.doc.ViewCodePage()) ? 0 : e.doc.ViewCodePage());
        const auto unit = static_cast<unsigned char>(e.text.UnitAt(end));
        wchar_t marker = glyphs[unit];
        int w = std::max(e.layout.CharWidth(unit), e.look.averageWidth / 2);
        if (breakSelected) {
            RECT r{left, y, left + w, y + e.look.lineHeight};
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, breakSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_GRAYTEXT));
        ExtTextOutW(dc, left, y, 0, nullptr, &marker, 1, nullptr);
    } else if (breakSelected) {
        RECT r{left, y, left + std::max(2, e.look.averageWidth / 2), y + e.look.lineHeight};
        FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
}

void PaintLine(Editor& e, HDC dc, std::size_t displayLine, int y, int clientWidth, bool showSelection, LineEndKind kind) {
    std::size_t start = e.layout.DisplayLineStart(displayLine);
    if (start == kNone) return;
    std::size_t end = e.layout.DisplayLineEnd(displayLine);
    std::size_t selectionFirst = showSelection ? e.edit.SelectionStart() : 0;
    std::size_t selectionLast = showSelection ? e.edit.SelectionEnd() : 0;
    COLORREF textColour = TextColour(e);

    // A long line scrolled far to the right is walked from the nearest place the layout knows.
    const std::int64_t scrollX = e.edit.ScrollX();
    TextLayout::Place from = e.layout.PlaceBeforeX(displayLine, scrollX);
    std::int64_t x = from.x;
    std::size_t i = from.position;
    e.layout.VisitCharacters(i, end, [&](std::size_t at, const Utf8Character& c) {
        int w = e.layout.Advance(c, x);
        if (x + w >= scrollX) return false;
        x += w;
        i = at + c.length;
        return true;
    });
    Segment segment;
    segment.left = x;
    std::size_t colourChange = 0;
    std::uint32_t colour = ColourRuns::kDefault;
    std::int64_t rightEdge = scrollX + clientWidth;
    e.layout.VisitCharacters(i, end, [&](std::size_t at, const Utf8Character& c) {
        if (x >= rightEdge) return false;
        i = at + c.length;
        if (at >= colourChange || at == start) {
            colour = e.colours.ColourAt(at);
            colourChange = e.colours.NextChange(at);
        }
        bool selected = at >= selectionFirst && at < selectionLast;
        COLORREF shown = colour == ColourRuns::kDefault ? textColour : static_cast<COLORREF>(colour);
        ShownCharacter character = ShowCharacter(e.doc.ViewCodePage(), c);
        const bool byIndex = character.kind == ShownCharacter::GlyphIndex;
        if (!segment.glyphs.empty() &&
            (selected != segment.selected || shown != segment.colour || byIndex != segment.byIndex)) {
            DrawSegment(e, dc, y, segment);
            segment.left = x;
        }
        segment.selected = selected;
        segment.colour = shown;
        segment.byIndex = byIndex;
        int w = e.layout.Advance(c, x);
        if (character.kind == ShownCharacter::StrayByte || character.kind == ShownCharacter::ByteOrderMark) {
            DrawSegment(e, dc, y, segment);
            int left = ClientX(e, x);
            if (selected) {
                RECT r{left, y, left + w, y + e.look.lineHeight};
                FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            DrawCharacterBox(dc, character, BoxValue(c), left, y, w, e.look.lineHeight, e.look.smallFont.get());
            segment.left = x + w;
        } else {
            segment.glyphs.push_back(byIndex ? static_cast<wchar_t>(GlyphIndexOf(dc, character.code)) : character.unit);
            segment.advances.push_back(w);
            segment.width += w;
        }
        x += w;
        return true;
    });
    DrawSegment(e, dc, y, segment);
    if (i >= end) PaintLineBreak(e, dc, start, end, x, y, showSelection, kind);
}

}  // namespace

void OnPaint(Editor& e) {
    e.screen.wholeInvalid = false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(e.window, &ps);
    RECT client = ClientArea(e);
    int width = std::max<LONG>(1, client.right), height = std::max<LONG>(1, client.bottom);
    // Drawn off screen and copied in one go, so lines never flicker while the text changes.
    if (!e.screen.paintBitmap || e.screen.paintSize.cx != width || e.screen.paintSize.cy != height) {
        e.screen.paintBitmap.reset();
        e.screen.paintBitmap.reset(CreateCompatibleBitmap(dc, width, height));
        e.screen.paintSize = {width, height};
    }
    DeviceContext offScreen(CreateCompatibleDC(dc));
    HDC memory = offScreen.get();
    HGDIOBJ oldBitmap = SelectObject(memory, e.screen.paintBitmap.get());
    RECT area = ps.rcPaint;
    HBRUSH backgroundBrush = CreateSolidBrush(BackgroundColour(e));
    FillRect(memory, &area, backgroundBrush);
    DeleteObject(backgroundBrush);
    HGDIOBJ oldFont = SelectObject(memory, e.look.font.get());
    SetBkMode(memory, TRANSPARENT);
    IntersectClipRect(memory, area.left, area.top, area.right, area.bottom);
    bool showSelection = SelectionShown(e);
    const LineEndKind kind = e.text.DocumentLineEnd();
    bool widened = false;
    int firstRow = std::max<LONG>(0, area.top) / e.look.lineHeight;
    for (int row = firstRow; row * e.look.lineHeight < std::min<LONG>(height, area.bottom); ++row) {
        std::size_t line = e.edit.TopLine() + static_cast<std::size_t>(row);
        if (e.layout.DisplayLineStart(line) == kNone) break;
        PaintLine(e, memory, line, row * e.look.lineHeight, width, showSelection, kind);
        // The layout keeps places along long lines, so their widths cost a walk from the last
        // change only.
        if (!Wraps(e)) widened = e.edit.NoteLineWidth(e.layout.DisplayLineWidth(line)) || widened;
    }
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left, area.top, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    offScreen.reset();
    EndPaint(e.window, &ps);
    if (widened) UpdateScrollBars(e);
}

namespace {

// ---- Scrolling messages ----------------------------------------------------------------------

int TrackPosition(HWND window, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(window, bar, &info);
    return info.nTrackPos;
}

}  // namespace

void OnVerticalScroll(Editor& e, int code) {
    long top = static_cast<long>(e.edit.TopLine());
    long page = e.edit.PageLines();
    switch (code) {
    case SB_LINEUP: top -= 1; break;
    case SB_LINEDOWN: top += 1; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = TrackPosition(e.window, SB_VERT); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = static_cast<long>(e.layout.DisplayLineCount()); break;
    default: return;
    }
    ScrollTo(e, static_cast<std::size_t>(std::max(0L, top)), e.edit.ScrollX());
}

void OnHorizontalScroll(Editor& e, int code) {
    std::int64_t x = e.edit.ScrollX();
    std::int64_t widest = e.edit.WidestLine();
    int page = std::max(e.look.averageWidth, TextAreaWidth(e) - e.look.averageWidth);
    // Where the thumb stands at the bar's end: the widest line's end in view.
    std::int64_t farthest = std::max<std::int64_t>(0, widest + e.look.averageWidth - TextAreaWidth(e));
    switch (code) {
    case SB_LINELEFT: x -= e.look.averageWidth; break;
    case SB_LINERIGHT: x += e.look.averageWidth; break;
    case SB_PAGELEFT: x -= page; break;
    case SB_PAGERIGHT: x += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        int units = TrackPosition(e.window, SB_HORZ);
        int lastUnits = e.screen.shownHorizontal.nMax - static_cast<int>(e.screen.shownHorizontal.nPage) + 1;
        x = units >= lastUnits ? farthest : std::int64_t{units} * e.screen.horizontalUnit;
        break;
    }
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = widest; break;
    default: return;
    }
    ScrollTo(e, e.edit.TopLine(), std::min(x, std::max<std::int64_t>(0, widest)));
}

}  // namespace editor_control
