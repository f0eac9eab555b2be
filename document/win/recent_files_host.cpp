#include "document/win/recent_files_host.h"

#include <windows.h>
#include <richedit.h>

#include <string>

#include "document/win/editor_window.h"
#include "base/win/shell_messages.h"
#include "base/win/shown_text.h"

namespace {

class ProgramHost final : public RecentFilesHost {
public:
    bool IsFixedDrive(std::string_view root) override {
        return GetDriveTypeA(std::string(root).c_str()) == DRIVE_FIXED;
    }

    std::string ShortPathName(std::string_view path) override {
        wchar_t shortPath[MAX_PATH];
        DWORD length = GetShortPathNameW(WideText(path).c_str(), shortPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return {};
        return AnsiText(std::wstring_view(shortPath, length));
    }

    void PutCaret(std::int32_t position) override {
        if (EditorControl) SendMessageA(EditorControl, EM_SETSEL, position, position);
    }

    std::int32_t SelectionStart() override {
        CHARRANGE selection{};
        if (EditorControl) SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        return selection.cpMin;
    }

    // The menu measures and draws the items anew from the settings.
    void RedeclareRecentMenuItems() override { SendShellMessage(kRecentFilesChangedMessage); }
};

}  // namespace

RecentFilesHost& ProgramRecentFilesHost() {
    static ProgramHost host;
    return host;
}
