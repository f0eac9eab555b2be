// The HTML tag colouring (command 53) on big texts through the program's own command: 64 MB of
// markup with a tag every few bytes, 64 MB of prose with a tag on every line, and 64 MB without any
// '<'; then a keystroke in the middle of the coloured markup and a repaint. Prints figures; not a
// test.
#include <windows.h>
#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "bench/win/bench_text.h"
#include "document/win/document_files.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"

namespace {

void LoadText(const std::string& text) {
    MemoryStream stream;
    stream.buffer = const_cast<char*>(text.data());
    stream.length = static_cast<std::uint32_t>(text.size());
    StreamTextIn(stream, kStreamWholeText);
}

// Table rows of Russian cells, about one tag in every nine bytes.
std::string MakeMarkup(std::size_t size) {
    const std::string row = "<tr><td>\xE3\xEE\xF0\xEE\xE4</td><td>12</td><td class=\"x\">\xF0\xE5\xEA\xE0</td></tr>\r\n";
    std::string text;
    text.reserve(size);
    while (text.size() + row.size() <= size) text += row;
    text.append(size - text.size(), 'x');
    return text;
}

std::string MakeProseWithTags(std::size_t size) {
    std::string text = MakeRussianProse(size);
    for (std::size_t line = 0; line + 110 < text.size(); line = text.find('\n', line) + 1) text.replace(line, 3, "<p>");
    return text;
}

std::size_t Count(const std::string& text, char c) {
    std::size_t n = 0;
    for (char t : text) n += t == c;
    return n;
}

void Measure(const char* what, const std::string& text) {
    LoadText(text);
    const double start = Seconds();
    SendMessageA(MainWindow, WM_COMMAND, IDM_HTML_REFRESH, 0);
    const double took = Seconds() - start;
    std::printf("  %-44s %7.0f ms  (%zu '<')\n", what, took * 1000, Count(text, '<'));
}

}  // namespace

int main() {
    if (!StartTestApplication() || !EditorControl) {
        std::printf("the application did not start\n");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    PumpMessages(200);
    const std::size_t size = 64u << 20;
    std::printf("HTML tag colouring, 64 MB texts, under Wine\n");
    Measure("markup, a tag every ~9 bytes", MakeMarkup(size));
    {
        SendMessageA(EditorControl, EM_SETSEL, size / 2, size / 2);
        const double start = Seconds();
        SendMessageA(EditorControl, WM_CHAR, 'a', 0);
        UpdateWindow(EditorControl);
        std::printf("  %-44s %7.1f ms\n", "then a keystroke in the middle, repainted", (Seconds() - start) * 1000);
        const double again = Seconds();
        SendMessageA(EditorControl, WM_CHAR, 'b', 0);
        UpdateWindow(EditorControl);
        std::printf("  %-44s %7.1f ms\n", "and the next one", (Seconds() - again) * 1000);
    }
    Measure("prose, a tag on every line", MakeProseWithTags(size));
    Measure("prose without any '<'", MakeRussianProse(size));
    CloseTestApplication();
    return 0;
}
