#pragma once
// What the layers below the shell tell it: messages sent to the MainWindow, whose procedure updates
// the title, the bars and the menus they show. Sent, not posted, so that the shell shows a change
// before the sender goes on, as a direct call would; the layers below never include the shell.
#include <windows.h>

#include <string_view>

#include "base/win/program.h"

// The document was named anew: the title shows its name.
inline constexpr UINT kShowTitleMessage = WM_APP + 1;
// The caret or the selection may have moved: the status bar shows the caret's column and line.
// wParam nonzero writes them even when the selection has not moved since the last time.
inline constexpr UINT kShowCaretPositionMessage = WM_APP + 2;
// Insert or overwrite typing changed: the status bar shows which.
inline constexpr UINT kShowEditModeMessage = WM_APP + 3;
// A text for a part of the status bar: wParam the part with its style flags (as SB_SETTEXT takes
// them), lParam a StatusBarText. Answers nonzero when a status bar showed it.
inline constexpr UINT kShowStatusTextMessage = WM_APP + 4;
// The recent files changed: the menu measures their items anew.
inline constexpr UINT kRecentFilesChangedMessage = WM_APP + 5;
// The view code page changed (CodePageIndex): the menu marks the view and greys the commands it
// cannot do.
inline constexpr UINT kViewCodePageChangedMessage = WM_APP + 6;
// A switch was turned on or off: wParam its command (word wrap, page numbers), lParam nonzero when
// on; the menu checks the command's item.
inline constexpr UINT kSwitchChangedMessage = WM_APP + 7;
// (WM_APP + 8 was the text's right-click; the editor control tells it as WM_CONTEXTMENU now.)
// The editor window was made anew: the shell places it between its bars.
inline constexpr UINT kEditorWindowMadeMessage = WM_APP + 9;

// The parts of the status bar: the caret's column and line, the keyboard layout, the view code page,
// the text's line ends, and insert or overwrite (with the messages of the moment after it).
inline constexpr int kCaretPositionPart = 0;
inline constexpr int kKeyboardLayoutPart = 1;
inline constexpr int kViewCodePagePart = 2;
inline constexpr int kLineEndsPart = 3;
inline constexpr int kEditModePart = 4;
inline constexpr int kStatusBarPartCount = 5;

struct StatusBarText {
    std::string_view text;
    bool paintNow = false;  // painted before the message returns, for progress shown while busy
};

inline void SendShellMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (MainWindow) SendMessageW(MainWindow, message, wParam, lParam);
}

// Shows the text in the part of the status bar; false when there is no status bar.
inline bool ShowStatusText(WPARAM partAndStyle, std::string_view text, bool paintNow = false) {
    StatusBarText shown{text, paintNow};
    return MainWindow &&
           SendMessageW(MainWindow, kShowStatusTextMessage, partAndStyle, reinterpret_cast<LPARAM>(&shown)) != 0;
}
