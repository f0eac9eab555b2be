#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/ui_text.h"
#include "base/win/shown_text.h"
#include "appearance/win/menu_tables.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/command_recorder.h"

namespace {

// The item's text as the menu shows it, in 1251.
std::string ItemText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return AnsiText(text);
}

UINT ItemType(HMENU menu, UINT position) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, position, TRUE, &info);
    return info.fType;
}

bool IsRecentFile(UINT command) { return command >= IDM_RECENT_FIRST && command < IDM_RECENT_FIRST + 10; }

// What the user sees of an item: its text, or of an item the program draws itself, the text it draws
// (a recent file's item draws the file's name instead).
std::string Shown(HMENU menu, UINT position) {
    if (!(ItemType(menu, position) & MFT_OWNERDRAW)) return ItemText(menu, position);
    return MenuText(GetMenuItemID(menu, static_cast<int>(position)));
}

// The window's menu shows what the resource's menu holds: the same pop-ups, items, ids, separators
// and texts, wherever the program draws an item itself; every command's text is the resource's.
void ExpectShowsTheResource(HMENU shown, HMENU resource, const std::string& where) {
    ASSERT_EQ(GetMenuItemCount(shown), GetMenuItemCount(resource)) << where;
    for (UINT i = 0; i < static_cast<UINT>(GetMenuItemCount(resource)); ++i) {
        SCOPED_TRACE(where + " position " + std::to_string(i));
        const UINT type = ItemType(resource, i);
        EXPECT_FALSE(type & MFT_OWNERDRAW) << "the resource's items are plain";
        EXPECT_EQ(ItemType(shown, i) & (MFT_SEPARATOR | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY),
                  type & (MFT_SEPARATOR | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY));
        if (type & MFT_SEPARATOR) continue;
        HMENU popup = GetSubMenu(resource, static_cast<int>(i));
        EXPECT_EQ(GetSubMenu(shown, static_cast<int>(i)) != nullptr, popup != nullptr);
        if (popup) {
            EXPECT_EQ(ItemText(shown, i), ItemText(resource, i));
            ExpectShowsTheResource(GetSubMenu(shown, static_cast<int>(i)), popup, where + " > " + ItemText(resource, i));
            continue;
        }
        const UINT command = GetMenuItemID(resource, static_cast<int>(i));
        EXPECT_EQ(GetMenuItemID(shown, static_cast<int>(i)), command);
        if (IsRecentFile(command)) continue;
        EXPECT_EQ(Shown(shown, i), ItemText(resource, i));
        EXPECT_EQ(std::string(MenuText(command)), ItemText(resource, i));
    }
}

// The command of an item and the pop-up it stands in, by command.
struct Place {
    int popup = -1;
    UINT position = 0;
};
Place PlaceOf(HMENU bar, UINT command) {
    for (int p = 0; p < GetMenuItemCount(bar); ++p)
        for (int i = 0; i < GetMenuItemCount(GetSubMenu(bar, p)); ++i)
            if (GetMenuItemID(GetSubMenu(bar, p), i) == command) return {p, static_cast<UINT>(i)};
    return {};
}

bool IsOwnerDrawn(HMENU bar, UINT command) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoA(bar, command, FALSE, &info)) return false;
    return (info.fType & MFT_OWNERDRAW) != 0;
}

}  // namespace

// One start for the tests of the tables: they are built once per run of the program.
class MenuTables : public testing::Test {
protected:
    static void SetUpTestSuite() {
        window = StartTestApplication();
    }
    static void TearDownTestSuite() { CloseTestApplication(); }
    static HWND window;
};
HWND MenuTables::window = nullptr;

