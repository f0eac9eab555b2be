#include "cli/file_lines.h"

#include <cstdarg>
#include <cstdio>

namespace {

thread_local FileLines* t_collecting = nullptr;

void Emit(bool error, const std::string& text) {
    if (error) {
        std::fflush(stdout);
        std::fputs(text.c_str(), stderr);
    } else {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

}  // namespace

void FileLines::Print() {
    for (const auto& [error, text] : pieces_) Emit(error, text);
    pieces_.clear();
}

CollectingLines::CollectingLines(FileLines& lines) : previous_(t_collecting) { t_collecting = &lines; }

CollectingLines::~CollectingLines() { t_collecting = previous_; }

void PrintFileLine(const char* format, ...) {
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    char small[512];
    const int size = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string text;
    if (size >= 0 && static_cast<std::size_t>(size) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(size));
    } else if (size > 0) {
        text.resize(static_cast<std::size_t>(size) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.pop_back();
    }
    va_end(again);
    if (t_collecting)
        t_collecting->Add(false, std::move(text));
    else
        Emit(false, text);
}

void PrintErrorText(const std::string& text) {
    if (t_collecting)
        t_collecting->Add(true, text);
    else
        Emit(true, text);
}
