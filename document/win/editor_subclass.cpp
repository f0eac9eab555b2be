#include "document/win/editor_subclass.h"

#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "control/utf16_characters.h"
#include "control/utf8_characters.h"
#include "control/view_characters.h"
#include "control/view_decoding.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "base/win/shell_messages.h"
#include "document/editor_keys.h"
#include "document/undo_journal.h"
#include "document/win/control_text_access.h"
#include "document/win/document_files.h"
#include "document/win/document_line_ends.h"
#include "document/win/view_code_page.h"
#include "encoding/chart_text.h"
#include "encoding/code_page_tables.h"

namespace {

constexpr std::uint8_t kOemTypedByHand = 0xE0;  // 1251's а, whose 866 form the control cannot take as typed
constexpr std::uint8_t kOemLetterA = 0xA0;

// A window whose procedure was put in with the W call gets UTF-16 characters and texts; the
// subclass answers in the same form, so nothing is converted between it and the control.
bool IsUnicode(HWND window) { return IsWindowUnicode(window) != FALSE; }

LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsUnicode(window) ? CallWindowProcW(Program().editorControlProcedure, window, message, wParam, lParam)
                             : CallWindowProcA(Program().editorControlProcedure, window, message, wParam, lParam);
}

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

// The byte at a position, or -1 outside the text.
int ByteAt(TextAccess& text, std::int32_t position) {
    if (position < 0) return -1;
    char byte = 0;
    if (text.ReadRange(position, position + 1, &byte) != 1) return -1;
    return static_cast<unsigned char>(byte);
}

bool KeepLineBreakWhenTyping(TextAccess& text) {
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    const auto kept = EndKeptWhenTyping(start, end, [&](std::size_t p) { return ByteAt(text, static_cast<std::int32_t>(p)); });
    if (kept == static_cast<std::size_t>(end)) return false;
    text.SetSelection(start, static_cast<std::int32_t>(kept));
    return true;
}

void KeepLineBreakWhenDeleting(TextAccess& text, std::int32_t lineStart) {
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    const auto kept = EndKeptWhenDeleting(start, end, lineStart,
                                          [&](std::size_t p) { return ByteAt(text, static_cast<std::int32_t>(p)); });
    text.SetSelection(start, static_cast<std::int32_t>(kept));
}

bool OvertypeSelectsNextCharacter(TextAccess& text) {
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    const int next = ByteAt(text, start);
    return next >= 0 && next != '\r' && next != '\n';
}

bool OfferedToAccelerators(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Program().acceleratorTable || !MainWindow) return false;
    MSG offered{MainWindow, message, wParam, lParam, 0, {}};
    return (IsUnicode(window) ? TranslateAcceleratorW(MainWindow, Program().acceleratorTable, &offered)
                              : TranslateAcceleratorA(MainWindow, Program().acceleratorTable, &offered)) != 0;
}

// The control takes a typed character as the view byte itself (an ANSI window) or as the character
// that byte shows in the view (a Unicode window).
WPARAM CharacterForControl(HWND window, std::uint8_t viewByte) {
    if (!IsUnicode(window) || viewByte < 0x80) return viewByte;
    return ViewGlyph(CodePageIndex, viewByte);
}

