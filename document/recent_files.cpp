#include "document/recent_files.h"

#include <array>

#include "base/settings.h"
#include "base/charts.h"
#include "encoding/utf8_sequences.h"

namespace {

constexpr std::size_t kListBuffer = kRecentFileCount + 1;

// Each 1251 byte to the byte of its lower-case letter (itself when it is none).
std::array<unsigned char, 256> MakeLowerCaseTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
    for (int b = 0x80; b < 256; ++b) {
        const char16_t lower = static_cast<char16_t>(SmallLetterOf(charts::kWindows1251[b - 0x80]));
        if (lower == charts::kWindows1251[b - 0x80]) continue;
        for (int c = 0x80; c < 256; ++c)
            if (charts::kWindows1251[c - 0x80] == lower) table[b] = static_cast<unsigned char>(c);
    }
    return table;
}

const std::array<unsigned char, 256> kLowerCase = MakeLowerCaseTable();

std::string PathName(char digit) { return std::string{digit, 'F'}; }
std::string CaretName(char digit) { return std::string{digit, 'F', 'C'}; }
std::string ViewName(char digit) { return std::string{digit, 'F', 'V'}; }
std::string StampName(char digit) { return std::string{digit, 'F', 'S'}; }
constexpr std::size_t kStampBuffer = 64;

std::string ReadList() { return ReadSettingString("LIST", kListBuffer); }
std::string ReadPath(char digit) { return ReadSettingString(PathName(digit), kRecentPathBuffer); }

// The text two names of a file are compared by: its short form, or, when the system cannot give one,
// the path itself (without it every such path would compare equal to every other).
std::string ComparisonForm(std::string_view path, RecentFilesHost& host) {
    std::string shortForm = host.ShortPathName(path);
    return shortForm.empty() ? std::string(path) : shortForm;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool SamePathText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (kLowerCase[static_cast<unsigned char>(a[i])] != kLowerCase[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

void AddRecentFile(std::string_view path, bool restoreCaret, RecentFilesHost& host) {
    if (path.empty()) return;
    // Removable, network, CD-ROM and RAM drives, and paths that do not start with a drive letter, are
    // never listed.
    if (!host.IsFixedDrive(std::string{path[0], ':', '\\'})) return;
    if (path.find('$') != std::string_view::npos) return;
    // A name holding characters that the program's code page lacks has them as '?', which no file
    // name holds: the list would name no file, or, read back by the system, another one.
    if (path.find('?') != std::string_view::npos) return;
    // A path the readers could not read back would only take the place of a listed file.
    if (path.size() >= kRecentPathBuffer) return;

    const std::string wanted = ComparisonForm(path, host);
    std::string list = ReadList();
    char freeDigit = 0;
    for (char d = '0'; d <= '9'; ++d) {
        std::size_t j = list.find(d);
        std::string entry = j != std::string::npos ? ReadPath(d) : std::string();
        if (entry.empty()) {
            if (!freeDigit) freeDigit = d;
            continue;
        }
        if (!SamePathText(ComparisonForm(entry, host), wanted)) continue;

        if (restoreCaret) {
            auto caret = static_cast<std::int32_t>(ReadSettingDword(CaretName(d), 0xFFFFFFFFu));
            if (caret >= 0) host.PutCaret(caret);
        }
        if (j == 0) return;
        list.erase(j, 1);
        list.insert(list.begin(), d);
        WriteSettingString("LIST", list);
        host.RedeclareRecentMenuItems();
        return;
    }

    // New: a free digit, else the oldest entry's (every digit is then in the list, so it has ten).
    // The view chosen for the file that had the digit before does not pass to this one.
    char d = freeDigit ? freeDigit : list.back();
    WriteSettingDword(CaretName(d), 0);
    if (ReadSettingDword(ViewName(d), 0) != 0) WriteSettingDword(ViewName(d), 0);
    WriteSettingString(PathName(d), path);
    if (std::size_t j = list.find(d); j != std::string::npos) list.erase(j, 1);
    list.insert(list.begin(), d);
    if (list.size() > static_cast<std::size_t>(kRecentFileCount)) list.resize(kRecentFileCount);
    WriteSettingString("LIST", list);
    host.RedeclareRecentMenuItems();
}

namespace {

// The digit of the entry that lists the file; 0 when none does.
char EntryOf(std::string_view path, RecentFilesHost& host) {
    const std::string wanted = ComparisonForm(path, host);
    for (char d = '0'; d <= '9'; ++d) {
        std::string entry = ReadPath(d);
        if (!entry.empty() && SamePathText(ComparisonForm(entry, host), wanted)) return d;
    }
    return 0;
}

void WriteChosenView(char d, int view, std::string_view path, RecentFilesHost& host) {
    WriteSettingString(StampName(d), host.FileStamp(path));
    WriteSettingDword(ViewName(d), static_cast<std::uint32_t>(view) + 1);
}

}  // namespace

void RememberCaret(std::string_view currentFileName, RecentFilesHost& host) {
    if (char d = EntryOf(currentFileName, host))
        WriteSettingDword(CaretName(d), static_cast<std::uint32_t>(host.SelectionStart()));
}

void RememberChosenView(std::string_view currentFileName, int view, RecentFilesHost& host) {
    if (view < 0) return;
    if (char d = EntryOf(currentFileName, host)) WriteChosenView(d, view, currentFileName, host);
}

void RememberViewOfSavedFile(std::string_view currentFileName, int view, RecentFilesHost& host) {
    if (view < 0) return;
    char d = EntryOf(currentFileName, host);
    if (d && ReadSettingDword(ViewName(d), 0) != 0) WriteChosenView(d, view, currentFileName, host);
}

std::optional<int> ChosenViewOf(std::string_view currentFileName, RecentFilesHost& host) {
    char d = EntryOf(currentFileName, host);
    if (!d) return std::nullopt;
    const std::uint32_t chosen = ReadSettingDword(ViewName(d), 0);
    if (chosen == 0) return std::nullopt;
    const std::string stamp = host.FileStamp(currentFileName);
    if (chosen > 256 || stamp.empty() || stamp != ReadSettingString(StampName(d), kStampBuffer)) {
        WriteSettingDword(ViewName(d), 0);
        return std::nullopt;
    }
    return static_cast<int>(chosen - 1);
}

std::string RecentFilePath(int position) {
    std::string list = ReadList();
    if (position < 0 || static_cast<std::size_t>(position) >= list.size() || !IsDigit(list[position])) return {};
    return ReadPath(list[position]);
}

void ForgetRecentFile(int position, RecentFilesHost& host) {
    std::string list = ReadList();
    if (position < 0 || static_cast<std::size_t>(position) >= list.size() || !IsDigit(list[position])) return;
    WriteSettingString(PathName(list[position]), "");
    host.RedeclareRecentMenuItems();
}
