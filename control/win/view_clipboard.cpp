#include "control/win/view_clipboard.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/win/owned_handle.h"
#include "control/utf16_characters.h"
#include "control/utf8_characters.h"
#include "encoding/chart_text.h"
#include "encoding/code_page_tables.h"

namespace view_clipboard {

namespace {

constexpr int kKoi8View = 2;

// Zeroed, so the text's terminator is there already; the clipboard owns it once it is handed over.
GlobalBlock ClipboardBlock(SIZE_T size) {
    return GlobalBlock(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size));
}

struct ClipboardOpen {
    bool open;
    explicit ClipboardOpen(HWND owner) : open(OpenClipboard(owner) != FALSE) {}
    ~ClipboardOpen() {
        if (open) CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
};

const charts::HighHalf& ChartOfFormat(UINT format) { return format == CF_TEXT ? charts::kWindows1251 : charts::kCp866; }

// The system converts between the text formats through its own code pages: on a system that is not
// Russian it would read the 1251 or 866 bytes as something else. There the characters themselves go
// along (and come back) as CF_UNICODETEXT; on a Russian system the clipboard stays as it was.
bool SystemReadsOtherwise(UINT format) { return format == CF_TEXT ? GetACP() != 1251 : GetOEMCP() != 866; }

void PlaceCharacters(std::u16string_view characters) {
    GlobalBlock block = ClipboardBlock((characters.size() + 1) * sizeof(char16_t));
    if (!block) return;
    auto* locked = static_cast<char16_t*>(GlobalLock(block.get()));
    if (!locked) return;
    std::memcpy(locked, characters.data(), characters.size() * sizeof(char16_t));
    GlobalUnlock(block.get());
    if (SetClipboardData(CF_UNICODETEXT, block.get())) block.release();
}

// The clipboard's characters as bytes of the clipboard format's code page. False when the
// characters cannot be had (nothing to paste) or memory for the bytes ran out (*outOfMemory).
bool BytesFromCharacters(UINT format, std::string& bytes, bool* outOfMemory) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return false;
    const auto* text = static_cast<const char16_t*>(GlobalLock(data));
    if (!text) return false;
    std::size_t count = 0;
    const std::size_t room = GlobalSize(data) / sizeof(char16_t);
    while (count < room && text[count]) ++count;
    bool made = true;
    try {
        bytes = EncodeChart(ChartOfFormat(format), std::u16string_view(text, count));
    } catch (const std::bad_alloc&) {
        *outOfMemory = true;
        made = false;
    }
    GlobalUnlock(data);
    return made;
}

// Bytes of the clipboard format (866 for the KOI8-R view) handed to `insert` as the view's bytes.
bool InsertAsView(int view, const char* text, std::size_t count,
                  const std::function<bool(const char*, std::size_t)>& insert) {
    if (view != kKoi8View) return insert(text, count);
    std::unique_ptr<char[]> converted(new (std::nothrow) char[count + 1]());
    if (!converted) return false;
    for (std::size_t i = 0; i < count; ++i)
        converted[i] = static_cast<char>(MapHigh(kOemToKoi8, static_cast<std::uint8_t>(text[i])));
    return insert(converted.get(), count);
}

// Every line break of the characters (CR LF, a lone CR, a lone LF) made `kind`.
std::u16string WithLineEndsOfCharacters(std::u16string_view characters, LineEndKind kind) {
    const std::u16string_view lineBreak = kind == LineEndKind::CrLf ? u"\r\n" : kind == LineEndKind::Lf ? u"\n" : u"\r";
    std::u16string out;
    out.reserve(characters.size() + characters.size() / 16);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char16_t c = characters[i];
        if (c != u'\r' && c != u'\n') {
            out += c;
            continue;
        }
        out += lineBreak;
        if (c == u'\r' && i + 1 < characters.size() && characters[i + 1] == u'\n') ++i;
    }
    return out;
}

// The bytes with their line breaks as CR LF in a new clipboard block, in place of `block`, when they
// have any other; false when memory for it ran out.
bool WithCrLfInBlock(GlobalBlock& block, std::uint8_t*& bytes, std::size_t& count) {
    const char* text = reinterpret_cast<const char*>(bytes);
    const LineEndCensus census = CountLineEnds(text, count);
    if (census.crs == census.pairs && census.lfs == census.pairs) return true;
    std::string converted;
    try {
        converted = WithLineEnds(std::string_view(text, count), LineEndKind::CrLf);
    } catch (const std::bad_alloc&) {
        return false;
    }
    GlobalBlock bigger = ClipboardBlock(converted.size() + 1);
    auto* into = bigger ? static_cast<std::uint8_t*>(GlobalLock(bigger.get())) : nullptr;
    if (!into) return false;
    std::memcpy(into, converted.data(), converted.size());
    GlobalUnlock(block.get());
    block = std::move(bigger);
    bytes = into;
    count = converted.size();
    return true;
}

std::u16string CharactersOfView(int view, std::string_view bytes) {
    return view == kUtf8View ? Utf16OfUtf8(bytes) : Utf16OfView(bytes, view == kUtf16BeView);
}

