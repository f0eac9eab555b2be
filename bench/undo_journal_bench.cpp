// What the undo journal costs: memory for typed characters (one run, and as many separate runs) and
// for whole-text snapshots of a 1 MB text, and the time to record them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "document/document.h"

namespace {

// A document as a load leaves it: the text in, nothing recorded.
void Load(Document& document, std::string_view text) {
    document.Replace(0, 0, text, UndoKind::NotRecorded);
    document.Select(0, 0);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* what, const UndoJournal& journal, std::size_t savedText, double seconds) {
    std::size_t bytes = journal.MemoryBytes();
    std::size_t records = journal.RecordCount();
    std::printf("%-44s %7zu records  %11zu bytes  saved text %11zu  beyond it %6.1f bytes/record  %.3f s\n", what,
                records, bytes, savedText, records ? double(bytes - savedText) / double(records) : 0.0, seconds);
}

}  // namespace

int main() {
    constexpr int kTyped = 100000;
    constexpr int kSnapshots = 100;
    constexpr std::size_t kSnapshotText = 1 << 20;
    std::printf("sizeof(UndoRecord) = %zu bytes\n", sizeof(UndoRecord));

    {
        Document d;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kTyped; ++i) d.TypeAnsi(static_cast<std::uint8_t>('a' + i % 26));
        Report("10^5 characters typed in one run", d.Journal(), 0, Seconds(start));
    }
    {
        // Each character typed at the start of the text begins a run of its own.
        Document d;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kTyped; ++i) {
            d.Select(0, 0);
            d.TypeAnsi(static_cast<std::uint8_t>('a' + i % 26));
        }
        Report("10^5 characters typed as separate runs", d.Journal(), 0, Seconds(start));
    }
    {
        Document d;
        Load(d, std::string(kSnapshotText, 'x'));
        std::size_t saved = 0;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kSnapshots; ++i) {
            saved += d.Length();
            const char y = 'y';
            d.Replace(static_cast<std::size_t>(i), static_cast<std::size_t>(i) + 1, std::string_view(&y, 1),
                      UndoKind::TextSnapshot);
            // A keystroke between the rewrites keeps them from being taken back together.
            d.Select(d.Length(), d.Length());
            d.TypeAnsi('z');
        }
        Report("100 snapshots of a 1 MB text (+100 keys)", d.Journal(), saved, Seconds(start));
        start = std::chrono::steady_clock::now();
        while (!d.Journal().Empty()) d.Undo();
        std::printf("undoing them all: %.3f s, text back to %zu bytes, %s\n", Seconds(start), d.Length(),
                    d.Text().Text() == std::string(kSnapshotText, 'x') ? "as it was" : "NOT as it was");
    }
    return 0;
}
