#include "app/win/application.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "base/settings.h"
#include "app/status_texts.h"
#include "base/text_limit.h"
#include "base/ui_text.h"
#include "base/version.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "app/win/main_window.h"
#include "appearance/win/menu_tables.h"
#include "base/win/registry_settings.h"
#include "base/win/shown_text.h"
#include "tools/win/printing.h"
#include "app/win/status_bar.h"
#include "app/win/toolbar.h"
#include "document/win/document_files.h"
#include "document/win/edit_callback.h"
#include "document/win/view_code_page.h"
#include "document/win/program_document.h"
#include "resources/resource.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "document/win/document_name.h"
#include "document/win/recovery_keeper.h"
#include "document/win/recovery_offer.h"
#include "appearance/win/owner_drawn_menus.h"
#include "appearance/win/colours.h"

namespace {

const char* const kMainWindowClass = "VEMKO";
// "DEF" holds the placement record as stored bytes; 44 in 32- and 64-bit programs alike, so each
// build restores the placement the other saved.
static_assert(sizeof(WINDOWPLACEMENT) == 44);

// A class registered by an earlier start in the same process (a test starting the program again) is
// the same class and serves as well.
bool RegisteredOrThere(bool registered) { return registered || GetLastError() == ERROR_CLASS_ALREADY_EXISTS; }

// A Unicode window, so that its title reads the same on a system of any code page: an ANSI window
// would take a title set through SetWindowTextW back through the system's code page.
bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = Program().classIcon;
    windowClass.hIconSm = Program().smallIcon;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    windowClass.lpszClassName = kMainWindowClassWide;
    if (RegisteredOrThere(RegisterClassExW(&windowClass) != 0)) return true;
    WNDCLASSW olderClass{};
    olderClass.lpfnWndProc = windowClass.lpfnWndProc;
    olderClass.hInstance = instance;
    olderClass.hIcon = windowClass.hIcon;
    olderClass.hbrBackground = windowClass.hbrBackground;
    olderClass.lpszMenuName = windowClass.lpszMenuName;
    olderClass.lpszClassName = windowClass.lpszClassName;
    return RegisteredOrThere(RegisterClassW(&olderClass) != 0);
}

HICON LoadSmallIcon(HINSTANCE instance, int resource) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_ICON, 16, 16, LR_SHARED));
}

std::uint64_t TotalPhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

std::string Utf8Text(std::wstring_view wide) {
    std::string text(wide.size() * 3, '\0');
    text.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                             text.data(), static_cast<int>(text.size()), nullptr,
                                                             nullptr)));
    return text;
}

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

// The command line is taken in UTF-16, so a file name that the system's code page cannot write
// opens too. The parser looks only at quotes, blanks and the switch, which UTF-8 keeps as they are.
void OpenCommandLineFile(const wchar_t* commandLine) {
    const CommandLineRequest request = ParseCommandLine(Utf8Text(commandLine ? commandLine : L""));
    if (request.print) PostMessageA(MainWindow, WM_COMMAND, IDM_PRINT, 0);
    // A text brought back from a recovery copy is not thrown away for the file without asking.
    if (request.fileArgument.empty() || !ConfirmSaveChanges()) return;
    const std::wstring argument = WideFromUtf8(request.fileArgument);
    wchar_t fullPath[kFileNameCapacity] = {};
    const DWORD length = GetFullPathNameW(argument.c_str(), kFileNameCapacity, fullPath, nullptr);
    // A path that does not fit is not cut to a different file's name: it is not opened at all.
    if (length == 0 || length >= kFileNameCapacity) return;
    LoadFile(fullPath);
}

int StartupShowCommand(int injected) {
    if (injected != kShowCommandFromStartupInfo) return injected;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// A saved placement whose show command would leave the window hidden (or is no show command at
// all) would start an invisible program that cannot be reached; the start's own command is kept.
bool ShowsTheWindow(UINT showCommand) { return showCommand != SW_HIDE && showCommand <= SW_MAX; }

int ApplySavedPlacement(int showCommand) {
    WINDOWPLACEMENT placement{};
    if (!ReadSettingBlock("DEF", &placement, sizeof placement)) return showCommand;
    if (ShowsTheWindow(placement.showCmd)) showCommand = static_cast<int>(placement.showCmd);
    else placement.showCmd = static_cast<UINT>(showCommand);
    placement.length = sizeof placement;
    SetWindowPlacement(MainWindow, &placement);
    return showCommand;
}

}  // namespace

bool StartApplication(HINSTANCE instance, const char* commandLine, int startupShowCommand) {
    const std::wstring wide = WideText(commandLine ? commandLine : "");
    return StartApplication(instance, wide.c_str(), startupShowCommand);
}

bool StartApplication(HINSTANCE instance, const wchar_t* commandLine, int startupShowCommand) {
    Program().instance = instance;
    InstallRegistrySettings();

    Program().classIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VEMKO));
    Program().smallIcon = LoadSmallIcon(instance, IDI_SMALL);
    Program().menuIcon = LoadSmallIcon(instance, IDI_HTML);
    if (!RegisterMainWindowClass(instance)) return false;

    const std::wstring title = WideText(WindowTitleFor(UntitledName));
    Program().mainWindow = CreateWindowExW(0, kMainWindowClassWide, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!MainWindow) return false;
    BuildMenuTables(GetMenu(MainWindow));

    Program().switches.restoreCaretPosition = ReadSettingDword("RP", 1) != 0;
    InitApplication(commandLine);

    Program().switches.rememberWindowSize = ReadSettingDword("AU", 1) != 0;
    int showCommand = StartupShowCommand(startupShowCommand);
    Program().switches.restorePlacement = Program().switches.rememberWindowSize && (showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT);
    if (Program().switches.restorePlacement) showCommand = ApplySavedPlacement(showCommand);

    PrepareMenuLook(MainWindow);

    ShowWindow(MainWindow, showCommand);
    Program().acceleratorTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    return true;
}

