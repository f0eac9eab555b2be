#pragma once
// Word boundaries and forward search in the control's text. Both depend on which bytes are letters,
// and that depends on the view code page (0xB3 is a letter in 1251 and KOI8-R, box drawing in 866;
// 0xC1 is a capital in 1251, a small letter in KOI8-R), so every question takes the letters of the
// view it is asked in.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control/text_model.h"
#include "control/word_class.h"

struct ViewLetters {
    std::array<unsigned char, 256> lower;  // each byte's small letter in the same code page, or itself
    std::array<WordClass, 256> classes;
    // The UTF-8 view: a search without match case folds whole characters, not bytes (every byte of
    // 0x80 and above counts as part of a word).
    bool utf8 = false;
};

// 0 = 1251, 1 = 866, 2 = KOI8-R, 3 = UTF-8 (the values of the view code page index); anything else
// reads as 0.
const ViewLetters& LettersOfView(int codePageIndex);

// Moving right: to the start of the next word, over the rest of the current word (a run of letters
// and digits, or of punctuation) and the blanks after it; a line break is a word of its own.
// Moving left: to the start of the word before the position, over blanks first.
std::size_t FindWordBreak(const TextModel& text, std::size_t position, WordMove move, const ViewLetters& letters);

struct SearchOptions {
    bool wholeWord = false;
    bool matchCase = false;
};

// The start of the first match that lies wholly within [first, last) (last beyond the text means its
// end), or TextModel::kNoPosition. A whole-word match has no letter or digit of the text touching a
// letter or digit at either of its ends. An empty pattern matches nothing.
std::size_t SearchText(const TextModel& text, std::string_view pattern, std::size_t first, std::size_t last,
                     SearchOptions options, const ViewLetters& letters);
