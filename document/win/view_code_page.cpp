#include "document/win/view_code_page.h"

#include <new>

#include "document/win/program_document.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>
#include <string>

#include "base/settings.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "control/win/editor_control.h"
#include "document/win/recent_files_host.h"
#include "base/win/shown_text.h"
#include "encoding/code_page_tables.h"
#include "resources/resource.h"

std::uint8_t CodePageIndex = 0;

namespace {

// The settings letter of each view: "SizeW", "FontD", "EffK", ...; the UTF-16 views share the
// UTF-8 view's font, which has the glyphs of every Unicode view.
char ViewLetter() { return "WDKUUU"[CodePageIndex <= kUtf16BeView ? CodePageIndex : 0]; }
std::string ViewSetting(const char* name) { return std::string(name) + ViewLetter(); }

// UTF-8 asks for the fixed-pitch font with Cyrillic, as ANSI does.
constexpr std::uint32_t kDefaultCharacterSet[6] = {RUSSIAN_CHARSET, OEM_CHARSET,     DEFAULT_CHARSET,
                                                   RUSSIAN_CHARSET, RUSSIAN_CHARSET, RUSSIAN_CHARSET};
constexpr BYTE kFixedPitchModern = 0x30;

constexpr LONG kSizeStep = 20;  // one point, in twips
constexpr LONG kLargestSize = 520;
constexpr LONG kSmallestSize = 80;

CHARFORMATA ViewCharacterFormat() {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
    format.dwEffects = ReadSettingDword(ViewSetting("Eff"), 0);
    format.yHeight = static_cast<LONG>(ReadSettingDword(ViewSetting("Size"), 0));
    format.yOffset = 0;
    format.crTextColor = ReadSettingDword("Cl", 8);
    format.bCharSet = static_cast<BYTE>(ReadSettingDword(ViewSetting("Set"), kDefaultCharacterSet[CodePageIndex % 6]));
    std::string face = ReadSettingString(ViewSetting("Font"), sizeof format.szFaceName);
    format.bPitchAndFamily = face.empty() ? kFixedPitchModern : 0;
    lstrcpynA(format.szFaceName, face.c_str(), sizeof format.szFaceName);
    return format;
}

}  // namespace

static_assert(sizeof(CHARFORMATA) == 60, "the character format record the control expects");

void ApplyViewFont() {
    if (EditorControl) {
        Document& document = ProgramDocument();
        const bool modified = document.Modified();
        document.Select(0, document.Length());
        CHARFORMATA format = ViewCharacterFormat();
        // A change of character set may switch the thread's keyboard layout; the user's must survive.
        HKL layout = GetKeyboardLayout(0);
        SendMessageA(EditorControl, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        SendMessageA(EditorControl, EM_SETCHARFORMAT, SCF_SELECTION | SCF_ALL, reinterpret_cast<LPARAM>(&format));
        ActivateKeyboardLayout(layout, 0);
        // The font alone does not change how the control decodes the bytes; its own message does.
        // Sent here rather than by the callers so every path that changes the view reaches it.
        try {
            document.SetViewCodePage(CodePageIndex);
        } catch (const std::bad_alloc&) {
            // No memory for the line index in the view's units: the view stays as it was.
        }
        // The font change must not be undoable in the control, nor mark the document modified.
        document.ForgetTextStep();
        document.SetModified(modified);
    }
    SendShellMessage(kViewCodePageChangedMessage);
    ShowViewCodePage();
}

void ApplyViewCodePage() {
    if (!EditorControl) {
        ApplyViewFont();
        return;
    }
    SendMessageA(EditorControl, WM_SETREDRAW, FALSE, 0);
    Document& document = ProgramDocument();
    const auto firstLine = static_cast<LPARAM>(document.Editing().TopLine());
    const std::size_t start = document.SelectionStart(), end = document.SelectionEnd();
    ApplyViewFont();
    document.Select(start, end);
    // Only a top line that moved down is scrolled back to where it was; one that moved up is left
    // as it is.
    const auto nowFirst = static_cast<LPARAM>(document.Editing().TopLine());
    if (nowFirst > firstLine) SendMessageA(EditorControl, EM_LINESCROLL, 0, firstLine - nowFirst);
    SendMessageA(EditorControl, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(EditorControl, nullptr, FALSE);
}

void SelectViewCodePage(UINT command) {
    const int unicode = command == IDM_VIEW_UTF8      ? kUtf8View
                        : command == IDM_VIEW_UTF16_LE ? kUtf16LeView
                        : command == IDM_VIEW_UTF16_BE ? kUtf16BeView
                                                       : -1;
    if (unicode >= 0) {
        CodePageIndex = static_cast<std::uint8_t>(unicode);
    } else {
        if (command < IDM_VIEW_ANSI || command > IDM_VIEW_KOI8) return;
        CodePageIndex = static_cast<std::uint8_t>(command - IDM_VIEW_ANSI);
    }
    ApplyViewCodePage();
    RememberViewChosenByHand(CodePageIndex);
}

void ChangeViewFontSize(UINT command) {
    std::string name = ViewSetting("Size");
    auto height = static_cast<LONG>(ReadSettingDword(name, 200));
    if (command == IDM_SIZE_UP) {
        if (height >= kLargestSize) return;
        height += kSizeStep;
    } else if (command == IDM_SIZE_DOWN) {
        if (height <= kSmallestSize) return;
        height -= kSizeStep;
    } else {
        return;
    }
    WriteSettingDword(name, static_cast<std::uint32_t>(height));
    ApplyViewCodePage();
}

void ShowKeyboardLayout() {
    char name[KL_NAMELENGTH] = {};
    if (!GetKeyboardLayoutNameA(name)) return;
    const char* shown = name;
    if (std::strcmp(name, "00000409") == 0) shown = "EN";
    else if (std::strcmp(name, "00000419") == 0) shown = "RU";
    ShowStatusText(kKeyboardLayoutPart | SBT_POPOUT, shown);
}

void ShowViewCodePage() {
    static const char* const kUnicodeNames[] = {"UTF-8", "UTF-16 LE", "UTF-16 BE"};
    ShowStatusText(kViewCodePagePart, IsUnicodeView(CodePageIndex) ? kUnicodeNames[CodePageIndex - kUtf8View]
                                                  : CodePageNames[CodePageIndex % 3]);
}
