#pragma once
// Watches the commands that reach a window: while it lives, the window's command and system command
// messages are recorded (and, for the commands, kept from running), so that a test sees what a key,
// a notification or a menu character asked for without its effect.
#include <windows.h>

#include <vector>

struct RecordedCommand {
    UINT message;  // WM_COMMAND or WM_SYSCOMMAND
    UINT id;       // the command id, or the system command with its low four bits cleared
    bool operator==(const RecordedCommand&) const = default;
};

class CommandRecorder {
public:
    struct Options {
        // Let system commands other than close go on to the window (maximise, restore).
        bool passSystemCommands = true;
        // Keep WM_INITMENUPOPUP from the window, so that menu item states stay as they are.
        bool holdMenuInitialisation = false;
    };
    CommandRecorder(HWND window, Options options);
    explicit CommandRecorder(HWND window) : CommandRecorder(window, Options{}) {}
    ~CommandRecorder();
    CommandRecorder(const CommandRecorder&) = delete;
    CommandRecorder& operator=(const CommandRecorder&) = delete;

    std::vector<RecordedCommand> Take();
    // Only the WM_COMMAND ids, in order; the record is emptied.
    std::vector<UINT> TakeCommands();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    WNDPROC previous_;
    bool unicode_ = false;
    Options options_;
    std::vector<RecordedCommand> seen_;
};
