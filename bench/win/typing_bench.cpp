// Typing into the whole program: keys posted to the editor as the system posts them (key down and
// key up; the loop's translation makes the character), each dispatched through the program's subclass, its undo journal, the status
// bar and the toolbar refresh of the idle step, and painted, before the next key comes. At the end
// of a 2 KB text, of a 64 MB text of short lines and of one 64 MB line. Then, with word wrap off and
// on, a short text of 200 lines (so a page move scrolls in it too) against one 64 MB line: typing at the end, caret moves (End and Home, Left and
// Right, Page Up and Page Down), clicks in the text and whole repaints, each through the same loop.
// Prints figures; not a test.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "app/win/toolbar.h"
#include "bench/win/bench_text.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/recovery_keeper.h"
#include "document/win/view_code_page.h"
#include "support/win/app_harness.h"
#include "tools/win/word_wrap.h"

void SetControlTextForBench(const std::string& bytes);

namespace {

// The program's loop for what is queued now, with its idle step, paints included.
void DispatchQueued() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (ToolBar && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) RefreshToolBarStates();
    }
}

double TypeKeys(int keys) {
    const double start = Seconds();
    for (int i = 0; i < keys; ++i) {
        const char letter = static_cast<char>('a' + i % 26);
        const UINT scan = MapVirtualKeyA(VkKeyScanA(letter) & 0xFF, MAPVK_VK_TO_VSC);
        PostMessageA(EditorControl, WM_KEYDOWN, VkKeyScanA(letter) & 0xFF, 1 | (scan << 16));
        PostMessageA(EditorControl, WM_KEYUP, VkKeyScanA(letter) & 0xFF, 0xC0000001 | (scan << 16));
        DispatchQueued();
    }
    return Seconds() - start;
}

// Keys as a keyboard gives them, through the system's input (SendInput) to the focused window: each
// is waited for until it is in the text.
double TypeKeysThroughInput(int keys) {
    SetForegroundWindow(MainWindow);
    SetFocus(EditorControl);
    DispatchQueued();
    const double start = Seconds();
    for (int i = 0; i < keys; ++i) {
        const char letter = static_cast<char>('a' + i % 26);
        const LRESULT before = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0);
        INPUT input[2]{};
        input[0].type = INPUT_KEYBOARD;
        input[0].ki.wVk = static_cast<WORD>(VkKeyScanA(letter) & 0xFF);
        input[1] = input[0];
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        const double sent = Seconds();
        while (SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0) == before && Seconds() - sent < 2) DispatchQueued();
    }
    return Seconds() - start;
}

LRESULT PutText(const std::string& text) {
    SetControlTextForBench(text);
    const LRESULT length = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(EditorControl, EM_SETSEL, length, length);
    SendMessageA(EditorControl, EM_SCROLLCARET, 0, 0);
    DispatchQueued();
    return length;
}

// bytesPerKey: what a typed Latin letter takes in the view (two in UTF-16).
void Row(const char* what, const std::string& text, int keys, int bytesPerKey = 1) {
    const LRESULT length = PutText(text);
    const double seconds = TypeKeys(keys);
    const LRESULT typed = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0) - length;
    std::printf("%-36s %4d keys %7.3f s  %6.2f ms a key%s\n", what, keys, seconds, seconds * 1000 / keys,
                typed == keys * bytesPerKey ? "" : "  [not every key arrived]");
}

// Milliseconds a key, for count keys that go by turns between two (End then Home, and so on).
double MoveKeys(UINT one, UINT other, int count) {
    const double start = Seconds();
    for (int i = 0; i < count; ++i) {
        const UINT key = i % 2 ? other : one;
        const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
        PostMessageA(EditorControl, WM_KEYDOWN, key, 1 | (scan << 16) | 0x01000000);
        PostMessageA(EditorControl, WM_KEYUP, key, 0xC1000001 | (scan << 16));
        DispatchQueued();
    }
    return (Seconds() - start) * 1000 / count;
}