TEST(MenuResource, HoldsThePopUpsTheUserSeesWithTheirCommands) {
    HMENU bar = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    std::vector<std::string> popups;
    for (int p = 0; p < GetMenuItemCount(bar); ++p) popups.push_back(ItemText(bar, static_cast<UINT>(p)));
    EXPECT_EQ(popups, (std::vector<std::string>{"&Файл"_ui, "&Правка"_ui, "&Выравнивание"_ui, "&Разное"_ui,
                                                 "П&оиск"_ui, "&Кодировки"_ui, "Шр&ифт"_ui, "&?"}));
    EXPECT_TRUE(ItemType(bar, 7) & MFT_RIGHTJUSTIFY);
    // What a few commands show, and where.
    const struct {
        UINT command;
        int popup;
        const char* text;
    } shown[] = {{IDM_OPEN, 0, "&Открыть..."_ui},       {IDM_UNDO, 1, "&Отменить"_ui},
                 {IDM_JUSTIFY, 2, "По &ширине"_ui},      {IDM_PRINT, 3, "&Печать..."_ui},
                 {IDM_FIND_NEXT, 4, "Н&айти далее"_ui},  {IDM_VIEW_OEM, 5, "&ОEM (866)"_ui},
                 {IDM_TO_ANSI, 5, "-> A&NSI"},           {IDM_TRANSLIT, 5, "-> Translit"},
                 {IDM_READ_SELECTION_AS, 5, "Прочитать выделенное как..."_ui},
                 {IDM_LINE_ENDS_LF, 5, "Концы строк -> LF"_ui},
                 {IDM_SIZE_UP, 6, "&Размер\t+"_ui},      {IDM_ABOUT, 7, "&О программе"_ui}};
    for (const auto& item : shown) {
        SCOPED_TRACE("command " + std::to_string(item.command));
        const Place place = PlaceOf(bar, item.command);
        EXPECT_EQ(place.popup, item.popup);
        if (place.popup >= 0) EXPECT_EQ(ItemText(GetSubMenu(bar, place.popup), place.position), item.text);
    }
    // The conversions start a second column; the file menu holds the ten recent files.
    EXPECT_TRUE(GetMenuState(bar, IDM_TO_ANSI, MF_BYCOMMAND) & MF_MENUBARBREAK);
    for (UINT command = IDM_RECENT_FIRST; command < IDM_RECENT_FIRST + 10; ++command)
        EXPECT_EQ(PlaceOf(bar, command).popup, 0) << command;
    DestroyMenu(bar);
}

TEST_F(MenuTables, TheWindowMenuShowsWhatTheResourceHoldsAndDrawsItsOwnItems) {
    ASSERT_NE(window, nullptr);
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    HMENU resource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ExpectShowsTheResource(bar, resource, "bar");
    DestroyMenu(resource);
    for (int i = 0; i < kSubMenuCount; ++i) EXPECT_EQ(Program().menus.subMenus[i], GetSubMenu(bar, i));
    EXPECT_STREQ(Program().menus.texts[4], "");  // no command 5
    EXPECT_STREQ(MenuText(0), "");
    EXPECT_STREQ(MenuText(kMenuTextCount + 1), "");
    // The program draws the items with a picture, and the recent files.
    for (UINT command : {IDM_NEW, IDM_OPEN, IDM_SAVE, IDM_UNDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_DELETE, IDM_JUSTIFY,
                         IDM_PRINT, IDM_FIND, IDM_VIEW_OEM, IDM_VIEW_UTF8, IDM_TO_ANSI, IDM_TO_UTF8, IDM_HELP})
        EXPECT_TRUE(IsOwnerDrawn(bar, command)) << "command " << command;
    for (UINT command : {IDM_CHARACTER_TABLE, IDM_DATE_TIME, IDM_SAVE_AS, IDM_EXIT, IDM_TRANSLIT, IDM_ABOUT})
        EXPECT_FALSE(IsOwnerDrawn(bar, command)) << "command " << command;
    for (UINT command = IDM_RECENT_FIRST; command < IDM_RECENT_FIRST + 10; ++command)
        EXPECT_TRUE(IsOwnerDrawn(bar, command));
    // Still a second column after losing its text.
    EXPECT_TRUE(GetMenuState(Program().menus.subMenus[5], IDM_TO_ANSI, MF_BYCOMMAND) & MF_MENUBARBREAK);
}

