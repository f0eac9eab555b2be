#include "app/win/clipboard.h"

#include <richedit.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "app/win/application.h"
#include "app/win/editor_setup.h"
#include "document/undo_journal.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "encoding/chart_text.h"
#include "encoding/code_page_tables.h"

namespace {

UINT ClipboardFormatOfView() { return CodePageIndex == 0 ? CF_TEXT : CF_OEMTEXT; }

// Holds a global memory block until it is handed to the clipboard, which then owns it.
struct GlobalBlock {
    HGLOBAL handle = nullptr;
    explicit GlobalBlock(SIZE_T size) : handle(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size)) {}
    ~GlobalBlock() {
        if (handle) GlobalFree(handle);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Release() {
        HGLOBAL released = handle;
        handle = nullptr;
        return released;
    }
};

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
bool SystemReadsOtherwise(UINT format) {
    return format == CF_TEXT ? GetACP() != 1251 : GetOEMCP() != 866;
}

void PlaceCharacters(std::u16string_view characters) {
    GlobalBlock block((characters.size() + 1) * sizeof(char16_t));
    if (!block.handle) return;
    auto* locked = static_cast<char16_t*>(GlobalLock(block.handle));
    if (!locked) return;
    std::memcpy(locked, characters.data(), characters.size() * sizeof(char16_t));
    GlobalUnlock(block.handle);
    if (SetClipboardData(CF_UNICODETEXT, block.handle)) block.Release();
}

// The clipboard's text in the form of the view's clipboard format, from its characters.
std::string BytesFromCharacters(UINT format, bool* refused) {
    *refused = true;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const auto* text = static_cast<const char16_t*>(GlobalLock(data));
    if (!text) return {};
    *refused = false;
    std::size_t count = 0;
    const std::size_t room = GlobalSize(data) / sizeof(char16_t);
    while (count < room && text[count]) ++count;
    std::string bytes;
    try {
        bytes = EncodeChart(ChartOfFormat(format), std::u16string_view(text, count));
    } catch (const std::bad_alloc&) {
        // Memory refused: nothing is pasted, as for the bytes' own block.
        bytes.clear();
        *refused = true;
    }
    GlobalUnlock(data);
    return bytes;
}

// The clipboard's bytes in the view's code page put in place of the selection; false when memory
// for them ran out (the only way it fails), and then the text and the journal are as they were.
bool InsertViewBytes(const char* text, std::size_t count) {
    std::unique_ptr<char[]> converted;
    const char* inserted = text;
    if (CodePageIndex == 2) {
        converted.reset(new (std::nothrow) char[count + 1]());
        if (!converted) return false;
        for (std::size_t i = 0; i < count; ++i)
            converted[i] = static_cast<char>(MapHigh(kOemToKoi8, static_cast<std::uint8_t>(text[i])));
        inserted = converted.get();
    }
    const UndoMark mark = MarkUndo();
    RecordUndo(UndoKind::ReplaceRange, static_cast<std::int32_t>(count));
    MemoryStream stream;
    stream.buffer = const_cast<char*>(inserted);
    stream.length = static_cast<std::uint32_t>(count);
    if (StreamTextIn(stream, kStreamSelection)) return true;
    ForgetUndoSince(mark);
    return false;
}

// The block holds count bytes of the view code page, locked at bytes; they go onto the clipboard in
// the view's form. The block is the clipboard's once it is placed; on every other path it is freed
// by its owner.
void PlaceViewBytes(GlobalBlock& block, std::uint8_t* bytes, std::size_t count) {
    if (CodePageIndex == 2) MapHighInPlace(kKoi8ToOem, bytes, count);
    const UINT format = ClipboardFormatOfView();
    std::u16string characters;
    if (SystemReadsOtherwise(format)) {
        try {
            characters = DecodeChart(ChartOfFormat(format), std::string_view(reinterpret_cast<char*>(bytes), count));
        } catch (const std::bad_alloc&) {
            // Memory refused for the characters: the bytes go alone.
            characters.clear();
        }
    }
    GlobalUnlock(block.handle);
    ClipboardOpen clipboard(MainWindow);
    if (!clipboard.open) return;
    EmptyClipboard();
    if (!SetClipboardData(format, block.handle)) return;
    block.Release();
    if (!characters.empty()) PlaceCharacters(characters);
}

}  // namespace

void PutViewBytesOnClipboard(std::string_view bytes) {
    if (bytes.empty()) return;
    GlobalBlock block(bytes.size() + 1);
    if (!block.handle) return;
    auto* locked = static_cast<std::uint8_t*>(GlobalLock(block.handle));
    if (!locked) return;
    std::memcpy(locked, bytes.data(), bytes.size());
    PlaceViewBytes(block, locked, bytes.size());
}

void CopySelection() {
    if (!EditorControl) return;
    CHARRANGE selection{};
    SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    LONG count = selection.cpMax - selection.cpMin;
    if (count <= 0) return;

    GlobalBlock block(static_cast<SIZE_T>(count) + 1);
    if (!block.handle) return;
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block.handle));
    if (!bytes) return;
    LRESULT copied = SendMessageA(EditorControl, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(bytes));
    if (copied < 0 || copied > count) copied = count;
    PlaceViewBytes(block, bytes, static_cast<std::size_t>(copied));
}

namespace {

// False when memory for the pasted text ran out.
bool PasteOpenClipboard() {
    const UINT format = ClipboardFormatOfView();
    if (SystemReadsOtherwise(format) && IsClipboardFormatAvailable(CF_UNICODETEXT)) {
        bool refused = false;
        const std::string bytes = BytesFromCharacters(format, &refused);
        return refused || InsertViewBytes(bytes.data(), bytes.size());
    }
    HANDLE data = GetClipboardData(format);
    if (!data) return true;
    const char* text = static_cast<const char*>(GlobalLock(data));
    if (!text) return true;
    // Another program's block need not hold a terminator: the text ends at the block's end at the latest.
    const bool pasted = InsertViewBytes(text, strnlen(text, GlobalSize(data)));
    GlobalUnlock(data);
    return pasted;
}

}  // namespace

void PasteClipboard() {
    if (!EditorControl) return;
    if (!IsClipboardFormatAvailable(CF_TEXT)) return;
    bool pasted = true;
    {
        ClipboardOpen clipboard(MainWindow);
        if (!clipboard.open) return;
        pasted = PasteOpenClipboard();
    }
    // Told once the clipboard is closed again, so other programs are not kept waiting for it (and
    // after the unlocking and closing, which set the error code of their own).
    if (!pasted) ReportOutOfMemory();
}

void DeleteSelection() {
    if (!EditorControl) return;
    const UndoMark mark = MarkUndo();
    RecordUndo(UndoKind::ReplaceRange, 0);
    SendMessageA(EditorControl, WM_CLEAR, 0, 0);
    if (EditorControlFailed()) {
        ForgetUndoSince(mark);
        ReportLastError();
    }
}

void SelectAllText() {
    if (EditorControl) SendMessageA(EditorControl, EM_SETSEL, 0, -1);
}
