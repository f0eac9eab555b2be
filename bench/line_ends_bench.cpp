// Figures for the line-end core on 64 MB: converting every line break to each kind, counting them,
// and the text model's load of an LF text against its CR LF twin (the line index and the count of
// line ends built as the blocks come). Prints figures; judges nothing.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "control/text_model.h"
#include "encoding/line_ends.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// Words of Cyrillic 1251 letters in lines of 40-120 bytes ending in LF.
std::string MakeLfText(std::size_t size) {
    std::mt19937 random(1);
    std::string text;
    text.reserve(size);
    while (text.size() < size) {
        const std::size_t words = 5 + random() % 12;
        for (std::size_t w = 0; w < words; ++w) {
            const std::size_t letters = 2 + random() % 8;
            for (std::size_t i = 0; i < letters; ++i) text.push_back(static_cast<char>(0xE0 + random() % 32));
            text.push_back(' ');
        }
        text += '\n';
    }
    text.resize(size);
    return text;
}

template <typename Work>
double Best(Work&& work) {
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, Milliseconds(start));
    }
    return best;
}

double Load(const std::string& source) {
    constexpr std::size_t kBlock = 64 * 1024;
    return Best([&] {
        TextBuilder built;
        built.Expect(source.size());
        for (std::size_t at = 0; at < source.size(); at += kBlock) built.Append(std::string_view(source).substr(at, kBlock));
        built.Finish();
        TextModel text;
        text.SetTextLimit(TextModel::kLargestLimit);
        text.ReplaceWith(built);
    });
}

}  // namespace

int main() {
    const std::string lf = MakeLfText(64u << 20);
    const std::string crLf = WithLineEnds(lf, LineEndKind::CrLf);
    std::size_t out = 0;
    const double toCrLf = Best([&] { out += WithLineEnds(lf, LineEndKind::CrLf).size(); });
    const double toLf = Best([&] { out += WithLineEnds(crLf, LineEndKind::Lf).size(); });
    const double toCr = Best([&] { out += WithLineEnds(crLf, LineEndKind::Cr).size(); });
    const double count = Best([&] { out += CountLineEnds(crLf.data(), crLf.size()).pairs; });
    std::printf("line ends, 64 MB of Cyrillic text in lines of about 70 bytes (%zu lines)\n",
                CountLineEnds(lf.data(), lf.size()).lfs);
    std::printf("  LF -> CR LF                 %6.1f ms\n", toCrLf);
    std::printf("  CR LF -> LF                 %6.1f ms\n", toLf);
    std::printf("  CR LF -> CR                 %6.1f ms\n", toCr);
    std::printf("  count the line ends         %6.1f ms\n", count);
    std::printf("  load into the text model: LF %6.1f ms, its CR LF twin %6.1f ms\n", Load(lf), Load(crLf));
    return out == 0;
}
