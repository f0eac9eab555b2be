#include "control/win/editor_control.h"

#include <commdlg.h>
#include <richedit.h>
#include <richole.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/ui_text.h"
#include "encoding/code_page_tables.h"
#include "support/win/app_harness.h"
#include "support/win/control_host.h"
#include "support/core/plain_utf16.h"
#include "support/win/clipboard_contents.h"
#include "support/win/control_selection.h"

namespace {

constexpr DWORD kNoWrapStyles = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP |
                                ES_SELECTIONBAR | WS_HSCROLL | ES_AUTOHSCROLL;
constexpr DWORD kWrapStyles = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP |
                              ES_SELECTIONBAR;

struct Control {
    HWND window;
    explicit Control(DWORD style = kNoWrapStyles, int width = 600, int height = 400, HWND parent = ControlHost())
        : window(CreateTestControl(style, width, height, parent, WS_EX_STATICEDGE)) {
        SetFocus(window);
    }
    ~Control() { DestroyWindow(window); }
    operator HWND() const { return window; }
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(window, message, wParam, lParam);
    }
};

struct MemoryStream {
    std::string data;
    std::size_t position = 0;
    LONG block = 0;  // largest block handed out per call; 0 for whatever the control asks
};

DWORD CALLBACK ReadMemory(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG* moved) {
    auto* stream = reinterpret_cast<MemoryStream*>(cookie);
    LONG count = static_cast<LONG>(std::min<std::size_t>(requested, stream->data.size() - stream->position));
    if (stream->block) count = std::min(count, stream->block);
    std::memcpy(buffer, stream->data.data() + stream->position, count);
    stream->position += count;
    *moved = count;
    return 0;
}

DWORD CALLBACK WriteMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* moved) {
    auto* stream = reinterpret_cast<MemoryStream*>(cookie);
    stream->data.append(reinterpret_cast<const char*>(buffer), count);
    *moved = count;
    return 0;
}

LRESULT StreamIn(const Control& c, const std::string& bytes, WPARAM format = SF_TEXT, LONG block = 0) {
    MemoryStream stream{bytes, 0, block};
    EDITSTREAM edit{reinterpret_cast<DWORD_PTR>(&stream), 0, ReadMemory};
    return c.Send(EM_STREAMIN, format, reinterpret_cast<LPARAM>(&edit));
}

std::string StreamOut(const Control& c, WPARAM format = SF_TEXT) {
    MemoryStream stream;
    EDITSTREAM edit{reinterpret_cast<DWORD_PTR>(&stream), 0, WriteMemory};
    c.Send(EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&edit));
    return stream.data;
}

std::string Text(const Control& c) {
    LRESULT length = c.Send(WM_GETTEXTLENGTH);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT copied = c.Send(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::string SelectedText(const Control& c) {
    CHARRANGE range = Selection(c);
    std::string text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, '\0');
    text.resize(static_cast<std::size_t>(c.Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

// Holds the given keys down for GetKeyState while the guard lives.
struct HeldKeys {
    explicit HeldKeys(std::initializer_list<int> keys) {
        BYTE state[256] = {};
        for (int key : keys) state[key] = 0x80;
        SetKeyboardState(state);
    }
    ~HeldKeys() {
        BYTE state[256] = {};
        SetKeyboardState(state);
    }
};

void Key(const Control& c, WPARAM key, std::initializer_list<int> held = {}) {
    HeldKeys keys(held);
    c.Send(WM_KEYDOWN, key, 1);
    c.Send(WM_KEYUP, key, 0xC0000001);
}

void Type(const Control& c, const std::string& bytes) {
    for (char ch : bytes) c.Send(WM_CHAR, static_cast<unsigned char>(ch), 1);
}

POINT PointOf(const Control& c, LONG position) {
    POINTL point{};
    c.Send(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), position);
    return {point.x, point.y};
}

LPARAM Coordinates(POINT p, int dx = 0, int dy = 0) { return MAKELPARAM(p.x + dx, p.y + dy); }

std::string AllBytesInLines() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<char>(i));
        if (i % 16 == 15) bytes += "\r\n";
    }
    // Lone breaks and a pair at the very end.
    return bytes + "a\rb\nc\n\r\r\n";
}

// The pixels of the control's client area as it is drawn, after drawing everything anew or only what
// it invalidated itself; without the focus, so no caret is in the picture.
std::vector<std::uint32_t> Screen(const Control& c, bool anew = true) {
    SetFocus(GetParent(c.window));
    RedrawWindow(c.window, nullptr, nullptr, (anew ? RDW_INVALIDATE : 0) | RDW_UPDATENOW);
    RECT r;
    GetClientRect(c.window, &r);
    HDC dc = GetDC(c.window);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> shown(pixels, pixels + static_cast<std::size_t>(r.right) * r.bottom);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(c.window, dc);
    return shown;
}

// The text lines (by their rows on screen) in which two pictures of the control differ.
std::vector<int> LinesThatDiffer(const Control& c, const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                                 int lines) {
    RECT r;
    GetClientRect(c.window, &r);
    const LONG top = PointOf(c, 0).y;
    const LONG height = static_cast<LONG>(c.Send(EM_LINEINDEX, 1)) > 0 ? PointOf(c, static_cast<LONG>(c.Send(EM_LINEINDEX, 1))).y - top : 1;
    std::vector<int> differ;
    for (int line = 0; line < lines; ++line)
        for (LONG y = top + line * height; y < top + (line + 1) * height && y < r.bottom; ++y)
            if (!std::equal(a.begin() + y * r.right, a.begin() + (y + 1) * r.right, b.begin() + y * r.right)) {
                differ.push_back(line);
                break;
            }
    return differ;
}

}  // namespace

