#include "app/win/toolbar_images.h"

#include <commctrl.h>

#include "base/win/owned_handle.h"
#include "base/win/program.h"
#include "resources/resource.h"

namespace {

// The standard images as comctl32 holds them (the ids its TB_LOADIMAGES sets are made from).
constexpr int kStandardSmallBitmap = 120;
constexpr int kStandardLargeBitmap = 121;

HIMAGELIST ToolBarImages = nullptr;

// Nearest-neighbour stretching keeps the transparent colour exact, so the mask stays clean; the
// background is the first image's top left pixel, as for the toolbar's own masked images.
bool AddStretched(HIMAGELIST list, HBITMAP source, int size) {
    BITMAP info{};
    if (!source || !GetObjectW(source, sizeof info, &info) || info.bmHeight <= 0) return false;
    const int count = info.bmWidth / info.bmHeight;
    if (count <= 0) return false;
    HDC screen = GetDC(nullptr);
    GdiBitmap stretched(CreateCompatibleBitmap(screen, count * size, size));
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    bool done = false;
    if (stretched && from && to) {
        HGDIOBJ oldFrom = SelectObject(from, source);
        HGDIOBJ oldTo = SelectObject(to, stretched.get());
        const COLORREF background = GetPixel(from, 0, 0);
        SetStretchBltMode(to, COLORONCOLOR);
        done = StretchBlt(to, 0, 0, count * size, size, from, 0, 0, count * info.bmHeight, info.bmHeight, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        done = done && ImageList_AddMasked(list, stretched.get(), background) >= 0;
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    return done;
}

}  // namespace

bool SetScaledToolBarImages(HWND toolBar, int size) {
    const bool large = size >= 24;
    GdiBitmap standard(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(L"comctl32.dll"),
                                                       MAKEINTRESOURCEW(large ? kStandardLargeBitmap : kStandardSmallBitmap),
                                                       IMAGE_BITMAP, 0, 0, 0)));
    GdiBitmap strip(static_cast<HBITMAP>(LoadImageW(Program().instance, MAKEINTRESOURCEW(large ? IDB_STRIP_BIG : IDB_STRIP_SMALL),
                                                    IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 23, 0);
    if (!list || !AddStretched(list, standard.get(), size) || !AddStretched(list, strip.get(), size)) {
        if (list) ImageList_Destroy(list);
        return false;
    }
    SendMessageW(toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
    ReleaseToolBarImages();
    ToolBarImages = list;
    return true;
}

void ReleaseToolBarImages() {
    if (ToolBarImages) ImageList_Destroy(ToolBarImages);
    ToolBarImages = nullptr;
}
