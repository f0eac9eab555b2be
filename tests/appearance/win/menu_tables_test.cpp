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

constexpr UINT kSeparator = 0;
constexpr UINT kColourPopup = 0xFFFF;

struct Item {
    UINT id;
    const char* text;
};
struct Popup {
    const char* text;
    std::vector<Item> items;
};

const std::vector<Item> kColourItems = {
    {47, "&Текст..."_ui}, {46, "&Фон..."_ui}, {52, "<&HTML>"}};

std::vector<Popup> MenuBar() {
    std::vector<Item> file = {{7, "Созд&ать"_ui}, {8, "&Открыть..."_ui}, {38, "&Вставить..."_ui},
                              {9, "&Сохранить"_ui}, {26, "Сохранить &как..."_ui}, {kSeparator, ""}};
    for (UINT id = 900; id <= 909; ++id) file.push_back({id, "-"});
    file.push_back({kSeparator, ""});
    file.push_back({44, "В&ыход"_ui});
    return {
        {"&Файл"_ui, file},
        {"&Правка"_ui,
         {{4, "&Отменить"_ui}, {kSeparator, ""}, {1, "&Вырезать"_ui}, {2, "&Копировать"_ui}, {3, "Вст&авить"_ui},
          {6, "&Удалить"_ui}, {kSeparator, ""}, {48, "В&ыделить все"_ui}, {25, "П&еренос по словам"_ui}}},
        {"&Выравнивание"_ui,
         {{19, "По &ширине"_ui}, {20, "По &центру"_ui}, {21, "По &левому краю"_ui}, {22, "&По правому краю"_ui}}},
        {"&Разное"_ui,
         {{11, "&Символ..."_ui}, {39, "&Дата и время"_ui}, {kSeparator, ""}, {37, "П&араметры..."_ui},
          {45, "&Настройка..."_ui}, {kSeparator, ""}, {43, "Заменить &байт..."_ui}, {kSeparator, ""},
          {24, "Пара&метры страницы..."_ui}, {23, "&Номер страницы..."_ui},
          {10, "Пред&варительный просмотр..."_ui}, {15, "&Печать..."_ui}}},
        {"П&оиск"_ui, {{13, "&Найти..."_ui}, {14, "&Заменить..."_ui}, {28, "Н&айти далее"_ui}}},
        // The first letter of "&ОEM", "&КOI8", "&АNSI" is Cyrillic, the rest Latin.
        {"&Кодировки"_ui,
         {{17, "&ОEM (866)"_ui}, {18, "&КOI8 R"_ui}, {16, "&АNSI (1251)"_ui}, {54, "&UTF-8"}, {kSeparator, ""},
          {32, "-> Fido (H,p)"}, {34, "&RTF -> ANSI"}, {27, "Выбор..."_ui}, {29, "-> A&NSI"}, {31, "-> KOI8"},
          {30, "-> O&EM"}, {56, "-> UTF-8"}, {kSeparator, ""}, {35, "\"=D8=E0\""}, {36, "&Line Break"},
          {33, "-> Translit"}, {57, "Исправить кракозябры"_ui}}},
        {"Шр&ифт"_ui,
         {{41, "&ОEM..."_ui}, {42, "&КOI8..."_ui}, {40, "&АNSI..."_ui}, {55, "&UTF-8..."}, {kColourPopup, "&Цвет"_ui},
          {kSeparator, ""}, {49, "&Размер\t+"_ui}, {50, "Р&азмер\t-"_ui}, {kSeparator, ""},
          {53, "&НTML :(обновить)"_ui}}},
        {"&?", {{12, "&Справка"_ui}, {51, "&О программе"_ui}}},
    };
}

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

// Ids, nesting, separators and, where the item still has one, its text; owner-drawn items are
// compared by id and type only (their text lives in MenuTexts).
void ExpectItems(HMENU menu, const std::vector<Item>& items, const std::string& where) {
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size())) << where;
    for (UINT i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(where + " position " + std::to_string(i));
        const Item& item = items[i];
        UINT type = ItemType(menu, i);
        if (item.id == kSeparator) {
            EXPECT_TRUE(type & MFT_SEPARATOR);
            continue;
        }
        if (item.id == kColourPopup) {
            HMENU colour = GetSubMenu(menu, static_cast<int>(i));
            ASSERT_NE(colour, nullptr);
            EXPECT_EQ(ItemText(menu, i), item.text);
            ExpectItems(colour, kColourItems, where + " colour");
            continue;
        }
        EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), item.id);
        EXPECT_EQ((type & MFT_MENUBARBREAK) != 0, item.id == 29);
        if (!(type & MFT_OWNERDRAW)) EXPECT_EQ(ItemText(menu, i), item.text);
    }
}

void ExpectMenuBar(HMENU bar) {
    std::vector<Popup> expected = MenuBar();
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(expected.size()));
    for (UINT p = 0; p < expected.size(); ++p) {
        EXPECT_EQ(ItemText(bar, p), expected[p].text) << "pop-up " << p;
        EXPECT_EQ((ItemType(bar, p) & MFT_RIGHTJUSTIFY) != 0, p == 7) << "pop-up " << p;
        HMENU popup = GetSubMenu(bar, static_cast<int>(p));
        ASSERT_NE(popup, nullptr);
        ExpectItems(popup, expected[p].items, "pop-up " + std::to_string(p));
    }
}

std::string ExpectedText(UINT command) {
    for (const Popup& popup : MenuBar())
        for (const Item& item : popup.items)
            if (item.id == command) return item.text;
    for (const Item& item : kColourItems)
        if (item.id == command) return item.text;
    return {};
}

