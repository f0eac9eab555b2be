#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/registry_settings.h"
#include "app/win/application.h"
#include "app/win/shell_window.h"
#include "base/win/program.h"
#include "document/win/document_name.h"
#include "appearance/win/owner_drawn_menus.h"
#include "appearance/win/colours.h"
#include "appearance/win/options_dialog.h"
#include "document/win/document_files.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "app/win/status_bar.h"
#include "app/win/toolbar.h"
#include "base/win/screen_scale.h"
#include "resources/resource.h"
#include "base/win/shown_text.h"
#include "support/win/app_harness.h"
#include "support/win/clipboard_contents.h"
#include "support/win/dialog_fit.h"
#include "support/win/settings_key.h"

namespace {

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

RECT WindowRectInClient(HWND window) {
    RECT rectangle;
    GetWindowRect(window, &rectangle);
    MapWindowPoints(nullptr, MainWindow, reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

struct ToolBarButton {
    int command;
    int image;
    bool separator;
    bool operator==(const ToolBarButton&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ToolBarButton& button) {
    return button.separator ? out << "separator" : out << button.command << "/" << button.image;
}

std::vector<ToolBarButton> ToolBarButtons() {
    std::vector<ToolBarButton> buttons;
    const int count = static_cast<int>(SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(ToolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        const bool separator = (button.fsStyle & BTNS_SEP) != 0;
        buttons.push_back({separator ? 0 : button.idCommand, separator ? 0 : button.iBitmap, separator});
    }
    return buttons;
}

const std::vector<ToolBarButton> kDefaultButtons = {
    {7, 6, false}, {8, 7, false}, {9, 8, false}, {0, 0, true}, {1, 0, false},
    {2, 1, false}, {3, 2, false}, {0, 0, true},  {4, 3, false},
};

struct WindowChrome : testing::Test {
    SettingsKeySnapshot snapshot;
    void SetUp() override {
        ClearSettingsKey();
        InstallRegistrySettings();
    }
    void TearDown() override { CloseTestApplication(); }
};

TEST_F(WindowChrome, EmptySettingsGiveTheWindowWithToolBarEditorAndStatusBar) {
    HWND window = StartTestApplication();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ClassOf(window), "VEMKO");
    EXPECT_EQ(WindowText(window), "[БезИмени]-VEMKO"_ui);
    EXPECT_STREQ(CurrentFileName, "БезИмени"_ui);

    ASSERT_NE(ToolBar, nullptr);
    EXPECT_EQ(ClassOf(ToolBar), TOOLBARCLASSNAMEA);
    EXPECT_EQ(GetParent(ToolBar), window);
    ASSERT_NE(StatusBar, nullptr);
    EXPECT_EQ(ClassOf(StatusBar), STATUSCLASSNAMEA);
    EXPECT_EQ(GetDlgCtrlID(StatusBar), 1);
    ASSERT_NE(EditorControl, nullptr);
    EXPECT_EQ(ClassOf(EditorControl), "RICHEDIT");
    EXPECT_EQ(GetParent(EditorControl), window);
    EXPECT_EQ(GetFocus(), EditorControl);

    // Word wrap off, the control's styles and its drop target.
    const LONG_PTR style = GetWindowLongPtrA(EditorControl, GWL_STYLE);
    const LONG_PTR wanted = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP |
                            ES_SELECTIONBAR | WS_HSCROLL | ES_AUTOHSCROLL;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_TRUE(GetWindowLongPtrA(EditorControl, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(GetWindowLongPtrA(EditorControl, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_EQ(Program().switches.wordWrapStyle, kNoWordWrapStyle);
    EXPECT_FALSE(GetMenuState(GetMenu(window), IDM_WORD_WRAP, MF_BYCOMMAND) & MF_CHECKED);

    // Journal on, caret and placement remembered, small buttons.
    EXPECT_FALSE(JournalOff());
    EXPECT_FALSE(JournalWasOff());
    EXPECT_TRUE(Program().switches.restoreCaretPosition);
    EXPECT_TRUE(Program().switches.restorePlacement);
    EXPECT_FALSE(Program().switches.bigButtons);
    EXPECT_FALSE(ProgramDocument().Overwrite());
    EXPECT_NE(Program().textLimit, 0u);
    EXPECT_EQ(Program().textLimit & 0xFFFFFu, 0xFFFFFu);
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETLIMITTEXT, 0, 0), static_cast<LRESULT>(Program().textLimit));
}

TEST_F(WindowChrome, StartUpHoldsTheClassIconsMenuResourcesAndColours) {
    ASSERT_NE(StartTestApplication(), nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "VEMKO", &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    EXPECT_EQ(windowClass.hCursor, nullptr);
    EXPECT_EQ(windowClass.hIcon, Program().classIcon);
    EXPECT_NE(Program().classIcon, nullptr);
    EXPECT_NE(Program().smallIcon, nullptr);
    EXPECT_NE(Program().menuIcon, nullptr);
    EXPECT_NE(GetMenu(MainWindow), nullptr);
    EXPECT_NE(Program().acceleratorTable, nullptr);
    EXPECT_TRUE(Program().menus.font);
    EXPECT_EQ(Program().menus.metrics.cbSize, 340u);
    EXPECT_NE(Program().menus.metrics.iMenuHeight, 0);
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectA(Program().menus.strip.get(), sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 128);
    EXPECT_EQ(bitmap.bmHeight, 16);
    ASSERT_TRUE(GetObjectA(Program().menus.standardSmall.get(), sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmHeight, 16);
    EXPECT_GE(bitmap.bmWidth, 15 * 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Program().customColours[i], GetSysColor(i)) << "colour " << i;
}

TEST_F(WindowChrome, ProgramStripsShowTheSystemsButtonFaceWhereTheirBackgroundIs) {
    // A face colour other than the 192 grey the pictures are drawn on.
    const int element = COLOR_BTNFACE;
    const COLORREF previous = GetSysColor(element);
    const COLORREF face = RGB(10, 200, 40);
    struct PutBack {
        int element;
        COLORREF colour;
        ~PutBack() { SetSysColors(1, &element, &colour); }
    } putBack{element, previous};
    ASSERT_TRUE(SetSysColors(1, &element, &face));
    for (int resource : {IDB_STRIP_SMALL, IDB_STRIP_BIG}) {
        GdiBitmap strip;
        LoadBitmapResource(GetModuleHandleA(nullptr), resource, strip);
        ASSERT_TRUE(strip) << "bitmap " << resource;
        BITMAP size{};
        GetObjectA(strip.get(), sizeof size, &size);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.bmWidth;
        info.bmiHeader.biHeight = -size.bmHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<std::size_t>(size.bmWidth) * size.bmHeight);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDIBits(screen, strip.get(), 0, size.bmHeight, pixels.data(), &info, DIB_RGB_COLORS), size.bmHeight);
        ReleaseDC(nullptr, screen);
        strip.reset();
        std::size_t grey = 0, faced = 0;
        for (DWORD pixel : pixels) {
            const DWORD rgb = pixel & 0xFFFFFF;  // blue in the low byte
            if (rgb == 0xC0C0C0) ++grey;
            if (rgb == (static_cast<DWORD>(GetRValue(face)) << 16 | GetGValue(face) << 8 | GetBValue(face))) ++faced;
        }
        EXPECT_EQ(grey, 0u) << "bitmap " << resource;
        EXPECT_GT(faced, pixels.size() / 2) << "bitmap " << resource;
    }
}

TEST_F(WindowChrome, EditorFillsTheRoomBetweenTheBars) {
    HWND window = StartTestApplication();
    ASSERT_NE(window, nullptr);
    SetWindowPos(window, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    RECT client;
    GetClientRect(window, &client);
    const RECT tool = WindowRectInClient(ToolBar);
    const RECT status = WindowRectInClient(StatusBar);
    const RECT editor = WindowRectInClient(EditorControl);
    EXPECT_EQ(tool.top, 0);
    EXPECT_GT(tool.bottom, 0);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(editor.left, 0);
    EXPECT_EQ(editor.right, client.right);
    EXPECT_EQ(editor.top, tool.bottom - tool.top);
    EXPECT_EQ(editor.bottom, client.bottom - (status.bottom - status.top));
}

// Run at 96 dpi and again in a prefix at 144 dpi (a 150 % screen): the toolbar's pictures and
// buttons, and the status bar's parts, grow with the scale, and no bar covers the text.
TEST_F(WindowChrome, BarsFollowTheScreenScaleWithoutOverlapping) {
    for (bool big : {false, true}) {
        WriteSettingDword("BIG", big ? 1 : 0);
        HWND window = StartTestApplication();
        ASSERT_NE(window, nullptr);
        SetWindowPos(window, nullptr, 0, 0, 900, 600, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
        const int dpi = WindowDpi(window);
        const int drawn = big ? 24 : 16;
        HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(ToolBar, TB_GETIMAGELIST, 0, 0));
        ASSERT_NE(images, nullptr);
        EXPECT_EQ(ImageList_GetImageCount(images), 23);
        int width = 0, height = 0;
        ImageList_GetIconSize(images, &width, &height);
        EXPECT_EQ(width, ScaledForDpi(drawn, dpi)) << dpi << " dpi";
        EXPECT_EQ(height, ScaledForDpi(drawn, dpi)) << dpi << " dpi";
        const LRESULT button = SendMessageA(ToolBar, TB_GETBUTTONSIZE, 0, 0);
        EXPECT_GE(LOWORD(button), ScaledForDpi(drawn + 7, dpi)) << dpi << " dpi";
        EXPECT_GE(HIWORD(button), ScaledForDpi(drawn + 6, dpi)) << dpi << " dpi";
        int edges[kStatusBarPartCount] = {};
        ASSERT_EQ(SendMessageA(StatusBar, SB_GETPARTS, kStatusBarPartCount, reinterpret_cast<LPARAM>(edges)),
                  kStatusBarPartCount);
        for (int i = 0; i + 1 < kStatusBarPartCount; ++i)
            EXPECT_EQ(edges[i], ScaledForDpi(kStatusBarPartEdges[i], dpi)) << i;
        RECT client;
        GetClientRect(window, &client);
        const RECT tool = WindowRectInClient(ToolBar);
        const RECT status = WindowRectInClient(StatusBar);
        const RECT editor = WindowRectInClient(EditorControl);
        EXPECT_GE(status.bottom - status.top, ScaledForDpi(18, dpi)) << dpi << " dpi";
        EXPECT_LE(tool.bottom, editor.top);
        EXPECT_LE(editor.bottom, status.top);
        EXPECT_EQ(status.bottom, client.bottom);
        std::printf("%d dpi, %s buttons: button %dx%d, toolbar %ld, status bar %ld high\n", dpi, big ? "big" : "small",
                    LOWORD(button), HIWORD(button), tool.bottom - tool.top, status.bottom - status.top);
        // One application at a time: the next start makes a new document, which no window of this
        // one may still show.
        CloseTestApplication();
    }
}

// A move to a monitor of another scale, as the system tells it: the window takes the rectangle the
// system suggests, lays its bars out again around the text, and the text keeps its point size.
TEST_F(WindowChrome, OnAScaleChangeTheWindowTakesTheSuggestedRectangleAndTheTextKeepsItsPointSize) {
    HWND window = StartTestApplication();
    ASSERT_NE(window, nullptr);
    CHARFORMATA before{};
    before.cbSize = sizeof before;
    SendMessageA(EditorControl, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&before));
    const int dpi = WindowDpi(window);
    RECT suggested{40, 30, 40 + ScaledForDpi(700, dpi), 30 + ScaledForDpi(500, dpi)};
    SendMessageW(window, kDpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    SendMessageW(EditorControl, kDpiChangedAfterParentMessage, 0, 0);
    PumpMessages();
    RECT now{};
    GetWindowRect(window, &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    RECT client;
    GetClientRect(window, &client);
    const RECT tool = WindowRectInClient(ToolBar);
    const RECT status = WindowRectInClient(StatusBar);
    const RECT editor = WindowRectInClient(EditorControl);
    EXPECT_EQ(tool.right - tool.left, client.right);
    EXPECT_EQ(editor.top, tool.bottom);
    EXPECT_EQ(editor.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);
    CHARFORMATA after{};
    after.cbSize = sizeof after;
    SendMessageA(EditorControl, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.yHeight, before.yHeight);
    EXPECT_STREQ(after.szFaceName, before.szFaceName);
}

// Run at 96 dpi and again at 144 dpi: every dialog's template shows its controls whole, none cut at
// the dialog's edge, no text cut in its control, no control over another, with the dialog font at
// the screen's scale (which is not exactly 1.5 times the template's units).
TEST_F(WindowChrome, EveryDialogShowsItsControlsWholeAtTheScreensScale) {
    ASSERT_NE(StartTestApplication(), nullptr);
    for (int id : {IDD_FIND_REPLACE, IDD_BYTE_PATCHER, IDD_CONFIRM_REPLACE, IDD_FONT_DIALOG, IDD_OPTIONS,
                   IDD_CHARACTER_TABLE, IDD_PRINT_PREVIEW, IDD_CONVERSION_CHOOSER, IDD_REPAIR_CHOICE, IDD_READ_AS}) {
        std::vector<std::string> faults;
        EXPECT_TRUE(WithDialogTemplate(id, MainWindow, [&](HWND dialog) { faults = ControlsNotShownWhole(dialog); }))
            << "dialog " << id;
        for (const std::string& fault : faults)
            ADD_FAILURE() << "dialog " << id << " at " << WindowDpi(MainWindow) << " dpi: " << fault;
    }
}

TEST_F(WindowChrome, BarsAndWrapFollowTheirSettings) {
    WriteSettingDword("ST", 0);
    WriteSettingDword("TL", 0);
    WriteSettingDword("WW", 0);
    WriteSettingDword("NO", 1);
    WriteSettingDword("RP", 0);
    HWND window = StartTestApplication();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ToolBar, nullptr);
    EXPECT_EQ(StatusBar, nullptr);
    ASSERT_NE(EditorControl, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(EditorControl, GWL_STYLE) & (WS_HSCROLL | ES_AUTOHSCROLL), 0);
    EXPECT_EQ(Program().switches.wordWrapStyle, 0u);
    EXPECT_TRUE(GetMenuState(GetMenu(window), IDM_WORD_WRAP, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(JournalOff());
    EXPECT_TRUE(JournalWasOff());
    EXPECT_FALSE(Program().switches.restoreCaretPosition);

    SetWindowPos(window, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    RECT client;
    GetClientRect(window, &client);
    const RECT editor = WindowRectInClient(EditorControl);
    EXPECT_EQ(editor.top, 0);
    EXPECT_EQ(editor.bottom, client.bottom);
    EXPECT_EQ(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr), nullptr);
    EXPECT_EQ(FindWindowExA(window, nullptr, TOOLBARCLASSNAMEA, nullptr), nullptr);
    // Status operations do nothing without their bar: no bar is made, and the caret shown last is
    // not taken as shown.
    SendMessageA(EditorControl, EM_SETSEL, 0, 0);
    ShowCaretPosition();
    ShowEditMode();
    EXPECT_EQ(StatusBar, nullptr);
    EXPECT_EQ(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr), nullptr);
    EXPECT_EQ(Program().lastShownSelection.cpMin, -1);
}

TEST_F(WindowChrome, WordWrapSettingKeepsOnlyTheWrapBits) {
    WriteSettingDword("WW", 0xFFFFFFFFu);
    ASSERT_NE(StartTestApplication(), nullptr);
    EXPECT_EQ(Program().switches.wordWrapStyle, kNoWordWrapStyle);
    ASSERT_NE(EditorControl, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(EditorControl, GWL_STYLE) & WS_POPUP, 0);
}

TEST_F(WindowChrome, StatusBarPartsHoldTheirTexts) {
    ASSERT_NE(StartTestApplication(), nullptr);
    int edges[8] = {};
    ASSERT_EQ(SendMessageA(StatusBar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)), 5);
    EXPECT_EQ(edges[0], 88);
    EXPECT_EQ(edges[1], 166);
    EXPECT_EQ(edges[2], 276);
    EXPECT_EQ(edges[3], 406);
    EXPECT_EQ(edges[4], -1);
    EXPECT_EQ(StatusBarPart(0), "   1:1");
    EXPECT_FALSE(StatusBarPart(1).empty());
    EXPECT_EQ(StatusBarPart(2), "ANSI (1251)");
    EXPECT_EQ(StatusBarPart(kLineEndsPart), "CR LF");
    EXPECT_EQ(StatusBarPart(kEditModePart), "Вставка"_ui);

    ProgramDocument().SetOverwrite(true);
    ShowEditMode();
    EXPECT_EQ(StatusBarPart(kEditModePart), "Замена"_ui);
    ProgramDocument().SetOverwrite(false);
    ShowEditMode();
    EXPECT_EQ(StatusBarPart(kEditModePart), "Вставка"_ui);
}

TEST_F(WindowChrome, CaretPositionFollowsTheSelectionStartAndSkipsUnchangedRefreshes) {
    ASSERT_NE(StartTestApplication(), nullptr);
    // Lines of 10, 3 and 200 characters, each ended by CR LF.
    SetWindowTextA(EditorControl, (std::string(10, 'a') + "\r\nbcd\r\n" + std::string(200, 'e') + "\r\n").c_str());
    Document& document = ProgramDocument();

    document.Select(14, 14);
    ShowCaretPosition();
    EXPECT_EQ(StatusBarPart(0), "   3:2");

    document.Select(17 + 150, 17 + 150);
    ShowCaretPosition();
    EXPECT_EQ(StatusBarPart(0), " 151:3");

    // Nothing moved: nothing is written.
    SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("stale"));
    ShowCaretPosition();
    EXPECT_EQ(StatusBarPart(0), "stale");

    // A selection extended from the same start writes the same text again.
    document.Select(17 + 150, 17 + 160);
    ShowCaretPosition();
    EXPECT_EQ(StatusBarPart(0), " 151:3");

    // A forced refresh writes even the same selection.
    SendMessageA(StatusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("stale"));
    Program().lastShownSelection.cpMin = -1;
    ShowCaretPosition();
    EXPECT_EQ(StatusBarPart(0), " 151:3");

    document.Select(0, 0);
    ShowCaretPosition();
    EXPECT_EQ(StatusBarPart(0), "   1:1");
}

TEST_F(WindowChrome, CaretPositionOfTheRealControlCountsColumnsAndLinesFromOne) {
    ASSERT_NE(StartTestApplication(), nullptr);
    SetWindowTextA(EditorControl, "first line\r\nsecond\r\n\r\nfourth");
    for (auto [position, shown] : {std::pair{0, "   1:1"}, {10, "  11:1"}, {12, "   1:2"}, {15, "   4:2"},
                                   {20, "   1:3"}, {22, "   1:4"}, {28, "   7:4"}}) {
        SendMessageA(EditorControl, EM_SETSEL, position, position);
        ShowCaretPosition();
        EXPECT_EQ(StatusBarPart(0), shown) << "caret at " << position;
    }
}

TEST_F(WindowChrome, StatusBarCanBeDestroyedAndMadeAgain) {
    HWND window = StartTestApplication();
    ASSERT_NE(window, nullptr);
    for (int round = 0; round < 2; ++round) {
        HWND old = StatusBar;
        ASSERT_NE(old, nullptr);
        DestroyStatusBar();
        EXPECT_EQ(StatusBar, nullptr);
        EXPECT_FALSE(IsWindow(old));
        EXPECT_EQ(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr), nullptr);
        // Without the bar the caret position is not taken as shown.
        const CHARRANGE shownBefore = Program().lastShownSelection;
        SendMessageA(EditorControl, EM_SETSEL, round + 1, round + 1);
        ShowCaretPosition();
        EXPECT_EQ(Program().lastShownSelection.cpMin, shownBefore.cpMin);

        CreateStatusBar();
        ASSERT_NE(StatusBar, nullptr);
        EXPECT_EQ(GetParent(StatusBar), window);
        EXPECT_EQ(GetDlgCtrlID(StatusBar), 1);
        int edges[kStatusBarPartCount] = {};
        EXPECT_EQ(SendMessageA(StatusBar, SB_GETPARTS, kStatusBarPartCount, reinterpret_cast<LPARAM>(edges)),
                  kStatusBarPartCount);
        for (int i = 0; i < kStatusBarPartCount; ++i) EXPECT_EQ(edges[i], kStatusBarPartEdges[i]) << i;
        // The new bar shows the view, the keyboard layout and the line ends at once.
        EXPECT_EQ(StatusBarPart(2), "ANSI (1251)");
        EXPECT_FALSE(StatusBarPart(1).empty());
        EXPECT_EQ(StatusBarPart(kLineEndsPart), "CR LF");
    }
}

TEST_F(WindowChrome, ToolBarStartsWithTheDefaultButtonsAndAllImages) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_EQ(ToolBarButtons(), kDefaultButtons);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(ToolBar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 23);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    EXPECT_TRUE(Program().toolBarStrip);
}

TEST_F(WindowChrome, BigButtonsTakeTheLargeSetsOfBothStrips) {
    WriteSettingDword("BIG", 1);
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_TRUE(Program().switches.bigButtons);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(ToolBar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 23);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 24);
    EXPECT_EQ(height, 24);
    BITMAP strip{};
    ASSERT_TRUE(GetObjectA(Program().toolBarStrip.get(), sizeof strip, &strip));
    EXPECT_EQ(strip.bmWidth, 192);
    EXPECT_EQ(strip.bmHeight, 24);
    EXPECT_EQ(ToolBarButtons(), kDefaultButtons);
}

TEST_F(WindowChrome, SwitchingBigButtonsRemakesTheToolBarWithTheSameLayout) {
    ASSERT_NE(StartTestApplication(), nullptr);
    SendMessageA(ToolBar, TB_DELETEBUTTON, 3, 0);
    SendMessageA(ToolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&AvailableButtons[18]));
    const std::vector<ToolBarButton> layout = ToolBarButtons();
    SaveToolBarLayout();
    for (bool big : {true, false}) {
        Program().switches.bigButtons = big;
        DestroyToolBar();
        CreateToolBar();
        ASSERT_NE(ToolBar, nullptr);
        EXPECT_EQ(ToolBarButtons(), layout);
        int width = 0, height = 0;
        ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(ToolBar, TB_GETIMAGELIST, 0, 0)), &width,
                              &height);
        EXPECT_EQ(height, big ? 24 : 16);
        BITMAP strip{};
        ASSERT_TRUE(GetObjectA(Program().toolBarStrip.get(), sizeof strip, &strip));
        EXPECT_EQ(strip.bmHeight, big ? 24 : 16);
    }
}

