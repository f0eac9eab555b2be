#include "app/win/toolbar.h"

#include <richedit.h>

#include "base/win/screen_scale.h"
#include "app/win/toolbar_images.h"
#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "resources/resource.h"

namespace {

constexpr TBBUTTON Button(int image, int command, BYTE style = BTNS_BUTTON) {
    return TBBUTTON{image, command, TBSTATE_ENABLED, style, {}, 0, 0};
}

constexpr TBBUTTON Separator() { return TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0}; }

// The program's strip follows the 15 standard images.
constexpr int kStripImage = 15;

const TBBUTTON DefaultButtons[] = {
    Button(6, IDM_NEW), Button(7, IDM_OPEN),  Button(8, IDM_SAVE),  Separator(), Button(0, IDM_CUT),
    Button(1, IDM_COPY), Button(2, IDM_PASTE), Separator(), Button(3, IDM_UNDO),
};

const TBBUTTON* AvailableButtonFor(int command) {
    for (const TBBUTTON& button : AvailableButtons)
        if (button.idCommand == command) return &button;
    return nullptr;
}

// The toolbar rebuilds a saved layout from the command ids alone and asks its notification window
// for the rest of each button. Wine's toolbar saves a separator as id 0 and drops every restored
// button left without an image, so while restoring, the toolbar reports to this window, which
// completes each button from AvailableButtons and turns the ids 0 back into separators.
LRESULT CALLBACK RestoreNotificationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TBN_RESTORE) {
        auto* restore = reinterpret_cast<NMTBRESTORE*>(lParam);
        if (restore->iItem < 0) return 0;  // go on restoring
        TBBUTTON& button = restore->tbButton;
        if (button.idCommand == 0 || (button.fsStyle & BTNS_SEP)) {
            const TBBUTTON separator = Separator();
            button = separator;
        } else if (const TBBUTTON* available = AvailableButtonFor(button.idCommand)) {
            button = *available;
        }
        return 0;
    }
    // The rebuild also asks for button information by list position; the buttons are complete.
    if (message == WM_NOTIFY) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRestoreNotificationWindow() {
    static const char* const className = "VemkoToolBarRestore";
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(Program().instance, className, &windowClass)) {
        windowClass = WNDCLASSEXA{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = RestoreNotificationProc;
        windowClass.hInstance = Program().instance;
        windowClass.lpszClassName = className;
        RegisterClassExA(&windowClass);
    }
    return CreateWindowExA(0, className, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Program().instance, nullptr);
}

TBSAVEPARAMSA LayoutValue() {
    return TBSAVEPARAMSA{HKEY_CURRENT_USER, kSettingsKeyPath, "TBS"};
}

void SetButtonState(int command, bool enabled, bool checked = false) {
    // Greyed is the indeterminate state without enabled.
    LRESULT state = enabled ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE;
    if (checked) state |= TBSTATE_CHECKED;
    const LRESULT current = SendMessageA(ToolBar, TB_GETSTATE, command, 0);
    if (current == -1) return;  // not on the toolbar
    // A button the user is holding down stays pressed.
    state |= current & ~(TBSTATE_ENABLED | TBSTATE_INDETERMINATE | TBSTATE_CHECKED);
    if (current == state) return;  // unchanged: no repaint
    SendMessageA(ToolBar, TB_SETSTATE, command, MAKELPARAM(state, 0));
}

}  // namespace

const TBBUTTON AvailableButtons[kAvailableButtonCount] = {
    Button(0, IDM_CUT),
    Button(1, IDM_COPY),
    Button(2, IDM_PASTE),
    Button(3, IDM_UNDO),
    Button(7, IDM_INSERT_FILE),
    Button(5, IDM_DELETE),
    Button(6, IDM_NEW),
    Button(7, IDM_OPEN),
    Button(8, IDM_SAVE),
    Button(9, IDM_PREVIEW),
    Button(10, IDM_CHARACTER_TABLE),
    Button(11, IDM_HELP),
    Button(12, IDM_FIND),
    Button(13, IDM_REPLACE),
    Button(14, IDM_PRINT),
    Button(kStripImage + 0, IDM_TO_ANSI),
    Button(kStripImage + 1, IDM_TO_OEM),
    Button(kStripImage + 2, IDM_TO_KOI8),
    Button(kStripImage + 3, IDM_JUSTIFY),
    Button(kStripImage + 4, IDM_CENTRE),
    Button(kStripImage + 5, IDM_ALIGN_LEFT),
    Button(kStripImage + 6, IDM_ALIGN_RIGHT),
    Button(10, IDM_PAGE_NUMBERS),
    Button(10, IDM_PAGE_SETUP),
    Button(10, IDM_WORD_WRAP, BTNS_CHECK),
    Button(8, IDM_SAVE_AS),
    Button(10, IDM_OPTIONS),
    Button(kStripImage + 7, IDM_TO_FIDO),
    Button(kStripImage + 7, IDM_TRANSLIT),
    Button(kStripImage + 7, IDM_RTF_TO_ANSI),
    Button(kStripImage + 7, IDM_QUOTED_PRINTABLE),
    Button(kStripImage + 7, IDM_LINE_BREAK),
};