TEST(EditorControl, EveryByteGoesInAndComesOutUnchangedInEachView) {
    Control c;
    const std::string bytes = AllBytesInLines();
    // The caller's small blocks, so pairs and lines are split between calls.
    EXPECT_EQ(StreamIn(c, bytes, SF_TEXT, 7), static_cast<LRESULT>(bytes.size()));
    for (int view : {1, 2, 0, 2, 1}) {
        c.Send(EM_SETVIEWCODEPAGE, view);
        EXPECT_EQ(c.Send(EM_GETVIEWCODEPAGE), view);
        UpdateWindow(c.window);
        EXPECT_EQ(StreamOut(c), bytes) << "view " << view;
        EXPECT_EQ(Text(c), bytes) << "view " << view;
    }
    EXPECT_EQ(c.Send(WM_GETTEXTLENGTH), static_cast<LRESULT>(bytes.size()));

    // A range and the selection come out exactly too.
    std::string range(40, '\0');
    TEXTRANGEA textRange{{0x7E, 0x90}, range.data()};
    range.resize(static_cast<std::size_t>(c.Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&textRange))));
    EXPECT_EQ(range, bytes.substr(0x7E, 0x90 - 0x7E));
    Select(c, 250, 290);
    EXPECT_EQ(StreamOut(c, SF_TEXT | SFF_SELECTION), bytes.substr(250, 40));
    EXPECT_EQ(SelectedText(c), bytes.substr(250, 40));

    // Streaming in with the selection flag replaces just the selection, and the caret follows it.
    Select(c, 1, 3);
    std::string middle = "\r\n\xFF\x00\x98";
    middle.push_back('\0');
    EXPECT_EQ(StreamIn(c, middle, SF_TEXT | SFF_SELECTION), static_cast<LRESULT>(middle.size()));
    std::string expected = bytes;
    expected.replace(1, 2, middle);
    EXPECT_EQ(StreamOut(c), expected);
    EXPECT_EQ(Selection(c).cpMin, static_cast<LONG>(1 + middle.size()));

    // WM_GETTEXT stops at its buffer, with a terminator.
    char small[5] = "????";
    EXPECT_EQ(c.Send(WM_GETTEXT, sizeof small, reinterpret_cast<LPARAM>(small)), 4);
    EXPECT_EQ(std::string(small, 4), expected.substr(0, 4));
}

TEST(EditorControl, RtfStreamedInBecomesItsPlainText) {
    Control c;
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 \\'cf\\'f0\\'e8\\par x\\tab y}";
    StreamIn(c, rtf, SF_RTF);
    EXPECT_EQ(Text(c), "\xCF\xF0\xE8\r\nx\ty");
}

TEST(EditorControl, TextMessagesSelectionUndoAndModifiedFlag) {
    Control c;
    EXPECT_FALSE(c.Send(EM_GETMODIFY));
    EXPECT_TRUE(c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello world")));
    EXPECT_TRUE(c.Send(EM_GETMODIFY));
    c.Send(EM_SETMODIFY, 0);
    EXPECT_EQ(c.Send(EM_SELECTIONTYPE), SEL_EMPTY);
    c.Send(EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(c).cpMax, 11);
    EXPECT_EQ(c.Send(EM_SELECTIONTYPE), SEL_TEXT | SEL_MULTICHAR);
    Select(c, 6, 11);
    EXPECT_EQ(SelectedText(c), "world");
    c.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("there"));
    EXPECT_EQ(Text(c), "hello there");
    EXPECT_TRUE(c.Send(EM_GETMODIFY));
    EXPECT_EQ(Selection(c).cpMin, 11);
    EXPECT_TRUE(c.Send(EM_CANUNDO));
    EXPECT_TRUE(c.Send(EM_UNDO));
    EXPECT_EQ(Text(c), "hello world");
    // Undo of the undo redoes.
    c.Send(EM_UNDO);
    EXPECT_EQ(Text(c), "hello there");
    c.Send(EM_EMPTYUNDOBUFFER);
    EXPECT_FALSE(c.Send(EM_CANUNDO));
    Select(c, 0, 6);
    c.Send(WM_CLEAR);
    EXPECT_EQ(Text(c), "there");
    // Not undoable: the undo step goes.
    c.Send(EM_SETSEL, 0, 0);
    c.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(">"));
    EXPECT_FALSE(c.Send(EM_CANUNDO));

    // A caret asked for between the CR and the LF of a pair stands at the pair's start, so typing
    // and Backspace keep the pair whole; a range is taken as asked.
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\ncd"));
    c.Send(EM_SETSEL, 3, 3);
    EXPECT_EQ(Selection(c).cpMin, 2);
    EXPECT_EQ(Selection(c).cpMax, 2);
    Select(c, 3, 3);
    EXPECT_EQ(Selection(c).cpMin, 2);
    EXPECT_EQ(Selection(c).cpMax, 2);
    Type(c, "x");
    EXPECT_EQ(Text(c), "abx\r\ncd");
    Select(c, 4, 4);
    Key(c, VK_BACK);
    EXPECT_EQ(Text(c), "ab\r\ncd");
    Select(c, 3, 4);
    EXPECT_EQ(SelectedText(c), "\n");

    // (0, -1) selects all; a start of -1 only drops the selection.
    c.Send(EM_SETSEL, 0, -1);
    c.Send(EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(c.Send(EM_SELECTIONTYPE), SEL_EMPTY);

    // The text limit cuts what goes in.
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    c.Send(EM_EXLIMITTEXT, 0, 4);
    c.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("abcdef"));
    EXPECT_EQ(Text(c), "abcd");
}

