#pragma once
// The EditorControl's text, selection and view as the tests read and set them: whole, every byte
// included, through the program's own streaming.
#include <windows.h>
#include <richedit.h>

#include <cstdint>
#include <string>
#include <utility>

#include "document/win/document_files.h"
#include "document/win/editor_window.h"
#include "document/win/view_code_page.h"
#include "support/win/control_selection.h"

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

inline void SetControlText(const std::string& bytes, bool modified = true) {
    MemoryStream stream;
    stream.buffer = const_cast<char*>(bytes.data());
    stream.length = static_cast<std::uint32_t>(bytes.size());
    StreamTextIn(stream, kStreamWholeText);
    SendMessageA(EditorControl, EM_SETMODIFY, modified, 0);
}

inline bool Modified() { return SendMessageA(EditorControl, EM_GETMODIFY, 0, 0) != 0; }

inline void Select(LONG start, LONG end) { Select(EditorControl, start, end); }

inline CHARRANGE Selection() { return Selection(EditorControl); }

inline std::pair<LONG, LONG> Selected() {
    CHARRANGE range = Selection();
    return {range.cpMin, range.cpMax};
}

// The view code page (0 ANSI, 1 OEM, 2 KOI8-R, 3 UTF-8), as the view commands set it.
inline void ShowView(int view) {
    CodePageIndex = static_cast<std::uint8_t>(view);
    ApplyViewCodePage();
}
