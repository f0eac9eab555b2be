// The owner-drawn menu items, measured and painted into a bitmap of the test's own through the
// program's handlers, with the program's fonts, pictures and settings; and a menu of the real main
// window opened and drawn by the system.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "appearance/win/menu_tables.h"
#include "base/win/registry_settings.h"
#include "base/win/shown_text.h"
#include "appearance/win/owner_drawn_menus.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/settings_key.h"

namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 20;
constexpr COLORREF kUntouched = RGB(1, 2, 3);

// A 32-bit picture filled with a colour no drawing uses.
class Canvas {
public:
    Canvas() {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, kWidth, kHeight};
        HBRUSH brush = CreateSolidBrush(kUntouched);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Whether any pixel of the rectangle has the colour.
    bool Holds(RECT area, COLORREF colour) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) == colour) return true;
        return false;
    }
    bool AllOf(RECT area, COLORREF colour) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != colour) return false;
        return true;
    }
    // The first column from the left, from `from` on, holding a pixel of the colour; -1 when none.
    int FirstColumnOf(COLORREF colour, int from) const {
        for (int x = from; x < kWidth; ++x)
            for (int y = 0; y < kHeight; ++y)
                if (At(x, y) == colour) return x;
        return -1;
    }
    bool SameAs(const Canvas& other, RECT area) const {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (At(x, y) != other.At(x, y)) return false;
        return true;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

void Draw(const Canvas& canvas, UINT id, UINT state) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_MENU;
    item.itemID = id;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hDC = canvas.dc();
    item.rcItem = {0, 0, kWidth, kHeight};
    DrawMenuItem(item);
}

const RECT kPicture{1, 2, 17, 18};  // (0 + 20 - 16) / 2 = 2 from the top, one pixel in

// Whether the canvas shows the image of the standard strip or the program's at kPicture: its own
// colours where it is opaque, the button face where the strip has a transparent background (the
// standard images come with an alpha channel; half-transparent edges are not compared).
bool ShowsStripImage(const Canvas& drawn, HBITMAP strip, int image) {
    BITMAP shape{};
    if (!strip || !GetObjectA(strip, sizeof shape, &shape) || shape.bmHeight != 16) return false;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), shape.bmWidth, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<std::size_t>(shape.bmWidth) * 16);
    HDC screen = GetDC(nullptr);
    const int read = GetDIBits(screen, strip, 0, 16, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (read != 16) return false;
    bool alpha = false;
    for (DWORD pixel : pixels) alpha = alpha || (pixel >> 24) != 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const DWORD pixel = pixels[static_cast<std::size_t>(y) * shape.bmWidth + image * 16 + x];
            const DWORD opacity = pixel >> 24;
            COLORREF expected = RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
            if (alpha && opacity == 0) expected = GetSysColor(COLOR_3DFACE);
            else if (alpha && opacity != 0xFF) continue;
            if (drawn.At(kPicture.left + x, kPicture.top + y) != expected) return false;
        }
    }
    return true;
}

const RECT kIcon{0, 2, 16, 18};
const RECT kColumnInside{1, 1, 17, 19};

COLORREF System(int index) { return GetSysColor(index); }

struct OwnerDrawnMenus : testing::Test {
    SettingsKeySnapshot snapshot;
    void SetUp() override {
        ClearSettingsKey();
        InstallRegistrySettings();
        ASSERT_NE(StartTestApplication(), nullptr);
    }
    void TearDown() override { CloseTestApplication(); }

    void ListRecentFiles(const char* list, std::initializer_list<std::pair<char, const char*>> files) {
        WriteSettingString("LIST", list);
        for (auto [digit, path] : files) WriteSettingString(std::string{digit, 'F'}, path);
    }
};

