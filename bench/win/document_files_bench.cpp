// Opening and saving a 64 MB file through the program's own paths (LoadFile streams the file into
// the editor control; SaveDocument streams it out to a new file that replaces the old one), against
// reading and writing the same bytes with nothing in between; the same prose with LF line ends
// against its CR LF twin, and the commands that convert every line break of it. Prints figures; not
// a test.
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
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/document_line_ends.h"
#include "encoding/line_ends.h"
#include "resources/resource.h"
#include "document/win/view_code_page.h"
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
// The processor time of this process so far, in seconds: a figure other programs' load hardly moves.
double ProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    auto seconds = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

double TimedStart(const char* commandLine, std::size_t* length, int* view = nullptr, double* processor = nullptr) {
    const double start = Seconds();
    const double startProcessor = ProcessorSeconds();
    const bool started = StartTestApplication(commandLine) != nullptr;
    const double took = Seconds() - start;
    if (processor) *processor = ProcessorSeconds() - startProcessor;
    *length = started && EditorControl ? static_cast<std::size_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0)) : 0;
    if (view) *view = CodePageIndex;
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
    // The same prose as UTF-8, cut to 64 MB at a character's start: it opens in the UTF-8 view.
    std::string utf8 = MakeRussianUtf8Prose(kSize);
    const char* openedUtf8 = "C:\\vemko-bench\\command-line-utf8.txt";
    if (!WriteWhole(openedUtf8, utf8)) return 1;
    // And as UTF-16 LE with its byte order mark, as Windows tools write it: the UTF-16 LE view.
    const std::string utf16 = MakeRussianUtf16Prose(kSize);
    const char* openedUtf16 = "C:\\vemko-bench\\command-line-utf16.txt";
    if (!WriteWhole(openedUtf16, utf16)) return 1;
    // Its LF twin, as Linux and git write it: the same lines, a byte fewer each.
    const std::string lf = WithLineEnds(text, LineEndKind::Lf);
    const char* openedLf = "C:\\vemko-bench\\command-line-lf.txt";
    if (!WriteWhole(openedLf, lf)) return 1;
    // The first start of the process also loads what every start shares: the second empty start is
    // the one compared, and the best of three of each.
    std::size_t emptyLength = 0, openedLength = 0, lfLength = 0;
    TimedStart("vemko.exe", &emptyLength);
    double empty = 1e9, withFile = 1e9, withUtf8 = 1e9, withUtf16 = 1e9, withLf = 1e9;
    double cpu[5] = {1e9, 1e9, 1e9, 1e9, 1e9}, taken = 0;  // processor time of the five starts
    std::size_t utf8Length = 0, utf16Length = 0;
    int utf8View = -1, utf16View = -1;
    for (int round = 0; round < 3; ++round) {
        withLf = std::min(withLf, TimedStart("vemko.exe C:\\vemko-bench\\command-line-lf.txt", &lfLength, nullptr, &taken));
        cpu[4] = std::min(cpu[4], taken);
        empty = std::min(empty, TimedStart("vemko.exe", &emptyLength, nullptr, &taken));
        cpu[0] = std::min(cpu[0], taken);
        withFile = std::min(withFile, TimedStart("vemko.exe C:\\vemko-bench\\command-line.txt", &openedLength, nullptr, &taken));
        cpu[1] = std::min(cpu[1], taken);
        withUtf8 = std::min(withUtf8, TimedStart("vemko.exe C:\\vemko-bench\\command-line-utf8.txt", &utf8Length, &utf8View, &taken));
        cpu[2] = std::min(cpu[2], taken);
        withUtf16 = std::min(withUtf16, TimedStart("vemko.exe C:\\vemko-bench\\command-line-utf16.txt", &utf16Length,
                                                   &utf16View, &taken));
        cpu[3] = std::min(cpu[3], taken);
    }
    DeleteFileA(openedUtf16);
    DeleteFileA(openedLf);
    DeleteFileA(opened);
    DeleteFileA(openedUtf8);

    if (!StartTestApplication() || !EditorControl) {
        std::puts("the application did not start with its editor control");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    if (Program().textLimit < kSize) Program().textLimit = kSize;

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

    // The LF twin opened by the program against the CR LF file, best of three, and the commands that
    // make every line break of the 64 MB one kind (the text streamed out, converted, put back with
    // its Undo record), and that Undo.
    const char* lfSource = "C:\\vemko-bench\\open-lf.txt";
    if (!WriteWhole(lfSource, lf)) return 1;
    double openLf = 1e9, openCrLf = 1e9;
    for (int round = 0; round < 3; ++round) {
        start = Seconds();
        LoadFile(lfSource);
        openLf = std::min(openLf, Seconds() - start);
        start = Seconds();
        LoadFile(source);
        openCrLf = std::min(openCrLf, Seconds() - start);
    }
    LoadFile(lfSource);
    const bool lfKept = LineEndsOfDocument().kind == LineEndKind::Lf && !LineEndsOfDocument().mixed;
    auto timedCommand = [](UINT command) {
        const double from = Seconds();
        SendMessageW(MainWindow, WM_COMMAND, command, 0);
        return Seconds() - from;
    };
    const double toCrLf = timedCommand(IDM_LINE_ENDS_CRLF);
    const bool convertedToCrLf = static_cast<std::size_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0)) == kSize &&
                                 LineEndsOfDocument().kind == LineEndKind::CrLf;
    const double toLf = timedCommand(IDM_LINE_ENDS_LF);
    const bool convertedToLf = static_cast<std::size_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0)) == lf.size();
    start = Seconds();
    UndoLast();
    const double undo = Seconds() - start;
    const bool undone = static_cast<std::size_t>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0)) == kSize;
    ClearUndo();
    DeleteFileA(lfSource);

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
    std::printf("  the same with 64 MB of UTF-8 prose        %5.0f ms  (%.0f ms more), %zu bytes, %s\n", withUtf8 * 1000,
                (withUtf8 - empty) * 1000, utf8Length, utf8View == 3 ? "in the UTF-8 view" : "NOT in the UTF-8 view");
    std::printf("  the same with 64 MB of UTF-16 LE prose     %5.0f ms  (%.0f ms more), %zu bytes, %s\n", withUtf16 * 1000,
                (withUtf16 - empty) * 1000, utf16Length, utf16View == 4 ? "in the UTF-16 LE view" : "NOT in the UTF-16 LE view");
    std::printf("  the same with its LF twin (%zu bytes)   %5.0f ms  (%.0f ms more), %zu bytes in the control\n", lf.size(),
                withLf * 1000, (withLf - empty) * 1000, lfLength);
    std::printf("  processor time of those starts: empty %.0f ms, 1251 file %.0f ms, UTF-8 file %.0f ms, UTF-16 file %.0f ms,"
                " LF file %.0f ms\n", cpu[0] * 1000, cpu[1] * 1000, cpu[2] * 1000, cpu[3] * 1000, cpu[4] * 1000);
    std::printf("  open (LoadFile) of the LF twin / of the CR LF file, best of 3  %5.0f / %5.0f ms  %s\n", openLf * 1000,
                openCrLf * 1000, lfKept ? "LF kept" : "NOT LF");
    std::printf("  line ends -> CR LF / -> LF of 64 MB, Undo     %5.0f / %5.0f / %5.0f ms  %s\n", toCrLf * 1000,
                toLf * 1000, undo * 1000, convertedToCrLf && convertedToLf && undone ? "converted" : "NOT CONVERTED");

    DeleteFileA(source);
    DeleteFileA(target);
    InstallSettingsStore(nullptr);
    CloseTestApplication();
    return loaded && saved && identical && openedLength == kSize && utf8Length == utf8.size() && utf16Length == utf16.size() &&
                   lfLength == lf.size() && lfKept && convertedToCrLf && convertedToLf && undone && emptyLength == 0 ? 0 : 1;
}
