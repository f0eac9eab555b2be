#pragma once
// The classes the Russian statistics count characters by, for detection, the statistics themselves
// and the repair alike.
#include <cstddef>
#include <cstdint>
#include <string_view>

// How the letters of a character count in the statistics: one class for every Russian letter in
// either case, one for Latin letters, one for digits, one for the other ASCII characters, one for each kind of sign of Russian
// typography (the opening « „ ‚; the closing » ” ’; “ ‘, which open English quotes and close Russian
// ones; — and –; …; №; the no-break space), which stand in places of their own in a text, and one
// for every other character; and the case of a letter.
inline constexpr int kLetterClassCount = 44;
inline constexpr int kAsciiOtherClass = 0;
inline constexpr int kLatinClass = 1;
inline constexpr int kFirstRussianClass = 2;  // а-я, then ё
inline constexpr int kOtherClass = 35;
inline constexpr int kFirstSignClass = 36;  // the signs, after every letter class
inline constexpr int kDigitClass = 43;
enum LetterCase : int { kNoCase = 0, kLowerCase = 1, kUpperCase = 2 };
struct LetterClass {
    std::uint8_t letter;
    std::uint8_t letterCase;
};
LetterClass ClassOfCharacter(char32_t character);
// The letters of the other Cyrillic alphabets, which count as the Russian letter nearest to them...
bool IsVariantLetter(char32_t character);
// ...at this cost (nats), so that they help a reading of Ukrainian or Serbian text without making the
// capitals of Russian text in one code page (the same bytes as such letters in another) a likely reading.
inline constexpr double kVariantLetterCost = 4.0;

// Whether two texts of one length differ mostly in case: of the places where both hold a letter of
// these classes (a character lost on the way, U+FFFD, is none), half or more hold the same letter in
// the other case.
bool MostlyCaseChanged(std::u32string_view from, std::u32string_view to);

// Whether two texts of one length differ, and only where the first holds one of these letters and the
// second no letter at all.
bool LettersWhereOtherHasNone(std::u32string_view letters, std::u32string_view other);