void ReplaceSelectionByOemA(HWND window) {
    if (IsUnicode(window)) {
        const wchar_t text[2] = {static_cast<wchar_t>(ViewGlyph(kOem866, kOemLetterA)), 0};
        CallWindowProcW(Program().editorControlProcedure, window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    } else {
        const char text[2] = {static_cast<char>(kOemLetterA), 0};
        CallWindowProcA(Program().editorControlProcedure, window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
}

void TypeOemLetterA(HWND window) {
    ControlTextAccess& text = EditorText();
    if (OverwriteMode) {
        RecordUndo(UndoKind::OvertypeChar, 1);
        if (OvertypeSelectsNextCharacter(text)) {
            std::int32_t start = 0, end = 0;
            text.GetSelection(start, end);
            text.SetSelection(start, start + 1);
        }
    } else {
        RecordUndo(UndoKind::TypeChar, 1);
    }
    ReplaceSelectionByOemA(window);
}

bool SelectionIsEmpty() {
    std::int32_t start = 0, end = 0;
    EditorText().GetSelection(start, end);
    return start == end;
}

LRESULT TypeUtf8Character(HWND window, char32_t character, LPARAM lParam);

// The keyboard's 1251 byte, typed.
LRESULT OnChar(HWND window, std::uint8_t typed, LPARAM lParam) {
    if (!IsPrintableTyped(typed)) return PassOn(window, WM_CHAR, typed, lParam);
    if (IsUnicodeView(CodePageIndex)) return TypeUtf8Character(window, ViewGlyph(0, typed), lParam);
    if (!KeepLineBreakWhenTyping(EditorText()) && CodePageIndex == kOem866 && typed == kOemTypedByHand &&
        SelectionIsEmpty()) {
        TypeOemLetterA(window);
        return 0;
    }
    RecordUndo(OverwriteMode ? UndoKind::OvertypeChar : UndoKind::TypeChar, 1);
    return PassOn(window, WM_CHAR, CharacterForControl(window, ViewByteOfTyped(typed, CodePageIndex)), lParam);
}

// The length of the character of the Unicode view at position, 0 at a line break or the text's end.
std::int32_t Utf8CharacterLengthAt(ControlTextAccess& text, std::int32_t position) {
    char bytes[4] = {};
    std::size_t got = text.ReadRange(position, position + 4, bytes);
    if (got == 0) return 0;
    const auto* read = reinterpret_cast<const std::uint8_t*>(bytes);
    if (IsUtf16View(CodePageIndex)) {
        const Utf8Character c = ReadUtf16Character(read, got, CodePageIndex == kUtf16BeView);
        return c.code == '\r' || c.code == '\n' ? 0 : c.length;
    }
    if (bytes[0] == '\r' || bytes[0] == '\n') return 0;
    return ReadUtf8Character(read, got).length;
}

// The bytes of a typed character in the Unicode view.
std::int32_t TypedLength(char32_t character) {
    return static_cast<std::int32_t>(EncodeCharacter(FormOfView(CodePageIndex), character).size());
}

// The Unicode views take any character, as their UTF-8 or UTF-16 bytes. The undo journal keeps what
// the key replaces as a range (a typed character, or the one it overwrites, may be several bytes).
LRESULT TypeUtf8Character(HWND window, char32_t character, LPARAM lParam) {
    ControlTextAccess& text = EditorText();
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    if (start == end && OverwriteMode) {
        end = start + Utf8CharacterLengthAt(text, start);
        if (end > start) text.SetSelection(start, end);
    }
    RecordUndo(UndoKind::ReplaceRange, TypedLength(character));
    return CallWindowProcA(Program().editorControlProcedure, window, WM_UNICHAR, character, lParam);
}

// A character beyond the basic plane comes as two halves; the first waits here for the second.
char16_t PendingHighHalf = 0;

// A typed character in UTF-16 (WM_UNICHAR, or WM_CHAR of a Unicode window): its 1251 byte is typed.
// One that 1251 lacks has no byte the program could put in its place, so it is refused with the
// system's beep, as a key that does nothing. The UTF-8 view takes every character.
LRESULT OnCharacter(HWND window, WPARAM character, LPARAM lParam) {
    if (IsUnicodeView(CodePageIndex) && character >= 0x20 && character != 0x7F) {
        const char16_t high = std::exchange(PendingHighHalf, 0);
        if (character >= 0xD800 && character <= 0xDBFF) {
            PendingHighHalf = static_cast<char16_t>(character);
            return 0;
        }
        if (character >= 0xDC00 && character <= 0xDFFF) {
            if (!high) return 0;
            character = 0x10000 + ((high - 0xD800) << 10) + (character - 0xDC00);
        }
        return TypeUtf8Character(window, static_cast<char32_t>(character), lParam);
    }
    // A character beyond the basic plane comes as two halves: one beep for the pair.
    if (character >= 0xDC00 && character <= 0xDFFF) return 0;
    const int byte = character > 0xFFFF ? -1 : ByteOfCharacter(charts::kWindows1251, static_cast<char16_t>(character));
    if (byte < 0) {
        MessageBeep(MB_OK);
        return 0;
    }
    return OnChar(window, static_cast<std::uint8_t>(byte), lParam);
}

std::int32_t LineStartOf(HWND window, std::int32_t position) {
    const LRESULT line = SendMessageA(window, EM_EXLINEFROMCHAR, 0, position);
    return static_cast<std::int32_t>(SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

void DeleteSelection(HWND window) {
    RecordUndo(UndoKind::ReplaceRange, 0);
    SendMessageA(window, WM_CLEAR, 0, 0);
}

// Delete and Backspace of the UTF-8 view take a whole character (or a CR LF pair), which may be
// several bytes: it is selected and cleared, so the undo journal keeps it as a range.
LRESULT DeleteUtf8Character(HWND window, WPARAM key) {
    ControlTextAccess& text = EditorText();
    std::int32_t caret = 0, ignored = 0;
    text.GetSelection(caret, ignored);
    std::int32_t first = caret, last = caret;
    if (IsUtf16View(CodePageIndex)) {
        // Units of two bytes from the text's start: the caret stands at an even place, or behind a
        // byte left over at the end.
        const bool bigEndian = CodePageIndex == kUtf16BeView;
        char bytes[4] = {};
        if (key == VK_DELETE) {
            const std::size_t got = text.ReadRange(caret, caret + 4, bytes);
            last = caret + static_cast<std::int32_t>(Utf16DeletedAfter(std::string_view(bytes, got), bigEndian));
        } else {
            const std::int32_t from = caret % 2 != 0 ? caret - 1 : std::max(0, caret - 4);
            const std::size_t got = text.ReadRange(from, caret, bytes);
            first = caret - static_cast<std::int32_t>(Utf16DeletedBefore(std::string_view(bytes, got), bigEndian));
        }
    } else if (key == VK_DELETE) {
        char bytes[2] = {};
        last = text.ReadRange(caret, caret + 2, bytes) == 2 && bytes[0] == '\r' && bytes[1] == '\n'
                   ? caret + 2
                   : caret + std::max(Utf8CharacterLengthAt(text, caret), caret < text.TextLength() ? 1 : 0);
    } else {
        // The character before the caret ends at it: a well-formed sequence that ends there, or the
        // byte before it alone; the four bytes before the caret hold it.
        unsigned char bytes[4] = {};
        const std::int32_t from = std::max(0, caret - 4);
        const std::size_t got = text.ReadRange(from, caret, reinterpret_cast<char*>(bytes));
        auto byteAt = [&bytes](std::size_t i) { return bytes[i]; };
        first = got == 0 ? caret : from + static_cast<std::int32_t>(Utf8CharacterStartIn(got, got - 1, byteAt));
        if (got >= 2 && bytes[got - 2] == '\r' && bytes[got - 1] == '\n') first = caret - 2;
    }
    if (first == last) return 0;
    text.SetSelection(first, last);
    DeleteSelection(window);
    return 0;
}

LRESULT OnDelete(HWND window, LPARAM lParam) {
    ControlTextAccess& text = EditorText();
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    // The rule reads bytes for CR and LF, which UTF-16 units are not.
    if (end - start > 2 && !IsUtf16View(CodePageIndex)) KeepLineBreakWhenDeleting(text, LineStartOf(window, start));
    if (!SelectionIsEmpty()) {
        DeleteSelection(window);
        return 0;
    }
    if (IsUnicodeView(CodePageIndex)) return DeleteUtf8Character(window, VK_DELETE);
    RecordUndo(UndoKind::DeleteChar, 0);
    return PassOn(window, WM_KEYDOWN, VK_DELETE, lParam);
}

// The caret's line goes with its line break; the last line, which has none, leaves the break above.
void DeleteCaretLine(HWND window) {
    ControlTextAccess& text = EditorText();
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    const LRESULT line = SendMessageA(window, EM_EXLINEFROMCHAR, 0, start);
    if (line < 0) return;
    const LRESULT lineStart = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (lineStart == -1) return;
    LRESULT lineEnd = SendMessageA(window, EM_LINEINDEX, static_cast<WPARAM>(line + 1), 0);
    if (lineEnd == -1) lineEnd = lineStart + SendMessageA(window, EM_LINELENGTH, static_cast<WPARAM>(lineStart), 0);
    text.SetSelection(static_cast<std::int32_t>(lineStart), static_cast<std::int32_t>(lineEnd));
    RecordUndo(UndoKind::ReplaceRange, 0);
    SendMessageA(window, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(""));
}

LRESULT OnKeyDown(HWND window, WPARAM key, LPARAM lParam) {
    switch (key) {
    case VK_INSERT:
        // The control switches its own overwrite mode with the key it is passed.
        if (!CtrlHeld()) {
            OverwriteMode = !OverwriteMode;
            SendShellMessage(kShowEditModeMessage);
        }
        break;
    case VK_BACK:
        if (CtrlHeld()) {
            if (JournalOff) break;
            RecordUndo(UndoKind::DeleteWordLeft, 0);
            return 0;
        }
        if (SendMessageA(window, EM_SELECTIONTYPE, 0, 0) != SEL_EMPTY) {
            DeleteSelection(window);
            return 0;
        }
        if (IsUnicodeView(CodePageIndex)) return DeleteUtf8Character(window, VK_BACK);
        RecordUndo(UndoKind::BackspaceChar, 0);
        break;
    case VK_RETURN: {
        // The control puts in the document's own line break; a typed run of breaks counts their
        // bytes, and a UTF-16 break, of units, is a range.
        const auto length = static_cast<std::int32_t>(DocumentLineBreak().size());
        RecordUndo(IsUtf16View(CodePageIndex) ? UndoKind::ReplaceRange : UndoKind::TypeBreak, length);
        break;
    }
    case VK_CONTROL:
        if (Program().pendingChord.PendingChord() >= 0) Program().pendingChord.CtrlWentDown();
        break;
    case VK_DELETE:
        if (!CtrlHeld()) return OnDelete(window, lParam);
        if (JournalOff) break;
        RecordUndo(UndoKind::DeleteWordRight, 0);
        return 0;
    case 'Y':
        if (!CtrlHeld()) break;
        DeleteCaretLine(window);
        return 0;
    }
    return PassOn(window, WM_KEYDOWN, key, lParam);
}

// False when no file name can be read from the drop.
bool OpenDroppedFile(WPARAM wParam) {
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    wchar_t name[MAX_PATH] = {};
    if (DragQueryFileW(drop, 0, name, MAX_PATH) == 0) return false;
    DragFinish(drop);
    if (ConfirmSaveChanges()) LoadFile(name);
    return true;
}

// A key or a drop changes the text inside the control. When the control could not make the change
// (memory ran out), the text is as it was, so what was recorded for it goes again, and the user is
// told once.
template <typename Handle>
LRESULT GuardedInput(Handle&& handle) {
    const UndoMark mark = MarkUndo();
    const LRESULT result = handle();
    if (EditorControlFailed()) {
        ForgetUndoSince(mark);
        ReportLastError();
    }
    return result;
}

}  // namespace

LRESULT CALLBACK EditorSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (OfferedToAccelerators(window, message, wParam, lParam)) {
        // Wine's default processing decides on the Alt release whether Alt was pressed alone, from the
        // WM_SYSKEYDOWN messages it has seen; without the one the accelerator took (Alt+F2,
        // Alt+Backspace) it would open the menu bar, which then takes the next keys. Windows' default
        // processing does nothing with such a key.
        if (message == WM_SYSKEYDOWN) DefWindowProcA(window, message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case WM_CHAR:
        return GuardedInput([&] {
            if (IsUnicode(window)) return OnCharacter(window, wParam, lParam);
            return OnChar(window, static_cast<std::uint8_t>(wParam), lParam);
        });
    case WM_UNICHAR:
        if (wParam == UNICODE_NOCHAR) return TRUE;
        GuardedInput([&] { return OnCharacter(window, wParam, lParam); });
        return FALSE;
    case WM_KEYDOWN:
        return GuardedInput([&] { return OnKeyDown(window, wParam, lParam); });
    case WM_LBUTTONUP:
        return GuardedInput([&] { return PassOn(window, message, wParam, lParam); });
    case WM_KEYUP:
        SendShellMessage(kShowCaretPositionMessage);
        break;
    case WM_LBUTTONDOWN:
        PostMessageW(MainWindow, kShowCaretPositionMessage, 0, 0);
        break;
    case WM_RBUTTONUP:
        SendShellMessage(kShowContextMenuMessage, 0, static_cast<LPARAM>(GetMessagePos()));
        return 0;
    case WM_DROPFILES:
        if (OpenDroppedFile(wParam)) return 0;
        break;
    case WM_INPUTLANGCHANGE:
        // Not passed on: the control would change the character set of the text with the layout.
        ShowKeyboardLayout();
        return 1;
    }
    return PassOn(window, message, wParam, lParam);
}

void SubclassEditorControl(HWND control) {
    const LONG_PTR subclass = reinterpret_cast<LONG_PTR>(EditorSubclassProc);
    Program().editorControlProcedure = reinterpret_cast<WNDPROC>(IsUnicode(control)
                                                           ? SetWindowLongPtrW(control, GWLP_WNDPROC, subclass)
                                                           : SetWindowLongPtrA(control, GWLP_WNDPROC, subclass));
    InstallControlTextAccess();
}
