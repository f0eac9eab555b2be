#include "app/win/application.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "app/command_line.h"
#include "app/settings.h"
#include "app/status_texts.h"
#include "app/text_limit.h"
#include "app/ui_text.h"
#include "control/win/editor_control.h"
#include "app/win/editor_setup.h"
#include "app/win/main_window.h"
#include "app/win/menu_tables.h"
#include "app/win/registry_settings.h"
#include "tools/win/printing.h"
#include "app/win/status_bar.h"
#include "app/win/toolbar.h"
#include "document/win/document_files.h"
#include "document/win/edit_callback.h"
#include "document/win/view_code_page.h"
#include "document/undo_journal.h"
#include "resources/resource.h"

HINSTANCE ProgramInstance = nullptr;
HWND MainWindow = nullptr;
const char* const UntitledName = "БезИмени"_ui;
char CurrentFileName[kFileNameCapacity] = {};
HICON ClassIcon = nullptr;
HICON SmallIcon = nullptr;
HICON MenuIcon = nullptr;
HFONT MenuFont = nullptr;
NONCLIENTMETRICSA NonClientMetrics{};
std::uint32_t TextLimit = 0;
COLORREF CustomColours[16] = {};
bool RememberWindowSize = true;
bool RestorePlacement = false;
bool RestoreCaretPosition = true;
HACCEL AcceleratorTable = nullptr;
HBITMAP MenuStripBitmap = nullptr;
HBITMAP StandardSmallBitmap = nullptr;
bool (*EditorClassRegistration)(HINSTANCE) = RegisterEditorControlClass;

namespace {

const char* const kMainWindowClass = "VEMKO";
// The standard small images of the common-controls library, as that library numbers its bitmap.
constexpr int kCommonControlsStandardSmallBitmap = 120;
// The record as the system defined it before the padded border width was added to it.
constexpr UINT kNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);

// A class registered by an earlier start in the same process (a test starting the program again) is
// the same class and serves as well.
bool RegisteredOrThere(bool registered) { return registered || GetLastError() == ERROR_CLASS_ALREADY_EXISTS; }

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = ClassIcon;
    windowClass.hIconSm = SmallIcon;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    windowClass.lpszClassName = kMainWindowClass;
    if (RegisteredOrThere(RegisterClassExA(&windowClass) != 0)) return true;
    WNDCLASSA olderClass{};
    olderClass.lpfnWndProc = windowClass.lpfnWndProc;
    olderClass.hInstance = instance;
    olderClass.hIcon = windowClass.hIcon;
    olderClass.hbrBackground = windowClass.hbrBackground;
    olderClass.lpszMenuName = windowClass.lpszMenuName;
    olderClass.lpszClassName = windowClass.lpszClassName;
    return RegisteredOrThere(RegisterClassA(&olderClass) != 0);
}

HICON LoadSmallIcon(HINSTANCE instance, int resource) {
    return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_ICON, 16, 16, LR_SHARED));
}

std::uint64_t TotalPhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

void OpenCommandLineFile(const char* commandLine) {
    const CommandLineRequest request = ParseCommandLine(commandLine ? commandLine : "");
    if (request.print) PostMessageA(MainWindow, WM_COMMAND, IDM_PRINT, 0);
    if (request.fileArgument.empty()) return;
    char fullPath[kFileNameCapacity] = {};
    const DWORD length = GetFullPathNameA(request.fileArgument.c_str(), sizeof fullPath, fullPath, nullptr);
    // A path that does not fit is not cut to a different file's name: it is not opened at all.
    if (length == 0 || length >= sizeof fullPath) return;
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
    ProgramInstance = instance;
    InstallRegistrySettings();

    ClassIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VEMKO));
    SmallIcon = LoadSmallIcon(instance, IDI_SMALL);
    MenuIcon = LoadSmallIcon(instance, IDI_HTML);
    if (!RegisterMainWindowClass(instance)) return false;

    const std::string title = WindowTitleFor(UntitledName);
    MainWindow = CreateWindowExA(0, kMainWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!MainWindow) return false;
    BuildMenuTables();

    RestoreCaretPosition = ReadSettingDword("RP", 1) != 0;
    InitApplication(commandLine);

    RememberWindowSize = ReadSettingDword("AU", 1) != 0;
    int showCommand = StartupShowCommand(startupShowCommand);
    RestorePlacement = RememberWindowSize && (showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT);
    if (RestorePlacement) showCommand = ApplySavedPlacement(showCommand);

    NonClientMetrics = NONCLIENTMETRICSA{};
    NonClientMetrics.cbSize = kNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &NonClientMetrics, 0);
    if (MenuFont) DeleteObject(MenuFont);
    MenuFont = CreateFontIndirectA(&NonClientMetrics.lfMenuFont);

    ShowWindow(MainWindow, showCommand);
    AcceleratorTable = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    return true;
}

