#include "cli/run_summary.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

constexpr auto kQuietStart = std::chrono::seconds(2);
constexpr auto kRedraw = std::chrono::milliseconds(200);

std::string Counted(std::size_t n, const char* what) { return std::to_string(n) + " " + what; }

}  // namespace

Tally LeftAloneTally(const char* detectedName) {
    if (std::strcmp(detectedName, "binary") == 0) return Tally::Binary;
    if (std::strcmp(detectedName, "unknown") == 0) return Tally::Unknown;
    if (std::strncmp(detectedName, "utf-32", 6) == 0) return Tally::NotConverted;
    return Tally::BelowConfidence;
}

void RunSummary::Count(Tally tally, bool replaced) {
    files_ += tally != Tally::Skipped;
    ++counts_[static_cast<int>(tally)];
    replaced_ += replaced;
}

std::string RunSummary::Text(const char* verb, bool dryRun) const {
    const bool repair = std::strcmp(verb, "repair") == 0;
    auto n = [&](Tally t) { return counts_[static_cast<int>(t)]; };
    std::string text = "vemkoconv: " + Counted(files_, files_ == 1 ? "file" : "files") + ": ";
    text += Counted(n(Tally::Done), dryRun ? (repair ? "to repair" : "to convert") : (repair ? "repaired" : "converted"));
    text += ", " + Counted(n(Tally::Unchanged), repair ? "clean" : "already in the target");
    const std::size_t alone = n(Tally::Binary) + n(Tally::Unknown) + n(Tally::BelowConfidence) + n(Tally::NotConverted);
    text += ", " + Counted(alone, "left alone");
    if (alone) {
        std::string why;
        auto reason = [&](Tally t, const char* what) {
            if (n(t)) why += (why.empty() ? "" : ", ") + Counted(n(t), what);
        };
        reason(Tally::Binary, "binary");
        reason(Tally::Unknown, "unknown");
        reason(Tally::BelowConfidence, "below the confidence");
        reason(Tally::NotConverted, "utf-32");
        text += " (" + why + ")";
    }
    if (replaced_) text += "; " + Counted(replaced_, repair ? "with characters left as '?'" : "with characters replaced by '?'");
    if (n(Tally::Skipped)) text += "; " + Counted(n(Tally::Skipped), "skipped");
    if (n(Tally::Failed)) text += "; " + Counted(n(Tally::Failed), "could not be read or written");
    if (dryRun) text += "; a dry run: nothing was written";
    return text + "\n";
}

Progress::Progress(std::size_t total)
    : total_(total), terminal_(isatty(fileno(stderr)) != 0), start_(std::chrono::steady_clock::now()) {}

void Progress::Show(std::size_t done) {
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < kQuietStart || (shown_ && now - last_ < kRedraw)) return;
    std::fflush(stdout);
    std::fprintf(stderr, "\rvemkoconv: %zu of %zu files", done, total_);
    std::fflush(stderr);
    shown_ = true;
    last_ = now;
}

void Progress::Clear() {
    if (!shown_) return;
    // Spaces rather than an escape sequence, which not every console reads.
    std::fprintf(stderr, "\r%*s\r", 48, "");
    std::fflush(stderr);
    shown_ = false;
}
