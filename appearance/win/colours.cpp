#include "appearance/win/colours.h"

#include "document/win/program_document.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <cstdio>
#include <memory>
#include <new>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "base/win/shown_text.h"
#include "base/win/shell_messages.h"
#include "appearance/html_tags.h"

namespace {

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return 0;
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    return TRUE;  // the dialog sets its focus as it would without the hook
}

// The system's colour dialog over the MainWindow, starting at `colour`, offering CustomColours; with
// the program's small icon or the system's own. False when cancelled.
bool RunColourDialog(COLORREF& colour, bool programIcon) {
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.rgbResult = colour;
    dialog.lpCustColors = Program().customColours;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (programIcon) {
        dialog.Flags |= CC_ENABLEHOOK;
        dialog.lpfnHook = ColourDialogHook;
    }
    if (!ChooseColorA(&dialog)) return false;
    colour = dialog.rgbResult;
    return true;
}

CHARFORMATA ColourFormat(COLORREF colour) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = colour;
    return format;
}


// The wait cursor while the tags are coloured and, once the run has taken a noticeable time, how far
// it has come in the status bar's first part, which gets the caret position back at the end. Nothing
// else is drawn meanwhile: the text's drawing is off and no message is taken from the queue, so
// nothing the user does can change the text under the scan.
class TagColouringProgress {
public:
    explicit TagColouringProgress(std::size_t length)
        : length_(length), started_(GetTickCount()), previousCursor_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~TagColouringProgress() {
        SetCursor(previousCursor_);
        if (shown_) SendShellMessage(kShowCaretPositionMessage, 1);
    }
    TagColouringProgress(const TagColouringProgress&) = delete;
    TagColouringProgress& operator=(const TagColouringProgress&) = delete;

    void Reached(std::size_t position) {
        if (position < nextLook_) return;
        nextLook_ = position + kLookEvery;
        const DWORD now = GetTickCount();
        if (now - started_ < kQuietTime || now - lastShown_ < kShowEvery) return;
        char text[32];
        std::snprintf(text, sizeof text, "HTML %u%%", static_cast<unsigned>(position * 100.0 / length_));
        if (!ShowStatusText(kCaretPositionPart, text, true)) return;
        lastShown_ = now;
        shown_ = true;
    }

private:
    static constexpr std::size_t kLookEvery = 256 * 1024;
    static constexpr DWORD kQuietTime = 300;
    static constexpr DWORD kShowEvery = 100;
    std::size_t length_;
    std::size_t nextLook_ = kLookEvery;
    DWORD started_;
    DWORD lastShown_ = 0;
    bool shown_ = false;
    HCURSOR previousCursor_;
};

}  // namespace

void ChooseTextColour() {
    COLORREF colour = ReadSettingDword("Cl", kDefaultTextColour);
    if (!RunColourDialog(colour, true)) return;
    WriteSettingDword("Cl", colour);
    if (!EditorControl) return;
    // Only the colour changes; the effects carry no CFE_AUTOCOLOR, which would ignore the colour chosen.
    CHARFORMATA format = ColourFormat(colour);
    SendMessageA(EditorControl, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(EditorControl, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void ChooseBackgroundColour() {
    COLORREF colour = ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW));
    if (!RunColourDialog(colour, true)) return;
    WriteSettingDword("Bk", colour);
    if (EditorControl) SendMessageA(EditorControl, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colour));
}

void ChooseHtmlColour() {
    COLORREF colour = ReadSettingDword("HTML", kDefaultTagColour);
    if (!RunColourDialog(colour, false)) return;
    WriteSettingDword("HTML", colour);
    RefreshHtmlColours();
}

void RefreshHtmlColours() {
    if (!EditorControl) return;
    Document& document = ProgramDocument();
    const std::size_t length = document.Length();
    if (length < 2) return;
    std::unique_ptr<char[]> text(new (std::nothrow) char[length + 1]());
    if (!text) return;
    TagColouringProgress progress(length);
    document.Text().CopyRange(0, length, text.get());
    // The colours are the document's, beside its text: the selection, the modified flag and the view
    // stay as they are. Black, whatever "Cl" holds: the tags stand out against the rest.
    ColourRuns& colours = document.Colours();
    colours.Set(0, length, RGB(0, 0, 0));
    const COLORREF tagColour = ReadSettingDword("HTML", kDefaultTagColour);
    for (auto tag = NextTagStretch(text.get(), length, 0); tag; tag = NextTagStretch(text.get(), length, tag->end)) {
        colours.Set(tag->start, tag->end, tagColour);
        progress.Reached(tag->end);
    }
    InvalidateRect(EditorControl, nullptr, TRUE);
}
