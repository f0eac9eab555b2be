#include "support/win/command_recorder.h"

namespace {
CommandRecorder* active = nullptr;
}

CommandRecorder::CommandRecorder(HWND window, Options options) : window_(window), options_(options) {
    active = this;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommandRecorder::Procedure)));
}

CommandRecorder::~CommandRecorder() {
    if (IsWindow(window_)) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
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
    return CallWindowProcA(self->previous_, window, message, wParam, lParam);
}
