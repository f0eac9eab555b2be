#include "tools/win/word_wrap.h"

#include <richedit.h>

#include <cstdint>
#include <memory>
#include <new>

#include "app/settings.h"
#include "app/win/application.h"
#include "app/win/editor_setup.h"
#include "app/win/status_bar.h"
#include "document/win/document_files.h"
#include "resources/resource.h"

bool RebuildEditorControl(DWORD style) {
    HWND old = EditorControl;
    if (!old) return false;
    const auto length = static_cast<std::uint32_t>(SendMessageA(old, WM_GETTEXTLENGTH, 0, 0));
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[std::size_t{length} + 2]());
    if (!buffer) return false;

    CHARRANGE selection{};
    SendMessageA(old, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const bool modified = SendMessageA(old, EM_GETMODIFY, 0, 0) != 0;
    MemoryStream text;
    text.buffer = buffer.get();
    text.capacity = length + 2;
    StreamTextOut(text);

    // The new control is made before the old one goes: when no window can be had, the document is
    // still in the old one instead of only in this buffer. It starts empty, so the text is held twice
    // at most, as it is while the copy is taken.
    const DWORD oldStyle = WordWrapStyle;
    WordWrapStyle = style;
    CreateEditorControl();
    if (!EditorControl) {
        WordWrapStyle = oldStyle;
        EditorControl = old;
        return false;
    }
    DestroyWindow(old);

    RECT client{};
    GetClientRect(MainWindow, &client);
    SendMessageA(MainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));

    StreamTextIn(text, kStreamWholeText);
    SendMessageA(EditorControl, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(EditorControl, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
    // The new control starts at the top; the caret the user was at should still be in sight.
    SendMessageA(EditorControl, EM_SCROLLCARET, 0, 0);
    ShowCaretPosition();
    return true;
}

void ToggleWordWrap() {
    const DWORD style = WordWrapStyle == 0 ? kNoWordWrapStyle : 0;
    if (!RebuildEditorControl(style)) return;
    if (HMENU menu = GetMenu(MainWindow))
        CheckMenuItem(menu, IDM_WORD_WRAP, MF_BYCOMMAND | (style == 0 ? MF_CHECKED : MF_UNCHECKED));
    WriteSettingDword("WW", style);
}
