// Typing into the whole program: keys posted to the editor as the system posts them (key down and
// key up; the loop's translation makes the character), each dispatched through the program's subclass, its undo journal, the status
// bar and the toolbar refresh of the idle step, and painted, before the next key comes. At the end
// of a 2 KB text, of a 64 MB text of short lines and of one 64 MB line. Prints figures; not a test.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings.h"
#include "app/win/application.h"
#include "app/win/editor_setup.h"
#include "app/win/toolbar.h"
#include "bench/win/bench_text.h"
#include "document/undo_journal.h"
#include "document/win/document_files.h"
#include "support/win/app_harness.h"

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

void Row(const char* what, const std::string& text, int keys) {
    SetControlTextForBench(text);
    const LRESULT length = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(EditorControl, EM_SETSEL, length, length);
    SendMessageA(EditorControl, EM_SCROLLCARET, 0, 0);
    DispatchQueued();
    const double seconds = TypeKeys(keys);
    const LRESULT typed = SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0) - length;
    std::printf("%-36s %4d keys %7.3f s  %6.2f ms a key%s\n", what, keys, seconds, seconds * 1000 / keys,
                typed == keys ? "" : "  [not every key arrived]");
}

}  // namespace

void SetControlTextForBench(const std::string& bytes) {
    MemoryStream stream;
    stream.buffer = const_cast<char*>(bytes.data());
    stream.length = static_cast<std::uint32_t>(bytes.size());
    StreamTextIn(stream, kStreamWholeText);
    ClearUndo();
}

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 300;
    if (!StartTestApplication() || !EditorControl) {
        std::puts("the application did not start with its editor control");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    constexpr std::size_t kBig = 64u << 20;
    if (TextLimit < 2 * kBig) TextLimit = 2 * kBig;
    SendMessageA(EditorControl, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(TextLimit));
    ShowWindow(MainWindow, SW_SHOW);
    std::printf("typing at the end of the text, whole program, under Wine\n");
    Row("2 KB text", MakeRussianProse(2048), keys);
    Row("64 MB text of short lines", MakeRussianProse(kBig), keys);
    Row("one 64 MB line", std::string(kBig, 'x'), keys);
    CloseTestApplication();
    return 0;
}
