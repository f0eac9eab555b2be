// Peak memory of the big-text paths of the program on a 256 MB text (or the size given in MB as the
// first argument): opening a file, saving it, switching word wrap, and a whole-text conversion. The
// figure is the process's peak resident memory above what it held before each step, read from the
// system under Wine (its peak is reset before each step). Prints figures; not a test.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "bench/win/bench_text.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/transform_commands.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "tools/win/word_wrap.h"

namespace {

std::string ReadSmallFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char text[4096] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(text, read);
}

long KilobytesIn(const std::string& status, const char* field) {
    std::size_t at = status.find(field);
    return at == std::string::npos ? -1 : std::strtol(status.c_str() + at + std::strlen(field) + 1, nullptr, 10);
}

// The Linux process this program runs in: "/proc/self" seen through Wine's drive Z: is not this
// process. Of the processes whose command line names this program (the shell that started it
// too), it is the one holding the most memory, once the text is loaded.
std::string OwnProcessFolder() {
    static std::string folder;
    if (!folder.empty()) return folder;
    long most = -1;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    do {
        if (found.cFileName[0] < '0' || found.cFileName[0] > '9') continue;
        std::string candidate = std::string("Z:\\proc\\") + found.cFileName;
        if (ReadSmallFile(candidate + "\\cmdline").find("memory_peaks_bench") == std::string::npos) continue;
        long resident = KilobytesIn(ReadSmallFile(candidate + "\\status"), "VmRSS:");
        if (resident > most) {
            most = resident;
            folder = candidate;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return folder;
}

// A value in kB from the Linux process status ("VmRSS", "VmHWM").
long StatusKilobytes(const char* field) {
    HANDLE file = CreateFileA((OwnProcessFolder() + "\\status").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    char text[8192] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    const char* at = std::strstr(text, field);
    return at ? std::strtol(at + std::strlen(field) + 1, nullptr, 10) : -1;
}

// Resets the peak resident size to the present one.
bool ResetPeak() {
    HANDLE file = CreateFileA((OwnProcessFolder() + "\\clear_refs").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, "5", 1, &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}

template <typename Step>
void Measure(const char* what, std::size_t textBytes, Step&& step) {
    const long before = StatusKilobytes("VmRSS:");
    const bool reset = ResetPeak();
    const double start = Seconds();
    const bool ok = step();
    const double seconds = Seconds() - start;
    const long peak = StatusKilobytes("VmHWM:");
    const double megabytes = static_cast<double>(peak - before) / 1024.0;
    if (before < 0 || peak < 0) std::printf("(could not read the process status: %ld %ld)\n", before, peak);
    std::printf("%-34s %s peak above start %7.1f MB = %.2f x text  (%.2f s)%s\n", what, ok ? "ok  " : "FAIL", megabytes,
                megabytes * 1024.0 * 1024.0 / static_cast<double>(textBytes), seconds,
                reset ? "" : "  [peak not reset]");
}

bool WriteWhole(const char* path, const std::string& bytes) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const std::size_t size = megabytes << 20;
    if (!StartTestApplication() || !EditorControl) {
        std::puts("the application did not start with its editor control");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    if (Program().textLimit < size) Program().textLimit = static_cast<std::uint32_t>(size);
    SendMessageA(EditorControl, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(Program().textLimit));

    CreateDirectoryA("C:\\vemko-bench", nullptr);
    const char* source = "C:\\vemko-bench\\memory.txt";
    {
        const std::string text = MakeRussianProse(size);
        if (!WriteWhole(source, text)) return 1;
    }
    {
        // Found while this process clearly holds the most.
        std::string ballast(64u << 20, 'x');
        OwnProcessFolder();
    }
    std::printf("text of %zu MB, under Wine (process %s)\n", megabytes, OwnProcessFolder().c_str());
    Measure("open (LoadFile)", size, [&] { return LoadFile(source); });
    Measure("save (SaveDocument)", size, [&] { return SaveDocument(); });
    Measure("word wrap on", size, [&] { return RebuildEditorControl(0); });
    Measure("word wrap off", size, [&] { return RebuildEditorControl(kNoWordWrapStyle); });
    // The conversion keeps a snapshot of the text for its Undo, as every whole-text rewrite does.
    SendMessageA(EditorControl, EM_SETSEL, 0, 0);
    Measure("whole-text conversion with Undo", size, [&] {
        RunTransformCommand(IDM_TO_OEM);
        return !DocumentUndoJournal().Empty();
    });
    ClearUndo();
    SetJournalOff(true);
    Measure("whole-text conversion, journal off", size, [&] {
        RunTransformCommand(IDM_TO_KOI8);
        return true;
    });
    DeleteFileA(source);
    CloseTestApplication();
    return 0;
}
