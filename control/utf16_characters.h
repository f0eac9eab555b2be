#pragma once
// The characters of the UTF-16 views in the text model. The text is a row of two-byte code units
// counted from its start, in the view's byte order; a character is one unit, or a high surrogate
// followed by a low one. A surrogate without its other half and a single byte left over at the end
// are characters of their own, kept as they are and drawn as their hexadecimal value. Positions stay
// byte offsets; every character starts at an even one (the text's end aside), and whether a unit
// starts one depends only on the unit before it, so any place of a long text is judged at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "control/text_model.h"
#include "encoding/utf8_sequences.h"

// What the layout measures a lone surrogate's box by: four digits, where a stray byte has two.
inline constexpr char32_t kMalformedUnit = 0x110000;

inline bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

inline char16_t Utf16UnitOf(const std::uint8_t* bytes, bool bigEndian) {
    return static_cast<char16_t>(bigEndian ? bytes[0] << 8 | bytes[1] : bytes[1] << 8 | bytes[0]);
}

// The character that starts at bytes[0], an even offset of the text; `available` bytes can be read.
// The byte of a character below U+0080 is its code, so the layout's blanks and tabs read as in the
// other views; that of any other well-formed character is 0xFF, which is none of them.
inline Utf8Character ReadUtf16Character(const std::uint8_t* bytes, std::size_t available, bool bigEndian) {
    Utf8Character c;
    if (available == 0) return c;
    c.byte = bytes[0];
    if (available < 2) return c;
    const char16_t unit = Utf16UnitOf(bytes, bigEndian);
    c.length = 2;
    if (IsHighSurrogate(unit) && available >= 4 && IsLowSurrogate(Utf16UnitOf(bytes + 2, bigEndian))) {
        c.code = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (Utf16UnitOf(bytes + 2, bigEndian) - 0xDC00);
        c.length = 4;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
        c.unit = unit;
        return c;
    } else {
        c.code = unit;
    }
    c.byte = c.code < 0x80 ? static_cast<unsigned char>(c.code) : 0xFF;
    return c;
}

// Text of a UTF-16 view across the system's UTF-16 (the clipboard): a unit or byte of no character
// goes out as U+FFFD, and half of a surrogate pair alone comes in as U+FFFD, as in the UTF-8 view.
std::u16string Utf16OfView(std::string_view bytes, bool bigEndian);
std::string ViewOfUtf16(std::u16string_view characters, bool bigEndian);

// A transform of UTF-8 text (alignment, translit) applied to the text of a UTF-16 view by its
// characters: the text goes to UTF-8 and back, a lone surrogate as the three bytes that would encode
// it (which no UTF-8 reading takes for a character, so the transform keeps them as they are) and a
// byte left over at the end kept aside, so every unit of no character comes back as it was.
std::string TransformedByUtf8(std::string_view bytes, bool bigEndian, const std::function<std::string(std::string_view)>& transform);

// The bytes a deleting key takes in a UTF-16 view, read from a few bytes around the caret: Delete the
// character, or the CR LF pair, that `after` (the bytes from the caret on) begins with; Backspace the
// one that `before` (bytes up to the caret, from an even position of the text) ends with.
std::size_t Utf16DeletedAfter(std::string_view after, bool bigEndian);
std::size_t Utf16DeletedBefore(std::string_view before, bool bigEndian);

// The unit at an even position of the text, or kNoUnit past its whole units.
inline constexpr char32_t kNoUnit = 0xFFFFFFFF;
char32_t Utf16UnitAt(const TextModel& text, std::size_t position, bool bigEndian);

Utf8Character Utf16CharacterAt(const TextModel& text, std::size_t position, bool bigEndian);
// The start of the character that holds position; the text's end is a start.
std::size_t Utf16CharacterStart(const TextModel& text, std::size_t position, bool bigEndian);

// Calls visit(position, character) for each character from `from` (a character start) while the
// position is before `last`, until visit returns false; a chunk of the text at a time.
template <typename Visit>
void VisitUtf16Characters(const TextModel& text, std::size_t from, std::size_t last, bool bigEndian, Visit&& visit) {
    if (from >= last) return;
    std::size_t next = from;
    bool stopped = false;
    // Three bytes past the end, so a pair that the end cuts through is read whole.
    text.VisitRange(from, std::min(text.Length(), last + 3), [&](const char* bytes, std::size_t count, std::size_t at) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes);
        while (!stopped && next < at + count && next < last) {
            std::size_t i = next - at;
            Utf8Character c = i + 4 <= count ? ReadUtf16Character(data + i, count - i, bigEndian)
                                             : Utf16CharacterAt(text, next, bigEndian);
            if (!visit(next, c)) stopped = true;
            else next += c.length;
        }
    });
}
