#pragma once
// The EditorControl's text and selection as the tests of the tools read and set them: whole, every
// byte included, through the program's own streaming.
#include <windows.h>
#include <richedit.h>

#include <cstdint>
#include <string>
#include <utility>

#include "document/win/editor_window.h"
#include "document/win/document_files.h"

inline std::string ControlText() {
    auto length = static_cast<std::uint32_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0));
    std::string bytes(length + 2, '\0');
    MemoryStream stream;
    stream.buffer = bytes.data();
    stream.capacity = length + 2;
    StreamTextOut(stream);
    bytes.resize(stream.length);
    return bytes;
}

inline void SetControlText(const std::string& bytes) {
    MemoryStream stream;
    stream.buffer = const_cast<char*>(bytes.data());
    stream.length = static_cast<std::uint32_t>(bytes.size());
    StreamTextIn(stream, kStreamWholeText);
}

inline void Select(HWND control, LONG start, LONG end) {
    CHARRANGE range{start, end};
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

inline void Select(LONG start, LONG end) { Select(EditorControl, start, end); }

inline std::pair<LONG, LONG> Selected() {
    CHARRANGE range{};
    SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return {range.cpMin, range.cpMax};
}