const std::vector<UINT> kOwnerDrawn = {7,  8,  9,  900, 901, 902, 903, 904, 905, 906, 907, 908, 909, 4,  1,  2,  3,
                                       6,  19, 22, 21,  20,  10,  15,  13,  14,  17,  18,  16,  54,  29, 31, 30, 56, 12};

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

TEST(MenuResource, HoldsThePopUpsItemsIdsAndTextsOfTheMenuBar) {
    HMENU bar = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    ExpectMenuBar(bar);
    for (int i = 0; i < 8; ++i) {
        HMENU popup = GetSubMenu(bar, i);
        for (int k = 0; k < GetMenuItemCount(popup); ++k) EXPECT_FALSE(ItemType(popup, k) & MFT_OWNERDRAW);
    }
    DestroyMenu(bar);
}

TEST_F(MenuTables, TextsPopUpsAndOwnerDrawnItemsComeFromTheWindowMenu) {
    ASSERT_NE(window, nullptr);
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    ExpectMenuBar(bar);
    for (int i = 0; i < kSubMenuCount; ++i) EXPECT_EQ(SubMenus[i], GetSubMenu(bar, i));

    for (UINT command = 1; command <= IDM_REPAIR_MOJIBAKE; ++command) {
        EXPECT_EQ(std::string(MenuTexts[command - 1]), ExpectedText(command)) << "command " << command;
        EXPECT_EQ(std::string(MenuText(command)), ExpectedText(command));
    }
    EXPECT_STREQ(MenuTexts[4], "");  // no command 5
    EXPECT_STREQ(MenuText(0), "");
    EXPECT_STREQ(MenuText(IDM_REPAIR_MOJIBAKE + 1), "");

    for (UINT command = 1; command <= IDM_REPAIR_MOJIBAKE; ++command) {
        bool listed = std::find(kOwnerDrawn.begin(), kOwnerDrawn.end(), command) != kOwnerDrawn.end();
        if (command != 5) EXPECT_EQ(IsOwnerDrawn(bar, command), listed) << "command " << command;
    }
    for (UINT command = 900; command <= 909; ++command) EXPECT_TRUE(IsOwnerDrawn(bar, command));
    // Still a second column after losing its text.
    EXPECT_TRUE(GetMenuState(SubMenus[5], IDM_TO_ANSI, MF_BYCOMMAND) & MF_MENUBARBREAK);
}

TEST_F(MenuTables, MnemonicsOfTheOwnerDrawnItemsInTableOrder) {
    ASSERT_NE(window, nullptr);
    struct Expected {
        int popup;
        const char* character;
        UINT command;
    };
    std::vector<Expected> expected = {
        {0, "а"_ui, 7}, {0, "О"_ui, 8}, {0, "С"_ui, 9}, {0, "0", 900}, {0, "1", 901}, {0, "2", 902}, {0, "3", 903},
        {0, "4", 904}, {0, "5", 905}, {0, "6", 906}, {0, "7", 907}, {0, "8", 908}, {0, "9", 909}, {1, "О"_ui, 4},
        {1, "В"_ui, 1}, {1, "К"_ui, 2}, {1, "а"_ui, 3}, {1, "У"_ui, 6}, {2, "ш"_ui, 19}, {2, "П"_ui, 22},
        {2, "л"_ui, 21}, {2, "ц"_ui, 20}, {3, "в"_ui, 10}, {3, "П"_ui, 15}, {4, "Н"_ui, 13}, {4, "З"_ui, 14},
        {5, "О"_ui, 17}, {5, "К"_ui, 18}, {5, "А"_ui, 16}, {5, "U", 54}, {5, "N", 29}, {5, "E", 30}, {7, "С"_ui, 12}};
    ASSERT_EQ(MnemonicCount, expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(MnemonicTable[i].popup, expected[i].popup);
        EXPECT_EQ(MnemonicTable[i].character, expected[i].character[0]);
        EXPECT_EQ(MnemonicTable[i].command, expected[i].command);
    }
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
    EXPECT_EQ(type('3', SubMenus[0]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type('e', SubMenus[5]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type('N', SubMenus[5]), MAKELRESULT(0, MNC_CLOSE));
    PumpMessages();
    EXPECT_EQ(recorder.TakeCommands(), (std::vector<UINT>{903, 30, 29}));

    EXPECT_EQ(type('3', SubMenus[1]), 0);  // not in the open menu
    EXPECT_EQ(type('x', SubMenus[5]), 0);  // no such mnemonic
    EnableMenuItem(SubMenus[5], IDM_TO_OEM, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_EQ(type('e', SubMenus[5]), 0);  // greyed
    EnableMenuItem(SubMenus[5], IDM_TO_OEM, MF_BYCOMMAND | MF_ENABLED);
    PumpMessages();
    EXPECT_TRUE(recorder.Take().empty());

    // Under the Russian layout the Cyrillic mnemonics are typed in either case.
    HKL previous = GetKeyboardLayout(0);
    HKL russian = LoadKeyboardLayoutA("00000419", KLF_ACTIVATE);
    ASSERT_NE(russian, nullptr);
    EXPECT_EQ(type("о"_ui[0], SubMenus[1]), MAKELRESULT(0, MNC_CLOSE));  // "&Отменить", upper case in the menu
    EXPECT_EQ(type("ш"_ui[0], SubMenus[2]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type("Ш"_ui[0], SubMenus[2]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type("п"_ui[0], SubMenus[3]), MAKELRESULT(0, MNC_CLOSE));
    EXPECT_EQ(type("ж"_ui[0], SubMenus[3]), 0);
    ActivateKeyboardLayout(previous, 0);
    PumpMessages();
    EXPECT_EQ(recorder.TakeCommands(), (std::vector<UINT>{IDM_UNDO, IDM_JUSTIFY, IDM_JUSTIFY, IDM_PRINT}));
}