TEST(EditorControl, FindTextAndWordBreaksFollowTheViewCodePage) {
    Control c;
    // 866: "привет ПРИВЕТ".
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\xAF\xE0\xA8\xA2\xA5\xE2 \x8F\x90\x88\x82\x85\x92"));
    c.Send(EM_SETVIEWCODEPAGE, 1);
    FINDTEXTA find{{1, -1}, "\xAF\xE0\xA8\xA2\xA5\xE2"};
    EXPECT_EQ(c.Send(EM_FINDTEXT, 0, reinterpret_cast<LPARAM>(&find)), 7);
    EXPECT_EQ(c.Send(EM_FINDTEXT, FR_MATCHCASE, reinterpret_cast<LPARAM>(&find)), -1);
    find.chrg = {0, 6};
    EXPECT_EQ(c.Send(EM_FINDTEXT, FR_WHOLEWORD, reinterpret_cast<LPARAM>(&find)), 0);
    find.chrg = {0, 5};
    EXPECT_EQ(c.Send(EM_FINDTEXT, 0, reinterpret_cast<LPARAM>(&find)), -1);
    // In 1251 the same bytes are other letters, without that pair of cases.
    c.Send(EM_SETVIEWCODEPAGE, 0);
    find.chrg = {1, -1};
    EXPECT_EQ(c.Send(EM_FINDTEXT, 0, reinterpret_cast<LPARAM>(&find)), -1);

    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one, two\r\nthree"));
    EXPECT_EQ(c.Send(EM_FINDWORDBREAK, WB_MOVEWORDRIGHT, 0), 3);
    EXPECT_EQ(c.Send(EM_FINDWORDBREAK, WB_MOVEWORDRIGHT, 3), 5);
    EXPECT_EQ(c.Send(EM_FINDWORDBREAK, WB_MOVEWORDRIGHT, 5), 8);
    EXPECT_EQ(c.Send(EM_FINDWORDBREAK, WB_MOVEWORDRIGHT, 8), 10);
    EXPECT_EQ(c.Send(EM_FINDWORDBREAK, WB_MOVEWORDLEFT, 10), 8);
    EXPECT_EQ(c.Send(EM_FINDWORDBREAK, WB_MOVEWORDLEFT, 7), 5);
}

TEST(EditorControl, TypingEnterDeleteAndBackspaceByKeyMessages) {
    Control c;
    Type(c, "ab");
    Type(c, "\r");
    Type(c, "cd");
    EXPECT_EQ(Text(c), "ab\r\ncd");
    // Backspace at the start of a line takes the whole CR LF.
    Key(c, VK_LEFT);
    Key(c, VK_LEFT);
    EXPECT_EQ(Selection(c).cpMin, 4);
    Key(c, VK_BACK);
    EXPECT_EQ(Text(c), "abcd");
    Type(c, "\r");
    // Left over the pair is one step; Delete before it takes both.
    Key(c, VK_LEFT);
    EXPECT_EQ(Selection(c).cpMin, 2);
    Key(c, VK_DELETE);
    EXPECT_EQ(Text(c), "abcd");
    // Typing and its run are one step of the control's own undo.
    Key(c, VK_END);
    Type(c, "xyz");
    c.Send(EM_UNDO);
    EXPECT_EQ(Text(c), "abcd");
    // Overwrite replaces the character under the caret, but not the line break.
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ab\r\ncd"));
    Key(c, VK_INSERT);
    Type(c, "XYZ");
    EXPECT_EQ(Text(c), "XYZ\r\ncd");
    Key(c, VK_INSERT);
    // A typed character is the keyboard's 1251 and goes in as the view's byte: "а" is 0xE0 in
    // 1251, 0xC1 in KOI8-R.
    c.Send(EM_SETVIEWCODEPAGE, 2);
    Type(c, "\xE0");
    EXPECT_EQ(Text(c), "XYZ\xC1\r\ncd");
    // A character (WM_UNICHAR) becomes the view's byte: KOI8-R "а" is 0xC1, 866 "а" 0xA0.
    c.Send(WM_UNICHAR, 0x0430);
    c.Send(EM_SETVIEWCODEPAGE, 1);
    c.Send(WM_UNICHAR, 0x0430);
    EXPECT_EQ(Text(c), "XYZ\xC1\xC1\xA0\r\ncd");
    // Ctrl+Backspace takes the word before the caret, by the letters of the view: in 866 0xC1 is
    // box drawing, so only the letter 0xA0 goes; in KOI8-R 0xC1 is a letter, and the word is XYZ..
    Key(c, VK_BACK, {VK_CONTROL});
    EXPECT_EQ(Text(c), "XYZ\xC1\xC1\r\ncd");
    c.Send(EM_SETVIEWCODEPAGE, 2);
    Key(c, VK_BACK, {VK_CONTROL});
    EXPECT_EQ(Text(c), "\r\ncd");
    // Read-only takes no keys.
    c.Send(EM_SETREADONLY, TRUE);
    Type(c, "q");
    Key(c, VK_DELETE);
    EXPECT_EQ(Text(c), "\r\ncd");
}