TEST_F(WindowChrome, AvailableButtonsListTheThirtyTwoRows) {
    const int commands[kAvailableButtonCount] = {1,  2,  3,  4,  38, 6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 29,
                                                 30, 31, 19, 20, 21, 22, 23, 24, 25, 26, 37, 32, 33, 34, 35, 36};
    const int images[kAvailableButtonCount] = {0,  1,  2,  3,  7,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                               16, 17, 18, 19, 20, 21, 10, 10, 10, 8,  10, 22, 22, 22, 22, 22};
    for (int row = 0; row < kAvailableButtonCount; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(AvailableButtons[row].idCommand, commands[row]);
        EXPECT_EQ(AvailableButtons[row].iBitmap, images[row]);
        EXPECT_EQ(AvailableButtons[row].fsState, TBSTATE_ENABLED);
        EXPECT_EQ(AvailableButtons[row].fsStyle, row == 24 ? BTNS_CHECK : BTNS_BUTTON);
        EXPECT_EQ(AvailableButtons[row].dwData, 0u);
        EXPECT_EQ(AvailableButtons[row].iString, 0);
    }
}

TEST_F(WindowChrome, ToolBarLayoutSurvivesARestart) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    // The user takes New away and adds a separator, "to ANSI", the check button and "to Fido".
    SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
    const TBBUTTON separator{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0};
    SendMessageA(ToolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&separator));
    for (int row : {15, 24, 27}) SendMessageA(ToolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&AvailableButtons[row]));
    std::vector<ToolBarButton> changed = ToolBarButtons();
    ASSERT_EQ(changed.size(), 12u);
    SaveToolBarLayout();
    CloseTestApplication();

    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_EQ(ToolBarButtons(), changed);
    TBBUTTON wrap{};
    SendMessageA(ToolBar, TB_GETBUTTON, 10, reinterpret_cast<LPARAM>(&wrap));
    EXPECT_EQ(wrap.idCommand, IDM_WORD_WRAP);
    EXPECT_TRUE(wrap.fsStyle & BTNS_CHECK);

    // Destroyed and made again within the run (the options do that), it comes back the same.
    DestroyToolBar();
    EXPECT_EQ(ToolBar, nullptr);
    CreateToolBar();
    EXPECT_EQ(ToolBarButtons(), changed);
}

