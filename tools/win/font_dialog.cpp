#include "tools/win/font_dialog.h"

#include <richedit.h>

#include <string>

#include "base/settings.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "base/win/shown_text.h"
#include "document/win/view_code_page.h"
#include "resources/resource.h"

namespace {

constexpr BYTE kModernFamily = 0x30;  // family modern, default pitch: the font of no face

struct FontDialogData {
    int view;
    ViewFont font;  // the working values: as stored when the dialog opens, the choice after OK
    std::string sample;
};

// Face names are the program's texts like any other: 1251, whatever the system's code page.
int CALLBACK AddFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    reinterpret_cast<FaceNameList*>(faces)->Add(AnsiText(font->lfFaceName));
    return 1;
}

// Wine names a family once for each character set it covers; the list shows each name once.
void FillFaceList(HWND list, const std::string& face) {
    AddComboText(list, "");
    FaceNameList faces;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesW(screen, nullptr, AddFamily, reinterpret_cast<LPARAM>(&faces));
    ReleaseDC(nullptr, screen);
    for (const std::string& name : faces.Names()) AddComboText(list, name);
    // No face, or one no longer installed, leaves the list without a selection.
    int found = faces.Find(face);
    if (found >= 0) SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(found + 1), 0);
}

void FillCharacterSetList(HWND list, std::uint32_t characterSet) {
    for (const CharacterSetChoice& choice : kCharacterSetChoices) AddComboText(list, choice.name);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(CharacterSetListIndex(characterSet)), 0);
}

void FillSizeList(HWND list, std::uint32_t height) {
    for (int points = 1; points <= kSizeListLength; ++points) AddComboText(list, std::to_string(points));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(SizeListIndex(height)), 0);
}

CHARFORMATA SampleFormat(const ViewFont& font) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE | CFM_FACE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC;
    format.yHeight = static_cast<LONG>(font.height);
    format.dwEffects = font.effects & (CFE_BOLD | CFE_ITALIC);
    format.bCharSet = static_cast<BYTE>(font.characterSet);
    format.bPitchAndFamily = font.face.empty() ? kModernFamily : 0;
    lstrcpynA(format.szFaceName, font.face.c_str(), sizeof format.szFaceName);
    return format;
}

void ApplySampleFormat(HWND dialog, const CHARFORMATA& format) {
    SendDlgItemMessageA(dialog, IDC_FONT_SAMPLE, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

LRESULT ListSelection(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

// The font the controls describe, the working values filling in what a list without a selection
// cannot say.
ViewFont ChosenFont(HWND dialog, const ViewFont& current) {
    FontChoices choices;
    choices.face = DialogItemText(dialog, IDC_FONT_FACE).substr(0, kFaceReadBuffer - 1);
    choices.characterSetIndex = static_cast<int>(ListSelection(dialog, IDC_FONT_CHARACTER_SET));
    choices.sizeIndex = static_cast<int>(ListSelection(dialog, IDC_FONT_SIZE));
    choices.bold = Checked(dialog, IDC_FONT_BOLD);
    choices.italic = Checked(dialog, IDC_FONT_ITALIC);
    return FontFromChoices(choices, current);
}

void OnInitDialog(HWND dialog, const FontDialogData& data) {
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    FillFaceList(GetDlgItem(dialog, IDC_FONT_FACE), data.font.face);
    FillCharacterSetList(GetDlgItem(dialog, IDC_FONT_CHARACTER_SET), data.font.characterSet);
    FillSizeList(GetDlgItem(dialog, IDC_FONT_SIZE), data.font.height);

    HWND sample = GetDlgItem(dialog, IDC_FONT_SAMPLE);
    CHARFORMATA format = SampleFormat(data.font);
    format.dwMask |= CFM_COLOR;
    format.crTextColor = ReadSettingDword("Cl", 8);
    ApplySampleFormat(dialog, format);
    SendMessageA(sample, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW))));
    CheckDlgButton(dialog, IDC_FONT_BOLD, (data.font.effects & kFontBold) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_FONT_ITALIC, (data.font.effects & kFontItalic) ? BST_CHECKED : BST_UNCHECKED);
    // The control draws its bytes in the view it is told, not by the font's character set.
    SendMessageA(sample, EM_SETVIEWCODEPAGE, static_cast<WPARAM>(data.view), 0);
    SetWindowTextA(sample, data.sample.c_str());
}

void UpdateSample(HWND dialog, const FontDialogData& data) {
    ApplySampleFormat(dialog, SampleFormat(ChosenFont(dialog, data.font)));
}

INT_PTR CALLBACK FontDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<FontDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *reinterpret_cast<FontDialogData*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (!data) return FALSE;
        switch (LOWORD(wParam)) {
        // Only a pick or a click: the focus passing over a list must not replace the stored font in
        // the sample by the list's rounding of it.
        case IDC_FONT_FACE:
        case IDC_FONT_CHARACTER_SET:
        case IDC_FONT_SIZE:
            if (HIWORD(wParam) == CBN_SELCHANGE) UpdateSample(dialog, *data);
            return TRUE;
        case IDC_FONT_BOLD:
        case IDC_FONT_ITALIC:
            if (HIWORD(wParam) == BN_CLICKED) UpdateSample(dialog, *data);
            return TRUE;
        case IDOK:
            data->font = ChosenFont(dialog, data->font);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR ShowFontDialog(HWND owner, int view, ViewFont& font) {
    FontDialogData data{view, font, FontSampleFor(view)};
    INT_PTR result = DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_FONT_DIALOG), owner, FontDialogProc,
                                     reinterpret_cast<LPARAM>(&data));
    if (result == IDOK) font = data.font;
    return result;
}

void ChooseViewFont(int view) {
    if (view < 0 || view >= kViewCount) return;
    ViewFont font = ReadViewFont(view);
    if (ShowFontDialog(MainWindow, view, font) != IDOK) return;
    WriteViewFont(view, font);
    ApplyViewCodePage();
}
