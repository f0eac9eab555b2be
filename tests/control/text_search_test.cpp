#include "control/text_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "encoding/code_page_tables.h"
#include "encoding/utf8_sequences.h"
#include "support/core/plain_utf16.h"

namespace {

constexpr std::size_t kNone = TextModel::kNoPosition;

void SetText(TextModel& text, std::string_view bytes) {
    text.SetTextLimit(TextModel::kLargestLimit);
    text.Replace(0, text.Length(), bytes, false);
}

std::size_t Find(const TextModel& text, std::string_view pattern, std::size_t first, std::size_t last,
                 bool wholeWord, bool matchCase, int view = 0) {
    return SearchText(text, pattern, first, last, SearchOptions{wholeWord, matchCase}, LettersOfView(view));
}

}  // namespace

TEST(FindWordBreak, MovesToWordStartsOverBlanksWithPunctuationAndLineBreaksAsWords) {
    TextModel text;
    const ViewLetters& ansi = LettersOfView(0);
    SetText(text, "hello, world");
    EXPECT_EQ(FindWordBreak(text, 0, WordMove::Right, ansi), 5u);
    EXPECT_EQ(FindWordBreak(text, 5, WordMove::Right, ansi), 7u);
    EXPECT_EQ(FindWordBreak(text, 2, WordMove::Right, ansi), 5u);
    EXPECT_EQ(FindWordBreak(text, 7, WordMove::Right, ansi), 12u);
    EXPECT_EQ(FindWordBreak(text, 12, WordMove::Right, ansi), 12u);
    EXPECT_EQ(FindWordBreak(text, 12, WordMove::Left, ansi), 7u);
    EXPECT_EQ(FindWordBreak(text, 7, WordMove::Left, ansi), 5u);
    EXPECT_EQ(FindWordBreak(text, 6, WordMove::Left, ansi), 5u);
    EXPECT_EQ(FindWordBreak(text, 5, WordMove::Left, ansi), 0u);
    EXPECT_EQ(FindWordBreak(text, 0, WordMove::Left, ansi), 0u);

    // A line break stops both ways; the indentation after it is skipped like any blanks.
    SetText(text, "abc\r\n   def  ");
    EXPECT_EQ(FindWordBreak(text, 0, WordMove::Right, ansi), 3u);
    EXPECT_EQ(FindWordBreak(text, 3, WordMove::Right, ansi), 8u);
    EXPECT_EQ(FindWordBreak(text, 8, WordMove::Right, ansi), 13u);
    EXPECT_EQ(FindWordBreak(text, 13, WordMove::Left, ansi), 8u);
    EXPECT_EQ(FindWordBreak(text, 8, WordMove::Left, ansi), 3u);
    EXPECT_EQ(FindWordBreak(text, 3, WordMove::Left, ansi), 0u);
    // From inside the pair, only its remaining half.
    EXPECT_EQ(FindWordBreak(text, 4, WordMove::Right, ansi), 8u);
    EXPECT_EQ(FindWordBreak(text, 4, WordMove::Left, ansi), 3u);
    // A lone LF or CR is a break of one position.
    SetText(text, "a\nb\rc");
    EXPECT_EQ(FindWordBreak(text, 1, WordMove::Right, ansi), 2u);
    EXPECT_EQ(FindWordBreak(text, 4, WordMove::Left, ansi), 3u);

    // The letters are the view's: in 866 0xB3 is box drawing, in 1251 a letter.
    SetText(text, "\xE0\xE1\xB3\xE2 x");
    EXPECT_EQ(FindWordBreak(text, 0, WordMove::Right, LettersOfView(1)), 2u);
    EXPECT_EQ(FindWordBreak(text, 0, WordMove::Right, ansi), 5u);
}

