#include "document/win/document_files.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/owned_handle.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "control/win/editor_control.h"
#include "control/rtf_reader.h"
#include "control/win/text_streams.h"
#include "base/win/shown_text.h"
#include "document/code_page_guess.h"
#include "document/recent_files.h"
#include "document/win/program_document.h"
#include "document/win/recent_files_host.h"
#include "document/win/recovery_keeper.h"
#include "document/win/view_code_page.h"

namespace {

OwnedFile OpenForReading(const wchar_t* path) {
    // Shared for writing too, so a file another program keeps open (a log) can still be read.
    return OwnedFileOf(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool FileSize(HANDLE file, std::uint64_t& size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(file, &value)) return false;
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

// A file coming in. The first bytes are kept as they pass for the code page guess, so the guess sees
// the file's own bytes without reading the control back.
struct FileInStream {
    HANDLE file = nullptr;
    DWORD error = 0;  // the read's system error; the control may call the system before it is reported
    bool failed = false;
    std::size_t sampleCount = 0;
    unsigned char sample[kCodePageGuessWindow] = {};
};

DWORD CALLBACK FileInCallback(DWORD_PTR cookie, LPBYTE block, LONG requested, LONG* moved) {
    auto& stream = *reinterpret_cast<FileInStream*>(cookie);
    DWORD read = 0;
    if (!ReadFile(stream.file, block, static_cast<DWORD>(requested), &read, nullptr)) {
        stream.error = GetLastError();
        stream.failed = true;
        *moved = 0;
        return 1;
    }
    if (stream.sampleCount < kCodePageGuessWindow) {
        std::size_t take = std::min<std::size_t>(read, kCodePageGuessWindow - stream.sampleCount);
        std::memcpy(stream.sample + stream.sampleCount, block, take);
        stream.sampleCount += take;
    }
    *moved = static_cast<LONG>(read);
    return 0;
}

struct FileOutStream {
    HANDLE file = nullptr;
    DWORD error = 0;
    bool failed = false;
};

DWORD CALLBACK FileOutCallback(DWORD_PTR cookie, LPBYTE block, LONG count, LONG* moved) {
    auto& stream = *reinterpret_cast<FileOutStream*>(cookie);
    DWORD written = 0;
    BOOL ok = WriteFile(stream.file, block, static_cast<DWORD>(count), &written, nullptr);
    if (!ok || written < static_cast<DWORD>(count)) {
        // A short write without an error code is a full disk.
        stream.error = ok ? ERROR_DISK_FULL : GetLastError();
        stream.failed = true;
        *moved = ok ? static_cast<LONG>(written) : 0;
        return 2;
    }
    *moved = static_cast<LONG>(written);
    return 0;
}

void ReportError(DWORD error) {
    SetLastError(error);
    ReportLastError();
}

void SetModified(bool modified) { ProgramDocument().SetModified(modified); }

// A stream the control could not complete: the callback's own failure, else the control's (memory
// for the text ran out), which it reports in the stream's error.
DWORD StreamFailure(bool callbackFailed, DWORD callbackError, DWORD streamError) {
    if (callbackFailed) return callbackError;
    return streamError == ERROR_NOT_ENOUGH_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : ERROR_READ_FAULT;
}

// The folder part of a full path, without its last backslash ("C:\" for a file in a root).
std::wstring FolderOf(const wchar_t* path) {
    std::wstring text(path);
    std::size_t slash = text.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 2 && text[1] == ':') return text.substr(0, 3);
    return text.substr(0, slash);
}

// Writes the whole text to a new file beside target and puts it in target's place. On failure
// reports it and leaves target untouched (the new file is removed). creationTime, when given, is
// carried over so the replaced file keeps its creation date.
bool WriteTextInPlaceOf(const wchar_t* target, const FILETIME* creationTime, DWORD readOnlyAttributes) {
    wchar_t newFile[MAX_PATH];
    if (!GetTempFileNameW(FolderOf(target).c_str(), L"vmk", 0, newFile)) {
        ReportLastError();
        return false;
    }
    OwnedFile file = OwnedFileOf(CreateFileW(newFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // An open file cannot be deleted: it is closed first, whatever failed.
    auto discard = [&](DWORD error) {
        CloseFile(file);
        DeleteFileW(newFile);
        ReportError(error);
        return false;
    };
    if (!file) return discard(GetLastError());
    FileOutStream stream{file.get()};
    DWORD streamError = StreamOut(EditorControl, SF_TEXT, FileOutCallback, &stream);
    if (stream.failed || streamError)
        return discard(stream.failed ? stream.error
                                     : streamError == ERROR_NOT_ENOUGH_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : ERROR_WRITE_FAULT);
    if (creationTime) SetFileTime(file.get(), creationTime, nullptr, nullptr);
    // Every byte must be on the disk before the old file goes: a replace followed by a crash must
    // not leave an empty file under the old name.
    if (!FlushFileBuffers(file.get())) return discard(GetLastError());
    if (!CloseFile(file)) return discard(GetLastError());

    // A read-only file cannot be replaced; the caller asked the user and restores the attribute.
    if (readOnlyAttributes) SetFileAttributesW(target, FILE_ATTRIBUTE_ARCHIVE);
    if (!MoveFileExW(newFile, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD error = GetLastError();
        if (readOnlyAttributes) SetFileAttributesW(target, readOnlyAttributes);
        return discard(error);
    }
    return true;
}

// Pairs of NUL-ended texts, ended by an empty one.
std::wstring WideFilterList(const char* list) {
    const char* end = list;
    while (*end) end += std::strlen(end) + 1;
    return WideText(std::string_view(list, static_cast<std::size_t>(end - list) + 1));
}

const wchar_t* WideExtension(DWORD filterIndex) {
    static const wchar_t* const extensions[] = {L"txt", L"", L"htm", L"pas", L"c", L"bat"};
    return DefaultExtension(filterIndex) ? extensions[filterIndex - 1] : nullptr;
}

// The three dialogs: the path buffer, flags and default extension set, FilterIndex offered and taken
// back when the user confirms.
bool RunFileDialog(bool save, wchar_t* path, DWORD flags) {
    if (Program().fileDialog.record.lStructSize == 0) PrepareFileDialogRecord();
    Program().fileDialog.record.hwndOwner = MainWindow;
    Program().fileDialog.record.lpstrFile = path;
    Program().fileDialog.record.nMaxFile = MAX_PATH;
    Program().fileDialog.record.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    Program().fileDialog.record.nFilterIndex = Program().fileDialog.filterIndex;
    if (const wchar_t* extension = WideExtension(Program().fileDialog.filterIndex)) Program().fileDialog.record.lpstrDefExt = extension;
    BOOL confirmed = save ? GetSaveFileNameW(&Program().fileDialog.record) : GetOpenFileNameW(&Program().fileDialog.record);
    Program().fileDialog.record.lpstrFile = nullptr;
    if (!confirmed) return false;
    Program().fileDialog.filterIndex = Program().fileDialog.record.nFilterIndex;
    return true;
}

bool AskToOverwriteReadOnly() {
    std::wstring question = DocumentPath() + WideText(": только для чтения!\rПерезаписать?"_ui);
    return MessageBoxW(MainWindow, question.c_str(), L"VEMKO", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace

bool StreamTextOut(MemoryStream& stream) {
    const std::uint32_t room = stream.capacity > stream.length ? stream.capacity - stream.length : 0;
    std::size_t written = 0;
    DWORD error = StreamBytesOut(EditorControl, SF_TEXT, stream.buffer + stream.length, room, written);
    stream.length += static_cast<std::uint32_t>(written);
    return error == 0;
}

bool StreamTextIn(MemoryStream& stream, WPARAM flags) {
    // Handing out memory never fails: any error is the control's own.
    if (StreamBytesIn(EditorControl, flags, std::string_view(stream.buffer, stream.length)) == 0) return true;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
}

bool StreamTextInRecorded(UndoKind kind, std::int32_t, const char* bytes, std::size_t size, WPARAM flags) {
    Document& document = ProgramDocument();
    std::string_view text(bytes, size);
    try {
        std::string plain;
        if ((flags & (SF_TEXT | SF_RTF)) == SF_RTF) {
            plain = RtfToPlainText(text);
            text = plain;
        }
        if (flags & SFF_SELECTION) {
            document.ReplaceSelection(text, kind);
            return true;
        }
        // A whole text is built aside and takes the old one's place in one step, shown from its start.
        text = text.substr(0, std::min(text.size(), document.TextLimit()));
        TextBuilder built;
        built.SetForm(document.Text().Form());
        built.Expect(text.size());
        built.Append(text);
        built.Finish();
        document.ReplaceWhole(built, kind);
        document.CompactText();
        return true;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

void PrepareFileDialogRecord() {
    static const std::wstring filters = WideFilterList(
        "Текстовые файлы (*.txt,*.diz,*.rtf)\0*.txt;*.diz;*.rtf\0"
        "Все файлы (*.*)\0*.*\0"
        "HTML файлы (*.htm,*.html)\0*.htm;*.html\0"
        "Pascal файлы (*.pas,*.dpr,*.asm)\0*.pas;*.dpr;*.asm\0"
        "C++ файлы (*.c,*.cpp,*.h,*.rc)\0*.c;*.h;*.cpp;*.rc\0"
        "OS файлы (*.bat,*.log,*.ini)\0*.bat;*.log;*.ini\0"_ui);
    Program().fileDialog.record.lStructSize = sizeof Program().fileDialog.record;
    Program().fileDialog.record.hwndOwner = MainWindow;
    Program().fileDialog.record.hInstance = Program().instance;
    Program().fileDialog.record.lpstrFilter = filters.c_str();
    Program().fileDialog.record.nMaxFile = MAX_PATH;
    Program().fileDialog.record.lpfnHook = FileDialogHook;
}

const char* DefaultExtension(DWORD filterIndex) {
    static const char* const extensions[] = {"txt", "", "htm", "pas", "c", "bat"};
    if (filterIndex < 1 || filterIndex > 6) return nullptr;
    return extensions[filterIndex - 1];
}

UINT_PTR CALLBACK FileDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    // The hook's dialog is a child of the system's dialog frame.
    HWND frame = GetParent(dialog);
    if (message == WM_INITDIALOG) {
        SendMessageA(frame, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    } else if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_TYPECHANGE) {
        const auto* notification = reinterpret_cast<OFNOTIFYW*>(lParam);
        if (const wchar_t* extension = WideExtension(notification->lpOFN->nFilterIndex)) {
            Program().fileDialog.record.lpstrDefExt = extension;
            SendMessageW(frame, CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(extension));
        }
    }
    return 0;
}

bool LoadFile(const char* path) { return LoadFile(WideText(path).c_str()); }

bool LoadFile(const wchar_t* path) {
    // A name that does not fit CurrentFileName would be saved under a cut-off name.
    if (std::wcslen(path) >= sizeof CurrentFileName) return false;
    OwnedFile file = OpenForReading(path);
    if (!file) return false;
    std::uint64_t size = 0;
    if (!FileSize(file.get(), size)) {
        ReportLastError();
        return false;
    }
    if (size > Program().textLimit) {
        CloseFile(file);
        // The size check sets no error code of its own; the system's text for the cause is this one.
        ReportError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }

    auto stream = std::make_unique<FileInStream>();
    stream->file = file.get();
    // The control puts the new text in place of the old only when it has all of it: a read error or
    // a text it cannot hold leaves the document as it was, which is then still safe to save.
    DWORD streamError = StreamIn(EditorControl, SF_TEXT, FileInCallback, stream.get(), size);
    CloseFile(file);
    if (stream->failed || streamError) {
        ReportError(StreamFailure(stream->failed, stream->error, streamError));
        return false;
    }

    ClearUndo();
    SetModified(false);
    SetDocumentPath(path);
    AddRecentFile(CurrentFileName, Program().switches.restoreCaretPosition, ProgramRecentFilesHost());
    SendShellMessage(kShowTitleMessage);
    // A view the user chose for the file comes back while the file is as it was then.
    const int chosen = ViewChosenForLoadedFile();
    const auto view = static_cast<std::uint8_t>(chosen >= 0 ? chosen : GuessViewCodePage(stream->sample, stream->sampleCount));
    if (view != CodePageIndex) {
        CodePageIndex = view;
        ApplyViewCodePage();
    }
    return true;
}

bool SaveDocument() {
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    const std::wstring path = DocumentPath();
    WIN32_FILE_ATTRIBUTE_DATA existing;
    bool exists = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &existing) != 0;
    if (exists) {
        attributes = existing.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_READONLY) && !AskToOverwriteReadOnly()) return false;
    }
    bool written = WriteTextInPlaceOf(path.c_str(), exists ? &existing.ftCreationTime : nullptr,
                                      attributes & FILE_ATTRIBUTE_READONLY ? attributes : 0);
    if (!written) return false;
    // The new file takes over the old one's attributes: a read-only file overwritten after "Yes" is
    // read-only again.
    SetFileAttributesW(path.c_str(), attributes);
    SetModified(false);
    DiscardRecoveryCopy();
    RememberViewOfSavedDocument(CodePageIndex);
    return true;
}

bool SaveDocumentAs() {
    // The dialog proposes the current name; it becomes the document's only when confirmed.
    wchar_t path[MAX_PATH];
    lstrcpynW(path, DocumentPath().c_str(), MAX_PATH);
    if (!RunFileDialog(true, path, OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT)) return false;
    SetDocumentPath(path);
    bool saved = SaveDocument();
    if (saved) {
        AddRecentFile(CurrentFileName, false, ProgramRecentFilesHost());
        ClearUndo();
    }
    SendShellMessage(kShowTitleMessage);
    return saved;
}

bool SaveCurrentDocument() { return DocumentIsUntitled() ? SaveDocumentAs() : SaveDocument(); }

void OpenDocument() {
    wchar_t path[MAX_PATH] = L"";
    if (RunFileDialog(false, path, OFN_FILEMUSTEXIST)) LoadFile(path);
}

void InsertFile() {
    wchar_t path[MAX_PATH] = L"";
    if (!RunFileDialog(false, path, OFN_FILEMUSTEXIST)) return;
    OwnedFile file = OpenForReading(path);
    if (!file) return;
    std::uint64_t size = 0;
    if (!FileSize(file.get(), size) || size > Program().textLimit) return;
    // The file is read whole before anything goes in: nothing of a file that cannot be read to its
    // end goes in, and nothing is recorded for it.
    FileInStream stream;
    stream.file = file.get();
    try {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            LONG moved = 0;
            const LONG requested = static_cast<LONG>(std::min<std::size_t>(bytes.size() - got, 1 << 16));
            if (FileInCallback(reinterpret_cast<DWORD_PTR>(&stream), reinterpret_cast<LPBYTE>(&bytes[got]), requested,
                               &moved) != 0 || moved <= 0)
                break;
            got += static_cast<std::size_t>(moved);
        }
        if (stream.failed) {
            ReportError(stream.error);
            return;
        }
        bytes.resize(got);
        ProgramDocument().ReplaceSelection(bytes, UndoKind::TextSnapshot);
    } catch (const std::bad_alloc&) {
        ReportError(ERROR_NOT_ENOUGH_MEMORY);
    }
}

void OpenDroppedFiles(HDROP drop) {
    wchar_t name[MAX_PATH] = {};
    const bool named = DragQueryFileW(drop, 0, name, MAX_PATH) != 0;
    DragFinish(drop);
    if (named && ConfirmSaveChanges()) LoadFile(name);
}

bool ConfirmSaveChanges() {
    if (!DocumentIsUntitled()) RememberCaret(CurrentFileName, ProgramRecentFilesHost());
    if (!EditorControl || !ProgramDocument().Modified()) return true;
    std::wstring question = WideText("Сохранить "_ui) + DocumentPath() + L"?";
    switch (MessageBoxW(MainWindow, question.c_str(), L"VEMKO", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDNO:
        DiscardRecoveryCopy();
        return true;
    case IDYES:
        // Going on after a failed or cancelled save would throw the unsaved text away.
        return SaveCurrentDocument();
    default:
        return false;
    }
}
