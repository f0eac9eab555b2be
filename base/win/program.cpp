#include "base/win/program.h"

ProgramContext& Program() {
    static ProgramContext context;
    return context;
}

const wchar_t* const kMainWindowClassWide = L"VEMKO";

void ReportLastError() { ReportLastError(MainWindow); }

void ReportOutOfMemory() {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    ReportLastError();
}

void ReportLastError(HWND owner) {
    DWORD code = GetLastError();
    if (code == 0) code = ERROR_BAD_ENVIRONMENT;
    // Asked for whole: a text longer than a fixed buffer would otherwise come back empty.
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    MessageBoxW(owner, text ? text : L"", kMainWindowClassWide, MB_OK | MB_ICONINFORMATION);
    if (text) LocalFree(text);
}