TEST(FindText, FindsTheFirstMatchLyingWhollyWithinTheRange) {
    TextModel text;
    SetText(text, "aaaa");
    EXPECT_EQ(Find(text, "aa", 0, 4, false, false), 0u);
    EXPECT_EQ(Find(text, "aa", 1, 4, false, false), 1u);
    EXPECT_EQ(Find(text, "aa", 2, 4, false, false), 2u);
    EXPECT_EQ(Find(text, "aa", 3, 4, false, false), kNone);
    EXPECT_EQ(Find(text, "aa", 2, 3, false, false), kNone);
    EXPECT_EQ(Find(text, "aa", 0, 1, false, false), kNone);
    // A range end beyond the text is the text's end.
    EXPECT_EQ(Find(text, "aa", 2, kNone, false, false), 2u);
    EXPECT_EQ(Find(text, "", 0, 4, false, false), kNone);
    EXPECT_EQ(Find(text, "aaaaa", 0, 4, false, false), kNone);
    EXPECT_EQ(Find(text, "aa", 4, 2, false, false), kNone);
}

TEST(FindText, WholeWordNeedsNoLetterTouchingEitherEnd) {
    TextModel text;
    SetText(text, "concat cats cat, cat_x cat");
    EXPECT_EQ(Find(text, "cat", 0, kNone, true, false), 12u);
    EXPECT_EQ(Find(text, "cat", 13, kNone, true, false), 23u);
    EXPECT_EQ(Find(text, "cat", 0, kNone, false, false), 3u);
    // A pattern that begins or ends with punctuation may touch a letter there.
    EXPECT_EQ(Find(text, ", ", 0, kNone, true, false), 15u);
    EXPECT_EQ(Find(text, ", cat", 0, kNone, true, false), kNone);
    // The boundaries are judged on the whole text, not on the range.
    EXPECT_EQ(Find(text, "cat", 4, 7, true, false), kNone);
    // In 866 0xB3 is box drawing, so a word next to it stands whole; in 1251 it is a letter.
    SetText(text, "\xB3\xAF\xE0\xA8\xB3");
    EXPECT_EQ(Find(text, "\xAF\xE0\xA8", 0, kNone, true, false, 1), 1u);
    EXPECT_EQ(Find(text, "\xAF\xE0\xA8", 0, kNone, true, false, 0), kNone);
}

TEST(FindText, CaseFoldsTheLettersOfTheViewCodePage) {
    TextModel text;
    // 1251: "ПРИВЕТ Ёлка", searched as "привет" and "ёлка".
    SetText(text, "\xCF\xD0\xC8\xC2\xC5\xD2 \xA8\xEB\xEA\xE0 ABC");
    EXPECT_EQ(Find(text, "\xEF\xF0\xE8\xE2\xE5\xF2", 0, kNone, false, false), 0u);
    EXPECT_EQ(Find(text, "\xEF\xF0\xE8\xE2\xE5\xF2", 0, kNone, false, true), kNone);
    EXPECT_EQ(Find(text, "\xB8\xEB\xEA\xE0", 0, kNone, false, false), 7u);
    EXPECT_EQ(Find(text, "abc", 0, kNone, false, false), 12u);
    EXPECT_EQ(Find(text, "abc", 0, kNone, false, true), kNone);

    // 866: "ПРИВЕТ" is 8F 90 88 82 85 92, "привет" AF E0 A8 A2 A5 E2; Ё F0, ё F1.
    SetText(text, "\x8F\x90\x88\x82\x85\x92 \xF0");
    EXPECT_EQ(Find(text, "\xAF\xE0\xA8\xA2\xA5\xE2", 0, kNone, false, false, 1), 0u);
    EXPECT_EQ(Find(text, "\xF1", 0, kNone, false, false, 1), 7u);
    EXPECT_EQ(Find(text, "\xAF\xE0\xA8\xA2\xA5\xE2", 0, kNone, false, true, 1), kNone);
    // The same bytes read as 1251 are other letters: no match.
    EXPECT_EQ(Find(text, "\xAF\xE0\xA8\xA2\xA5\xE2", 0, kNone, false, false, 0), kNone);
    // Box drawing does not fold: 0xB2 and 0xB3 are a pair in 1251 (І, і) but not in 866.
    SetText(text, "\xB3");
    EXPECT_EQ(Find(text, "\xB2", 0, kNone, false, false, 0), 0u);
    EXPECT_EQ(Find(text, "\xB2", 0, kNone, false, false, 1), kNone);

    // KOI8-R: "ПРИВЕТ" is F0 F2 E9 F7 E5 F4, "привет" D0 D2 C9 D7 C5 D4; Ё B3, ё A3.
    SetText(text, "\xD0\xD2\xC9\xD7\xC5\xD4 \xB3");
    EXPECT_EQ(Find(text, "\xF0\xF2\xE9\xF7\xE5\xF4", 0, kNone, false, false, 2), 0u);
    EXPECT_EQ(Find(text, "\xA3", 0, kNone, false, false, 2), 7u);
    EXPECT_EQ(Find(text, "\xF0\xF2\xE9\xF7\xE5\xF4", 0, kNone, false, true, 2), kNone);
}