void LoadBitmapResource(HINSTANCE module, int resource, GdiBitmap& held) {
    held.reset();
    held.reset(static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
}

void CreateToolBar() {
    Program().toolBar = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                              WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_ADJUSTABLE | CCS_TOP, 0, 0,
                              0, 0, MainWindow, nullptr, Program().instance, nullptr);
    if (!ToolBar) return;
    SendMessageA(ToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // The pictures follow the monitor's scale; at 100 % the toolbar loads them at their own size.
    const int drawnSize = Program().switches.bigButtons ? 24 : 16;
    const int dpi = WindowDpi(MainWindow);
    const int size = ScaledForDpi(drawnSize, dpi);
    if (size != drawnSize && SetScaledToolBarImages(ToolBar, size)) {
        // The room around a picture grows with it (7 by 6 pixels at 100 %).
        SendMessageA(ToolBar, TB_SETBUTTONSIZE, 0,
                     MAKELPARAM(ScaledForDpi(drawnSize + 7, dpi), ScaledForDpi(drawnSize + 6, dpi)));
    } else {
        SendMessageA(ToolBar, TB_LOADIMAGES, Program().switches.bigButtons ? IDB_STD_LARGE_COLOR : IDB_STD_SMALL_COLOR,
                     reinterpret_cast<LPARAM>(HINST_COMMCTRL));
        LoadBitmapResource(Program().instance, Program().switches.bigButtons ? IDB_STRIP_BIG : IDB_STRIP_SMALL, Program().toolBarStrip);
        TBADDBITMAP strip{nullptr, reinterpret_cast<UINT_PTR>(Program().toolBarStrip.get())};
        SendMessageA(ToolBar, TB_ADDBITMAP, 8, reinterpret_cast<LPARAM>(&strip));
    }
    RestoreToolBarLayout();
    if (SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0) > 0) return;
    for (const TBBUTTON& button : DefaultButtons)
        SendMessageA(ToolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
}

void DestroyToolBar() {
    if (ToolBar) DestroyWindow(ToolBar);
    Program().toolBar = nullptr;
    ReleaseToolBarImages();
}

void RestoreToolBarLayout() {
    if (!ToolBar) return;
    HWND notification = CreateRestoreNotificationWindow();
    HWND previous = notification ? reinterpret_cast<HWND>(
                                       SendMessageA(ToolBar, TB_SETPARENT, reinterpret_cast<WPARAM>(notification), 0))
                                 : nullptr;
    TBSAVEPARAMSA value = LayoutValue();
    SendMessageA(ToolBar, TB_SAVERESTOREA, FALSE, reinterpret_cast<LPARAM>(&value));
    if (notification) {
        SendMessageA(ToolBar, TB_SETPARENT, reinterpret_cast<WPARAM>(previous ? previous : MainWindow), 0);
        DestroyWindow(notification);
    }
}

void SaveToolBarLayout() {
    if (!ToolBar) return;
    TBSAVEPARAMSA value = LayoutValue();
    SendMessageA(ToolBar, TB_SAVERESTOREA, TRUE, reinterpret_cast<LPARAM>(&value));
}

void CustomizeToolBar() {
    if (!ToolBar) CreateToolBar();
    if (!ToolBar) return;
    RECT client;
    GetClientRect(MainWindow, &client);
    PostMessageA(MainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SendMessageA(ToolBar, TB_CUSTOMIZE, 0, 0);
}

void RefreshToolBarStates() {
    if (!ToolBar) return;
    SetButtonState(IDM_PASTE, IsClipboardFormatAvailable(CF_TEXT));
    const Document& document = ProgramDocument();
    const bool selection = EditorControl && document.SelectionEnd() > document.SelectionStart();
    SetButtonState(IDM_DELETE, selection);
    SetButtonState(IDM_CUT, selection);
    SetButtonState(IDM_COPY, selection);
    SetButtonState(IDM_SAVE, EditorControl && document.Modified() && (document.JournalWasOff() || !document.Journal().Empty()));
    SetButtonState(IDM_UNDO, EditorControl && document.CanUndo());
    SetButtonState(IDM_WORD_WRAP, true, Program().switches.wordWrapStyle == 0);
}
