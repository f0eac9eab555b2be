#pragma once
// The characters of the UTF-8 view (encoding/utf8_sequences.h) in the text model. Positions stay
// byte offsets; a character starts where no well-formed sequence begun before it covers it. Whether a
// position starts a character depends only on the three bytes before it and the three after, since a
// sequence's later bytes can never begin one: so any place of a long text is judged without reading
// it from its start.
#include <cstddef>
#include <cstdint>
#include <string>

#include "control/text_model.h"
#include "control/word_class.h"
#include "encoding/utf8_sequences.h"

// The character starting at position (which must start one).
Utf8Character Utf8CharacterAt(const TextModel& text, std::size_t position);
// The start of the character that holds position; the text's end is a start.
std::size_t Utf8CharacterStart(const TextModel& text, std::size_t position);
// The next and the previous character start from a character start.
std::size_t Utf8NextCharacter(const TextModel& text, std::size_t position);
std::size_t Utf8PreviousCharacter(const TextModel& text, std::size_t position);

// Letters and digits of every script as words (Latin, Greek, Cyrillic and the other alphabets of
// Europe and the Near East, the letters of East Asia); blanks, line breaks, and the rest as
// punctuation. A byte standing alone is punctuation. The UTF-16 views class their characters alike.
WordClass Utf8WordClass(char32_t code);

// Calls visit(position, character) for each character from `from` (a character start) while the
// position is before `last`, until visit returns false. Reads the text a chunk at a time, so a walk
// along a long line costs little more than a walk over its bytes.
template <typename Visit>
void VisitUtf8Characters(const TextModel& text, std::size_t from, std::size_t last, Visit&& visit) {
    if (from >= last) return;
    std::size_t next = from;  // the next character start
    bool stopped = false;
    // Three bytes past the end, so the last character is read whole from the chunk.
    text.VisitRange(from, std::min(text.Length(), last + 3), [&](const char* bytes, std::size_t count, std::size_t at) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes);
        while (!stopped && next < at + count && next < last) {
            std::size_t i = next - at;
            Utf8Character c = i + 4 <= count ? ReadUtf8Character(data + i, count - i) : Utf8CharacterAt(text, next);
            if (!visit(next, c)) stopped = true;
            else next += c.length;
        }
    });
}
