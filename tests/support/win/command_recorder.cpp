#include "support/win/command_recorder.h"

namespace {
CommandRecorder* active = nullptr;
}

CommandRecorder::CommandRecorder(HWND window, Options options) : window_(window), options_(options) {
    active = this;
    // A Unicode window stays one: through an ANSI procedure the characters it is sent (WM_CHAR,
    // WM_MENUCHAR) would pass through the system's code page and a 1252 system would lose Cyrillic.
    unicode_ = IsWindowUnicode(window) != FALSE;
    const auto procedure = reinterpret_cast<LONG_PTR>(&CommandRecorder::Procedure);
    previous_ = reinterpret_cast<WNDPROC>(unicode_ ? SetWindowLongPtrW(window, GWLP_WNDPROC, procedure)
                                                   : SetWindowLongPtrA(window, GWLP_WNDPROC, procedure));
}

CommandRecorder::~CommandRecorder() {
    if (IsWindow(window_)) {
        const auto previous = reinterpret_cast<LONG_PTR>(previous_);
        if (unicode_) SetWindowLongPtrW(window_, GWLP_WNDPROC, previous);
        else SetWindowLongPtrA(window_, GWLP_WNDPROC, previous);
    }
    active = nullptr;
}

std::vector<RecordedCommand> CommandRecorder::Take() {
    std::vector<RecordedCommand> taken;
    taken.swap(seen_);
    return taken;
}

std::vector<UINT> CommandRecorder::TakeCommands() {
    std::vector<UINT> ids;
    for (const RecordedCommand& command : Take())
        if (command.message == WM_COMMAND) ids.push_back(command.id);
    return ids;
}

LRESULT CALLBACK CommandRecorder::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CommandRecorder* self = active;
    switch (message) {
    case WM_COMMAND:
        // The editor's notifications of its changes are no commands: they go on to the program.
        if (lParam && HIWORD(wParam) == EN_CHANGE) break;
        self->seen_.push_back({WM_COMMAND, LOWORD(wParam)});
        return 0;
    case WM_SYSCOMMAND: {
        UINT command = static_cast<UINT>(wParam & 0xFFF0);
        self->seen_.push_back({WM_SYSCOMMAND, command});
        if (!self->options_.passSystemCommands || command == SC_CLOSE) return 0;
        break;
    }
    case WM_INITMENUPOPUP:
        if (self->options_.holdMenuInitialisation) return 0;
        break;
    }
    if (self->unicode_) return CallWindowProcW(self->previous_, window, message, wParam, lParam);
    return CallWindowProcA(self->previous_, window, message, wParam, lParam);
}