// A line break of the text's own kind (its first break's) shows nothing, so a text of LF or CR lines
// looks exactly like its CR LF twin, in the byte views and in UTF-16 alike; a break of another kind
// (a mixed file) shows a mark on its own line only. The kind is the first break's: when an edit
// changes it, the marks move to the other lines at once.
TEST(EditorControl, OnlyALineBreakOfAnotherKindThanTheTextsShowsAMark) {
    const std::vector<std::string> kBreaks = {"\r\n", "\n", "\r"};
    const std::vector<std::string> kLines = {"one", "two", "three", "four"};
    for (int view : {0, kUtf16LeView}) {
        SCOPED_TRACE("view " + std::to_string(view));
        auto inView = [&](const std::string& bytes) {
            return view == 0 ? bytes : PlainUtf16Bytes(std::u16string(bytes.begin(), bytes.end()), false);
        };
        auto textOf = [&](const std::vector<int>& kinds) {
            std::string text;
            for (std::size_t i = 0; i < kLines.size(); ++i) text += kLines[i] + kBreaks[kinds[i]];
            return inView(text);
        };
        Control c, twin;
        for (const Control* control : {&c, &twin}) control->Send(EM_SETVIEWCODEPAGE, view);
        twin.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        StreamIn(twin, textOf({0, 0, 0, 0}));
        const std::vector<std::uint32_t> crLf = Screen(twin);
        for (int kind = 0; kind < 3; ++kind) {
            StreamIn(c, textOf({kind, kind, kind, kind}));
            EXPECT_EQ(c.Send(EM_GETLINEENDS), kind);
            EXPECT_EQ(LinesThatDiffer(c, Screen(c), crLf, 4), std::vector<int>{}) << "kind " << kind;
            for (int other = 0; other < 3; ++other) {
                if (other == kind) continue;
                for (int line = 1; line < 4; ++line) {
                    std::vector<int> kinds(4, kind);
                    kinds[line] = other;
                    StreamIn(c, textOf(kinds));
                    EXPECT_EQ(c.Send(EM_GETLINEENDS), kind | kLineEndsMixed);
                    EXPECT_EQ(LinesThatDiffer(c, Screen(c), crLf, 4), std::vector<int>{line})
                        << "kind " << kind << ", line " << line << " of kind " << other;
                }
            }
        }
        // An LF first line and CR LF lines: the three are marked. Its LF made CR LF, the text is CR
        // LF and no line shows a mark, drawn so by the control itself after the edit of line one.
        StreamIn(c, textOf({1, 0, 0, 0}));
        EXPECT_EQ(LinesThatDiffer(c, Screen(c), crLf, 4), (std::vector<int>{1, 2, 3}));
        if (view != 0) continue;  // a UTF-16 break holds NUL bytes, which EM_REPLACESEL cannot take
        Select(c, 3, 4);
        c.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("\r\n"));
        EXPECT_EQ(c.Send(EM_GETLINEENDS), 0);
        EXPECT_EQ(LinesThatDiffer(c, Screen(c, false), crLf, 4), std::vector<int>{});
    }
}

// Enter and a paste put in the text's own line break, in the units of its view; a copy gives other
// programs CR LF whatever the text's own.
TEST(EditorControl, EnterAndPastePutInTheTextsLineBreakAndACopyGivesCrLf) {
    for (int view : {0, kUtf16LeView}) {
        SCOPED_TRACE("view " + std::to_string(view));
        auto inView = [&](const std::string& bytes) {
            return view == 0 ? bytes : PlainUtf16Bytes(std::u16string(bytes.begin(), bytes.end()), false);
        };
        Control c;
        c.Send(EM_SETVIEWCODEPAGE, view);
        for (const std::string& lineBreak : {"\r\n", "\n", "\r"}) {
            StreamIn(c, inView("a" + lineBreak + "b"));
            Key(c, VK_END, {VK_CONTROL});
            Type(c, "\r");
            ASSERT_TRUE(PutOnClipboard("x\r\ny\nz\r"));
            c.Send(WM_PASTE);
            EXPECT_EQ(Text(c), inView("a" + lineBreak + "b" + lineBreak + "x" + lineBreak + "y" + lineBreak + "z" + lineBreak));
            Select(c, 0, -1);
            c.Send(WM_COPY);
            EXPECT_EQ(ClipboardUnicode(), L"a\r\nb\r\nx\r\ny\r\nz\r\n");
        }
    }
}

// The UTF-8 view: a typed character of any script goes in as its UTF-8 bytes, the keys take whole
// characters, stray bytes stay, the clipboard carries characters both ways (a stray byte as
// U+FFFD), and switching to another view and back changes no byte.
TEST(EditorControl, TheUtf8ViewTypesWholeCharactersAndTheClipboardCarriesThem) {
    Control c;
    c.Send(EM_SETVIEWCODEPAGE, 3);
    const std::string stray = "\xD0";  // a lead byte with nothing after it
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(("a" + stray + "b").c_str()));
    Key(c, VK_END);
    for (WPARAM character : {0x042F, 0x03A9, 0x1F600, 0x20AC}) c.Send(WM_UNICHAR, character);  // Я Ω 😀 €
    const std::string typed = "\xD0\xAF\xCE\xA9\xF0\x9F\x98\x80\xE2\x82\xAC";
    EXPECT_EQ(Text(c), "a" + stray + "b" + typed);
    Key(c, VK_BACK);
    Key(c, VK_LEFT);
    EXPECT_EQ(Selection(c).cpMin, 7);  // before the four bytes of 😀
    Key(c, VK_DELETE);
    EXPECT_EQ(Text(c), "a" + stray + "b\xD0\xAF\xCE\xA9");
    Select(c, 2, 2);  // the stray byte is a character of its own
    Key(c, VK_BACK);
    EXPECT_EQ(Text(c), "ab\xD0\xAF\xCE\xA9");
    // A position inside a character stands at its start.
    Select(c, 3, 5);
    EXPECT_EQ(Selection(c).cpMin, 2);
    EXPECT_EQ(Selection(c).cpMax, 4);

    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(("\xD0\x9F" + stray + "\xF0\x9F\x98\x80").c_str()));
    Select(c, 0, -1);
    c.Send(WM_COPY);
    EXPECT_EQ(ClipboardUnicode(), L"\x041F\xFFFD\xD83D\xDE00");
    ASSERT_TRUE(PutCharactersOnClipboard(L"\x0436 \xD835\xDC00 \xDC00"));  // ж, 𝐀, half of a pair
    Select(c, 0, 0);
    c.Send(WM_PASTE);
    const std::string all = "\xD0\xB6 \xF0\x9D\x90\x80 \xEF\xBF\xBD\xD0\x9F" + stray + "\xF0\x9F\x98\x80";
    EXPECT_EQ(Text(c), all);

    // Other views show the same bytes; coming back changes none of them.
    c.Send(EM_SETVIEWCODEPAGE, 0);
    Select(c, 1, 1);
    EXPECT_EQ(Selection(c).cpMin, 1);
    EXPECT_EQ(c.Send(EM_SETVIEWCODEPAGE, 3), 0);
    EXPECT_EQ(Selection(c).cpMin, 0);
    EXPECT_EQ(Text(c), all);
}

