#pragma once
// A text's characters, each given a number once. The search for a text's mis-readings encodes each
// different character once for a reading, and judges the first Russian undoings of a text from its
// numbered characters and the pairs they make, without writing an undoing out.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/misreading.h"

namespace mojibake {

struct NumberedText {
    std::vector<char32_t> distinct;
    std::vector<std::size_t> count;  // how often each is in the text
    std::vector<std::uint32_t> ids;  // the text, by number
    // Each pair of neighbours with a character beyond ASCII, once, and how often it is there, those
    // met more than once first. The number distinct.size() is the text's start, which the Russian judgement
    // takes for a blank. The code pages keep ASCII as it is, so a pair of ASCII characters reads
    // alike in every undoing and adds nothing to any.
    struct Pair {
        std::uint32_t first, second, count;
    };
    std::vector<Pair> pairs;
    bool paired = false;  // the pairs are counted: not for a text of very many different characters or pairs
};

void NumberText(std::u32string_view text, NumberedText& into);

// The byte each distinct character is written as in the single-byte `encoding` ('?' where it has
// none), and one more for the text's start, a blank, as the judgement takes it; given up once more
// than `mostFailed` of the text's characters have none (U+FFFD, lost before, is not counted). Gives
// how many had none, so far.
std::size_t EncodeDistinct(const NumberedText& numbered, RepairEncoding encoding, std::size_t mostFailed, std::string& into);

// Whether a single-byte encoding reads and writes ASCII as it is.
bool KeepsAscii(RepairEncoding e);

// What each pair of bytes, read back in a Cyrillic code page (1251, KOI8-R, 866, ISO 8859-5, Mac
// Cyrillic), adds to the Russian score: the pair term of JudgeBy (russian_judgement.h), nothing
// where neither character is beyond ASCII; `score` by first byte * 256 + second.
struct RussianPairTable {
    std::array<std::int16_t, 256 * 256> score;
    bool neverRises;  // no pair adds more than nothing
};
const RussianPairTable& RussianPairTableOf(RepairEncoding cyrillic);

}  // namespace mojibake