TEST_F(WindowChrome, UnusableSavedLayoutGivesTheDefaultButtons) {
    // Saved with no button at all.
    WriteRawSetting("TBS", REG_BINARY, "", 0);
    ASSERT_NE(StartTestApplication(), nullptr);
    EXPECT_EQ(ToolBarButtons(), kDefaultButtons);
    CloseTestApplication();

    // Commands the program does not have.
    const DWORD unknown[] = {5, 777, 0x12345};
    WriteRawSetting("TBS", REG_BINARY, unknown, sizeof unknown);
    ASSERT_NE(StartTestApplication(), nullptr);
    EXPECT_EQ(ToolBarButtons(), kDefaultButtons);
    CloseTestApplication();

    // Not a layout at all.
    WriteRawSetting("TBS", REG_SZ, "garbage", 8);
    ASSERT_NE(StartTestApplication(), nullptr);
    EXPECT_EQ(ToolBarButtons(), kDefaultButtons);
}

BYTE ButtonState(int command) { return static_cast<BYTE>(SendMessageA(ToolBar, TB_GETSTATE, command, 0)); }

TEST_F(WindowChrome, ButtonStatesFollowClipboardSelectionModifiedFlagAndJournal) {
    ASSERT_NE(StartTestApplication(), nullptr);
    Document& document = ProgramDocument();
    for (int row : {5, 24}) SendMessageA(ToolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&AvailableButtons[row]));
    const BYTE greyed = TBSTATE_INDETERMINATE;

    ASSERT_TRUE(PutOnClipboard(nullptr));
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_PASTE), greyed);
    EXPECT_EQ(ButtonState(IDM_CUT), greyed);
    EXPECT_EQ(ButtonState(IDM_COPY), greyed);
    EXPECT_EQ(ButtonState(IDM_DELETE), greyed);
    EXPECT_EQ(ButtonState(IDM_SAVE), greyed);
    EXPECT_EQ(ButtonState(IDM_UNDO), greyed);
    EXPECT_EQ(ButtonState(IDM_WORD_WRAP), TBSTATE_ENABLED);

    ASSERT_TRUE(PutOnClipboard("abc"));
    document.Replace(0, 0, "abc", UndoKind::NotRecorded);
    document.ForgetTextStep();
    document.Select(0, 3);
    document.SetModified(false);
    Program().switches.wordWrapStyle = 0;
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_PASTE), TBSTATE_ENABLED);
    EXPECT_EQ(ButtonState(IDM_CUT), TBSTATE_ENABLED);
    EXPECT_EQ(ButtonState(IDM_COPY), TBSTATE_ENABLED);
    EXPECT_EQ(ButtonState(IDM_DELETE), TBSTATE_ENABLED);
    EXPECT_EQ(ButtonState(IDM_WORD_WRAP), TBSTATE_ENABLED | TBSTATE_CHECKED);
    Program().switches.wordWrapStyle = kNoWordWrapStyle;
    ASSERT_TRUE(PutOnClipboard(nullptr));

    // Modified, but every change undone through the journal: Save stays grey ...
    document.SetModified(true);
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_SAVE), greyed);
    // ... and with a record to undo it is there, as Undo is.
    document.Replace(3, 3, "d", UndoKind::TypeChar);
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_SAVE), TBSTATE_ENABLED);
    EXPECT_EQ(ButtonState(IDM_UNDO), TBSTATE_ENABLED);

    // With the journal off, Undo is the text's own step; the journal was off, so it says nothing
    // about the changes and Save stays for a modified text.
    SetJournalOff(true);
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_UNDO), TBSTATE_ENABLED);
    document.ForgetTextStep();
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_UNDO), greyed);
    SetJournalOff(false);
    RefreshToolBarStates();
    EXPECT_EQ(ButtonState(IDM_SAVE), TBSTATE_ENABLED);
}

TEST_F(WindowChrome, TitleShowsTheFilesOwnLongNameOrTheWholePathOfAMissingFile) {
    ASSERT_NE(StartTestApplication(), nullptr);
    // The names as the program has them, in 1251; the file system's in UTF-16.
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::string longPath = AnsiText(folder) + "Письмо от бабушки с длинным именем.txt"_ui;
    HANDLE file = CreateFileW(WideText(longPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    wchar_t shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameW(WideText(longPath).c_str(), shortPath, MAX_PATH), 0u);

    lstrcpyA(CurrentFileName, AnsiText(shortPath).c_str());
    UpdateTitle();
    EXPECT_EQ(WindowText(MainWindow), "[Письмо от бабушки с длинным именем.txt]-VEMKO"_ui);

    DeleteFileW(WideText(longPath).c_str());
    lstrcpyA(CurrentFileName, longPath.c_str());
    UpdateTitle();
    EXPECT_EQ(WindowText(MainWindow), "[" + longPath + "]-VEMKO");

    lstrcpyA(CurrentFileName, UntitledName);
    UpdateTitle();
    EXPECT_EQ(WindowText(MainWindow), "[БезИмени]-VEMKO"_ui);
}

}  // namespace