TEST(EditorControl, KeyboardSelectionAndNavigation) {
    Control c;
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("alpha beta\r\ngamma\r\nx"));
    Key(c, VK_RIGHT, {VK_CONTROL});
    EXPECT_EQ(Selection(c).cpMin, 6);
    Key(c, VK_RIGHT, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(Selection(c).cpMin, 6);
    EXPECT_EQ(Selection(c).cpMax, 10);
    Key(c, VK_END, {VK_SHIFT});
    EXPECT_EQ(SelectedText(c), "beta");
    Key(c, VK_DOWN, {VK_SHIFT});
    EXPECT_EQ(Selection(c).cpMax, 17);  // end of "gamma", the column being beyond it
    Key(c, VK_HOME);
    EXPECT_EQ(Selection(c).cpMin, 12);
    EXPECT_EQ(c.Send(EM_SELECTIONTYPE), SEL_EMPTY);
    Key(c, VK_END, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(SelectedText(c), "gamma\r\nx");
    Key(c, VK_HOME, {VK_CONTROL});
    EXPECT_EQ(Selection(c).cpMax, 0);
    Key(c, VK_DOWN);
    Key(c, VK_DOWN);
    EXPECT_EQ(Selection(c).cpMin, 19);
    Key(c, VK_UP);
    EXPECT_EQ(Selection(c).cpMin, 12);
    // The line and column the status bar shows come from these.
    EXPECT_EQ(c.Send(EM_EXLINEFROMCHAR, 0, 13), 1);
    EXPECT_EQ(c.Send(EM_LINEINDEX, 1), 12);
    EXPECT_EQ(c.Send(EM_LINELENGTH, 13), 5);
    EXPECT_EQ(c.Send(EM_LINEINDEX, 3), -1);
    EXPECT_EQ(c.Send(EM_GETLINECOUNT), 3);
}

TEST(EditorControl, MouseClickDragDoubleClickAndShiftClick) {
    Control c;
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("first line here\r\nsecond line"));
    UpdateWindow(c.window);
    POINT at3 = PointOf(c, 3);
    const POINT firstAt20 = PointOf(c, 20);
    EXPECT_GT(firstAt20.y, at3.y);
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, Coordinates(at3, 1, 2));
    c.Send(WM_MOUSEMOVE, MK_LBUTTON, Coordinates(firstAt20, 1, 2));
    c.Send(WM_LBUTTONUP, 0, Coordinates(firstAt20, 1, 2));
    EXPECT_EQ(Selection(c).cpMin, 3);
    EXPECT_EQ(Selection(c).cpMax, 20);
    // Shift-click moves the active end.
    POINT at25 = PointOf(c, 25);
    {
        HeldKeys shift({VK_SHIFT});
        c.Send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Coordinates(at25, 1, 2));
        c.Send(WM_LBUTTONUP, MK_SHIFT, Coordinates(at25, 1, 2));
    }
    EXPECT_EQ(Selection(c).cpMin, 3);
    EXPECT_EQ(Selection(c).cpMax, 25);
    // A double click takes the word with its trailing blank.
    POINT at7 = PointOf(c, 7);
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, Coordinates(at7, 1, 2));
    c.Send(WM_LBUTTONUP, 0, Coordinates(at7, 1, 2));
    c.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Coordinates(at7, 1, 2));
    c.Send(WM_LBUTTONUP, 0, Coordinates(at7, 1, 2));
    EXPECT_EQ(SelectedText(c), "line ");
    // A drag after a double click goes by whole words, the double-clicked one always kept.
    POINT at20 = PointOf(c, 20);
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, Coordinates(at7, 1, 2));
    c.Send(WM_LBUTTONUP, 0, Coordinates(at7, 1, 2));
    c.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, Coordinates(at7, 1, 2));
    c.Send(WM_MOUSEMOVE, MK_LBUTTON, Coordinates(at20, 1, 2));
    EXPECT_EQ(SelectedText(c), "line here\r\nsecond ");
    c.Send(WM_MOUSEMOVE, MK_LBUTTON, Coordinates(at3, 1, 2));
    EXPECT_EQ(SelectedText(c), "first line ");
    c.Send(WM_LBUTTONUP, 0, Coordinates(at3, 1, 2));
    // After the button is up, moving selects nothing more.
    c.Send(WM_MOUSEMOVE, 0, Coordinates(at20, 1, 2));
    EXPECT_EQ(SelectedText(c), "first line ");
    // A click past the end of a line puts the caret before its break.
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(590, at3.y + 2));
    c.Send(WM_LBUTTONUP, 0, MAKELPARAM(590, at3.y + 2));
    EXPECT_EQ(Selection(c).cpMin, 15);
    EXPECT_EQ(Selection(c).cpMax, 15);
}