TEST_F(OwnerDrawnMenus, ACommandShowsItsPictureInARaisedFrameAndItsTextBeside) {
    ASSERT_TRUE(Program().menus.standardSmall);
    Canvas drawn;
    Draw(drawn, IDM_OPEN, 0);
    EXPECT_TRUE(ShowsStripImage(drawn, Program().menus.standardSmall.get(), IDM_OPEN - 1)) << "image 7 of the standard strip";
    // The frame around it, the menu colour behind the text, the text in the menu text colour.
    EXPECT_FALSE(drawn.AllOf({0, 0, 18, 1}, kUntouched)) << "the frame's top edge";
    EXPECT_EQ(drawn.At(20, 1), System(COLOR_MENU));
    EXPECT_TRUE(drawn.Holds({21, 0, kWidth, kHeight}, System(COLOR_MENUTEXT)));
    EXPECT_FALSE(drawn.Holds({21, 0, kWidth, kHeight}, kUntouched));

    // The program's own strip for the alignment commands.
    Canvas justify;
    Draw(justify, IDM_JUSTIFY, 0);
    EXPECT_TRUE(ShowsStripImage(justify, Program().menus.strip.get(), IDM_JUSTIFY - 16));
}

TEST_F(OwnerDrawnMenus, ASelectedItemIsHighlightedWithItsFrameSunkenWhenMarked) {
    Canvas selected;
    Draw(selected, IDM_SAVE, ODS_SELECTED);
    EXPECT_EQ(selected.At(20, 1), System(COLOR_HIGHLIGHT));
    EXPECT_TRUE(selected.Holds({21, 0, kWidth, kHeight}, System(COLOR_HIGHLIGHTTEXT)));
    EXPECT_FALSE(selected.Holds({21, 0, kWidth, kHeight}, System(COLOR_MENUTEXT)));

    // The frame of the marked item is sunken: its top edge has the shadow colour, a raised one the light.
    Canvas marked, raised;
    Draw(marked, IDM_VIEW_ANSI, ODS_SELECTED | ODS_CHECKED);
    Draw(raised, IDM_SAVE, ODS_SELECTED);
    EXPECT_NE(marked.At(8, 0), raised.At(8, 0));
    EXPECT_EQ(marked.At(8, 0), System(COLOR_BTNSHADOW));
}

TEST_F(OwnerDrawnMenus, TheViewItemsShowTheirPictureOnlyWhileMarked) {
    Canvas marked, unmarked;
    Draw(marked, IDM_VIEW_OEM, ODS_CHECKED);
    Draw(unmarked, IDM_VIEW_OEM, 0);
    EXPECT_TRUE(ShowsStripImage(marked, Program().menus.strip.get(), IDM_VIEW_OEM - 16));
    EXPECT_TRUE(unmarked.AllOf(kColumnInside, System(COLOR_MENU))) << "no picture, no frame";
    // The conversions have no picture of their own and never show one.
    Canvas conversion;
    Draw(conversion, IDM_TO_KOI8, ODS_CHECKED);
    EXPECT_TRUE(conversion.AllOf(kColumnInside, System(COLOR_MENU)));
    EXPECT_TRUE(conversion.Holds({21, 0, kWidth, kHeight}, System(COLOR_MENUTEXT)));
}

TEST_F(OwnerDrawnMenus, AGreyedItemShowsNoPictureAndGreyText) {
    Canvas greyed;
    Draw(greyed, IDM_COPY, ODS_GRAYED);
    EXPECT_TRUE(greyed.AllOf(kColumnInside, System(COLOR_MENU)));
    EXPECT_TRUE(greyed.Holds({21, 0, kWidth, kHeight}, System(COLOR_GRAYTEXT)));
    EXPECT_FALSE(greyed.Holds({0, 0, kWidth, kHeight}, System(COLOR_MENUTEXT)));
    Canvas selected;
    Draw(selected, IDM_COPY, ODS_GRAYED | ODS_SELECTED);
    EXPECT_TRUE(selected.Holds({21, 0, kWidth, kHeight}, System(COLOR_GRAYTEXT)));
    EXPECT_TRUE(selected.AllOf(kColumnInside, System(COLOR_HIGHLIGHT)));
}