// Clicks spread over the editor's client area, down and up, each handled and painted.
double Clicks(int count) {
    RECT client;
    GetClientRect(EditorControl, &client);
    const double start = Seconds();
    for (int i = 0; i < count; ++i) {
        const int x = 10 + (i * 97) % std::max<LONG>(1, client.right - 20);
        const int y = 5 + (i * 53) % std::max<LONG>(1, client.bottom - 10);
        PostMessageA(EditorControl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(EditorControl, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        DispatchQueued();
    }
    return (Seconds() - start) * 1000 / count;
}

double Paints(int count) {
    const double start = Seconds();
    for (int i = 0; i < count; ++i) {
        InvalidateRect(EditorControl, nullptr, FALSE);
        UpdateWindow(EditorControl);
    }
    return (Seconds() - start) * 1000 / count;
}

void LongLineRow(const char* what, const std::string& text, int keys) {
    const LRESULT length = PutText(text);
    const double typing = TypeKeys(keys) * 1000 / keys;
    const double endHome = MoveKeys(VK_HOME, VK_END, 40);
    const double leftRight = MoveKeys(VK_LEFT, VK_RIGHT, 40);
    const double pages = MoveKeys(VK_PRIOR, VK_NEXT, 40);
    const double clicks = Clicks(40);
    const double paints = Paints(40);
    const LRESULT typed = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0) - length;
    std::printf("%-22s %-4s %8.2f %9.2f %11.2f %10.2f %7.2f %7.2f%s\n", what, Program().switches.wordWrapStyle == 0 ? "on" : "off",
                typing, endHome, leftRight, pages, clicks, paints, typed == keys ? "" : "  [not every key arrived]");
}

}  // namespace

void SetControlTextForBench(const std::string& bytes) {
    MemoryStream stream;
    stream.buffer = const_cast<char*>(bytes.data());
    stream.length = static_cast<std::uint32_t>(bytes.size());
    StreamTextIn(stream, kStreamWholeText);
    ClearUndo();
}

// The UTF-8 view's rows: a small text against 64 MB of UTF-8 prose and one 64 MB line of Cyrillic
// words, in the same run, so their ratio holds whatever else the machine does.
static void Utf8Rows(int keys) {
    constexpr std::size_t kBig = 64u << 20;
    CodePageIndex = 3;
    ApplyViewCodePage();
    std::string line;
    line.reserve(kBig);
    const std::string word = "\xD0\xB0\xD0\xB1\xD0\xB2\xD0\xB3\xD0\xB4\xD0\xB5 ";  // абвгде
    while (line.size() + word.size() <= kBig) line += word;
    line.resize(kBig, 'x');
    std::printf("typing at the end of the text in the UTF-8 view, whole program, under Wine\n");
    Row("2 KB UTF-8 text", MakeRussianUtf8Prose(2048), keys);
    Row("64 MB UTF-8 text", MakeRussianUtf8Prose(kBig), keys);
    Row("one 64 MB UTF-8 line", line, keys);
    CodePageIndex = 0;
    ApplyViewCodePage();
    Row("2 KB text, ANSI view", MakeRussianProse(2048), keys);
    Row("64 MB text, ANSI view", MakeRussianProse(kBig), keys);
    CodePageIndex = 3;
    ApplyViewCodePage();
    std::printf("\nms each, whole program, UTF-8 view: typing at the end, caret moves, clicks, repaints\n");
    std::printf("%-22s %-4s %8s %9s %11s %10s %7s %7s\n", "text", "wrap", "typing", "End/Home", "Left/Right",
                "PgUp/PgDn", "click", "paint");
    for (int pass = 0; pass < 2; ++pass) {
        LongLineRow("20 KB UTF-8 text", MakeRussianUtf8Prose(20 << 10), keys);
        LongLineRow("64 MB UTF-8 text", MakeRussianUtf8Prose(kBig), keys);
        LongLineRow("one 64 MB UTF-8 line", line, keys);
        CodePageIndex = 0;
        ApplyViewCodePage();
        LongLineRow("20 KB text, ANSI view", MakeRussianProse(20 << 10), keys);
        LongLineRow("64 MB text, ANSI view", MakeRussianProse(kBig), keys);
        CodePageIndex = 3;
        ApplyViewCodePage();
        if (pass == 0) {
            PutText(MakeRussianProse(2048));
            ToggleWordWrap();
            DispatchQueued();
        }
    }
}

