#pragma once
// The program's context: the one place of the state that lives as long as the program and that more
// than one part needs. Its windows and icons, the document's window, the switches of the settings
// that are read at start, the state the commands keep from one use to the next (search, chord,
// printer choice, custom colours, file dialog) and the menu tables. The shell fills it at start and
// empties it at the end; every part below the shell reaches it through Program() without knowing
// the shell. A part's own state that nobody else needs stays in its file.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include <cstdint>

#include "appearance/menu_items.h"
#include "base/win/owned_handle.h"
#include "encoding/conversion_chord.h"
#include "tools/page_layout.h"
#include "tools/search_logic.h"

// The word-wrap style bits of the editor control, the setting "WW": WS_HSCROLL | ES_AUTOHSCROLL while
// word wrap is off, 0 while it is on.
inline constexpr DWORD kNoWordWrapStyle = WS_HSCROLL | ES_AUTOHSCROLL;

// The switches of the settings that are read at start and changed by the options dialog (or the
// command of their own).
struct ProgramSwitches {
    DWORD wordWrapStyle = kNoWordWrapStyle;  // "WW"
    bool bigButtons = false;                 // "BIG": large toolbar images
    bool restoreCaretPosition = true;        // "RP": a remembered file's caret is restored on open
    bool rememberWindowSize = true;          // "AU": the window placement is kept from run to run
    // The placement is restored at start and saved at exit ("AU" on and a normal start).
    bool restorePlacement = false;
};

// The menu tables, filled once right after the main window is created and read-only afterwards
// (appearance/win/menu_tables.h), and what the owner-drawn items are drawn with.
struct MenuState {
    HMENU subMenus[kSubMenuCount] = {};
    char texts[kMenuTextCount][kMenuTextSize] = {};
    MnemonicEntry mnemonics[kMnemonicCapacity] = {};
    std::uint8_t mnemonicCount = 0;
    // The DPI the font, the metrics and the pictures are made for: that of the main window's monitor.
    int dpi = 96;
    GdiFont font;
    NONCLIENTMETRICSA metrics{};  // the system's menu metrics, at that DPI
    // The images of the owner-drawn menus, the program's strip and the system's standard set, in the
    // size drawn nearest to the menu's pictures (16 x 16, or 24 x 24 from 150 % up).
    GdiBitmap strip;
    GdiBitmap standardSmall;
};

// The printer chosen last, in the print or page setup dialog or as the default: movable global
// blocks handed into each of these dialogs and replaced by what it returns.
struct PrinterBlocks {
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
};

struct PrintingState {
    PrinterBlocks choice;
    // Margins in 2500ths of an inch, as the page setup dialog left them.
    RECT margins{kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin};
    bool pageNumbers = false;  // the page number at the top of every page; set by CountPages only
};

// The one open/save dialog record of the three file dialogs, and the filter last chosen in any of
// them (1-6), offered by the next one; not kept in the settings.
struct FileDialogState {
    OPENFILENAMEW record{};
    DWORD filterIndex = 1;
};

struct ProgramContext {
    HINSTANCE instance = nullptr;
    // The windows; the status bar and the toolbar are null while hidden, and every user tests them.
    HWND mainWindow = nullptr;
    HWND statusBar = nullptr;
    HWND toolBar = nullptr;
    HWND editorControl = nullptr;
    HACCEL acceleratorTable = nullptr;  // table 1, offered every message that reaches the editor
    HICON classIcon = nullptr;          // icon 1; also the About box's
    HICON smallIcon = nullptr;          // icon 2 at 16 x 16; the program's dialogs take it as their icon
    HICON menuIcon = nullptr;           // icon 3 at 16 x 16, for the owner-drawn menus
    // The program's own toolbar strip (bitmap 1, or 2 with big buttons), held while the toolbar uses it.
    GdiBitmap toolBarStrip;
    // The largest text in bytes: the editor control's limit and the largest file that is loaded.
    std::uint32_t textLimit = 0;
    // The selection that the status bar's part 0 shows; a start of -1 makes the next show write anew.
    CHARRANGE lastShownSelection{-1, -1};
    // Registers the editor control's class at start; null for the control's own registration (a test
    // puts a failing one here to see the start without it).
    bool (*editorClassRegistration)(HINSTANCE instance) = nullptr;

    ProgramSwitches switches;
    // The search state for as long as the program runs: SearchPattern (`pattern`), ReplaceText
    // (`replaceText`), SearchPosition (`position`), ReplaceMode, ReplaceAll, WholeWord, MatchCase,
    // WholeText, SearchBackwards and PromptReplace. ReplaceMode follows the last of commands 13 and 14.
    SearchState search;
    // The half-typed Ctrl+W/D/K chord. The message loop abandons it when Ctrl goes down again in the text.
    ChordState pendingChord;
    PrintingState printing;
    FileDialogState fileDialog;
    // The custom colours offered by the colour dialogs; the system colours 0-15 at start.
    COLORREF customColours[16] = {};
    MenuState menus;
};

ProgramContext& Program();

// The windows the whole program knows by name: `MainWindow` (the owner of every dialog and message
// box), `EditorControl`, `StatusBar` and `ToolBar` read the context wherever a window handle is
// wanted. Only the part that creates or destroys a window sets the context's member.
template <HWND ProgramContext::*window>
struct ProgramWindow {
    operator HWND() const { return Program().*window; }
};
inline constexpr ProgramWindow<&ProgramContext::mainWindow> MainWindow{};
inline constexpr ProgramWindow<&ProgramContext::editorControl> EditorControl{};
inline constexpr ProgramWindow<&ProgramContext::statusBar> StatusBar{};
inline constexpr ProgramWindow<&ProgramContext::toolBar> ToolBar{};

// The main window's class name, which is also the caption of the error boxes.
extern const wchar_t* const kMainWindowClassWide;

// Shows the system's text for the calling thread's last error (code 10 when there is none) in an
// information box owned by the main window, and returns when it is closed.
void ReportLastError();
// ReportLastError with the system's text for "not enough memory" (a bare allocation failure sets
// no error code of its own).
void ReportOutOfMemory();
// The same over a modal dialog, which the box must keep from use until it is answered.
void ReportLastError(HWND owner);
