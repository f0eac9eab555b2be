#pragma once
// The list of up to ten recently opened or saved files, newest first, with the caret position each
// had when it was last left. The list lives only in the settings and is read afresh at every use:
//   "LIST"          the order: each character a digit naming an entry; position 0 is the newest
//   digit + "F"     the entry's full path; empty or missing: the entry is free
//   digit + "FC"    the entry's remembered caret position
//   digit + "FV"    the view chosen by hand for the file, plus 1; 0 or missing: none chosen
//   digit + "FS"    the file's size and time of last writing as the program last saw them with
//                   that view (FileStamp); a file that another hand changed since is guessed again
// Menu command 900 + k shows the entry named by character k of "LIST".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What the list needs from the system, the editor control and the menu.
class RecentFilesHost {
public:
    virtual ~RecentFilesHost() = default;
    // GetDriveType of a root such as "C:\" is a fixed local drive.
    virtual bool IsFixedDrive(std::string_view root) = 0;
    // GetShortPathName: the short (8.3) form of the path, or an empty text when the system cannot
    // give one (the file is gone, the drive is not there).
    virtual std::string ShortPathName(std::string_view path) = 0;
    // EM_SETSEL with an empty selection at the position.
    virtual void PutCaret(std::int32_t position) = 0;
    // The start of the editor control's selection (EM_EXGETSEL).
    virtual std::int32_t SelectionStart() = 0;
    // Re-declares the menu items 909 down to 900 as owner-drawn, so the menu measures and draws them
    // anew from the settings.
    virtual void RedeclareRecentMenuItems() = 0;
    // The file's size and time of last writing as a text that changes when either does; empty when
    // the system cannot tell them (the file is gone).
    virtual std::string FileStamp(std::string_view path) {
        (void)path;
        return {};
    }
};

inline constexpr int kRecentFileCount = 10;
// The readers' buffer for a path (MAX_PATH): a path must be shorter to be listed.
inline constexpr std::size_t kRecentPathBuffer = 260;

// Puts the file at the front of the list, adding it when it is new (its caret position then 0).
// When it is listed already and restoreCaret is on, the caret goes back to its remembered position.
// Files on other than fixed local drives, paths holding "$", and paths holding characters that 1251
// lacks (given as '?') are never listed.
void AddRecentFile(std::string_view path, bool restoreCaret, RecentFilesHost& host);

// When the current file is listed, stores the selection start as its caret position.
void RememberCaret(std::string_view currentFileName, RecentFilesHost& host);

// The path shown at menu position k (0-9), or an empty text when there is no file there.
std::string RecentFilePath(int position);

// The view the user switched to by hand for the current file, remembered with it when it is listed,
// together with the file's stamp now.
void RememberChosenView(std::string_view currentFileName, int view, RecentFilesHost& host);
// After the program wrote the file: a file with a chosen view keeps it as the view it was written in,
// with its new stamp. Nothing for a file without one (the guess alone is never stored).
void RememberViewOfSavedFile(std::string_view currentFileName, int view, RecentFilesHost& host);
// At a load: the view chosen for the file when its stamp is still the remembered one. A file changed
// since (or gone) has its choice forgotten, and is guessed again.
std::optional<int> ChosenViewOf(std::string_view currentFileName, RecentFilesHost& host);

// A listed file that could not be opened: its entry is freed (its digit stays in "LIST" and is the
// first to be reused) and the menu is told to measure its items anew.
void ForgetRecentFile(int position, RecentFilesHost& host);

// Two path texts name the same file by this comparison: ASCII and Cyrillic letters of the ANSI code
// page (1251) compare equal to their other case.
bool SamePathText(std::string_view a, std::string_view b);