TEST_F(OwnerDrawnMenus, RecentFilesShowTheirIconByExtensionAndTheirTextsInOneColumn) {
    ListRecentFiles("0123", {{'0', "C:\\Docs\\ReadMe.TXT"},
                             {'1', "C:\\Docs\\ReadMe.HTML"},
                             {'2', "C:\\Docs\\ReadMe.doc"},
                             {'3', "C:\\Web\\Index.Htm"}});
    Canvas text, html, none, htm, textIcon, htmlIcon;
    Draw(text, IDM_RECENT_FIRST, 0);
    Draw(html, IDM_RECENT_FIRST + 1, 0);
    Draw(none, IDM_RECENT_FIRST + 2, 0);
    Draw(htm, IDM_RECENT_FIRST + 3, 0);
    // The icon stands over the left edge of its raised frame.
    for (auto [canvas, icon] : {std::pair{&textIcon, Program().smallIcon}, std::pair{&htmlIcon, Program().menuIcon}}) {
        RECT frame{0, 0, 18, kHeight};
        DrawEdge(canvas->dc(), &frame, BDR_RAISEDINNER, BF_RECT | BF_FLAT);
        DrawIconEx(canvas->dc(), 0, 2, icon, 0, 0, 0, nullptr, DI_NORMAL);
    }
    EXPECT_TRUE(text.SameAs(textIcon, kIcon));
    EXPECT_TRUE(html.SameAs(htmlIcon, kIcon));
    EXPECT_TRUE(htm.SameAs(htmlIcon, kIcon));
    EXPECT_FALSE(textIcon.SameAs(htmlIcon, kIcon));
    EXPECT_TRUE(none.AllOf(kColumnInside, System(COLOR_MENU))) << "no icon, no frame";
    // "&0 Readme..." with and without a picture: the texts start in the same column.
    const int start = text.FirstColumnOf(System(COLOR_MENUTEXT), 19);
    EXPECT_GE(start, 21);
    EXPECT_EQ(none.FirstColumnOf(System(COLOR_MENUTEXT), 0), start);
    EXPECT_EQ(html.FirstColumnOf(System(COLOR_MENUTEXT), 19), start);

    // A free position draws nothing.
    Canvas free;
    Draw(free, IDM_RECENT_FIRST + 4, 0);
    EXPECT_TRUE(free.AllOf({0, 0, kWidth, kHeight}, kUntouched));
}

