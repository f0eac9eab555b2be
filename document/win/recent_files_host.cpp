#include "document/win/recent_files_host.h"

#include <windows.h>
#include <richedit.h>

#include <string>

#include "app/win/application.h"
#include "resources/resource.h"

namespace {

class ProgramHost final : public RecentFilesHost {
public:
    bool IsFixedDrive(std::string_view root) override {
        return GetDriveTypeA(std::string(root).c_str()) == DRIVE_FIXED;
    }

    std::string ShortPathName(std::string_view path) override {
        std::string longPath(path);
        char shortPath[MAX_PATH];
        DWORD length = GetShortPathNameA(longPath.c_str(), shortPath, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return {};
        return std::string(shortPath, length);
    }

    void PutCaret(std::int32_t position) override {
        if (EditorControl) SendMessageA(EditorControl, EM_SETSEL, position, position);
    }

    std::int32_t SelectionStart() override {
        CHARRANGE selection{};
        if (EditorControl) SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        return selection.cpMin;
    }

    void RedeclareRecentMenuItems() override {
        HMENU menu = MainWindow ? GetMenu(MainWindow) : nullptr;
        if (!menu) return;
        for (UINT id = IDM_RECENT_LAST; id >= IDM_RECENT_FIRST; --id) {
            // Owner-drawn items measure and draw themselves from the settings; an item still shown as
            // a plain string gets its text here, so the list stays readable either way.
            MENUITEMINFOA item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_FTYPE;
            if (!GetMenuItemInfoA(menu, id, FALSE, &item)) continue;
            if (item.fType & MFT_OWNERDRAW) {
                ModifyMenuA(menu, id, MF_BYCOMMAND | MF_OWNERDRAW, id, nullptr);
            } else {
                std::string path = RecentFilePath(static_cast<int>(id - IDM_RECENT_FIRST));
                std::string label = "-";
                if (!path.empty()) {
                    label = {'&', static_cast<char>('0' + (id - IDM_RECENT_FIRST)), ' '};
                    label += path;
                }
                ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING, id, label.c_str());
            }
        }
    }
};

}  // namespace

RecentFilesHost& ProgramRecentFilesHost() {
    static ProgramHost host;
    return host;
}
