// How often `vemkoconv detect` names the right encoding. Reads a corpus of Russian UTF-8 texts (the
// documents separated by NUL bytes; bench/detect_accuracy.sh makes it from texts the statistics were
// not learned from), cuts it into pieces of a given number of Russian letters, writes each piece in
// each of the six encodings and counts the right answers. Usage:
//   detect_accuracy_bench CORPUS [pieces per range]
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "encoding/encoding_detection.h"
#include "encoding/unicode_conversion.h"

namespace {

struct Range {
    int low, high;  // Russian letters, high not included
};

bool IsRussianLetterAt(const std::string& text, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (i + 1 >= text.size()) return false;
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    return (b0 == 0xD0 && ((b1 >= 0x90 && b1 <= 0xBF) || b1 == 0x81)) ||
           (b0 == 0xD1 && ((b1 >= 0x80 && b1 <= 0x8F) || b1 == 0x91));
}

// Consecutive pieces, each ending at the first blank after it reaches its number of letters.
std::vector<std::string> Pieces(const std::string& corpus, Range range, std::size_t count, std::mt19937& random) {
    std::vector<std::string> pieces;
    std::uniform_int_distribution<int> letters(range.low, range.high - 1);
    std::size_t at = 0;
    while (pieces.size() < count) {
        if (at >= corpus.size()) at = 0;
        const int target = letters(random);
        int seen = 0;
        std::size_t end = at;
        while (end < corpus.size() && seen < target) {
            if (IsRussianLetterAt(corpus, end)) {
                ++seen;
                end += 2;
            } else {
                ++end;
            }
        }
        while (end < corpus.size() && corpus[end] != ' ' && corpus[end] != '\n') ++end;
        if (seen == target) pieces.push_back(corpus.substr(at, end - at));
        at = end;
    }
    return pieces;
}

const char* NameOf(TextEncoding e) {
    static const char* const kNames[] = {"1251", "866", "koi8r", "iso", "mac", "utf-8"};
    return kNames[static_cast<int>(e)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: detect_accuracy_bench CORPUS [pieces per range]\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string corpus{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (char& c : corpus)
        if (c == '\0') c = '\n';
    const std::size_t count = argc > 2 ? std::stoul(argv[2]) : 5000;
    std::mt19937 random(2026);
    const TextEncoding encodings[] = {TextEncoding::Cp1251,    TextEncoding::Cp866,       TextEncoding::Koi8R,
                                      TextEncoding::Iso8859_5, TextEncoding::MacCyrillic, TextEncoding::Utf8};
    std::printf("corpus: %zu bytes; %zu pieces per range and encoding\n", corpus.size(), count);
    std::printf("%-16s", "letters");
    for (TextEncoding e : encodings) std::printf(" %8s", NameOf(e));
    std::printf("   (%% right; below: %% unknown, where any)\n");
    for (Range range : {Range{60, 200}, Range{200, 1000}, Range{20, 60}}) {
        const std::vector<std::string> pieces = Pieces(corpus, range, count, random);
        char label[32];
        std::snprintf(label, sizeof label, "%d-%d", range.low, range.high);
        std::printf("%-16s", label);
        std::string unknowns;
        double seconds = 0;
        for (TextEncoding e : encodings) {
            std::size_t right = 0, unknown = 0;
            for (const std::string& piece : pieces) {
                const std::string bytes = ConvertText(piece, TextEncoding::Utf8, e);
                const auto start = std::chrono::steady_clock::now();
                const Detection d = DetectEncoding(bytes, true);
                seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (d.kind == Detection::Kind::Encoding && d.encoding == e) ++right;
                if (d.kind == Detection::Kind::Unknown) ++unknown;
            }
            std::printf(" %7.2f%%", 100.0 * static_cast<double>(right) / static_cast<double>(pieces.size()));
            char u[32];
            std::snprintf(u, sizeof u, " %s %.2f%%", NameOf(e), 100.0 * static_cast<double>(unknown) / static_cast<double>(pieces.size()));
            if (unknown) unknowns += u;
        }
        std::printf("  %.1f us a piece\n", 1e6 * seconds / static_cast<double>(6 * pieces.size()));
        if (!unknowns.empty()) std::printf("%-16s unknown:%s\n", "", unknowns.c_str());
    }
    return 0;
}
