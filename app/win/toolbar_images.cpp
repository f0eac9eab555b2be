#include "app/win/toolbar_images.h"

#include <commctrl.h>

#include "base/win/owned_handle.h"
#include "base/win/program.h"
#include "base/win/stretched_images.h"
#include "resources/resource.h"

namespace {

// The standard images as comctl32 holds them (the ids its TB_LOADIMAGES sets are made from).
constexpr int kStandardSmallBitmap = 120;
constexpr int kStandardLargeBitmap = 121;

HIMAGELIST ToolBarImages = nullptr;

}  // namespace

bool SetScaledToolBarImages(HWND toolBar, int size) {
    const bool large = size >= 24;
    GdiBitmap standard(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(L"comctl32.dll"),
                                                       MAKEINTRESOURCEW(large ? kStandardLargeBitmap : kStandardSmallBitmap),
                                                       IMAGE_BITMAP, 0, 0, 0)));
    GdiBitmap strip(static_cast<HBITMAP>(LoadImageW(Program().instance, MAKEINTRESOURCEW(large ? IDB_STRIP_BIG : IDB_STRIP_SMALL),
                                                    IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 23, 0);
    if (!list || !AddStretchedImages(list, standard.get(), size) || !AddStretchedImages(list, strip.get(), size)) {
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
