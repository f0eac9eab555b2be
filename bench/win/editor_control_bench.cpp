// Figures for the editor control on big texts, through its messages as the program sends them:
// stream in (load) and out, a view switch, a keystroke at the end and in the middle, find, a run of
// replacements, memory; with word wrap off and on. Then the control alone on one 64 MB line against a
// short text: typing at the end, caret moves, clicks and repaints. Prints figures; not a test.
#define PSAPI_VERSION 2
#include <windows.h>
#include <commdlg.h>
#include <psapi.h>
#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "control/win/editor_control.h"
#include "bench/win/bench_text.h"

namespace {

double Now() { return 1000.0 * Seconds(); }

double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage) / (1 << 20);
}

struct MemoryStream {
    const std::string* in = nullptr;
    std::size_t position = 0;
    std::string out;
};

DWORD CALLBACK ReadMemory(DWORD_PTR cookie, LPBYTE buffer, LONG requested, LONG* moved) {
    auto* s = reinterpret_cast<MemoryStream*>(cookie);
    LONG count = static_cast<LONG>(std::min<std::size_t>(requested, s->in->size() - s->position));
    std::memcpy(buffer, s->in->data() + s->position, count);
    s->position += count;
    *moved = count;
    return 0;
}

DWORD CALLBACK WriteMemory(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* moved) {
    reinterpret_cast<MemoryStream*>(cookie)->out.append(reinterpret_cast<const char*>(buffer), count);
    *moved = count;
    return 0;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HWND MakeControl(HWND host, bool wrap) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOOLEDRAGDROP | ES_SELECTIONBAR;
    if (!wrap) style |= WS_HSCROLL | ES_AUTOHSCROLL;
    HWND control = CreateWindowExA(WS_EX_STATICEDGE, "RICHEDIT", "", style, 0, 0, 900, 700, host, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    SendMessageA(control, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    SetFocus(control);
    return control;
}

// The view switch as the program does it: drawing off, the view's font on the whole text, the
// selection and the top line kept, drawing on, one repaint.
void SwitchView(HWND control, int view) {
    SendMessageA(control, WM_SETREDRAW, FALSE, 0);
    LRESULT top = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    CHARRANGE selection{};
    SendMessageA(control, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(control, EM_SETSEL, 0, -1);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_CHARSET;
    format.yHeight = view == 1 ? 220 : 200;
    format.bCharSet = view == 1 ? 255 : 204;
    format.bPitchAndFamily = 0x30;
    SendMessageA(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(control, EM_SETCHARFORMAT, SCF_SELECTION | SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(control, EM_SETVIEWCODEPAGE, view, 0);
    SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    LRESULT now = SendMessageA(control, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (now > top) SendMessageA(control, EM_LINESCROLL, 0, top - now);
    SendMessageA(control, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control, nullptr, FALSE);
    UpdateWindow(control);
}

double Keystroke(HWND control, LONG at) {
    SendMessageA(control, EM_SETSEL, at, at);
    UpdateWindow(control);
    double start = Now();
    SendMessageA(control, WM_CHAR, 'x', 1);
    UpdateWindow(control);
    return Now() - start;
}

int kReplacements = 100000;

constexpr int kUtf8 = 3;

// view: the view the text is loaded in; the UTF-8 view gets the prose as UTF-8.
void Run(HWND host, std::size_t megabytes, bool wrap, bool full, int view = 0) {
    std::string text = view == kUtf8 ? MakeRussianUtf8Prose(megabytes << 20) : MakeRussianProse(megabytes << 20);
    double baseline = PrivateMegabytes();
    HWND control = MakeControl(host, wrap);
    if (view == kUtf8) SendMessageA(control, EM_SETVIEWCODEPAGE, kUtf8, 0);
    Pump();

    MemoryStream in{&text};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&in), 0, ReadMemory};
    double start = Now();
    SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    double load = Now() - start;
    start = Now();
    UpdateWindow(control);
    double firstPaint = Now() - start;
    double held = PrivateMegabytes() - baseline;
    if (view == kUtf8) std::printf("UTF-8 view: ");
    std::printf("%3zu MB, wrap %s: stream in %.0f ms, first paint %.1f ms; memory %.2f x text\n", megabytes,
                wrap ? "on " : "off", load, firstPaint, held / double(megabytes));
    if (wrap) {
        LONG end = static_cast<LONG>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
        start = Now();
        LRESULT line = SendMessageA(control, EM_EXLINEFROMCHAR, 0, end);
        std::printf("        display line of the text's end, first asked: %.0f ms (line %ld)\n", Now() - start,
                    static_cast<long>(line));
    }
    if (!full) {
        DestroyWindow(control);
        return;
    }

    MemoryStream out;
    out.out.reserve(text.size());
    EDITSTREAM outStream{reinterpret_cast<DWORD_PTR>(&out), 0, WriteMemory};
    start = Now();
    SendMessageA(control, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&outStream));
    double streamOut = Now() - start;
    bool same = out.out == text;
    out.out = std::string();

    if (view == kUtf8) {
        // A switch away and back is a repaint each; the bytes stay as they were.
        double toAnsi = Now();
        SwitchView(control, 0);
        toAnsi = Now() - toAnsi;
        double back = Now();
        SwitchView(control, kUtf8);
        back = Now() - back;
        LONG length = static_cast<LONG>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
        double atEnd = Keystroke(control, length);
        double middle = Keystroke(control, length / 2);
        std::printf("        stream out %.0f ms (%s); view switch to ANSI %.1f ms, back to UTF-8 %.1f ms;"
                    " keystroke with repaint: end %.2f ms, middle %.2f ms\n",
                    streamOut, same ? "identical" : "DIFFERENT", toAnsi, back, atEnd, middle);
        DestroyWindow(control);
        return;
    }

    double switches[3];
    for (int view : {1, 2, 0}) {
        start = Now();
        SwitchView(control, view);
        switches[view] = Now() - start;
    }
    std::printf("        stream out %.0f ms (%s); view switch to OEM %.1f ms, KOI8-R %.1f ms, ANSI %.1f ms\n", streamOut,
                same ? "identical" : "DIFFERENT", switches[1], switches[2], switches[0]);

    LONG length = static_cast<LONG>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
    double atEnd = Keystroke(control, length);
    double middleFirst = Keystroke(control, length / 2);
    double middleNext = Keystroke(control, length / 2 + 1);
    double endAgain = Keystroke(control, length + 3);
    std::printf("        keystroke with repaint: end %.2f ms, middle %.2f ms (then %.2f ms), end again %.2f ms\n", atEnd,
                middleFirst, middleNext, endAgain);


    for (WPARAM flags : {WPARAM(FR_MATCHCASE), WPARAM(0)}) {
        FINDTEXTA find{{0, -1}, "\xED\xE5\xF2 \xF2\xE0\xEA\xEE\xE3\xEE"};
        start = Now();
        LRESULT found = SendMessageA(control, EM_FINDTEXT, flags, reinterpret_cast<LPARAM>(&find));
        std::printf("        find across the text (%s): %.0f ms%s\n", flags ? "match case" : "any case", Now() - start,
                    found < 0 ? "" : " (found?)");
    }

    // A replace-all run as the program makes it: find from behind the last replacement, select, replace.
    start = Now();
    LONG from = 0;
    int replaced = 0;
    double finding = 0, selecting = 0, replacing = 0;
    for (; replaced < kReplacements; ++replaced) {
        FINDTEXTA find{{from, -1}, "line"};
        double t0 = Now();
        LRESULT at = SendMessageA(control, EM_FINDTEXT, FR_MATCHCASE, reinterpret_cast<LPARAM>(&find));
        double t1 = Now();
        if (at < 0) break;
        SendMessageA(control, EM_SETSEL, at, at + 4);
        double t2 = Now();
        SendMessageA(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("LINE!"));
        double t3 = Now();
        finding += t1 - t0;
        selecting += t2 - t1;
        replacing += t3 - t2;
        from = static_cast<LONG>(at) + 5;
    }
    UpdateWindow(control);
    std::printf("        %d replacements: %.0f ms (find %.0f, select %.0f, replace %.0f)\n", replaced, Now() - start,
                finding, selecting, replacing);
    DestroyWindow(control);
}

// Milliseconds each, for count rounds of what step does, the control drawn after each.
template <typename Step>
double Each(HWND control, int count, Step&& step) {
    double start = Now();
    for (int i = 0; i < count; ++i) {
        step(i);
        Pump();
        UpdateWindow(control);
    }
    return (Now() - start) / count;
}

void Key(HWND control, UINT key) {
    SendMessageA(control, WM_KEYDOWN, key, 1);
    SendMessageA(control, WM_KEYUP, key, 0xC0000001);
}

void LongLineRow(HWND host, const char* what, const std::string& text, bool wrap, int view = 0) {
    HWND control = MakeControl(host, wrap);
    if (view == kUtf8) SendMessageA(control, EM_SETVIEWCODEPAGE, kUtf8, 0);
    Pump();
    MemoryStream in{&text};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&in), 0, ReadMemory};
    double start = Now();
    SendMessageA(control, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    LONG length = static_cast<LONG>(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0));
    SendMessageA(control, EM_SETSEL, length, length);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
    Pump();
    UpdateWindow(control);
    double open = Now() - start;
    RECT client;
    GetClientRect(control, &client);
    // The UTF-8 view is typed Cyrillic, two bytes a character.
    double typing = Each(control, 200, [&](int i) {
        if (view == kUtf8) SendMessageA(control, WM_UNICHAR, 0x0430 + i % 32, 1);
        else SendMessageA(control, WM_CHAR, 'a' + i % 26, 1);
    });
    double endHome = Each(control, 40, [&](int i) { Key(control, i % 2 ? VK_END : VK_HOME); });
    double leftRight = Each(control, 40, [&](int i) { Key(control, i % 2 ? VK_RIGHT : VK_LEFT); });
    double pages = Each(control, 40, [&](int i) { Key(control, i % 2 ? VK_NEXT : VK_PRIOR); });
    double clicks = Each(control, 40, [&](int i) {
        LPARAM at = MAKELPARAM(10 + (i * 97) % std::max<LONG>(1, client.right - 20), 5 + (i * 53) % std::max<LONG>(1, client.bottom - 10));
        SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(control, WM_LBUTTONUP, 0, at);
    });
    double paints = Each(control, 40, [&](int) { InvalidateRect(control, nullptr, FALSE); });
    std::printf("%-22s %-4s %8.2f %9.2f %11.2f %10.2f %7.2f %7.2f %9.0f\n", what, wrap ? "on" : "off", typing, endHome,
                leftRight, pages, clicks, paints, open);
    DestroyWindow(control);
}

}  // namespace

