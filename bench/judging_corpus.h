#pragma once
// The judging corpus that bench/russian_corpus.sh writes (Russian UTF-8 documents separated by NUL
// bytes) as the accuracy benchmarks read it: whole documents, and consecutive pieces of a number of
// Russian letters.
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool IsRussianLetterAt(const std::string& text, std::size_t i) {
    if (i + 1 >= text.size()) return false;
    const auto b0 = static_cast<unsigned char>(text[i]);
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    return (b0 == 0xD0 && ((b1 >= 0x90 && b1 <= 0xBF) || b1 == 0x81)) ||
           (b0 == 0xD1 && ((b1 >= 0x80 && b1 <= 0x8F) || b1 == 0x91));
}

inline std::size_t RussianLetters(const std::string& text) {
    std::size_t letters = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (IsRussianLetterAt(text, i)) ++letters, ++i;
    return letters;
}

// The documents of at least `minLetters` Russian letters, in the corpus's order.
inline std::vector<std::string> Documents(const std::string& corpus, std::size_t minLetters) {
    std::vector<std::string> documents;
    for (std::size_t at = 0; at < corpus.size();) {
        std::size_t end = corpus.find('\0', at);
        if (end == std::string::npos) end = corpus.size();
        std::string document = corpus.substr(at, end - at);
        if (RussianLetters(document) >= minLetters) documents.push_back(std::move(document));
        at = end + 1;
    }
    return documents;
}

// The corpus with its documents joined by line ends, to be cut into pieces across them.
inline std::string Joined(std::string corpus) {
    for (char& c : corpus)
        if (c == '\0') c = '\n';
    return corpus;
}

// `count` consecutive pieces of `low` to `high` letters (high not included), each ending at the first
// blank after it reaches its number; at the end of the text they start again from its beginning.
inline std::vector<std::string> Pieces(const std::string& text, int low, int high, std::size_t count,
                                       std::mt19937& random) {
    std::vector<std::string> pieces;
    std::uniform_int_distribution<int> letters(low, high - 1);
    std::size_t at = 0;
    while (pieces.size() < count) {
        if (at >= text.size()) at = 0;
        const int target = letters(random);
        int seen = 0;
        std::size_t end = at;
        while (end < text.size() && seen < target) {
            if (IsRussianLetterAt(text, end)) {
                ++seen;
                end += 2;
            } else {
                ++end;
            }
        }
        while (end < text.size() && text[end] != ' ' && text[end] != '\n') ++end;
        if (seen == target) pieces.push_back(text.substr(at, end - at));
        at = end;
    }
    return pieces;
}
