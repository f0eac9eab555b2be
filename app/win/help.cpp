#include "app/win/help.h"

#include <string>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"

namespace {

constexpr wchar_t kProgramFileName[] = L"vemko.exe";

// The help window this instance started: F1 pressed again (or the WM_HELP the system sends beside
// the accelerator's command) brings it forward rather than opening a second one.
HANDLE HelpProcess = nullptr;
DWORD HelpProcessId = 0;

std::wstring ModuleFolder() {
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool Exists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void SayNotFound(HWND window, std::string_view what, const std::wstring& path) {
    std::wstring text = WideText(what) + L"\n" + path;
    MessageBoxW(window, text.c_str(), L"VEMKO", MB_OK | MB_ICONINFORMATION);
}

BOOL CALLBACK BringForward(HWND candidate, LPARAM processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (owner != static_cast<DWORD>(processId) || GetWindow(candidate, GW_OWNER) || !IsWindowVisible(candidate))
        return TRUE;
    if (IsIconic(candidate)) ShowWindow(candidate, SW_RESTORE);
    SetForegroundWindow(candidate);
    return FALSE;
}

bool HelpStillOpen() {
    if (!HelpProcess) return false;
    if (WaitForSingleObject(HelpProcess, 0) == WAIT_TIMEOUT) return true;
    CloseHandle(HelpProcess);
    HelpProcess = nullptr;
    return false;
}

}  // namespace

void ShowHelpContents(HWND window) {
    if (HelpStillOpen()) {
        EnumWindows(BringForward, static_cast<LPARAM>(HelpProcessId));
        return;
    }
    std::wstring folder = ModuleFolder();
    std::wstring help = folder + kHelpFileName;
    if (!Exists(help)) {
        SayNotFound(window, "Файл справки не найден:"_ui, help);
        return;
    }
    std::wstring program = folder + kProgramFileName;
    if (!Exists(program)) {
        SayNotFound(window, "Не найдена программа, которая показывает справку:"_ui, program);
        return;
    }
    std::wstring command = L"\"" + program + L"\" \"" + help + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        ReportLastError(window);
        return;
    }
    CloseHandle(process.hThread);
    HelpProcess = process.hProcess;
    HelpProcessId = process.dwProcessId;
}
