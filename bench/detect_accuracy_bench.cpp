// How often `vemkoconv detect` names the right encoding, and how often it names a Cyrillic code page
// for what is not Cyrillic text. Reads a corpus of Russian UTF-8 texts (the documents separated by NUL
// bytes; bench/detect_accuracy.sh makes it from texts the statistics were not learned from), cuts it
// into pieces of a given number of Russian letters, writes each piece (and each whole document) in
// each of the six encodings and counts the right answers, at any confidence and at the one that
// `convert -f auto` needs. Then, given the folder that scripts/make-detection-corpus.py makes, counts
// for each of its folders what detect answers. Usage:
//   detect_accuracy_bench CORPUS [pieces per range] [OTHER]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "encoding/encoding_detection.h"
#include "encoding/encoding_names.h"
#include "encoding/unicode_conversion.h"
#include "bench/judging_corpus.h"

namespace {

struct Range {
    int low, high;  // Russian letters, high not included
};

const char* NameOf(TextEncoding e) {
    static const char* const kNames[] = {"1251", "866", "koi8r", "iso", "mac", "utf-8"};
    return kNames[static_cast<int>(e)];
}

// An unknown that is right: the bytes read as the same text in another code page.
bool IsTie(const std::string& bytes, const std::string& text, TextEncoding e) {
    for (int cp = 0; cp < kConversionCodePageCount; ++cp)
        if (cp != static_cast<int>(e) && ConvertText(bytes, static_cast<TextEncoding>(cp), TextEncoding::Utf8) == text)
            return true;
    return false;
}

void JudgeRussian(const char* label, const std::vector<std::string>& pieces) {
    const TextEncoding encodings[] = {TextEncoding::Cp1251,    TextEncoding::Cp866,       TextEncoding::Koi8R,
                                      TextEncoding::Iso8859_5, TextEncoding::MacCyrillic, TextEncoding::Utf8};
    std::string atAuto, unknowns;
    double seconds = 0;
    std::printf("%-16s", label);
    for (TextEncoding e : encodings) {
        std::size_t right = 0, rightAtAuto = 0, unknown = 0;
        for (const std::string& piece : pieces) {
            const std::string bytes = ConvertText(piece, TextEncoding::Utf8, e);
            const auto start = std::chrono::steady_clock::now();
            const Detection d = DetectEncoding(bytes, true);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const bool named = d.kind == Detection::Kind::Encoding && d.encoding == e;
            const bool tie = d.kind == Detection::Kind::Unknown && IsTie(bytes, piece, e);
            right += named || tie;
            rightAtAuto += (named && d.confidence >= kAutoConfidence) || tie;
            unknown += d.kind == Detection::Kind::Unknown;
        }
        const double n = static_cast<double>(pieces.size());
        std::printf(" %7.2f%%", 100.0 * static_cast<double>(right) / n);
        char cell[48];
        std::snprintf(cell, sizeof cell, " %7.2f%%", 100.0 * static_cast<double>(rightAtAuto) / n);
        atAuto += cell;
        if (unknown) {
            std::snprintf(cell, sizeof cell, " %s %.2f%%", NameOf(e), 100.0 * static_cast<double>(unknown) / n);
            unknowns += cell;
        }
    }
    std::printf("  %zu texts, %.1f us a text\n", pieces.size(), 1e6 * seconds / static_cast<double>(6 * pieces.size()));
    std::printf("%-16s%s\n", "  at auto", atAuto.c_str());
    if (!unknowns.empty()) std::printf("%-16s unknown:%s\n", "", unknowns.c_str());
}

std::string AnswerOf(const Detection& d) {
    switch (d.kind) {
        case Detection::Kind::Ascii: return "ascii";
        case Detection::Kind::Encoding: return EncodingName(d.encoding);
        case Detection::Kind::Utf32LE: return "utf-32le";
        case Detection::Kind::Utf32BE: return "utf-32be";
        case Detection::Kind::Binary: return "binary";
        case Detection::Kind::Unknown: break;
    }
    return "unknown";
}

// Each folder's name says what is right: cyrillic.LANG.ENCODING the code page, anything else any answer
// but a Cyrillic code page.
void JudgeOthers(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> kinds;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) kinds.push_back(entry.path());
    std::sort(kinds.begin(), kinds.end());
    std::printf("\n%-28s %6s %11s %11s %8s  %s\n", "folder", "texts", "code page", "at auto", "highest", "answers");
    std::size_t others = 0, named = 0, namedAtAuto = 0;
    for (const auto& kind : kinds) {
        const std::string name = kind.filename().string();
        const bool cyrillic = name.rfind("cyrillic.", 0) == 0;
        std::string expected;
        if (cyrillic) {
            const auto chart = name.substr(name.rfind('.') + 1);
            const auto encoding = ParseEncoding(chart == "MACCYRILLIC" ? "mac" : chart);
            expected = encoding ? EncodingName(*encoding) : chart;
        }
        std::size_t texts = 0, cyrillicNamed = 0, atAuto = 0;
        double highest = 0;
        std::map<std::string, std::size_t> answers;
        for (const auto& file : std::filesystem::directory_iterator(kind)) {
            const std::string bytes = ReadFile(file.path());
            const Detection d = DetectEncoding(bytes, bytes.size() <= kDetectionSample);
            const std::string answer = AnswerOf(d);
            ++texts;
            ++answers[answer];
            const bool codePage = d.kind == Detection::Kind::Encoding && IsSingleByte(d.encoding);
            if (cyrillic ? answer == expected : codePage) {
                ++cyrillicNamed;
                atAuto += d.confidence >= kAutoConfidence;
                highest = std::max(highest, d.confidence);
            }
        }
        std::string summary;
        for (const auto& [answer, count] : answers) summary += answer + " " + std::to_string(count) + "  ";
        std::printf("%-28s %6zu %11zu %11zu %8.2f  %s\n", name.c_str(), texts, cyrillicNamed, atAuto, highest,
                    summary.c_str());
        if (!cyrillic) {
            others += texts;
            named += cyrillicNamed;
            namedAtAuto += atAuto;
        }
    }
    std::printf("\nnot Cyrillic: %zu texts; named a Cyrillic code page: %zu, at or above %.2f: %zu\n", others, named,
                kAutoConfidence, namedAtAuto);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: detect_accuracy_bench CORPUS [pieces per range] [OTHER]\n");
        return 2;
    }
    const std::string corpus = Joined(ReadFile(argv[1]));
    std::vector<std::string> shortDocuments, longDocuments;  // whole, of 60-1000 letters and of more
    for (std::string& document : Documents(ReadFile(argv[1]), 60))
        (RussianLetters(document) < 1000 ? shortDocuments : longDocuments).push_back(std::move(document));
    const std::size_t count = argc > 2 ? std::stoul(argv[2]) : 5000;
    std::mt19937 random(2026);
    std::printf("corpus: %zu bytes; %zu pieces per range and encoding; auto needs a confidence of %.2f\n",
                corpus.size(), count, kAutoConfidence);
    std::printf("%-16s", "letters");
    for (const char* name : {"1251", "866", "koi8r", "iso", "mac", "utf-8"}) std::printf(" %8s", name);
    std::printf("   (%% right, a tie answered unknown counted right; below: the same at the auto confidence)\n");
    for (Range range : {Range{60, 200}, Range{200, 1000}, Range{20, 60}}) {
        char label[32];
        std::snprintf(label, sizeof label, "%d-%d", range.low, range.high);
        JudgeRussian(label, Pieces(corpus, range.low, range.high, count, random));
    }
    JudgeRussian("whole, 60-1000", shortDocuments);
    JudgeRussian("whole, 1000+", longDocuments);
    if (argc > 3) JudgeOthers(argv[3]);
    return 0;
}
