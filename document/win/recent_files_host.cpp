#include "document/win/recent_files_host.h"

#include "document/win/program_document.h"

#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <optional>
#include <string>

#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "base/win/shown_text.h"
#include "document/win/document_name.h"
#include "encoding/code_page_tables.h"

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
        if (EditorControl && position >= 0)
            ProgramDocument().Select(static_cast<std::size_t>(position), static_cast<std::size_t>(position));
    }

    std::int32_t SelectionStart() override {
        return EditorControl ? static_cast<std::int32_t>(ProgramDocument().SelectionStart()) : 0;
    }

    // The menu measures and draws the items anew from the settings.
    void RedeclareRecentMenuItems() override { SendShellMessage(kRecentFilesChangedMessage); }

    // The size and the time of last writing, as the file system keeps them, in hexadecimal.
    std::string FileStamp(std::string_view path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(WideText(path).c_str(), GetFileExInfoStandard, &data)) return {};
        char stamp[40];
        std::snprintf(stamp, sizeof stamp, "%08lX%08lX-%08lX%08lX", data.nFileSizeHigh, data.nFileSizeLow,
                      data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        return stamp;
    }
};

}  // namespace

RecentFilesHost& ProgramRecentFilesHost() {
    static ProgramHost host;
    return host;
}

void RememberViewChosenByHand(std::uint8_t view) {
    if (!DocumentIsUntitled()) RememberChosenView(CurrentFileName, view, ProgramRecentFilesHost());
}

void RememberViewOfSavedDocument(std::uint8_t view) {
    if (!DocumentIsUntitled()) RememberViewOfSavedFile(CurrentFileName, view, ProgramRecentFilesHost());
}

int ViewChosenForLoadedFile() {
    const std::optional<int> chosen = ChosenViewOf(CurrentFileName, ProgramRecentFilesHost());
    return chosen && *chosen >= 0 && *chosen <= kUtf16BeView ? *chosen : -1;
}
