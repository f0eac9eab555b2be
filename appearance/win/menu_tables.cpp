#include "appearance/win/menu_tables.h"

#include <cstring>
#include <initializer_list>

#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "resources/resource.h"

// A command added to the menu needs its text entry, or its tooltip, toolbar text and owner-drawn
// label would be empty.
static_assert(kMenuTextCount == IDM_TO_UTF16_LE, "every menu command up to the last has a text entry");

namespace {

void AppendMnemonic(int popup, char character, UINT command) {
    if (Program().menus.mnemonicCount >= kMnemonicCapacity) return;
    Program().menus.mnemonics[Program().menus.mnemonicCount++] = {static_cast<std::uint8_t>(popup), character, command};
}

// The item keeps its state (greyed, checked) and its column break; only its text goes, so the menu
// asks the main window to measure and draw it.
void DeclareOwnerDrawn(int popup, UINT command) {
    HMENU menu = Program().menus.subMenus[popup];
    if (!menu) return;
    UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) return;
    UINT kept = state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK);
    ModifyMenuA(menu, command, MF_BYCOMMAND | MF_OWNERDRAW | kept, command, nullptr);
}

// The character after the first "&" that is not doubled; 0 when there is none.
char MnemonicOf(const char* text) {
    for (const char* c = text; *c; ++c) {
        if (*c != '&') continue;
        if (c[1] == '&') {
            ++c;
            continue;
        }
        return c[1];
    }
    return 0;
}

// The key that types the character on the layout active now, shift state left out; -1 when this
// layout cannot type it.
int KeyOf(wchar_t character) {
    SHORT scan = VkKeyScanW(character);
    if (scan == -1) return -1;
    return scan & 0xFF;
}

wchar_t UpperCase(wchar_t character) {
    wchar_t buffer[1] = {character};
    CharUpperBuffW(buffer, 1);
    return buffer[0];
}

// Whether the typed character and a mnemonic (1251) are typed by the same key. Wine finds keys
// through the X server's keymap, which may hold no Cyrillic letters while the program's layout is
// the Russian one: when no key types either character, they match by their upper case, as one key
// would.
bool SameKey(wchar_t typed, char mnemonicByte) {
    const wchar_t mnemonic = WideText(std::string_view(&mnemonicByte, 1))[0];
    const int typedKey = KeyOf(typed), mnemonicKey = KeyOf(mnemonic);
    if (typedKey >= 0 || mnemonicKey >= 0) return typedKey == mnemonicKey;
    return typed >= 0x80 && UpperCase(typed) == UpperCase(mnemonic);
}

}  // namespace

void MakeOwnerDrawn(int popup, UINT command) {
    if (popup < 0 || popup >= kSubMenuCount) return;
    DeclareOwnerDrawn(popup, command);
    char mnemonic = MnemonicOf(MenuText(command));
    if (mnemonic) AppendMnemonic(popup, mnemonic, command);
}

const char* MenuText(UINT command) {
    if (command < 1 || command > kMenuTextCount) return "";
    return Program().menus.texts[command - 1];
}

void RedeclareRecentMenuItems() {
    for (UINT command = IDM_RECENT_LAST + 1; command-- > IDM_RECENT_FIRST;) DeclareOwnerDrawn(0, command);
}

void RedeclareOwnerDrawnItems() {
    for (int popup = 0; popup < kSubMenuCount; ++popup) {
        HMENU menu = Program().menus.subMenus[popup];
        const int count = menu ? GetMenuItemCount(menu) : 0;
        for (int position = 0; position < count; ++position) {
            MENUITEMINFOA item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_FTYPE | MIIM_ID;
            if (GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_OWNERDRAW))
                DeclareOwnerDrawn(popup, item.wID);
        }
    }
}

void BuildMenuTables(HMENU bar) {
    for (int i = 0; i < kSubMenuCount; ++i) Program().menus.subMenus[i] = bar ? GetSubMenu(bar, i) : nullptr;
    for (UINT command = 1; command <= kMenuTextCount; ++command) {
        char* text = Program().menus.texts[command - 1];
        std::memset(text, 0, kMenuTextSize);
        // Read in UTF-16 and kept as 1251: through the A call the system would give the texts in its
        // own code page.
        wchar_t wide[kMenuTextSize] = {};
        if (bar && GetMenuStringW(bar, command, wide, kMenuTextSize, MF_BYCOMMAND) > 0)
            lstrcpynA(text, AnsiText(wide).c_str(), kMenuTextSize);
    }
    Program().menus.mnemonicCount = 0;

    MakeOwnerDrawn(0, IDM_NEW);
    MakeOwnerDrawn(0, IDM_OPEN);
    MakeOwnerDrawn(0, IDM_SAVE);
    // The recent files are labelled "&0 name" to "&9 name" when drawn: their digit is the mnemonic.
    for (UINT command = IDM_RECENT_FIRST; command <= IDM_RECENT_LAST; ++command) {
        DeclareOwnerDrawn(0, command);
        AppendMnemonic(0, static_cast<char>('0' + (command - IDM_RECENT_FIRST)), command);
    }
    for (UINT command : {IDM_UNDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_DELETE}) MakeOwnerDrawn(1, command);
    for (UINT command : {IDM_JUSTIFY, IDM_ALIGN_RIGHT, IDM_ALIGN_LEFT, IDM_CENTRE}) MakeOwnerDrawn(2, command);
    MakeOwnerDrawn(3, IDM_PREVIEW);
    MakeOwnerDrawn(3, IDM_PRINT);
    MakeOwnerDrawn(4, IDM_FIND);
    MakeOwnerDrawn(4, IDM_REPLACE);
    for (UINT command : {IDM_VIEW_OEM, IDM_VIEW_KOI8, IDM_VIEW_ANSI, IDM_VIEW_UTF8, IDM_TO_ANSI, IDM_TO_KOI8, IDM_TO_OEM,
                         IDM_TO_UTF8})
        MakeOwnerDrawn(5, command);
    MakeOwnerDrawn(7, IDM_HELP);
}

LRESULT AnswerMenuCharacter(HWND window, wchar_t typed, HMENU openMenu) {
    for (int i = 0; i < Program().menus.mnemonicCount; ++i) {
        const MnemonicEntry& entry = Program().menus.mnemonics[i];
        HMENU menu = Program().menus.subMenus[entry.popup];
        if (!menu || menu != openMenu) continue;
        if (!SameKey(typed, entry.character)) continue;
        UINT state = GetMenuState(menu, entry.command, MF_BYCOMMAND);
        if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED))) continue;
        // Posted, not sent: the command runs once the menu has closed, as after a click, so a dialog it
        // opens does not start inside the menu's own loop.
        PostMessageA(window, WM_COMMAND, entry.command, 0);
        return MAKELRESULT(0, MNC_CLOSE);
    }
    return 0;
}
