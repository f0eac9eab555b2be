#include "app/win/shell_window.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "app/status_texts.h"
#include "base/ui_text.h"
#include "base/version.h"
#include "base/win/program.h"
#include "base/win/registry_settings.h"
#include "base/win/shown_text.h"
#include "document/win/document_name.h"
#include "document/win/program_document.h"
#include "document/win/recovery_keeper.h"
#include "tools/win/printing.h"

void ShowAboutBox() {
    ShellAboutW(MainWindow, WideText("VEMKO#Редактор текстов в кодировках 1251, 866 и KOI8-R"_ui).c_str(),
                WideText("Версия " VEMKO_VERSION ". Кириллица в трёх кодировках, байт в байт"_ui).c_str(), Program().classIcon);
}

void SaveWindowPlacement() {
    if (!Program().switches.restorePlacement || !MainWindow) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(MainWindow, &placement)) return;
    WriteSettingBlockToExistingKey("DEF", &placement, sizeof placement);
}

void UpdateTitle() {
    // Built in UTF-16: the name on disk may hold characters that 1251 lacks.
    std::wstring name = WideText(CurrentFileName);
    if (std::strcmp(CurrentFileName, UntitledName) != 0) {
        name = DocumentPath();
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(name.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            name = found.cFileName;
            FindClose(search);
        }
    }
    // The name goes between the brackets of the title's form.
    std::wstring title = WideText(WindowTitleFor(""));
    title.insert(1, name);
    SetWindowTextW(MainWindow, title.c_str());
}

namespace {

int HeightOfBar(HWND bar) {
    if (!bar) return 0;
    // Both bars place and size themselves at the edge of their parent on WM_SIZE.
    SendMessageA(bar, WM_SIZE, 0, 0);
    RECT rectangle;
    GetWindowRect(bar, &rectangle);
    return rectangle.bottom - rectangle.top;
}

}  // namespace

void LayoutChildWindows(int clientWidth, int clientHeight) {
    const int toolBarHeight = HeightOfBar(ToolBar);
    const int statusBarHeight = HeightOfBar(StatusBar);
    if (EditorControl)
        MoveWindow(EditorControl, 0, toolBarHeight, clientWidth, clientHeight - statusBarHeight - toolBarHeight, TRUE);
}

void ReleaseShellResources() {
    EndRecoveryCopies();
    ReleasePrinterChoice();
    if (EditorControl) {
        DestroyWindow(EditorControl);
        Program().editorControl = nullptr;
    }
    ClearUndo();
}