TEST(EditorControl, ScrollingByMessagesBarsAndWheel) {
    Control c;
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "line " + std::to_string(i) + "\r\n";
    StreamIn(c, text);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 0);
    c.Send(EM_LINESCROLL, 0, 100);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 100);
    c.Send(EM_LINESCROLL, 0, -30);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 70);
    c.Send(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 71);
    c.Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_GT(c.Send(EM_GETFIRSTVISIBLELINE), 75);
    c.Send(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 0);
    c.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_GT(c.Send(EM_GETFIRSTVISIBLELINE), 0);
    // With drawing off a selection leaves the view where it is (the caller puts it back after a
    // rewrite); with drawing on, selecting a far place brings it into view.
    LRESULT before = c.Send(EM_GETFIRSTVISIBLELINE);
    c.Send(WM_SETREDRAW, FALSE);
    Select(c, static_cast<LONG>(text.size()), static_cast<LONG>(text.size()));
    c.Send(WM_SETREDRAW, TRUE);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), before);
    c.Send(EM_SCROLLCARET);
    LRESULT top = c.Send(EM_GETFIRSTVISIBLELINE);
    EXPECT_GT(top, 900);
    Select(c, 0, 0);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 0);
    Select(c, static_cast<LONG>(text.size()), static_cast<LONG>(text.size()));
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), top);
    // The bars follow once the queue is handled.
    PumpMessages(10);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(c.window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, top);
    EXPECT_EQ(info.nMax, 1000);
    // Ctrl+Home goes back to the start and scrolls there.
    Key(c, VK_HOME, {VK_CONTROL});
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 0);
    // Page down moves the caret a page.
    Key(c, VK_NEXT);
    EXPECT_GT(c.Send(EM_EXLINEFROMCHAR, 0, Selection(c).cpMin), 5);

    // The horizontal wheel, and the wheel with Shift, scroll sideways (turning down goes right).
    Control wide;
    const std::string line(400, 'w');
    wide.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>((line + "\r\n" + line).c_str()));
    UpdateWindow(wide.window);
    const LONG left = PointOf(wide, 0).x;
    wide.Send(WM_MOUSEHWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    const LONG scrolled = PointOf(wide, 0).x;
    EXPECT_LT(scrolled, left);
    wide.Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_LT(PointOf(wide, 0).x, scrolled);
    wide.Send(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WHEEL_DELTA), 0);
    wide.Send(WM_MOUSEHWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(PointOf(wide, 0).x, left);
    EXPECT_EQ(wide.Send(EM_GETFIRSTVISIBLELINE), 0);
}

// A line of tens of millions of tabs is billions of pixels wide, more than an int holds: the
// horizontal bar takes it in scaled units, its end brings the line's end into view, and places along
// the line stay within the window where they are shown.
TEST(EditorControl, TheHorizontalBarReachesTheEndOfALineWiderThanAnIntHolds) {
    Control c;
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("\t"));
    const LONG tab = PointOf(c, 1).x - PointOf(c, 0).x;
    ASSERT_GT(tab, 0);
    const LONG tabs = static_cast<LONG>((3LL << 30) / tab);
    StreamIn(c, std::string(static_cast<std::size_t>(tabs), '\t') + "end");
    const LONG length = tabs + 3;
    RECT client;
    GetClientRect(c.window, &client);
    auto inView = [&](LONG position) {
        POINT p = PointOf(c, position);
        return p.x >= 0 && p.x <= client.right;
    };
    Key(c, VK_END, {VK_CONTROL});
    UpdateWindow(c.window);
    PumpMessages(10);
    EXPECT_EQ(Selection(c).cpMin, length);
    EXPECT_TRUE(inView(length));
    EXPECT_TRUE(inView(tabs));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(c.window, SB_HORZ, &info);
    EXPECT_GT(info.nMax, 0x10000000);
    EXPECT_GE(info.nPos + static_cast<int>(info.nPage), info.nMax - 2);
    // A click far along the line lands on the place under it.
    POINT atTab = PointOf(c, tabs - 2);
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, Coordinates(atTab, 1));
    c.Send(WM_LBUTTONUP, 0, Coordinates(atTab, 1));
    EXPECT_EQ(Selection(c).cpMin, tabs - 2);
    // The bar's ends: the line's start, then its end, in view.
    c.Send(WM_HSCROLL, SB_LEFT);
    EXPECT_TRUE(inView(0));
    EXPECT_FALSE(inView(length));
    c.Send(WM_HSCROLL, SB_RIGHT);
    EXPECT_TRUE(inView(length));
    EXPECT_FALSE(inView(0));
    UpdateWindow(c.window);
}

TEST(EditorControl, WithWordWrapTheLineOperationsCountDisplayLines) {
    Control c(kWrapStyles, 200, 300);
    std::string paragraph;
    for (int i = 0; i < 30; ++i) paragraph += "word" + std::to_string(i) + " ";
    std::string text = paragraph + "\r\nshort\r\n" + paragraph;
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    LRESULT lines = c.Send(EM_GETLINECOUNT);
    EXPECT_GT(lines, 6);
    // The display lines cut the text in order, each wrap after a blank, and line and index agree.
    LONG previous = -1;
    for (LRESULT line = 0; line < lines; ++line) {
        LRESULT start = c.Send(EM_LINEINDEX, line);
        ASSERT_GT(start, previous);
        EXPECT_EQ(c.Send(EM_EXLINEFROMCHAR, 0, start), line);
        if (start > 0 && text[start - 1] != '\n') EXPECT_EQ(text[start - 1], ' ') << "line " << line;
        LRESULT length = c.Send(EM_LINELENGTH, start);
        EXPECT_GT(length, 0);
        previous = static_cast<LONG>(start);
    }
    EXPECT_EQ(c.Send(EM_LINEINDEX, lines), -1);
    LRESULT shortLine = c.Send(EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(paragraph.size() + 2));
    EXPECT_EQ(c.Send(EM_LINELENGTH, c.Send(EM_LINEINDEX, shortLine)), 5);
    // A narrower window wraps into more lines.
    MoveWindow(c.window, 0, 0, 120, 300, TRUE);
    EXPECT_GT(c.Send(EM_GETLINECOUNT), lines);
    // Scrolling is by display lines too.
    c.Send(EM_LINESCROLL, 0, 3);
    EXPECT_EQ(c.Send(EM_GETFIRSTVISIBLELINE), 3);
}

