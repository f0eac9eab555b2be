#pragma once
// The editing tests' fixture: real key input through the system's keyboard path (key messages,
// translation into characters, modifier state) with Cyrillic typed as a Russian layout delivers it,
// to the program's own control with its subclass.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/win/application.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/editor_keys.h"
#include "document/win/program_document.h"
#include "support/win/document_fixture.h"

enum Modifiers { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

// Dispatches as the program's loop does until nothing more arrives: input from SendInput is queued
// by the time it returns, and what the handlers post goes through in the same call.
inline void Settle() {
    for (int idle = 0; idle < 3;) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            idle = 0;
            DispatchLoopMessage(message);
        } else {
            ++idle;
            Sleep(1);
        }
    }
}

inline INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    switch (key) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    }
    if (up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
    return input;
}

inline void Press(WORD key, int modifiers = kNone) {
    std::vector<INPUT> inputs;
    if (modifiers & kCtrl) inputs.push_back(KeyInput(VK_CONTROL, false));
    if (modifiers & kShift) inputs.push_back(KeyInput(VK_SHIFT, false));
    if (modifiers & kAlt) inputs.push_back(KeyInput(VK_MENU, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    if (modifiers & kAlt) inputs.push_back(KeyInput(VK_MENU, true));
    if (modifiers & kShift) inputs.push_back(KeyInput(VK_SHIFT, true));
    if (modifiers & kCtrl) inputs.push_back(KeyInput(VK_CONTROL, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Settle();
}

// A character as a keyboard layout produces it: the system turns it into WM_CHAR for the window.
inline void Type(wchar_t character) {
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wScan = character;
        input.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    inputs[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
    Settle();
}

inline void Type(std::wstring_view characters) {
    for (wchar_t character : characters) Type(character);
}

inline std::uint8_t AnsiByteOf(wchar_t character) {
    char byte = '?';
    WideCharToMultiByte(1251, 0, &character, 1, &byte, 1, nullptr, nullptr);
    return static_cast<std::uint8_t>(byte);
}

// The bytes the characters stand for in the view code page.
inline std::string ViewBytesOf(std::wstring_view characters, std::uint8_t view) {
    std::string bytes;
    for (wchar_t character : characters) bytes += static_cast<char>(ViewByteOfTyped(AnsiByteOf(character), view));
    return bytes;
}

inline int ByteAt(LONG position) {
    char room[2] = {};
    TEXTRANGEA range{{position, position + 1}, room};
    if (SendMessageA(EditorControl, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) != 1) return -1;
    return static_cast<unsigned char>(room[0]);
}

inline LONG TextLength() { return static_cast<LONG>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0)); }

inline void UndoAll() {
    for (int guard = 0; guard < 100000 && !DocumentUndoJournal().Empty(); ++guard) UndoLast();
}

class EditingTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        SetJournalOff(false);
        SetForegroundWindow(MainWindow);
        SetFocus(EditorControl);
        Settle();
        ASSERT_EQ(GetForegroundWindow(), MainWindow) << "key input would go elsewhere";
        ASSERT_EQ(GetFocus(), EditorControl);
        // Overwrite mode goes back off the way the user turns it off, so the control's own mode
        // stays with it.
        if (ProgramDocument().Overwrite()) Press(VK_INSERT);
    }
    void TearDown() override {
        SetJournalOff(false);
        if (EditorControl && ProgramDocument().Overwrite()) Press(VK_INSERT);
        DocumentTest::TearDown();
    }

    // Starts a document with the text, the caret at `caret`, nothing to undo.
    void Start(const std::string& text, LONG caret = 0) {
        SetControlText(text, false);
        ClearUndo();
        Select(caret, caret);
    }
};
