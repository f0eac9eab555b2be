#include "tools/win/byte_patcher.h"

#include <commdlg.h>

#include <optional>
#include <string>

#include "base/ui_text.h"
#include "base/win/owned_handle.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "resources/resource.h"
#include "tools/byte_patch.h"

namespace {

// One file handle for one look or one write, closed by its destructor; remembers the system's
// error of the step that failed, for the report.
class PatchFile final : public PatchableFile {
public:
    enum class Access { Read, ReadWrite };

    PatchFile(const std::wstring& path, Access access) {
        if (access == Access::ReadWrite) {
            // Running with the rights to ignore it (as Wine does for root), the attribute is still
            // the owner's word that the file is not to be changed.
            DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
                error_ = ERROR_ACCESS_DENIED;
                return;
            }
            // Not shared for writing: a file that another program is writing is left alone.
            file_ = OwnedFileOf(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        } else {
            file_ = OwnedFileOf(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        if (!file_) error_ = GetLastError();
    }

    // What PatchByte and LookAtByte take: nullptr when the file could not be opened.
    PatchableFile* Opened() { return file_ ? this : nullptr; }

    bool Size(std::uint64_t& size) override {
        LARGE_INTEGER value;
        if (!GetFileSizeEx(file_.get(), &value)) return Failed();
        size = static_cast<std::uint64_t>(value.QuadPart);
        return true;
    }
    bool ReadByte(std::uint64_t offset, std::uint8_t& byte) override {
        DWORD read = 0;
        if (!MoveTo(offset) || !ReadFile(file_.get(), &byte, 1, &read, nullptr)) return Failed();
        return read == 1 || Failed(ERROR_HANDLE_EOF);
    }
    bool WriteByte(std::uint64_t offset, std::uint8_t byte) override {
        DWORD written = 0;
        if (!MoveTo(offset) || !WriteFile(file_.get(), &byte, 1, &written, nullptr)) return Failed();
        return written == 1 || Failed(ERROR_WRITE_FAULT);
    }
    bool Finish() override {
        if (!FlushFileBuffers(file_.get())) return Failed();
        return CloseFile(file_) || Failed();
    }

    // The reason of the failure as the system words it, in a box over the dialog.
    void Report(HWND dialog) const {
        SetLastError(error_ ? error_ : ERROR_WRITE_FAULT);
        ReportLastError(dialog);
    }

private:
    bool MoveTo(std::uint64_t offset) {
        LARGE_INTEGER position;
        position.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN) != 0;
    }
    bool Failed(DWORD error = GetLastError()) {
        error_ = error;
        return false;
    }

    OwnedFile file_;
    DWORD error_ = 0;
};

struct BytePatcherData {
    std::wstring path;
};

std::string ItemText(HWND dialog, int id) { return DialogItemText(dialog, id); }

void ShowError(HWND dialog) { SetDialogItemText(dialog, IDC_PATCH_BYTE, kByteError); }

void EnableWriteButton(HWND dialog, bool enabled) {
    HWND button = GetDlgItem(dialog, IDC_WRITE_BYTE);
    // A disabled button keeps no focus: the keyboard goes to the value, which is what needs changing.
    if (!enabled && GetFocus() == button)
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_PATCH_BYTE)), TRUE);
    EnableWindow(button, enabled);
}

void LookAtOffset(HWND dialog, const BytePatcherData& data) {
    PatchFile file(data.path, PatchFile::Access::Read);
    std::optional<std::uint8_t> byte = LookAtByte(file.Opened(), ItemText(dialog, IDC_PATCH_OFFSET));
    if (byte) SetDialogItemText(dialog, IDC_PATCH_BYTE, FormatByte(*byte));
    else ShowError(dialog);
    EnableWriteButton(dialog, byte.has_value());
}

bool ConfirmWrite(HWND dialog) {
    return ShowMessageBox(dialog, "Вы уверены?"_ui, "VEMKO", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void OnWrite(HWND dialog, const BytePatcherData& data) {
    PatchFile file(data.path, PatchFile::Access::ReadWrite);
    switch (PatchByte(file.Opened(), ItemText(dialog, IDC_PATCH_OFFSET), ItemText(dialog, IDC_PATCH_BYTE),
                      [dialog] { return ConfirmWrite(dialog); })) {
    // A file that cannot be opened for writing (read-only, in use, gone) shows "Error" and nothing
    // more, as every other failure to get at the byte does.
    case PatchOutcome::NoByteThere: ShowError(dialog); break;
    case PatchOutcome::InvalidValue:
    case PatchOutcome::Unchanged: EnableWriteButton(dialog, false); break;
    case PatchOutcome::Declined:
    case PatchOutcome::Written: break;
    case PatchOutcome::WriteFailed:
        ShowError(dialog);
        file.Report(dialog);
        break;
    }
}

void OnInitDialog(HWND dialog, const BytePatcherData& data) {
    // The file's own name, which may hold characters that 1251 lacks.
    wchar_t title[MAX_PATH] = {};
    if (GetFileTitleW(data.path.c_str(), title, MAX_PATH) != 0) title[0] = L'\0';
    SetWindowTextW(dialog, (WideText("Изменить байт: "_ui) + title).c_str());
    // The offset field taking the focus shows the byte at offset 0 at once.
    SetFocus(GetDlgItem(dialog, IDC_PATCH_OFFSET));
}

INT_PTR CALLBACK BytePatcherProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<BytePatcherData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *reinterpret_cast<BytePatcherData*>(lParam));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (!data) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_PATCH_OFFSET:
            if (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_CHANGE) LookAtOffset(dialog, *data);
            return TRUE;
        case IDC_WRITE_BYTE:
            if (HIWORD(wParam) == BN_CLICKED) OnWrite(dialog, *data);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void ShowBytePatcher(HWND owner, const wchar_t* path) {
    BytePatcherData data{path};
    DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_BYTE_PATCHER), owner, BytePatcherProc,
                    reinterpret_cast<LPARAM>(&data));
}

void ShowBytePatcher(HWND owner, const char* path) { ShowBytePatcher(owner, WideText(path).c_str()); }

void PatchFileByte() {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow;
    dialog.lpstrFilter = L"EXE Files (*.exe)\0*.exe\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"exe";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOREADONLYRETURN;
    if (!GetOpenFileNameW(&dialog)) return;
    ShowBytePatcher(MainWindow, path);
}