// With the argument "long-lines" only the long-line rows run; with "utf8" only the UTF-8 view's; with
// "small-views" the small text in the ANSI and the UTF-8 view by turns ("small-views 64": 64 MB too).
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    RegisterEditorControlClass(GetModuleHandleA(nullptr));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "EditorControlBench";
    RegisterClassA(&windowClass);
    HWND host = CreateWindowExA(0, "EditorControlBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 920, 740,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    Pump();
    if (const char* count = std::getenv("VEMKO_BENCH_REPLACEMENTS")) kReplacements = std::atoi(count);
    const bool longLinesOnly = argc > 1 && std::strcmp(argv[1], "long-lines") == 0;
    if (argc > 1 && std::strcmp(argv[1], "utf8") == 0) {
        Run(host, 64, false, true, kUtf8);
        Run(host, 64, true, true, kUtf8);
        std::string line;
        line.reserve(64u << 20);
        const std::string word = "\xD0\xB0\xD0\xB1\xD0\xB2\xD0\xB3\xD0\xB4\xD0\xB5 ";  // абвгде
        while (line.size() + word.size() <= (64u << 20)) line += word;
        line.resize(64u << 20, 'x');
        std::printf("\nthe control alone in the UTF-8 view, ms each (columns as below)\n");
        for (bool wrap : {false, true}) {
            LongLineRow(host, "20 KB UTF-8 text", MakeRussianUtf8Prose(20 << 10), wrap, kUtf8);
            LongLineRow(host, "one 64 MB UTF-8 line", line, wrap, kUtf8);
        }
        DestroyWindow(host);
        return 0;
    }
    // The small text in the ANSI and the UTF-8 view by turns, three rounds: the ratio of the two
    // views taken in the same minutes, whatever else the machine does.
    if (argc > 1 && std::strcmp(argv[1], "small-views") == 0) {
        std::printf("%-22s %-4s %8s %9s %11s %10s %7s %7s %9s\n", "text", "wrap", "typing", "End/Home", "Left/Right",
                    "PgUp/PgDn", "click", "paint", "load+end");
        const bool big = argc > 2 && std::strcmp(argv[2], "64") == 0;  // and 64 MB of each beside them
        for (int round = 0; round < 3; ++round)
            for (bool wrap : {false, true}) {
                LongLineRow(host, "20 KB text, ANSI", MakeRussianProse(20 << 10), wrap);
                LongLineRow(host, "20 KB text, UTF-8", MakeRussianUtf8Prose(20 << 10), wrap, kUtf8);
                if (!big) continue;
                LongLineRow(host, "64 MB text, ANSI", MakeRussianProse(64 << 20), wrap);
                LongLineRow(host, "64 MB text, UTF-8", MakeRussianUtf8Prose(64 << 20), wrap, kUtf8);
            }
        DestroyWindow(host);
        return 0;
    }
    if (!longLinesOnly) {
        Run(host, 16, false, false);
        Run(host, 64, false, true);
        Run(host, 64, true, true);
    }

    std::string line;
    line.reserve(64u << 20);
    while (line.size() + 8 <= (64u << 20)) line += "abcdefg ";
    line.resize(64u << 20, 'x');
    std::printf("\nthe control alone, ms each: typing at the end, caret moves, clicks, repaints;\n"
                "load+end: stream in, caret to the end and the first paint\n");
    std::printf("%-22s %-4s %8s %9s %11s %10s %7s %7s %9s\n", "text", "wrap", "typing", "End/Home", "Left/Right",
                "PgUp/PgDn", "click", "paint", "load+end");
    for (bool wrap : {false, true}) {
        LongLineRow(host, "20 KB text", MakeRussianProse(20 << 10), wrap);
        LongLineRow(host, "one 64 MB line", line, wrap);
    }
    DestroyWindow(host);
    return 0;
}