// A line wrapped inside a word that is too long for it: End, Shift+End, a click past the end and
// Down all reach the true end of a display line, where the caret stays on that line.
TEST(EditorControl, TheEndOfALineWrappedInsideAWordIsReachedWhole) {
    Control c(kWrapStyles, 200, 300);
    const std::string word(400, 'w');
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(word.c_str()));
    ASSERT_GT(c.Send(EM_GETLINECOUNT), 3);
    const LONG second = static_cast<LONG>(c.Send(EM_LINEINDEX, 1));
    const LONG third = static_cast<LONG>(c.Send(EM_LINEINDEX, 2));
    auto caretRow = [&c] {
        PumpMessages(5);
        POINT caret{};
        GetCaretPos(&caret);
        POINT first = PointOf(c, 0), next = PointOf(c, static_cast<LONG>(c.Send(EM_LINEINDEX, 1)));
        return (caret.y - first.y) / std::max<LONG>(1, next.y - first.y);
    };
    Select(c, 0, 0);
    Key(c, VK_END);
    EXPECT_EQ(Selection(c).cpMin, second);
    EXPECT_EQ(caretRow(), 0) << "the caret stays at the end of the first line";
    Key(c, VK_DOWN);
    EXPECT_EQ(Selection(c).cpMin, third);
    EXPECT_EQ(caretRow(), 1);
    Select(c, 0, 0);
    Key(c, VK_END, {VK_SHIFT});
    EXPECT_EQ(Selection(c).cpMax, second);
    EXPECT_EQ(SelectedText(c), word.substr(0, static_cast<std::size_t>(second)));
    // A click right of the first line's last character.
    Select(c, 0, 0);
    POINT last = PointOf(c, second - 1);
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, Coordinates(last, 12, 2));
    c.Send(WM_LBUTTONUP, 0, Coordinates(last, 12, 2));
    EXPECT_EQ(Selection(c).cpMin, second);
    EXPECT_EQ(caretRow(), 0);
    // Home from there goes to the start of that line, not of the next.
    Key(c, VK_HOME);
    EXPECT_EQ(Selection(c).cpMin, 0);
}

TEST(EditorControl, CharacterFormatFontColoursAndBackground) {
    Control c;
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x <b>y</b>"));
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
    format.dwEffects = CFE_BOLD;
    format.yHeight = 240;
    format.crTextColor = RGB(0, 0, 8);
    format.bCharSet = 255;
    lstrcpyA(format.szFaceName, "Courier New");
    c.Send(EM_SETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    c.Send(EM_SETCHARFORMAT, SCF_SELECTION | SCF_ALL, reinterpret_cast<LPARAM>(&format));
    CHARFORMATA read{};
    read.cbSize = sizeof read;
    c.Send(EM_GETCHARFORMAT, 0, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.yHeight, 240);
    EXPECT_EQ(read.dwEffects & (CFE_BOLD | CFE_ITALIC), static_cast<DWORD>(CFE_BOLD));
    EXPECT_EQ(read.bCharSet, 255);
    EXPECT_STREQ(read.szFaceName, "Courier New");
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 8));
    // A colour on a range, kept by the text there.
    CHARFORMATA blue{};
    blue.cbSize = sizeof blue;
    blue.dwMask = CFM_COLOR;
    blue.crTextColor = RGB(0, 0, 255);
    Select(c, 2, 5);
    c.Send(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&blue));
    Select(c, 3, 3);
    c.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 255));
    Select(c, 0, 0);
    c.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(">>"));
    Select(c, 5, 5);
    c.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 255));
    Select(c, 1, 1);
    c.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 8));
    // An empty selection reports what text typed there takes: the colour of the character before.
    Select(c, 4, 4);
    c.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 8));
    Select(c, 7, 7);
    c.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 255));
    Type(c, "Z");
    Select(c, 7, 8);
    c.Send(EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&read));
    EXPECT_EQ(read.crTextColor, RGB(0, 0, 255));
    // The background: the previous colour comes back.
    EXPECT_EQ(c.Send(EM_SETBKGNDCOLOR, 0, RGB(1, 2, 3)), static_cast<LRESULT>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(c.Send(EM_SETBKGNDCOLOR, 1, 0), static_cast<LRESULT>(RGB(1, 2, 3)));
    UpdateWindow(c.window);
}