TEST_F(MenuTables, TheMnemonicEachOwnerDrawnItemShowsRunsItsCommandInItsPopUp) {
    ASSERT_NE(window, nullptr);
    HMENU bar = GetMenu(window);
    CommandRecorder recorder(window);
    // The Cyrillic mnemonics are typed under the Russian layout.
    HKL previous = GetKeyboardLayout(0);
    ASSERT_NE(LoadKeyboardLayoutA("00000419", KLF_ACTIVATE), nullptr);
    std::size_t items = 0;
    for (int p = 0; p < kSubMenuCount; ++p) {
        for (int i = 0; i < GetMenuItemCount(Program().menus.subMenus[p]); ++i) {
            const UINT command = GetMenuItemID(Program().menus.subMenus[p], i);
            if (!IsOwnerDrawn(bar, command)) continue;
            // A recent file's digit, or the character after "&" in the text the item draws.
            const std::string text = MenuText(command);
            const std::size_t amp = text.find('&');
            const char mnemonic = IsRecentFile(command) ? static_cast<char>('0' + command - IDM_RECENT_FIRST)
                                  : amp != std::string::npos && amp + 1 < text.size() ? text[amp + 1] : '\0';
            SCOPED_TRACE("command " + std::to_string(command) + " \"" + text + "\"");
            if (!mnemonic) continue;  // none to type
            ++items;
            EXPECT_EQ(SendMessageW(window, WM_MENUCHAR, MAKEWPARAM(ShownCharacter(mnemonic), MF_POPUP),
                                   reinterpret_cast<LPARAM>(Program().menus.subMenus[p])),
                      MAKELRESULT(0, MNC_CLOSE));
            PumpMessages(0);
            EXPECT_EQ(recorder.TakeCommands(), std::vector<UINT>{command});
        }
    }
    ActivateKeyboardLayout(previous, 0);
    EXPECT_EQ(items, std::size_t{Program().menus.mnemonicCount});
}

TEST_F(MenuTables, TypedMnemonicRunsTheCommandOfTheOpenMenuOnly) {
    ASSERT_NE(window, nullptr);
    CommandRecorder recorder(window);

    auto type = [&](char character, HMENU menu) {
        // The key arrives as the character it stands for, as on a system of any code page.
        return SendMessageW(window, WM_MENUCHAR, MAKEWPARAM(ShownCharacter(character), MF_POPUP),
                            reinterpret_cast<LPARAM>(menu));
    };
    // Digits select the recent files under any layout; the Latin mnemonics ignore case.
    EXPECT_EQ(type('3', Program().menus.subMenus[0]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type('e', Program().menus.subMenus[5]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type('N', Program().menus.subMenus[5]), MAKELRESULT(0, MNC_CLOSE));
    PumpMessages();
    EXPECT_EQ(recorder.TakeCommands(), (std::vector<UINT>{903, 30, 29}));

    EXPECT_EQ(type('3', Program().menus.subMenus[1]), 0);  // not in the open menu
    EXPECT_EQ(type('x', Program().menus.subMenus[5]), 0);  // no such mnemonic
    EnableMenuItem(Program().menus.subMenus[5], IDM_TO_OEM, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_EQ(type('e', Program().menus.subMenus[5]), 0);  // greyed
    EnableMenuItem(Program().menus.subMenus[5], IDM_TO_OEM, MF_BYCOMMAND | MF_ENABLED);
    PumpMessages();
    EXPECT_TRUE(recorder.Take().empty());

    // Under the Russian layout the Cyrillic mnemonics are typed in either case.
    HKL previous = GetKeyboardLayout(0);
    HKL russian = LoadKeyboardLayoutA("00000419", KLF_ACTIVATE);
    ASSERT_NE(russian, nullptr);
    EXPECT_EQ(type("о"_ui[0], Program().menus.subMenus[1]), MAKELRESULT(0, MNC_CLOSE));  // "&Отменить", upper case in the menu
    EXPECT_EQ(type("ш"_ui[0], Program().menus.subMenus[2]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type("Ш"_ui[0], Program().menus.subMenus[2]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type("п"_ui[0], Program().menus.subMenus[3]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type("ж"_ui[0], Program().menus.subMenus[3]), 0);
    ActivateKeyboardLayout(previous, 0);
    PumpMessages();
    EXPECT_EQ(recorder.TakeCommands(), (std::vector<UINT>{IDM_UNDO, IDM_JUSTIFY, IDM_JUSTIFY, IDM_PRINT}));
}