TEST_F(OwnerDrawnMenus, ItemsMeasureTheirTextPlusThePictureColumnAndAtLeastTheSystemsHeight) {
    ListRecentFiles("0", {{'0', "C:\\Docs\\ReadMe.TXT"}});
    auto measure = [](UINT id) {
        MEASUREITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = id;
        item.itemWidth = 777;
        item.itemHeight = 777;
        MeasureMenuItem(item);
        return item;
    };
    auto expectedWidth = [](const char* text) {
        HDC screen = GetDC(nullptr);
        HGDIOBJ previous = SelectObject(screen, Program().menus.font.get());
        RECT measured{};
        // Measured as the menu shows the text, through the W function, whatever the system code page.
        DrawTextW(screen, WideText(text).c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(screen, previous);
        ReleaseDC(nullptr, screen);
        return static_cast<UINT>(measured.right - measured.left + 18);
    };
    ASSERT_TRUE(Program().menus.font);
    const UINT systemHeight = static_cast<UINT>(Program().menus.metrics.iMenuHeight);
    MEASUREITEMSTRUCT open = measure(IDM_OPEN);
    EXPECT_EQ(open.itemWidth, expectedWidth("&Открыть..."_ui));
    EXPECT_GE(open.itemHeight, 18u);
    EXPECT_GE(open.itemHeight, systemHeight);
    EXPECT_EQ(measure(IDM_RECENT_FIRST).itemWidth, expectedWidth("&0 Readme.txt"));
    EXPECT_EQ(measure(IDM_RECENT_FIRST).itemHeight, open.itemHeight);
    MEASUREITEMSTRUCT free = measure(IDM_RECENT_FIRST + 1);
    EXPECT_EQ(free.itemWidth, 0u);
    EXPECT_EQ(free.itemHeight, 0u);

    // Records of other controls are left alone.
    MEASUREITEMSTRUCT list{};
    list.CtlType = ODT_LISTBOX;
    list.itemID = IDM_OPEN;
    list.itemWidth = 5;
    MeasureMenuItem(list);
    EXPECT_EQ(list.itemWidth, 5u);
    Canvas untouched;
    DRAWITEMSTRUCT button{};
    button.CtlType = ODT_BUTTON;
    button.itemID = IDM_OPEN;
    button.hDC = untouched.dc();
    button.rcItem = {0, 0, kWidth, kHeight};
    DrawMenuItem(button);
    EXPECT_TRUE(untouched.AllOf({0, 0, kWidth, kHeight}, kUntouched));
}

TEST_F(OwnerDrawnMenus, DrawingPutsBackTheFontBackgroundModeAndTextColour) {
    Canvas canvas;
    HGDIOBJ font = GetStockObject(ANSI_FIXED_FONT);
    SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), OPAQUE);
    SetTextColor(canvas.dc(), RGB(9, 8, 7));
    Draw(canvas, IDM_COPY, ODS_GRAYED);
    Draw(canvas, IDM_OPEN, ODS_SELECTED);
    EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_FONT), font);
    EXPECT_EQ(GetBkMode(canvas.dc()), OPAQUE);
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(9, 8, 7));
}

// What the main window answered to the menu's measuring, by command.
struct Measured {
    UINT id;
    UINT width;
    UINT height;
};
std::vector<Measured> measuredItems;
WNDPROC mainWindowProcedure = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(mainWindowProcedure, window, message, wParam, lParam);
    if (message == WM_MEASUREITEM) {
        const auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
        measuredItems.push_back({item->itemID, item->itemWidth, item->itemHeight});
    }
    return result;
}

void CALLBACK CloseMenu(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    EndMenu();
}

const Measured* Find(UINT id) {
    for (const Measured& item : measuredItems)
        if (item.id == id) return &item;
    return nullptr;
}

TEST_F(OwnerDrawnMenus, TheRealMenuAsksTheMainWindowForTheSizesOfItsOwnerDrawnItems) {
    // The file pop-up opened by the system and closed again from a timer inside its loop.
    ListRecentFiles("0", {{'0', "C:\\Docs\\ReadMe.TXT"}});
    RedeclareRecentMenuItems();
    measuredItems.clear();
    mainWindowProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(MainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    SetForegroundWindow(MainWindow);
    SetTimer(MainWindow, 77, 300, CloseMenu);
    TrackPopupMenu(Program().menus.subMenus[0], TPM_LEFTALIGN | TPM_TOPALIGN, 100, 100, 0, MainWindow, nullptr);
    SetWindowLongPtrA(MainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainWindowProcedure));

    const Measured* open = Find(IDM_OPEN);
    const Measured* recent = Find(IDM_RECENT_FIRST);
    const Measured* free = Find(IDM_RECENT_FIRST + 1);
    ASSERT_NE(open, nullptr);
    ASSERT_NE(recent, nullptr);
    ASSERT_NE(free, nullptr);
    EXPECT_GE(open->height, 18u);
    EXPECT_GT(open->width, 18u);
    EXPECT_EQ(recent->height, open->height);
    EXPECT_EQ(free->width, 0u);
    EXPECT_EQ(free->height, 0u);
    EXPECT_EQ(Find(IDM_SAVE_AS), nullptr) << "the system's own items are not asked about";
}

}  // namespace
