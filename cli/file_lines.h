#pragma once
// What the commands print about each file goes through here, so that files worked on side by side
// still print in the files' order: while a thread collects a file's lines they are kept, to be
// printed when that file's turn comes.
#include <string>
#include <utility>
#include <vector>

class FileLines {
public:
    // To standard output and standard error in the order they came; then forgotten.
    void Print();
    void Add(bool error, std::string text) { pieces_.emplace_back(error, std::move(text)); }

private:
    std::vector<std::pair<bool, std::string>> pieces_;
};

// While one lives, the lines its thread prints go into `lines`.
class CollectingLines {
public:
    explicit CollectingLines(FileLines& lines);
    CollectingLines(const CollectingLines&) = delete;
    CollectingLines& operator=(const CollectingLines&) = delete;
    ~CollectingLines();

private:
    FileLines* previous_;
};

// Standard output, printf-style.
void PrintFileLine(const char* format, ...);
// Standard error, after what standard output holds, so that the two read in order on one terminal.
void PrintErrorText(const std::string& text);
