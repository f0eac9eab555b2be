// How often `vemkoconv detect` is right on the corpus of bench/corpus/make-corpus.py: for every folder
// LANG.ENCODING.LENGTH the share of its texts named right, at any confidence and at the one that
// `convert -f auto` needs, and what the wrong answers were; then the same summed by language group,
// encoding and length, and the time detection takes. Right is: the code page for Russian, Ukrainian,
// Belarusian, Bulgarian, Serbian and Macedonian in a Cyrillic code page (koi8r for KOI8-U, the nearest
// the tool names), utf-8 or utf-16 for those, never a Cyrillic code page at the auto confidence for
// every other language's own encoding, and for a file in two code pages its first part's code page
// said to be mixed. A text that reads the same in the right code page and another is right when
// answered unknown. Usage:
//   detect_corpus_bench CORPUS
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bench/judging_corpus.h"
#include "encoding/encoding_detection.h"
#include "encoding/encoding_names.h"
#include "encoding/unicode_conversion.h"

namespace {

const std::map<std::string, TextEncoding> kCyrillicPages = {
    {"CP1251", TextEncoding::Cp1251},     {"CP866", TextEncoding::Cp866},
    {"KOI8-R", TextEncoding::Koi8R},      {"KOI8-U", TextEncoding::Koi8R},
    {"ISO-8859-5", TextEncoding::Iso8859_5}, {"MACCYRILLIC", TextEncoding::MacCyrillic}};
const char* const kCyrillicLanguages[] = {"ru", "uk", "be", "bg", "sr", "mk"};

std::string AnswerOf(const Detection& d) {
    switch (d.kind) {
        case Detection::Kind::Ascii: return "ascii";
        case Detection::Kind::Encoding: return std::string(EncodingName(d.encoding)) + (d.mixed ? "+mixed" : "");
        case Detection::Kind::Utf32LE: return "utf-32le";
        case Detection::Kind::Utf32BE: return "utf-32be";
        case Detection::Kind::Binary: return "binary";
        case Detection::Kind::Unknown: break;
    }
    return "unknown";
}

// What a folder's texts should be named.
struct Expectation {
    std::string group;                      // ru, cyrillic (the other Cyrillic languages), other
    std::optional<TextEncoding> encoding;   // nullopt: anything but a Cyrillic code page at auto
    bool mixed = false;
};

Expectation ExpectationOf(const std::string& language, const std::string& encoding, const std::string& length) {
    const bool cyrillic = std::find(std::begin(kCyrillicLanguages), std::end(kCyrillicLanguages), language) !=
                          std::end(kCyrillicLanguages);
    Expectation e{language == "ru" ? "ru" : cyrillic ? "cyrillic" : "other", std::nullopt, length == "mixed"};
    const std::string first = encoding.substr(0, encoding.find('+'));
    if (first == "UTF-8") e.encoding = TextEncoding::Utf8;
    else if (first == "UTF-16LE") e.encoding = TextEncoding::Utf16LE;
    else if (first == "UTF-16BE") e.encoding = TextEncoding::Utf16BE;
    else if (cyrillic && kCyrillicPages.count(first)) e.encoding = kCyrillicPages.at(first);
    return e;
}

bool IsTie(const std::string& bytes, TextEncoding e) {
    if (!IsSingleByte(e)) return false;
    const std::string text = ConvertText(bytes, e, TextEncoding::Utf8);
    for (int cp = 0; cp < kConversionCodePageCount; ++cp)
        if (cp != static_cast<int>(e) && ConvertText(bytes, static_cast<TextEncoding>(cp), TextEncoding::Utf8) == text)
            return true;
    return false;
}

struct Tally {
    std::size_t texts = 0, right = 0, rightAtAuto = 0;
    Tally() = default;
    Tally(std::size_t t, bool r, bool a) : texts(t), right(r), rightAtAuto(a) {}
    void Add(const Tally& t) { texts += t.texts, right += t.right, rightAtAuto += t.rightAtAuto; }
};

struct Timing {
    double seconds = 0;
    std::size_t bytes = 0, texts = 0;
};

std::string Percent(std::size_t part, std::size_t whole) {
    char cell[16];
    std::snprintf(cell, sizeof cell, "%6.2f%%", whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0);
    return cell;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: detect_corpus_bench CORPUS\n");
        return 2;
    }
    std::vector<std::filesystem::path> folders;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_directory()) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    std::map<std::string, Tally> byGroup;  // "group encoding length" and "group * length"
    std::map<std::string, Timing> timing;  // by length
    std::printf("%-34s %6s %8s %8s  %s\n", "folder", "texts", "right", "at auto", "wrong answers");
    for (const auto& folder : folders) {
        const std::string name = folder.filename().string();
        const auto dot1 = name.find('.'), dot2 = name.rfind('.');
        if (dot1 == std::string::npos || dot1 == dot2) continue;
        const std::string language = name.substr(0, dot1), encoding = name.substr(dot1 + 1, dot2 - dot1 - 1),
                          length = name.substr(dot2 + 1);
        const Expectation expected = ExpectationOf(language, encoding, length);
        Tally tally;
        std::map<std::string, Tally> bySource;  // Russian by where the texts came from: man, msg, fortune
        std::map<std::string, std::size_t> wrong;
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            const std::string bytes = ReadFile(file.path());
            const auto start = std::chrono::steady_clock::now();
            const Detection d = DetectEncoding(bytes, bytes.size() <= kDetectionSample);
            Timing& t = timing[length];
            t.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            t.bytes += std::min(bytes.size(), kDetectionSample);
            ++t.texts;
            const bool auto_ = d.confidence >= kAutoConfidence;
            bool right = false, rightAtAuto = false;
            if (!expected.encoding) {
                const bool codePage = d.kind == Detection::Kind::Encoding && IsSingleByte(d.encoding);
                right = !codePage;
                rightAtAuto = !(codePage && auto_);
            } else if (expected.mixed) {
                right = d.kind == Detection::Kind::Encoding && d.encoding == *expected.encoding && d.mixed && !auto_;
                rightAtAuto = right;
            } else {
                const bool named = d.kind == Detection::Kind::Encoding && d.encoding == *expected.encoding && !d.mixed;
                const bool ascii = d.kind == Detection::Kind::Ascii && *expected.encoding == TextEncoding::Utf8;
                const bool tie = d.kind == Detection::Kind::Unknown && IsTie(bytes, *expected.encoding);
                right = named || ascii || tie;
                rightAtAuto = (named && auto_) || ascii || tie;
            }
            const Tally one{1, right, rightAtAuto};
            tally.Add(one);
            const std::string file_ = file.path().filename().string();
            bySource[file_.substr(0, file_.find('-'))].Add(one);
            if (!rightAtAuto) ++wrong[AnswerOf(d) + (auto_ ? "" : "<auto")];
        }
        std::string answers;
        for (const auto& [answer, count] : wrong) answers += answer + " " + std::to_string(count) + "  ";
        std::printf("%-34s %6zu %8s %8s  %s\n", name.c_str(), tally.texts, Percent(tally.right, tally.texts).c_str(),
                    Percent(tally.rightAtAuto, tally.texts).c_str(), answers.c_str());
        const std::string kind = encoding.find('+') != std::string::npos ? "mixed"
                                 : expected.encoding && IsSingleByte(*expected.encoding) ? encoding
                                 : expected.encoding ? std::string("UTF-8/16")
                                                     : std::string("own pages");
        byGroup[expected.group + " " + kind + " " + length].Add(tally);
        byGroup[expected.group + " * " + length].Add(tally);
        if (language == "ru")
            for (const auto& [source, t] : bySource) byGroup["ru/" + source + " * " + length].Add(t);
    }
    std::printf("\n%-34s %6s %8s %8s\n", "group, encoding, length", "texts", "right", "at auto");
    for (const auto& [key, tally] : byGroup)
        std::printf("%-34s %6zu %8s %8s\n", key.c_str(), tally.texts, Percent(tally.right, tally.texts).c_str(),
                    Percent(tally.rightAtAuto, tally.texts).c_str());
    std::printf("\nspeed (the first %zu KB of each text):\n", kDetectionSample / 1024);
    for (const auto& [length, t] : timing)
        std::printf("  %-8s %7zu texts, %8.1f us a text, %7.1f MB/s\n", length.c_str(), t.texts,
                    1e6 * t.seconds / static_cast<double>(t.texts), static_cast<double>(t.bytes) / t.seconds / 1e6);
    return 0;
}
