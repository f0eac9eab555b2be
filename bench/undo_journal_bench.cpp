// What the undo journal costs: memory for typed characters (one run, and as many separate runs) and
// for whole-text snapshots of a 1 MB text, and the time to record them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "document/undo_journal.h"

namespace {

class PlainText final : public TextAccess {
public:
    std::string text;
    std::int32_t caret = 0, anchor = 0;

    std::int32_t TextLength() override { return static_cast<std::int32_t>(text.size()); }
    void GetSelection(std::int32_t& start, std::int32_t& end) override {
        start = std::min(caret, anchor);
        end = std::max(caret, anchor);
    }
    void SetSelection(std::int32_t start, std::int32_t end) override {
        anchor = std::clamp(start, 0, TextLength());
        caret = std::clamp(end, 0, TextLength());
    }
    std::size_t ReadRange(std::int32_t start, std::int32_t end, char* buffer) override {
        start = std::clamp(start, 0, TextLength());
        end = std::clamp(end, start, TextLength());
        std::memcpy(buffer, text.data() + start, static_cast<std::size_t>(end - start));
        return static_cast<std::size_t>(end - start);
    }
    bool ReplaceSelection(std::string_view bytes) override {
        std::int32_t s0, s1;
        GetSelection(s0, s1);
        text.replace(static_cast<std::size_t>(s0), static_cast<std::size_t>(s1 - s0), bytes);
        caret = anchor = s0 + static_cast<std::int32_t>(bytes.size());
        return true;
    }
    bool ClearSelection() override { return ReplaceSelection({}); }
    std::int32_t WordBreakLeft(std::int32_t from) override { return std::max(0, from - 1); }
    std::int32_t WordBreakRight(std::int32_t from) override { return std::min(TextLength(), from + 1); }
    std::size_t StreamTextOut(char* buffer, std::size_t capacity) override {
        std::size_t n = std::min(capacity, text.size());
        std::memcpy(buffer, text.data(), n);
        return n;
    }
    bool StreamTextIn(std::string_view bytes) override {
        text.assign(bytes);
        caret = anchor = 0;
        return true;
    }
    std::uint8_t ViewCodePage() override { return 0; }
    void ApplyViewCodePage(std::uint8_t) override {}
    void ReportOutOfMemory() override { std::puts("allocation failed"); }

    void Type(UndoJournal& journal, char ch) {
        journal.Record(*this, UndoKind::TypeChar, 1);
        ReplaceSelection(std::string_view(&ch, 1));
    }
};

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
        PlainText t;
        UndoJournal journal;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kTyped; ++i) t.Type(journal, static_cast<char>('a' + i % 26));
        Report("10^5 characters typed in one run", journal, 0, Seconds(start));
    }
    {
        // Each character typed at the start of the text begins a run of its own.
        PlainText t;
        UndoJournal journal;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kTyped; ++i) {
            t.SetSelection(0, 0);
            t.Type(journal, static_cast<char>('a' + i % 26));
        }
        Report("10^5 characters typed as separate runs", journal, 0, Seconds(start));
    }
    {
        PlainText t;
        t.text.assign(kSnapshotText, 'x');
        UndoJournal journal;
        std::size_t saved = 0;
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kSnapshots; ++i) {
            saved += t.text.size();
            journal.Record(t, UndoKind::TextSnapshot, 0);
            t.text[static_cast<std::size_t>(i)] = 'y';
            // A keystroke between the rewrites keeps them from being taken back together.
            t.SetSelection(t.TextLength(), t.TextLength());
            t.Type(journal, 'z');
        }
        Report("100 snapshots of a 1 MB text (+100 keys)", journal, saved, Seconds(start));
        start = std::chrono::steady_clock::now();
        while (!journal.Empty()) journal.UndoLast(t);
        std::printf("undoing them all: %.3f s, text back to %zu bytes, %s\n", Seconds(start), t.text.size(),
                    t.text == std::string(kSnapshotText, 'x') ? "as it was" : "NOT as it was");
    }
    return 0;
}