TEST(FindText, AgreesWithAPlainScanWhereverTheEditGapStands) {
    std::mt19937 random(7);
    const ViewLetters& letters = LettersOfView(0);
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        std::size_t size = 1 + random() % 80;
        for (std::size_t i = 0; i < size; ++i) bytes.push_back("aAb \xE0\xC0"[random() % 6]);
        TextModel text;
        SetText(text, bytes.substr(0, size / 2));
        // Inserting the rest in two pieces leaves the gap somewhere inside.
        std::size_t cut = size / 2 + random() % (size - size / 2 + 1);
        text.Insert(text.Length(), bytes.substr(size / 2), false);
        text.Insert(cut, "", false);
        text.Erase(cut, cut, false);
        std::string pattern;
        std::size_t m = 1 + random() % 4;
        for (std::size_t i = 0; i < m; ++i) pattern.push_back("aAb \xE0\xC0"[random() % 6]);
        bool wholeWord = random() % 2;
        bool matchCase = random() % 2;
        std::size_t first = random() % (size + 1);
        std::size_t last = first + random() % (size - first + 1);

        std::size_t expected = kNone;
        auto fold = [&](char c) { return matchCase ? static_cast<unsigned char>(c) : letters.lower[static_cast<unsigned char>(c)]; };
        auto isWord = [&](std::size_t p) { return letters.classes[static_cast<unsigned char>(bytes[p])] == WordClass::Word; };
        for (std::size_t s = first; s + m <= last && expected == kNone; ++s) {
            bool equal = true;
            for (std::size_t i = 0; i < m; ++i) equal = equal && fold(bytes[s + i]) == fold(pattern[i]);
            if (!equal) continue;
            if (wholeWord) {
                if (s > 0 && isWord(s - 1) && isWord(s)) continue;
                if (s + m < size && isWord(s + m) && isWord(s + m - 1)) continue;
            }
            expected = s;
        }
        ASSERT_EQ(SearchText(text, pattern, first, last, {wholeWord, matchCase}, letters), expected)
            << "round " << round;
    }
}

// UTF-16 is searched by whole units in the view's byte order: a match of the bytes that begins in the
// middle of a unit is none.
TEST(FindText, Utf16MatchesStartAndEndAtCharacterStarts) {
    TextModel text;
    // In little-endian order the ideographs U+4100 U+4200 are 00 41 00 42: "A" (41 00) stands across
    // them at byte 1.
    SetText(text, PlainUtf16Bytes(u"\u4100\u4200Ab", false));
    text.SetForm(CharacterForm::Utf16Le);
    EXPECT_EQ(Find(text, PlainUtf16Bytes(u"A", false), 0, kNone, false, true, kUtf16LeView), 4u);
    EXPECT_EQ(Find(text, PlainUtf16Bytes(u"aB", false), 0, kNone, false, false, kUtf16LeView), 4u);
    EXPECT_EQ(Find(text, PlainUtf16Bytes(u"ab", false), 0, kNone, true, false, kUtf16LeView), kNone) << "within a word";
    EXPECT_EQ(Find(text, std::string("\x41", 1), 0, kNone, false, true, kUtf16LeView), kNone) << "half a unit";
}

