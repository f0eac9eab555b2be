#pragma once
// The closing summary of a run over several files, and the progress line a long run shows on a
// terminal.
#include <chrono>
#include <cstddef>
#include <string>

// What became of one file.
enum class Tally {
    Done,             // converted, repaired
    Unchanged,        // already in the target, clean
    Binary,           // left alone: data
    Unknown,          // left alone: no encoding told, or what was done to it
    BelowConfidence,  // left alone: an encoding named, below the confidence asked for
    NotConverted,     // left alone: an encoding the command does not convert (UTF-32)
    Skipped,          // not worked on: a FIFO, a device, a link to a folder
    Failed,           // could not be read or written
};

// The tally of a file that -f auto left alone, by the name it was detected as.
Tally LeftAloneTally(const char* detectedName);

class RunSummary {
public:
    void Count(Tally tally, bool replaced);
    // The files counted, skipped ones aside.
    std::size_t Files() const { return files_; }
    // "vemkoconv: 12 files: 7 converted, ...": `verb` is the command's ("convert", "repair").
    std::string Text(const char* verb, bool dryRun) const;

private:
    std::size_t files_ = 0;
    std::size_t counts_[8] = {};
    std::size_t replaced_ = 0;
};

// "vemkoconv: N of M files" on standard error, shown only when it is a terminal and the run has taken
// a couple of seconds, and taken away before anything else is printed.
class Progress {
public:
    explicit Progress(std::size_t total);
    void Show(std::size_t done);
    void Clear();

private:
    std::size_t total_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, last_;
};
