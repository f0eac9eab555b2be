// Opening and saving a 64 MB file through the program's own paths (LoadFile streams the file into
// the editor control; SaveDocument streams it out to a new file that replaces the old one), against
// reading and writing the same bytes with nothing in between. Prints figures; not a test.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/settings.h"
#include "bench/win/bench_text.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "document/win/document_files.h"
#include "support/win/app_harness.h"

namespace {

bool WriteWhole(const char* path, const std::string& bytes) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::size_t ReadWhole(const char* path, std::vector<char>& into) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD read = 0;
    std::size_t total = 0;
    while (ReadFile(file, into.data() + total, static_cast<DWORD>(into.size() - total), &read, nullptr) && read)
        total += read;
    CloseHandle(file);
    return total;
}

// Start-up to the first painted window (the message queue drained and some milliseconds more, the
// same for every start), then closed.
double TimedStart(const char* commandLine, std::size_t* length) {
    const double start = Seconds();
    const bool started = StartTestApplication(commandLine) != nullptr;
    const double took = Seconds() - start;
    *length = started && EditorControl ? static_cast<std::size_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0)) : 0;
    CloseTestApplication();
    return started ? took : -1;
}

}  // namespace

int main() {
    constexpr std::size_t kSize = 64u << 20;
    CreateDirectoryA("C:\\vemko-bench", nullptr);
    const std::string text = MakeRussianProse(kSize);
    const char* opened = "C:\\vemko-bench\\command-line.txt";
    if (!WriteWhole(opened, text)) return 1;
    // The first start of the process also loads what every start shares: the second empty start is
    // the one compared, and the best of three of each.
    std::size_t emptyLength = 0, openedLength = 0;
    TimedStart("vemko.exe", &emptyLength);
    double empty = 1e9, withFile = 1e9;
    for (int round = 0; round < 3; ++round) {
        empty = std::min(empty, TimedStart("vemko.exe", &emptyLength));
        withFile = std::min(withFile, TimedStart("vemko.exe C:\\vemko-bench\\command-line.txt", &openedLength));
    }
    DeleteFileA(opened);

    if (!StartTestApplication() || !EditorControl) {
        std::puts("the application did not start with its editor control");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    if (TextLimit < kSize) TextLimit = kSize;

    const char* source = "C:\\vemko-bench\\open.txt";
    const char* target = "C:\\vemko-bench\\saved.txt";

    double start = Seconds();
    if (!WriteWhole(source, text)) return 1;
    double rawWrite = Seconds() - start;
    std::vector<char> buffer(kSize);
    start = Seconds();
    std::size_t rawBytes = ReadWhole(source, buffer);
    double rawRead = Seconds() - start;

    // The first open of the process also pays for the control's first growth to 64 MB.
    start = Seconds();
    bool loaded = LoadFile(source);
    double firstOpen = Seconds() - start;
    start = Seconds();
    loaded = LoadFile(source) && loaded;
    double open = Seconds() - start;
    // The control's own part of an open: the same bytes streamed in from memory.
    MemoryStream fromMemory;
    fromMemory.buffer = const_cast<char*>(text.data());
    fromMemory.length = static_cast<std::uint32_t>(text.size());
    start = Seconds();
    StreamTextIn(fromMemory, kStreamWholeText);
    double memoryIn = Seconds() - start;
    auto length = static_cast<std::size_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0));

    lstrcpynA(CurrentFileName, target, MAX_PATH);
    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
    start = Seconds();
    bool saved = SaveDocument();
    double save = Seconds() - start;
    std::size_t savedBytes = ReadWhole(target, buffer);
    bool identical = savedBytes == kSize && std::string(buffer.data(), savedBytes) == text;

    std::printf("document files, 64 MB of 1251 text with CR LF lines, under Wine\n");
    std::printf("  first open of the process (LoadFile)    %7.0f ms  %6.0f MB/s\n", firstOpen * 1000, 64 / firstOpen);
    std::printf("  open (LoadFile, file -> control)        %7.0f ms  %6.0f MB/s  %s, %zu bytes in the control\n",
                open * 1000, 64 / open, loaded ? "loaded" : "FAILED", length);
    std::printf("  save (SaveDocument, control -> file)    %7.0f ms  %6.0f MB/s  %s, %s\n", save * 1000, 64 / save,
                saved ? "saved" : "FAILED", identical ? "byte-identical" : "DIFFERENT");
    std::printf("  the control alone: stream in from memory %7.0f ms\n", memoryIn * 1000);
    std::printf("  floor: read the file into memory         %7.0f ms  (%zu bytes)\n", rawRead * 1000, rawBytes);
    std::printf("  floor: write and flush it from memory    %7.0f ms\n", rawWrite * 1000);
    std::printf("  start-up to the painted window, empty    %7.0f ms\n", empty * 1000);
    std::printf("  the same with the file on the command line %5.0f ms  (%.0f ms more), %zu bytes in the control\n",
                withFile * 1000, (withFile - empty) * 1000, openedLength);

    DeleteFileA(source);
    DeleteFileA(target);
    InstallSettingsStore(nullptr);
    CloseTestApplication();
    return loaded && saved && identical && openedLength == kSize && emptyLength == 0 ? 0 : 1;
}