TEST(FindText, Utf8WithoutMatchCaseFoldsWholeCharacters) {
    TextModel text;
    // "ПРИВЕТ Ёлка Ґ ABC" in UTF-8, searched as "привет", "ёЛКА", "ґ" and "abc".
    SetText(text, "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 \xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 \xD2\x90 ABC");
    const std::string privet = "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
    EXPECT_EQ(Find(text, privet, 0, kNone, false, false, kUtf8View), 0u);
    EXPECT_EQ(Find(text, privet, 0, kNone, false, true, kUtf8View), kNone);
    EXPECT_EQ(Find(text, "\xD1\x91\xD0\x9B\xD0\x9A\xD0\x90", 0, kNone, false, false, kUtf8View), 13u);
    EXPECT_EQ(Find(text, "\xD2\x91", 0, kNone, true, false, kUtf8View), 22u);
    EXPECT_EQ(Find(text, "abc", 0, kNone, true, false, kUtf8View), 25u);
    // The same bytes in the 1251 view fold byte by byte, which finds no Cyrillic letter here.
    EXPECT_EQ(Find(text, privet, 0, kNone, false, false, 0), kNone);

    // Against a plain model: random texts of whole characters in either case and malformed bytes,
    // patterns cut from them at character starts with the case of each letter changed at random.
    struct Piece {
        const char* capital;
        const char* small;
    };
    const Piece pieces[] = {{"A", "a"}, {"Z", "z"}, {" ", " "}, {"\xD0\x90", "\xD0\xB0"}, {"\xD0\xA0", "\xD1\x80"},
                            {"\xD0\xAF", "\xD1\x8F"}, {"\xD0\x81", "\xD1\x91"}, {"\xD0\x8E", "\xD1\x9E"},
                            {"\xD2\x90", "\xD2\x91"}, {"\xC3\x89", "\xC3\xA9"}, {"\xE2\x84\x96", "\xE2\x84\x96"},
                            {"\x80", "\x80"}, {"\xFF", "\xFF"}, {"\xE0", "\xE0"}};
    // The same in both UTF-16 views, the pieces as UTF-16 units (a byte of no UTF-8 as U+FFFD).
    std::mt19937 random(24);
    for (CharacterForm form : {CharacterForm::Utf8, CharacterForm::Utf16Le, CharacterForm::Utf16Be})
    for (int round = 0; round < 400; ++round) {
        const auto inForm = [form](const char* piece) {
            return form == CharacterForm::Utf8 ? std::string(piece)
                                               : PlainUtf16Bytes(Utf16OfUtf8(piece), form == CharacterForm::Utf16Be);
        };
        text.SetForm(form);
        const int view = form == CharacterForm::Utf8 ? kUtf8View : kUtf16LeView;
        std::vector<int> chosen;
        std::string bytes, folded;
        std::vector<std::size_t> starts;
        const int count = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            const int p = static_cast<int>(random() % std::size(pieces));
            chosen.push_back(p);
            starts.push_back(bytes.size());
            bytes += inForm(random() % 2 ? pieces[p].capital : pieces[p].small);
            folded += inForm(pieces[p].small);
        }
        starts.push_back(bytes.size());
        SetText(text, bytes);
        const int a = static_cast<int>(random() % count);
        const int b = a + 1 + static_cast<int>(random() % std::min(4, count - a));
        std::string pattern, foldedPattern;
        for (int i = a; i < b; ++i) {
            pattern += inForm(random() % 2 ? pieces[chosen[i]].capital : pieces[chosen[i]].small);
            foldedPattern += inForm(pieces[chosen[i]].small);
        }
        const std::size_t first = random() % (bytes.size() + 1);
        const std::size_t last = first + random() % (bytes.size() + 1 - first);
        std::size_t expected = kNone;
        for (std::size_t s : starts)
            if (s >= first && s + pattern.size() <= last && folded.compare(s, foldedPattern.size(), foldedPattern) == 0 &&
                std::find(starts.begin(), starts.end(), s + pattern.size()) != starts.end()) {
                expected = s;
                break;
            }
        ASSERT_EQ(Find(text, pattern, first, last, false, false, view), expected)
            << "form " << int(form) << " round " << round << " first " << first << " last " << last;
    }
}
