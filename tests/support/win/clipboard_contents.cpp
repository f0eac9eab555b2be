#include "support/win/clipboard_contents.h"

#include <cstring>

std::string ClipboardBytes(UINT format) {
    if (!OpenClipboard(nullptr)) return "<not opened>";
    std::string bytes = "<none>";
    if (HANDLE data = GetClipboardData(format)) {
        if (const char* text = static_cast<const char*>(GlobalLock(data))) {
            bytes = text;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

std::wstring ClipboardUnicode() {
    if (!OpenClipboard(nullptr)) return L"<not opened>";
    std::wstring text = L"<none>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = characters;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool PutOnClipboard(const char* bytes, UINT format) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    if (bytes) {
        const std::size_t size = std::strlen(bytes) + 1;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        SetClipboardData(format, block);
    }
    return CloseClipboard() != FALSE;
}

bool PutCharactersOnClipboard(std::wstring_view characters) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const std::size_t size = (characters.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    std::memcpy(GlobalLock(block), characters.data(), characters.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    return CloseClipboard() != FALSE;
}