namespace {

// A parent that keeps the selection notifications its control sends.
struct SelectionNotices {
    int notifies = 0;
    int commands = 0;
    SELCHANGE last{};
} notices;

LRESULT CALLBACK NoticeHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == EN_SELCHANGE) {
        ++notices.notifies;
        notices.last = *reinterpret_cast<SELCHANGE*>(lParam);
    }
    if (message == WM_COMMAND && HIWORD(wParam) == EN_SELCHANGE) ++notices.commands;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND NoticeControlHost() {
    static HWND host = [] {
        ControlHost();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = NoticeHostProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "EditorControlNoticeHost";
        RegisterClassA(&windowClass);
        return CreateWindowExA(0, "EditorControlNoticeHost", "notices", WS_OVERLAPPEDWINDOW, 0, 0, 700,
                               500, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }();
    return host;
}

// Whether the control draws its selection: highlighted pixels in the row of the first character.
bool DrawsSelection(const Control& c) {
    RedrawWindow(c.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const POINT first = PointOf(c, 0), last = PointOf(c, 4);
    HDC dc = GetDC(c.window);
    int highlighted = 0;
    for (LONG x = first.x; x < last.x; ++x)
        for (LONG y = first.y; y < first.y + 8; ++y)
            if (GetPixel(dc, x, y) == GetSysColor(COLOR_HIGHLIGHT)) ++highlighted;
    ReleaseDC(c.window, dc);
    return highlighted > 0;
}

}  // namespace

TEST(EditorControl, SelectionChangesReachTheParentAsNotifyWithTheRange) {
    Control c(kNoWrapStyles, 600, 400, NoticeControlHost());
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello world"));
    notices = {};
    Select(c, 2, 4);
    EXPECT_EQ(notices.notifies, 0);  // not asked for
    c.Send(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    Select(c, 6, 11);
    EXPECT_EQ(notices.notifies, 1);
    EXPECT_EQ(notices.commands, 0);
    EXPECT_EQ(notices.last.nmhdr.hwndFrom, c.window);
    EXPECT_EQ(notices.last.chrg.cpMin, 6);
    EXPECT_EQ(notices.last.chrg.cpMax, 11);
    EXPECT_EQ(notices.last.seltyp, SEL_TEXT | SEL_MULTICHAR);
    Type(c, "!");
    EXPECT_EQ(notices.last.chrg.cpMin, 7);
    EXPECT_EQ(notices.last.chrg.cpMax, 7);
    EXPECT_EQ(notices.last.seltyp, SEL_EMPTY);
}

TEST(EditorControl, HideSelectionForTheMomentLastsUntilTheFocusMovesAndForGoodWithLParam) {
    Control c;
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("hello world"));
    Select(c, 0, 5);
    EXPECT_TRUE(DrawsSelection(c));
    SetFocus(ControlHost());
    EXPECT_FALSE(DrawsSelection(c));
    // (FALSE, 0): shown now, as under a dialog that has the focus ...
    c.Send(EM_HIDESELECTION, FALSE, 0);
    EXPECT_TRUE(DrawsSelection(c));
    // ... but once the focus has come back and gone again, hidden as before.
    SetFocus(c.window);
    SetFocus(ControlHost());
    EXPECT_FALSE(DrawsSelection(c));
    // (FALSE, 1) keeps it shown unfocused until (TRUE, 1).
    c.Send(EM_HIDESELECTION, FALSE, 1);
    SetFocus(c.window);
    SetFocus(ControlHost());
    EXPECT_TRUE(DrawsSelection(c));
    c.Send(EM_HIDESELECTION, TRUE, 1);
    EXPECT_FALSE(DrawsSelection(c));
}

namespace {

// Counts what the control asks; answers as told.
class RecordingCallback final : public IRichEditOleCallback {
public:
    HRESULT answer = S_OK;
    int drops = 0;
    int references = 0;
    CLIPFORMAT format = 0;

    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }
    STDMETHODIMP GetNewStorage(LPSTORAGE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*, LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ShowContainerUI(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
    STDMETHODIMP DeleteObject(LPOLEOBJECT) override { return S_OK; }
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT, CLIPFORMAT* offered, DWORD reco, WINBOOL, HGLOBAL) override {
        if (reco == RECO_DROP) ++drops;
        if (offered) format = *offered;
        return answer;
    }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDragDropEffect(WINBOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU* menu) override {
        if (menu) *menu = nullptr;
        return E_NOTIMPL;
    }
};

void DragSelection(const Control& c, LONG from, LONG to) {
    POINT start = PointOf(c, from);
    POINT end = PointOf(c, to);
    c.Send(WM_LBUTTONDOWN, MK_LBUTTON, Coordinates(start, 1, 2));
    c.Send(WM_MOUSEMOVE, MK_LBUTTON, Coordinates(start, 30, 2));
    c.Send(WM_MOUSEMOVE, MK_LBUTTON, Coordinates(end, 1, 2));
    c.Send(WM_LBUTTONUP, 0, Coordinates(end, 1, 2));
}

}  // namespace

TEST(EditorControl, ADraggedSelectionAsksTheCallbackBeforeItIsDropped) {
    RecordingCallback callback;
    {
        Control c;
        EXPECT_TRUE(c.Send(EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(&callback)));
        EXPECT_EQ(callback.references, 1);
        c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc def ghi"));
        UpdateWindow(c.window);
        Select(c, 0, 4);
        DragSelection(c, 1, 11);
        EXPECT_EQ(callback.drops, 1);
        EXPECT_EQ(callback.format, CF_TEXT);
        EXPECT_EQ(Text(c), "def ghiabc ");
        EXPECT_EQ(SelectedText(c), "abc ");
        // A refused drop leaves the text.
        callback.answer = E_FAIL;
        Select(c, 0, 4);
        DragSelection(c, 1, 9);
        EXPECT_EQ(callback.drops, 2);
        EXPECT_EQ(Text(c), "def ghiabc ");
        // A move keeps every byte even when the text is above a limit lowered under it.
        callback.answer = S_OK;
        c.Send(EM_EXLIMITTEXT, 0, 4);
        Select(c, 0, 4);
        DragSelection(c, 1, 9);
        EXPECT_EQ(callback.drops, 3);
        EXPECT_EQ(Text(c), "ghiabdef c ");
        EXPECT_EQ(SelectedText(c), "def ");
    }
    EXPECT_EQ(callback.references, 0);
}

// A character beyond U+FFFF is one character on screen too: the caret steps over it in one move, and
// its place is its glyph's width, or one missing glyph's when the font lacks it, never the two boxes
// of its two UTF-16 units.
TEST(EditorControl, TheUtf8ViewShowsACharacterBeyondTheBasicPlaneAsOne) {
    Control c;
    c.Send(EM_SETVIEWCODEPAGE, 3);
    const std::string text = "a\xF0\x9F\x98\x80" "b\xF0\x9D\x90\x80" "c\xEE\x80\x80" "d";  // a 😀 b 𝐀 c U+E000 d
    c.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Select(c, 0, 0);
    std::vector<LONG> stops;
    for (int i = 0; i < 7; ++i) {
        Key(c, VK_RIGHT);
        stops.push_back(Selection(c).cpMin);
    }
    EXPECT_EQ(stops, (std::vector<LONG>{1, 5, 6, 10, 11, 14, 15}));
    const LONG cell = PointOf(c, 1).x - PointOf(c, 0).x;
    const LONG missing = PointOf(c, 14).x - PointOf(c, 11).x;  // a private-use character no font draws
    ASSERT_GT(cell, 0);
    for (LONG at : {1, 6}) {
        const LONG width = PointOf(c, at + 4).x - PointOf(c, at).x;
        EXPECT_GT(width, 0) << at;
        EXPECT_LT(width, 2 * std::max(cell, missing)) << at;
    }
}
