// Keys pressed on the X display the program runs on, as a user presses them: xdotool (a Unix
// program, which Wine starts like any other) sends them through the X server to Wine's keyboard
// path, with the Alt handling of Wine's own default window procedure.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "support/win/app_harness.h"
#include "support/win/settings_key.h"

namespace {

// Found by the shell on its PATH; looked for here only to skip where it is not installed.
constexpr const char* kXdotool = "Z:\\usr\\bin\\xdotool";

// Runs xdotool with the arguments and dispatches what arrives meanwhile and shortly after; true when
// it ran to its end. Wine signals no end of a Unix program and hands on no exit code, so a shell
// leaves a mark when xdotool is done.
bool Xdotool(const std::string& arguments) {
    const std::string mark = "/tmp/vemko-xdotool-" + std::to_string(GetCurrentProcessId()) + ".done";
    const std::string windowsMark = "Z:" + mark;
    DeleteFileA(windowsMark.c_str());
    std::string command = "Z:\\bin\\sh -c \"xdotool " + arguments + "; : > " + mark + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    const DWORD until = GetTickCount() + 10000;
    bool ended = false;
    while (!ended && static_cast<LONG>(until - GetTickCount()) > 0) {
        PumpMessages(10);
        ended = GetFileAttributesA(windowsMark.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    DeleteFileA(windowsMark.c_str());
    PumpMessages(300);
    return ended;
}

bool InMenuMode() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE);
}

// The menu bar, once active, runs its own loop and keeps the keys: a thread timer, which that loop
// dispatches too, notes it and closes the menu, so the test fails instead of waiting for ever.
bool menuWasEntered = false;

void CALLBACK WatchForMenuMode(HWND, UINT, UINT_PTR, DWORD) {
    if (!InMenuMode()) return;
    menuWasEntered = true;
    EndMenu();
}

std::string Text() { return WindowText(EditorControl); }

}  // namespace

TEST(AltKeysThroughX, AfterAltF2OrAltBackspaceTheNextKeysActOnTheText) {
    if (GetFileAttributesA(kXdotool) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "xdotool is not installed";
    SettingsKeySnapshot settings;
    ASSERT_TRUE(StartTestApplication());
    ASSERT_TRUE(EditorControl);
    SetForegroundWindow(MainWindow);
    SetFocus(EditorControl);
    PumpMessages(200);
    // Wine's X window of the main window.
    const auto xWindow = reinterpret_cast<UINT_PTR>(GetPropA(MainWindow, "__wine_x11_whole_window"));
    ASSERT_NE(xWindow, 0u);
    ASSERT_TRUE(Xdotool("windowfocus " + std::to_string(xWindow)));
    const UINT_PTR watch = SetTimer(nullptr, 0, 50, WatchForMenuMode);

    ASSERT_TRUE(Xdotool("key alt+F2"));
    EXPECT_EQ(CodePageIndex, 2) << "Alt+F2: the KOI8-R view";
    EXPECT_FALSE(menuWasEntered) << "Alt+F2 left the menu bar active";
    ASSERT_TRUE(Xdotool("key F2"));
    EXPECT_EQ(CodePageIndex, 0) << "F2 after Alt+F2 went to the menu bar instead of the text";
    ASSERT_TRUE(Xdotool("key ctrl+F2"));
    EXPECT_EQ(CodePageIndex, 1);

    ASSERT_TRUE(Xdotool("key F2 x y"));
    EXPECT_EQ(Text(), "xy");
    menuWasEntered = false;
    ASSERT_TRUE(Xdotool("key alt+BackSpace"));
    const std::string undone = Text();
    EXPECT_NE(undone, "xy") << "Alt+Backspace undoes the typing";
    EXPECT_FALSE(menuWasEntered) << "Alt+Backspace left the menu bar active";
    ASSERT_TRUE(Xdotool("key z"));
    EXPECT_EQ(Text(), undone + "z");

    KillTimer(nullptr, watch);
    SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
    CloseTestApplication();
}