std::string ViewOfCharacters(int view, std::u16string_view characters) {
    return view == kUtf8View ? Utf8OfUtf16(characters) : ViewOfUtf16(characters, view == kUtf16BeView);
}

// The Unicode views put and take the characters themselves; the system offers them to others in
// every other form.
DWORD PutUnicode(HWND owner, int view, std::size_t count, const std::function<std::size_t(std::uint8_t*)>& fill) {
    std::u16string characters;
    try {
        std::string bytes(count, '\0');
        bytes.resize(std::min(count, fill(reinterpret_cast<std::uint8_t*>(bytes.data()))));
        characters = WithLineEndsOfCharacters(CharactersOfView(view, bytes), LineEndKind::CrLf);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    GlobalBlock block = ClipboardBlock((characters.size() + 1) * sizeof(char16_t));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    auto* locked = static_cast<char16_t*>(GlobalLock(block.get()));
    if (!locked) return ERROR_NOT_ENOUGH_MEMORY;
    std::memcpy(locked, characters.data(), characters.size() * sizeof(char16_t));
    GlobalUnlock(block.get());
    ClipboardOpen clipboard(owner);
    if (!clipboard.open) return ERROR_ACCESS_DENIED;
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) return ERROR_NOT_ENOUGH_MEMORY;
    block.release();
    return 0;
}

bool TakeUnicode(int view, LineEndKind lineEnd, const std::function<bool(const char*, std::size_t)>& insert) {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return true;
    const auto* text = static_cast<const char16_t*>(GlobalLock(data));
    if (!text) return true;
    std::size_t count = 0;
    const std::size_t room = GlobalSize(data) / sizeof(char16_t);
    while (count < room && text[count]) ++count;
    std::string bytes;
    bool made = true;
    try {
        bytes = ViewOfCharacters(view, WithLineEndsOfCharacters(std::u16string_view(text, count), lineEnd));
    } catch (const std::bad_alloc&) {
        made = false;
    }
    GlobalUnlock(data);
    return made && insert(bytes.data(), bytes.size());
}

}  // namespace

UINT FormatOfView(int view) { return view == 0 ? CF_TEXT : IsUnicodeView(view) ? CF_UNICODETEXT : CF_OEMTEXT; }

DWORD Put(HWND owner, int view, std::size_t count, const std::function<std::size_t(std::uint8_t*)>& fill) {
    if (count == 0) return 0;
    if (IsUnicodeView(view)) return PutUnicode(owner, view, count, fill);
    GlobalBlock block = ClipboardBlock(count + 1);
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block.get()));
    if (!bytes) return ERROR_NOT_ENOUGH_MEMORY;
    count = std::min(count, fill(bytes));
    if (!WithCrLfInBlock(block, bytes, count)) {
        GlobalUnlock(block.get());
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (view == kKoi8View) MapHighInPlace(kKoi8ToOem, bytes, count);
    const UINT format = FormatOfView(view);
    std::u16string characters;
    if (SystemReadsOtherwise(format)) {
        try {
            characters = DecodeChart(ChartOfFormat(format), std::string_view(reinterpret_cast<char*>(bytes), count));
        } catch (const std::bad_alloc&) {
            // Memory refused for the characters: the bytes go alone.
            characters.clear();
        }
    }
    GlobalUnlock(block.get());
    ClipboardOpen clipboard(owner);
    if (!clipboard.open) return ERROR_ACCESS_DENIED;  // another program holds it
    EmptyClipboard();
    if (!SetClipboardData(format, block.get())) return ERROR_NOT_ENOUGH_MEMORY;
    block.release();
    if (!characters.empty()) PlaceCharacters(characters);
    return 0;
}

DWORD Put(HWND owner, int view, std::string_view bytes) {
    return Put(owner, view, bytes.size(), [&](std::uint8_t* out) {
        std::memcpy(out, bytes.data(), bytes.size());
        return bytes.size();
    });
}

bool HoldsText() { return IsClipboardFormatAvailable(CF_TEXT) != FALSE; }

bool Take(HWND owner, int view, LineEndKind lineEnd, const std::function<bool(const char*, std::size_t)>& take) {
    if (!HoldsText()) return true;
    ClipboardOpen clipboard(owner);
    if (!clipboard.open) return true;
    if (IsUnicodeView(view)) return TakeUnicode(view, lineEnd, take);
    auto insert = [&](const char* bytes, std::size_t count) {
        std::string converted;
        try {
            converted = WithLineEnds(std::string_view(bytes, count), lineEnd);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return take(converted.data(), converted.size());
    };
    const UINT format = FormatOfView(view);
    if (SystemReadsOtherwise(format) && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        std::string bytes;
        bool outOfMemory = false;
        if (!BytesFromCharacters(format, bytes, &outOfMemory)) return !outOfMemory;
        return InsertAsView(view, bytes.data(), bytes.size(), insert);
    }
    HANDLE data = GetClipboardData(format);
    if (!data) return true;
    const char* text = static_cast<const char*>(GlobalLock(data));
    if (!text) return true;
    // Another program's block need not hold a terminator: the text ends at the block's end at the latest.
    const bool inserted = InsertAsView(view, text, strnlen(text, GlobalSize(data)), insert);
    GlobalUnlock(data);
    return inserted;
}

}  // namespace view_clipboard
