#include "document/win/recovery_offer.h"

#include <richedit.h>

#include <string>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "base/win/shown_text.h"
#include "control/win/text_streams.h"
#include "document/recovery_copy.h"
#include "document/win/program_document.h"
#include "encoding/code_page_tables.h"
#include "document/win/document_files.h"
#include "document/win/editor_window.h"
#include "document/win/recovery_keeper.h"
#include "document/win/view_code_page.h"

namespace {

FILETIME FileTimeOf(std::uint64_t value) {
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

// "09.12.2026 в 3:15", in the user's own forms of date and time.
std::wstring WrittenAtText(const FILETIME& written) {
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) return {};
    wchar_t date[64] = L"";
    wchar_t clock[64] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 64);
    return std::wstring(date) + WideText(" в "_ui) + clock;
}

int Ask(const std::wstring& text, UINT style) { return MessageBoxW(MainWindow, text.c_str(), L"VEMKO", style); }

void TellDamaged(const LeftCopy& left) {
    Ask(WideText("Копия несохранённого текста, записанная "_ui) + WrittenAtText(left.writtenAt) +
            WideText(", повреждена и не может быть прочитана целиком. Она удалена."_ui),
        MB_OK | MB_ICONINFORMATION);
}

bool AskToBringBack(const RecoveryCopy& copy) {
    const std::wstring name = copy.path.empty() ? WideText(UntitledName) : std::wstring(copy.path.begin(), copy.path.end());
    const std::wstring question = WideText("Вернуть несохранённый текст «"_ui) + name +
                                  WideText("», записанный "_ui) + WrittenAtText(FileTimeOf(copy.writtenAt)) + L"?";
    return Ask(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The text as a modified document of the copy's name, in its view, with its caret and scroll.
bool BringBack(const RecoveryCopy& copy, std::string_view text) {
    if (StreamBytesIn(EditorControl, SF_TEXT, text) != 0) {
        ReportOutOfMemory();
        return false;
    }
    ClearUndo();
    if (copy.path.empty()) SetDocumentPath(WideText(UntitledName));
    else SetDocumentPath(std::wstring(copy.path.begin(), copy.path.end()));
    if (copy.view <= static_cast<std::uint32_t>(kUtf16BeView)) CodePageIndex = static_cast<std::uint8_t>(copy.view);
    ApplyViewCodePage();
    CHARRANGE selection{static_cast<LONG>(copy.selectionStart), static_cast<LONG>(copy.selectionEnd)};
    Document& document = ProgramDocument();
    document.Select(static_cast<std::size_t>(selection.cpMin), static_cast<std::size_t>(selection.cpMax));
    const auto top = static_cast<LPARAM>(document.Editing().TopLine());
    SendMessageA(EditorControl, EM_LINESCROLL, 0, static_cast<LPARAM>(copy.firstVisibleLine) - top);
    document.SetModified(true);
    SendShellMessage(kShowTitleMessage);
    SendShellMessage(kShowCaretPositionMessage, 1);
    return true;
}

void Offer(LeftCopy& left) {
    std::string file;
    if (!ReadWholeFile(left.copyPath, file) && GetLastError() == ERROR_NOT_ENOUGH_MEMORY) {
        // Whole on disk, only too big for now: it stays for a start with more memory.
        ReportLastError();
        ReleaseLeftCopy(left);
        return;
    }
    RecoveryCopy copy;
    std::string_view text;
    if (!ReadRecoveryCopy(file, copy, text)) {
        RemoveLeftCopy(left);
        TellDamaged(left);
        return;
    }
    if (!AskToBringBack(copy)) {
        RemoveLeftCopy(left);
        return;
    }
    // A text brought back a moment ago is not thrown away for the next one without asking.
    if (!EditorControl || !ConfirmSaveChanges() || !BringBack(copy, text)) {
        ReleaseLeftCopy(left);
        return;
    }
    TakeOverRecoveryCopy(left);
}

}  // namespace

void OfferRecoveryCopies() {
    const std::wstring folder = RecoveryFolder();
    if (folder.empty()) return;
    for (LeftCopy& left : ClaimLeftCopies(folder)) Offer(left);
}
