#include "appearance/win/owner_drawn_menus.h"

#include <commctrl.h>

#include <cstddef>
#include <string>

#include "base/win/program.h"
#include "base/win/screen_scale.h"
#include "base/win/stretched_images.h"
#include "appearance/win/menu_tables.h"
#include "base/win/shown_text.h"
#include "appearance/menu_items.h"
#include "resources/resource.h"

namespace {

// The record as the system defined it before the padded border width was added to it.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(kNonClientMetricsSize == 340);
// The standard images of the common-controls library, as that library numbers its bitmaps.
constexpr int kStandardSmallBitmap = 120;
constexpr int kStandardLargeBitmap = 121;
// The size the large pictures are drawn at.
constexpr int kLargePictureSize = 24;

struct ImageListDestroyer {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using OwnedImageList = OwnedHandle<HIMAGELIST, ImageListDestroyer>;

// The two strips' pictures at the menu's picture size, their backgrounds masked.
OwnedImageList StandardMenuImages;
OwnedImageList ProgramMenuImages;

void MakeMenuImages(OwnedImageList& images, const GdiBitmap& strip, int size) {
    images.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 0));
    if (images && !AddStretchedImages(images.get(), strip.get(), size)) images.reset();
}

// The recent files' icons at the menu's picture size: the text icon (the one the dialogs show at 16)
// and the HTML icon.
OwnedIcon TextFileIcon;
OwnedIcon HtmlFileIcon;

void LoadStrip(HINSTANCE module, int resource, GdiBitmap& held) {
    held.reset();
    held.reset(static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
}

HICON LoadSizedIcon(int resource, int size) {
    return static_cast<HICON>(LoadImageA(Program().instance, MAKEINTRESOURCEA(resource), IMAGE_ICON, size, size, 0));
}

bool IsRecentFileItem(UINT id) { return id >= IDM_RECENT_FIRST && id <= IDM_RECENT_LAST; }

// The item's text and, for a recent file, its path; an empty text draws nothing.
RecentFileLabelText ItemText(UINT id) {
    if (IsRecentFileItem(id)) return RecentFileLabel(static_cast<int>(id - IDM_RECENT_FIRST));
    if (id < IDM_RECENT_FIRST) return {MenuText(id), {}};
    return {};
}

HGDIOBJ ItemFont() { return Program().menus.font ? Program().menus.font.get() : GetStockObject(DEFAULT_GUI_FONT); }

RECT ToRect(const ItemRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// A picture on the button face, the background of its strip left out: the small strips are drawn
// on that face, but a large one may come with a background of another colour (black, in Wine's).
void DrawStripImage(HDC dc, HIMAGELIST strip, int image, int x, int y, int size) {
    if (!strip) return;
    RECT square{x, y, x + size, y + size};
    FillRect(dc, &square, GetSysColorBrush(COLOR_3DFACE));
    ImageList_Draw(strip, image, dc, x, y, ILD_TRANSPARENT);
}

void DrawPicture(HDC dc, UINT id, RecentFileIcon icon, const MenuItemLayout& layout) {
    const int size = MenuPictureSize(Program().menus.dpi);
    if (IsRecentFileItem(id)) {
        const bool html = icon == RecentFileIcon::Html;
        // At 100 % the icons the program loaded at start; else the ones made for the menu's size.
        HICON picture = html ? (HtmlFileIcon ? HtmlFileIcon.get() : Program().menuIcon)
                             : (TextFileIcon ? TextFileIcon.get() : Program().smallIcon);
        if (picture) DrawIconEx(dc, layout.iconX, layout.pictureY, picture, size, size, 0, nullptr, DI_NORMAL);
        return;
    }
    const MenuPicture picture = PictureOfCommand(id);
    if (picture.strip == PictureStrip::None) return;
    const OwnedImageList& strip = picture.strip == PictureStrip::Standard ? StandardMenuImages : ProgramMenuImages;
    DrawStripImage(dc, strip.get(), picture.image, layout.stripX, layout.pictureY, size);
}

}  // namespace

// The metrics come for the system's DPI (the primary monitor's when the user logged on); on a monitor
// of another scale they are brought to its DPI, as the system itself scales them.
void PrepareMenuLook(HWND window) {
    MenuState& menus = Program().menus;
    menus.dpi = WindowDpi(window);
    const int systemDpi = SystemDpi();
    menus.metrics = NONCLIENTMETRICSA{};
    menus.metrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &menus.metrics, 0);
    if (menus.dpi != systemDpi) {
        menus.metrics.iMenuHeight = MulDiv(menus.metrics.iMenuHeight, menus.dpi, systemDpi);
        menus.metrics.lfMenuFont.lfHeight = MulDiv(menus.metrics.lfMenuFont.lfHeight, menus.dpi, systemDpi);
    }
    menus.font.reset();
    menus.font.reset(CreateFontIndirectA(&menus.metrics.lfMenuFont));

    const int size = MenuPictureSize(menus.dpi);
    const bool large = size >= kLargePictureSize;
    LoadStrip(GetModuleHandleA("comctl32.dll"), large ? kStandardLargeBitmap : kStandardSmallBitmap, menus.standardSmall);
    LoadStrip(Program().instance, large ? IDB_STRIP_BIG : IDB_STRIP_SMALL, menus.strip);
    MakeMenuImages(StandardMenuImages, menus.standardSmall, size);
    MakeMenuImages(ProgramMenuImages, menus.strip, size);
    TextFileIcon.reset();
    HtmlFileIcon.reset();
    if (size != MenuPictureSize(kDefaultDpi)) {
        TextFileIcon.reset(LoadSizedIcon(IDI_SMALL, size));
        HtmlFileIcon.reset(LoadSizedIcon(IDI_HTML, size));
    }
}

void ReleaseMenuLook() {
    StandardMenuImages.reset();
    ProgramMenuImages.reset();
    Program().menus.standardSmall.reset();
    Program().menus.strip.reset();
    Program().menus.font.reset();
    TextFileIcon.reset();
    HtmlFileIcon.reset();
}

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
        MeasuredMenuItem(measured.right - measured.left, measured.bottom - measured.top, Program().menus.metrics.iMenuHeight, Program().menus.dpi);
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
        LayOutMenuItem({item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom}, picture, Program().menus.dpi);
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