// Typing with the recovery copy kept and without it (the editor's change notifications, which keep
// it, off), by turns so that both meet the same machine; then the write of a 64 MB text's copy: how
// long the window was held up by the longest message it handled meanwhile, against how long the copy
// took to reach the disk.
static void RecoveryRows(int keys) {
    constexpr std::size_t kBig = 64u << 20;
    const std::string small = MakeRussianProse(2048);
    const std::string big = MakeRussianProse(kBig);
    std::printf("typing at the end of the text with the recovery copy and without it, whole program\n");
    for (int round = 0; round < 3; ++round) {
        for (bool kept : {true, false}) {
            SendMessageA(EditorControl, EM_SETEVENTMASK, 0, kept ? ENM_CHANGE : 0);
            Row(kept ? "2 KB text, copy kept" : "2 KB text, no copy", small, keys);
            Row(kept ? "64 MB text, copy kept" : "64 MB text, no copy", big, keys);
        }
    }
    SendMessageA(EditorControl, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SetRecoveryTimings({200, 30000, 10000, 3});
    const std::wstring copy = OwnRecoveryFiles().CopyPath();
    for (int round = 0; round < 3; ++round) {
        DeleteFileW(copy.c_str());
        PutText(big);
        TypeKeys(1);
        const double start = Seconds();
        double longest = 0;
        MSG message;
        while (GetFileAttributesW(copy.c_str()) == INVALID_FILE_ATTRIBUTES && Seconds() - start < 30) {
            if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            const double before = Seconds();
            TranslateMessage(&message);
            DispatchMessageA(&message);
            longest = std::max(longest, Seconds() - before);
        }
        std::printf("64 MB copy: on disk after %.2f s (0.2 s of them the pause), longest message %.1f ms\n",
                    Seconds() - start, longest * 1000);
    }
}

// The UTF-16 LE view's rows beside the ANSI view's, in the same run.
static void Utf16Rows(int keys) {
    constexpr std::size_t kBig = 64u << 20;
    std::printf("typing at the end of the text in the UTF-16 LE view, whole program, under Wine\n");
    for (int pass = 0; pass < 2; ++pass) {
        CodePageIndex = 4;
        ApplyViewCodePage();
        Row("2 KB UTF-16 LE text", MakeRussianUtf16Prose(2048), keys, 2);
        Row("64 MB UTF-16 LE text", MakeRussianUtf16Prose(kBig), keys, 2);
        CodePageIndex = 0;
        ApplyViewCodePage();
        Row("2 KB text, ANSI view", MakeRussianProse(2048), keys);
    }
}

// Keys through the system's input beside posted ones, in the same run.
static void InputRows(int keys) {
    constexpr std::size_t kBig = 64u << 20;
    std::printf("typing at the end of the text, posted keys and keys through the system's input (SendInput)\n");
    const std::pair<const char*, std::string> texts[] = {
        {"2 KB text", MakeRussianProse(2048)}, {"64 MB text of short lines", MakeRussianProse(kBig)}, {"one 64 MB line", std::string(kBig, 'x')}};
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& [what, text] : texts) {
            Row(what, text, keys);
            const LRESULT length = PutText(text);
            const double seconds = TypeKeysThroughInput(keys);
            const LRESULT typed = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0) - length;
            std::printf("%-36s %4d keys %7.3f s  %6.2f ms a key through the input%s\n", what, keys, seconds,
                        seconds * 1000 / keys, typed == keys ? "" : "  [not every key arrived]");
        }
}

// typing_bench.exe [keys] [utf8|utf16|recovery|input]: with "utf8" the UTF-8 view's rows (and a small
// ANSI row beside them), with "utf16" the UTF-16 LE view's; with "recovery" typing with and without
// the recovery copy; with "input" keys through the system's input beside posted ones.
int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 300;
    if (!StartTestApplication() || !EditorControl) {
        std::puts("the application did not start with its editor control");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    constexpr std::size_t kBig = 64u << 20;
    if (Program().textLimit < 2 * kBig) Program().textLimit = 2 * kBig;
    SendMessageA(EditorControl, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(Program().textLimit));
    ShowWindow(MainWindow, SW_SHOW);
    if (argc > 2 && std::strcmp(argv[2], "utf16") == 0) {
        Utf16Rows(keys);
        CloseTestApplication();
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[2], "utf8") == 0) {
        Utf8Rows(keys);
        CloseTestApplication();
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[2], "input") == 0) {
        InputRows(keys);
        CloseTestApplication();
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[2], "recovery") == 0) {
        RecoveryRows(keys);
        CloseTestApplication();
        return 0;
    }
    std::printf("typing at the end of the text, whole program, under Wine\n");
    Row("2 KB text", MakeRussianProse(2048), keys);
    Row("64 MB text of short lines", MakeRussianProse(kBig), keys);
    Row("one 64 MB line", std::string(kBig, 'x'), keys);

    // A line of words, so a wrapped line breaks between them.
    std::string line;
    line.reserve(kBig);
    while (line.size() + 8 <= kBig) line += "abcdefg ";
    line.resize(kBig, 'x');
    std::printf("\nms each, whole program: typing at the end, caret moves, clicks, repaints\n");
    std::printf("%-22s %-4s %8s %9s %11s %10s %7s %7s\n", "text", "wrap", "typing", "End/Home", "Left/Right",
                "PgUp/PgDn", "click", "paint");
    for (int pass = 0; pass < 2; ++pass) {
        LongLineRow("20 KB text", MakeRussianProse(20 << 10), keys);
        LongLineRow("one 64 MB line", line, keys);
        if (pass == 0) {
            PutText(MakeRussianProse(2048));
            ToggleWordWrap();
            DispatchQueued();
        }
    }
    CloseTestApplication();
    return 0;
}