void InitApplication(const char* commandLine) {
    for (int i = 0; i < 16; ++i) CustomColours[i] = GetSysColor(i);

    // The program's own text control takes the place of the system's rich-edit library.
    if (!RegisteredOrThere(EditorClassRegistration(ProgramInstance))) {
        ReportLastError();
        PostQuitMessage(255);
    }

    WordWrapStyle = ReadSettingDword("WW", kNoWordWrapStyle) & kNoWordWrapStyle;
    if (WordWrapStyle == 0) CheckMenuItem(GetMenu(MainWindow), IDM_WORD_WRAP, MF_BYCOMMAND | MF_CHECKED);

    JournalOff = ReadSettingDword("NO", 0) != 0;
    JournalWasOff = JournalOff;

    PrepareFileDialogRecord();
    std::strcpy(CurrentFileName, UntitledName);
    PageMargins = RECT{2500, 2500, 2500, 2500};
    TextLimit = TextLimitFor(TotalPhysicalMemory());

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);

    if (ReadSettingDword("ST", 1) != 0) CreateStatusBar();
    PrepareEditCallback();
    CreateEditorControl();
    BigButtons = ReadSettingDword("BIG", 0) != 0;
    if (ReadSettingDword("TL", 1) != 0) CreateToolBar();

    OpenCommandLineFile(commandLine);

    LoadBitmapResource(GetModuleHandleA("comctl32.dll"), kCommonControlsStandardSmallBitmap, StandardSmallBitmap);
    LoadBitmapResource(ProgramInstance, IDB_STRIP_SMALL, MenuStripBitmap);
}

int RunMessageLoop() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        MSG waiting;
        if (ToolBar && !PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) RefreshToolBarStates();
    }
    return static_cast<int>(message.wParam);
}

void EndApplication() {
    for (HGDIOBJ* held : {reinterpret_cast<HGDIOBJ*>(&ToolBarStrip), reinterpret_cast<HGDIOBJ*>(&StandardSmallBitmap),
                          reinterpret_cast<HGDIOBJ*>(&MenuStripBitmap), reinterpret_cast<HGDIOBJ*>(&MenuFont)}) {
        if (*held) DeleteObject(*held);
        *held = nullptr;
    }
    // The child windows went with the main window.
    MainWindow = nullptr;
    ToolBar = nullptr;
    StatusBar = nullptr;
    EditorControl = nullptr;
}

void ReportLastError() { ReportLastError(MainWindow); }

void ReportOutOfMemory() {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ReportLastError();
}

void ReportLastError(HWND owner) {
    DWORD code = GetLastError();
    if (code == 0) code = ERROR_BAD_ENVIRONMENT;
    // Asked for whole: a text longer than a fixed buffer would otherwise come back empty.
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    MessageBoxA(owner, text ? text : "", kMainWindowClass, MB_OK | MB_ICONINFORMATION);
    if (text) LocalFree(text);
}

void ShowAboutBox() {
    ShellAboutA(MainWindow, "VEMKO#Редактор текстов в кодировках 1251, 866 и KOI8-R"_ui,
                "Кириллица в трёх кодировках, байт в байт"_ui, ClassIcon);
}

void SaveWindowPlacement() {
    if (!RestorePlacement || !MainWindow) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(MainWindow, &placement)) return;
    WriteSettingBlockToExistingKey("DEF", &placement, sizeof placement);
}

void UpdateTitle() {
    std::string name = CurrentFileName;
    if (std::strcmp(CurrentFileName, UntitledName) != 0) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(CurrentFileName, &found);
        if (search != INVALID_HANDLE_VALUE) {
            name = found.cFileName;
            FindClose(search);
        }
    }
    SetWindowTextA(MainWindow, WindowTitleFor(name).c_str());
}