void InitApplication(const char* commandLine) {
    const std::wstring wide = WideText(commandLine ? commandLine : "");
    InitApplication(wide.c_str());
}

namespace {

// The shell watches the document: the edit mode that the Insert key switches, and a view code page
// that an Undo took back (the menu marks, the status bar and the view's font follow it).
class ShellWatcher final : public DocumentWatcher {
public:
    void OnViewChanged() noexcept override {
        const Document& document = ProgramDocument();
        if (document.Overwrite() != overwrite_) {
            overwrite_ = document.Overwrite();
            SendShellMessage(kShowEditModeMessage);
        }
        if (document.ViewCodePage() != CodePageIndex && EditorControl) {
            CodePageIndex = document.ViewCodePage();
            ApplyViewCodePage();
        }
    }

private:
    bool overwrite_ = false;
};

ShellWatcher& TheShellWatcher() {
    static ShellWatcher watcher;
    return watcher;
}

}  // namespace

void InitApplication(const wchar_t* commandLine) {
    for (int i = 0; i < 16; ++i) Program().customColours[i] = GetSysColor(i);

    // The program's own text control takes the place of the system's rich-edit library.
    auto registerEditorClass = Program().editorClassRegistration ? Program().editorClassRegistration : RegisterEditorControlClass;
    if (!RegisteredOrThere(registerEditorClass(Program().instance))) {
        ReportLastError();
        PostQuitMessage(255);
    }

    Program().switches.wordWrapStyle = ReadSettingDword("WW", kNoWordWrapStyle) & kNoWordWrapStyle;
    if (Program().switches.wordWrapStyle == 0) CheckMenuItem(GetMenu(MainWindow), IDM_WORD_WRAP, MF_BYCOMMAND | MF_CHECKED);

    RenewProgramDocument();
    ProgramDocument().AddWatcher(&TheShellWatcher());
    SetJournalOff(ReadSettingDword("NO", 0) != 0);

    PrepareFileDialogRecord();
    std::strcpy(CurrentFileName, UntitledName);
    Program().printing.margins = RECT{2500, 2500, 2500, 2500};
    Program().textLimit = TextLimitFor(TotalPhysicalMemory());

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    if (ReadSettingDword("ST", 1) != 0) CreateStatusBar();
    PrepareEditCallback();
    CreateEditorControl();
    Program().switches.bigButtons = ReadSettingDword("BIG", 0) != 0;
    if (ReadSettingDword("TL", 1) != 0) CreateToolBar();

    // The copies of instances that no longer run come first, a file named on the command line after.
    StartRecoveryCopies();
    OfferRecoveryCopies();
    OpenCommandLineFile(commandLine);
}

namespace {

// The program's shortcuts work while the text has the focus: a key for the editor control is
// offered to the accelerators, which send the command to the main window. A dialog's keys go to
// its own windows and stay the dialog's.
bool TranslatedAsShortcut(const MSG& message) {
    if (!Program().acceleratorTable || !MainWindow || !EditorControl || message.hwnd != EditorControl) return false;
    MSG offered = message;
    offered.hwnd = MainWindow;
    if (!TranslateAcceleratorW(MainWindow, Program().acceleratorTable, &offered)) return false;
    // Wine's default processing decides on the Alt release whether Alt was pressed alone, from the
    // WM_SYSKEYDOWN messages it has seen; without the one the accelerator took (Alt+F2,
    // Alt+Backspace) it would open the menu bar, which then takes the next keys. Windows' default
    // processing does nothing with such a key.
    if (message.message == WM_SYSKEYDOWN) DefWindowProcW(message.hwnd, message.message, message.wParam, message.lParam);
    return true;
}

}  // namespace

void DispatchLoopMessage(MSG& message) {
    if (TranslatedAsShortcut(message)) return;
    const bool forEditor = EditorControl && message.hwnd == EditorControl;
    // Ctrl going down again in the text abandons a half-typed Ctrl+W/D/K chord.
    if (forEditor && message.message == WM_KEYDOWN && message.wParam == VK_CONTROL && Program().pendingChord.PendingChord() >= 0)
        Program().pendingChord.CtrlWentDown();
    TranslateMessage(&message);
    // The editor control is an ANSI window, which the system would hand a typed character in the
    // code page of the keyboard layout: "ж" typed on any layout but a Cyrillic one would arrive as
    // "?". Taken in UTF-16, the character goes to the control as such.
    if (message.message == WM_CHAR && forEditor) message.message = WM_UNICHAR;
    DispatchMessageW(&message);
    // The status bar follows the caret after a key and a click in the text.
    if (forEditor && message.message == WM_KEYUP) SendShellMessage(kShowCaretPositionMessage);
    if (forEditor && message.message == WM_LBUTTONDOWN) PostMessageW(MainWindow, kShowCaretPositionMessage, 0, 0);
}

int RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchLoopMessage(message);
        MSG waiting;
        if (ToolBar && !PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) RefreshToolBarStates();
    }
    return static_cast<int>(message.wParam);
}

void EndApplication() {
    Program().toolBarStrip.reset();
    ReleaseMenuLook();
    // The child windows went with the main window.
    Program().mainWindow = nullptr;
    Program().toolBar = nullptr;
    Program().statusBar = nullptr;
    Program().editorControl = nullptr;
}
