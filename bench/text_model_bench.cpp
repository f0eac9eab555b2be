// Figures for the editor control's text core on a big Cyrillic text: load in blocks as a stream
// does, keystrokes at the end and in the middle, search across the whole text, many replacements,
// display lines with word wrap. Prints figures; judges nothing.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "control/line_breaks.h"
#include "control/text_layout.h"
#include "control/text_model.h"
#include "control/text_search.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

std::string MakeText(std::size_t size) {
    std::mt19937 random(1);
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        std::size_t words = 3 + random() % 10;
        for (std::size_t w = 0; w < words; ++w) {
            std::size_t letters = 2 + random() % 8;
            for (std::size_t i = 0; i < letters; ++i) text.push_back(static_cast<char>(0xE0 + random() % 32));
            text.push_back(' ');
        }
        text += "\r\n";
    }
    text.resize(size);
    return text;
}

// The whole text's line index as a load builds it: the bytes streamed into a builder in 64 KB blocks,
// the line starts found on the way; beside it the scan alone, sixteen bytes and eight bytes at a time,
// and the copy alone.
void BuildIndex(const std::string& source) {
    constexpr std::size_t kBlock = 64 * 1024;
    auto start = std::chrono::steady_clock::now();
    TextBuilder built;
    built.Expect(source.size());
    for (std::size_t at = 0; at < source.size(); at += kBlock)
        built.Append(std::string_view(source).substr(at, kBlock));
    built.Finish();
    TextModel text;
    text.SetTextLimit(TextModel::kLargestLimit);
    text.ReplaceWith(built);
    const double build = Milliseconds(start);

    start = std::chrono::steady_clock::now();
    std::size_t found = 0;
    line_breaks::ForEachLineStart(source.data(), source.size(), [&found](std::size_t) { ++found; });
    const double scan = Milliseconds(start);
    start = std::chrono::steady_clock::now();
    std::size_t byWords = 0;
    line_breaks::ForEachLineStartByWords(source.data(), source.size(), [&byWords](std::size_t) { ++byWords; });
    const double words = Milliseconds(start);
    std::string copy(source.size(), '\0');
    start = std::chrono::steady_clock::now();
    std::memcpy(copy.data(), source.data(), source.size());
    const double copied = Milliseconds(start);
    std::printf("        line index of the whole text streamed in 64 KB blocks: %.0f ms (%zu lines)\n", build,
                text.LineCount());
    std::printf("        line starts found sixteen bytes at a time %.0f ms, as 64-bit words %.0f ms (%zu, %zu);"
                " copying the text %.0f ms\n",
                scan, words, found, byWords, copied);
}

void Run(std::size_t megabytes) {
    std::string source = MakeText(megabytes << 20);
    TextModel text;
    text.SetTextLimit(TextModel::kLargestLimit);
    auto start = std::chrono::steady_clock::now();
    constexpr std::size_t kBlock = 4096;
    for (std::size_t at = 0; at < source.size(); at += kBlock)
        text.Insert(at, std::string_view(source).substr(at, kBlock), false);
    text.Compact();
    double load = Milliseconds(start);
    std::printf("%3zu MB: load in 4 KB blocks %.0f ms, %zu lines, memory %.2f x text\n", megabytes, load,
                text.LineCount(), double(text.MemoryBytes()) / double(text.Length()));
    BuildIndex(source);

    start = std::chrono::steady_clock::now();
    text.Insert(text.Length(), "x", true, EditKind::Typing);
    double atEnd = Milliseconds(start);
    std::size_t middle = text.Length() / 2;
    start = std::chrono::steady_clock::now();
    text.Insert(middle, "x", true, EditKind::Typing);
    double inMiddle = Milliseconds(start);
    start = std::chrono::steady_clock::now();
    text.Insert(text.Length(), "y", true, EditKind::Typing);
    double backAtEnd = Milliseconds(start);
    start = std::chrono::steady_clock::now();
    text.Insert(middle + 1, "\r\n", true, EditKind::Typing);
    double enterInMiddle = Milliseconds(start);
    std::printf("        keystroke: end %.3f ms, middle %.3f ms, end again %.3f ms, Enter in middle %.3f ms\n",
                atEnd, inMiddle, backAtEnd, enterInMiddle);

    const char pattern[] = "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8";  // not in the text
    for (bool matchCase : {true, false}) {
        start = std::chrono::steady_clock::now();
        std::size_t found = SearchText(text, pattern, 0, TextModel::kNoPosition, {false, matchCase}, LettersOfView(0));
        std::printf("        find across the text (%s): %.0f ms%s\n", matchCase ? "match case" : "any case",
                    Milliseconds(start), found == TextModel::kNoPosition ? "" : " (found?)");
    }
    start = std::chrono::steady_clock::now();
    std::size_t found = SearchText(text, "\xE0\xE1", 0, TextModel::kNoPosition, {true, false}, LettersOfView(1));
    std::printf("        find a short whole word in 866: %.0f ms (at %zu)\n", Milliseconds(start), found);

    // As a replace-all run does it: find the next match from behind the last replacement, replace.
    start = std::chrono::steady_clock::now();
    std::size_t from = 0;
    int replaced = 0;
    for (; replaced < 100000; ++replaced) {
        std::size_t at = SearchText(text, "\xE0\xE1", from, TextModel::kNoPosition, {false, true}, LettersOfView(0));
        if (at == TextModel::kNoPosition) break;
        text.Replace(at, at + 2, "abc", true);
        from = at + 3;
    }
    std::printf("        %d replacements going forward (find, replace): %.0f ms\n", replaced, Milliseconds(start));
    start = std::chrono::steady_clock::now();
    std::mt19937 random(2);
    for (int i = 0; i < 1000; ++i) {
        std::size_t at = random() % (text.Length() - 4);
        text.Replace(at, at + 3, "abcd", true);
    }
    std::printf("        10^3 replacements at random places: %.0f ms\n", Milliseconds(start));

    TextLayout layout(text);
    CharWidths widths;
    widths.fill(8);
    layout.SetWidths(widths, 64);
    layout.SetWrapWidth(400);
    start = std::chrono::steady_clock::now();
    std::size_t displayLines = layout.DisplayLineCount();
    std::printf("        word wrap at 50 characters: %zu display lines counted in %.0f ms\n", displayLines,
                Milliseconds(start));
    start = std::chrono::steady_clock::now();
    text.Insert(middle, "z", true, EditKind::Typing);
    std::size_t line = layout.DisplayLineFromPosition(text.Length());
    std::printf("        keystroke in the middle with wrap, then the last line's number: %.3f ms (%zu)\n",
                Milliseconds(start), line);
}

}  // namespace

int main() {
    Run(16);
    Run(64);
}
