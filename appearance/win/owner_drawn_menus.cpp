#include "appearance/win/owner_drawn_menus.h"

#include <string>

#include "base/win/program.h"
#include "appearance/win/menu_tables.h"
#include "base/win/shown_text.h"
#include "appearance/menu_items.h"
#include "resources/resource.h"

namespace {

constexpr int kPictureSize = 16;

bool IsRecentFileItem(UINT id) { return id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST; }

// The item's text and, for a recent file, its path; an empty text draws nothing.
RecentFileLabelText ItemText(UINT id) {
    if (IsRecentFileItem(id)) return RecentFileLabel(static_cast<int>(id - IDM_RECENT_FIRST));
    if (id < IDM_RECENT_FIRST) return {MenuText(id), {}};
    return {};
}

HGDIOBJ ItemFont() { return Program().menus.font ? Program().menus.font.get() : GetStockObject(DEFAULT_GUI_FONT); }

RECT ToRect(const ItemRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void DrawStripImage(HDC dc, HBITMAP strip, int image, int x, int y) {
    if (!strip) return;
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ previous = SelectObject(source, strip);
    BitBlt(dc, x, y, kPictureSize, kPictureSize, source, image * kPictureSize, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

void DrawPicture(HDC dc, UINT id, RecentFileIcon icon, const MenuItemLayout& layout) {
    if (IsRecentFileItem(id)) {
        HICON picture = icon == RecentFileIcon::Html ? Program().menuIcon : Program().smallIcon;
        if (picture) DrawIconEx(dc, layout.iconX, layout.pictureY, picture, 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    const MenuPicture picture = PictureOfCommand(id);
    if (picture.strip == PictureStrip::None) return;
    const GdiBitmap& strip = picture.strip == PictureStrip::Standard ? Program().menus.standardSmall : Program().menus.strip;
    DrawStripImage(dc, strip.get(), picture.image, layout.stripX, layout.pictureY);
}

}  // namespace

void MeasureMenuItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return;
    const std::string text = ItemText(item.itemID).label;
    if (text.empty()) {
        // A free recent-file position takes no room.
        item.itemWidth = 0;
        item.itemHeight = 0;
        return;
    }
    RECT measured{};
    if (HDC screen = GetDC(nullptr)) {
        HGDIOBJ previous = SelectObject(screen, ItemFont());
        DrawTextW(screen, WideText(text).c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(screen, previous);
        ReleaseDC(nullptr, screen);
    }
    const MenuItemSize size =
        MeasuredMenuItem(measured.right - measured.left, measured.bottom - measured.top, Program().menus.metrics.iMenuHeight);
    item.itemWidth = static_cast<UINT>(size.width);
    item.itemHeight = static_cast<UINT>(size.height);
}

void DrawMenuItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return;
    const RecentFileLabelText text = ItemText(item.itemID);
    if (text.label.empty()) return;
    const RecentFileIcon icon = IsRecentFileItem(item.itemID) ? IconForPath(text.path) : RecentFileIcon::None;
    const bool greyed = (item.itemState & ODS_GRAYED) != 0;
    const bool marked = (item.itemState & ODS_CHECKED) != 0;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool picture = ShowsPicture(item.itemID, greyed, marked, icon);
    const MenuItemLayout layout =
        LayOutMenuItem({item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom}, picture);
    HDC dc = item.hDC;

    RECT frame = ToRect(layout.frame);
    RECT fill = ToRect(layout.fill);
    COLORREF textColour;
    if (selected) {
        textColour = GetSysColor(greyed ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT);
        if (picture) DrawEdge(dc, &frame, marked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        FillRect(dc, &fill, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
        textColour = GetSysColor(greyed ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
        if (picture) DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT | BF_FLAT);
        FillRect(dc, &fill, GetSysColorBrush(COLOR_MENU));
    }
    if (picture) DrawPicture(dc, item.itemID, icon, layout);

    HGDIOBJ previousFont = SelectObject(dc, ItemFont());
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(dc, textColour);
    RECT textArea = ToRect(layout.text);
    constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER;
    const std::wstring label = WideText(text.label);
    if (greyed && !selected) {
        // Engraved: a light copy one pixel right and down under the grey text.
        RECT shadow = textArea;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, label.c_str(), -1, &shadow, kFormat);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    DrawTextW(dc, label.c_str(), -1, &textArea, kFormat);
    SelectObject(dc, previousFont);
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColour);
}
