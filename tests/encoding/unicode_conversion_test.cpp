#include "encoding/unicode_conversion.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "encoding/unicode_kernels.h"
#include "support/core/every_byte.h"

using namespace std::string_literals;

namespace {

constexpr TextEncoding kCodePages[] = {TextEncoding::Cp1251, TextEncoding::Cp866, TextEncoding::Koi8R,
                                       TextEncoding::Iso8859_5, TextEncoding::MacCyrillic};

TEST(UnicodeConversion, CodePagesGoToUtf8AndBackByTheCharts) {
    const std::string all = EveryByte();
    for (TextEncoding cp : kCodePages) {
        std::uint64_t replaced = 0;
        std::string utf8 = ConvertText(all, cp, TextEncoding::Utf8, &replaced);
        const std::uint64_t unassigned = cp == TextEncoding::Cp1251 ? 1 : 0;  // 0x98
        EXPECT_EQ(replaced, unassigned);
        std::string back = ConvertText(utf8, TextEncoding::Utf8, cp, &replaced);
        std::string expected = all;
        if (unassigned) expected[0x98] = '?';
        EXPECT_EQ(back, expected);
        EXPECT_EQ(replaced, unassigned);  // the '?' goes back as it is
        // The exact single-byte conversion to itself is the identity, and through UTF-16 too.
        EXPECT_EQ(ConvertText(all, cp, cp), expected);
        for (TextEncoding wide : {TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
            std::string utf16 = ConvertText(all, cp, wide);
            EXPECT_EQ(utf16.size(), 2 + 2 * all.size());
            EXPECT_EQ(ConvertText(utf16, wide, TextEncoding::Utf8), utf8);
        }
    }
    EXPECT_EQ(ConvertText("\xC0\xFF\xB9\xA8", TextEncoding::Cp1251, TextEncoding::Utf8), "Ая№Ё");
    EXPECT_EQ(ConvertText("\xC1\xF1\xA3", TextEncoding::Koi8R, TextEncoding::Utf8), "аЯё");
    EXPECT_EQ(ConvertText("\xFF\xDF\x80", TextEncoding::MacCyrillic, TextEncoding::Utf8), "€яА");
    EXPECT_EQ(ConvertText("\xFC\xB0\xF0", TextEncoding::Cp866, TextEncoding::Utf8), "№░Ё");
    EXPECT_EQ(ConvertText("\xF0\xA1\xFD", TextEncoding::Iso8859_5, TextEncoding::Utf8), "№Ё§");
}

TEST(UnicodeConversion, WhatTheTargetLacksOrTheSourceBreaksBecomesOneQuestionMarkEach) {
    struct Case {
        std::string in;
        TextEncoding from, to;
        std::string out;
        std::uint64_t replaced;
    };
    const Case cases[] = {
        {"«Ёж» — №1 €", TextEncoding::Utf8, TextEncoding::Koi8R, "?\xB3\xD6? ? ?1 ?", 5},
        {"«Ёж» — №1 €", TextEncoding::Utf8, TextEncoding::Cp1251, "\xAB\xA8\xE6\xBB \x97 \xB9\x31 \x88", 0},
        {"\xEF\xBB\xBFЖ😀ж", TextEncoding::Utf8, TextEncoding::Cp866, "\x86?\xA6", 1},  // mark dropped
        {"a\xE0\xA0x\xC0\x80\xED\xA0\x80\xF4\x90\x80\x80\xFF\x80\xD0", TextEncoding::Utf8, TextEncoding::Cp1251,
         "a??x"s + std::string(12, '?'), 14},
        {"\xE2\x82", TextEncoding::Utf8, TextEncoding::Utf8, "??", 2},
        {"ok\xF0\x9F\x98\x80\xC3", TextEncoding::Utf8, TextEncoding::Utf8, "ok\xF0\x9F\x98\x80?", 1},
        {"\xFF\xFE\x16\x04\x3D\xD8\x00\xDE\x00\xDC\x41"s, TextEncoding::Utf16LE, TextEncoding::Utf8, "Ж😀??", 2},
        {"\x04\x16\x00"s, TextEncoding::Utf16BE, TextEncoding::Cp1251, "\xC6?", 1},
        {"\xAB\xC0\x98", TextEncoding::Cp1251, TextEncoding::Cp866, "?\x80?", 2},
        {"Жa", TextEncoding::Utf8, TextEncoding::Utf16BE, "\xFE\xFF\x04\x16\x00\x61"s, 0},
    };
    for (const Case& c : cases) {
        std::uint64_t replaced = 0;
        EXPECT_EQ(ConvertText(c.in, c.from, c.to, &replaced), c.out) << c.in;
        EXPECT_EQ(replaced, c.replaced) << c.in;
    }
}

TEST(UnicodeConversion, BlocksGiveWhatTheWholeTextGives) {
    std::mt19937 random(7);
    const char* pieces[] = {"Ж", "€", "😀", "a", "\xD0", "\xE2\x82", "\xF0\x9F", "\xC0", "\x80", "\xFF\xFE", "\xFE\xFF",
                            "\xEF\xBB\xBF"};
    const TextEncoding all[] = {TextEncoding::Cp1251, TextEncoding::Koi8R, TextEncoding::Utf8, TextEncoding::Utf16LE,
                                TextEncoding::Utf16BE};
    for (int round = 0; round < 40; ++round) {
        std::string text;
        for (int i = 0; i < 300; ++i) {
            text += pieces[random() % std::size(pieces)];
            if (i % 7 == 0) text += '\0';
        }
        for (TextEncoding from : all) {
            for (TextEncoding to : all) {
                std::uint64_t wholeReplaced = 0;
                const std::string whole = ConvertText(text, from, to, &wholeReplaced);
                UnicodeConversion conversion(from, to);
                std::string pending, blocks;
                for (std::size_t at = 0; at < text.size();) {
                    std::size_t n = std::min<std::size_t>(random() % 5, text.size() - at);
                    pending.append(text, at, n);
                    at += n;
                    pending.erase(0, conversion.Append(pending, false, blocks));
                }
                conversion.Append(pending, true, blocks);
                ASSERT_EQ(blocks, whole) << static_cast<int>(from) << " " << static_cast<int>(to);
                ASSERT_EQ(conversion.Replaced(), wholeReplaced);
            }
        }
    }
}

// Long texts take the fast paths (sixteen bytes at a time, branch-free runs); whatever path a character
// takes, it must come out as it does on its own.
TEST(UnicodeConversion, LongTextsGiveWhatEachCharacterGivesAlone) {
    std::mt19937 random(11);
    const char* common[] = {"a", " ", "\n", "Ж", "ё", "Ё", "я", "Я", "п", "р", "ъ", ",", "0", "«", "»", "—", "…"};
    const char* rare[] = {"і", "Ґ", "–", "€", "№", "\xC2\xA0", "°", "‰", "“", "\xFF", "\xD0x", "\xC2x", "\x80",
                          "\xE2\x82x", "\xE2\x80x", "\xE2\x81\x80", "\xE0\xA0\x80", "😀", "\0"};
    for (TextEncoding to : kCodePages) {
        std::map<std::string, std::pair<std::string, std::uint64_t>> alone;
        std::vector<const char*> all(std::begin(common), std::end(common));
        all.insert(all.end(), std::begin(rare), std::end(rare));
        for (const char* piece : all) {
            std::string bytes = piece[0] ? piece : std::string(1, '\0');
            std::uint64_t replaced = 0;
            std::string converted = ConvertText(bytes, TextEncoding::Utf8, to, &replaced);
            alone[bytes] = {converted, replaced};
        }
        for (int round = 0; round < 20; ++round) {
            std::string text, expected;
            std::uint64_t expectedReplaced = 0;
            const int rareOneIn = 1 + round * 40;
            for (int i = 0; i < 3000; ++i) {
                const char* piece = random() % rareOneIn == 0 ? rare[random() % std::size(rare)]
                                                              : common[random() % std::size(common)];
                std::string bytes = piece[0] ? piece : std::string(1, '\0');
                text += bytes;
                expected += alone[bytes].first;
                expectedReplaced += alone[bytes].second;
            }
            std::uint64_t replaced = 0;
            ASSERT_EQ(ConvertText(text, TextEncoding::Utf8, to, &replaced), expected) << static_cast<int>(to) << " " << round;
            ASSERT_EQ(replaced, expectedReplaced);
            ASSERT_EQ(ConvertText(ConvertText(expected, to, TextEncoding::Utf8), TextEncoding::Utf8, to), expected);
        }
    }
}

// The same from each code page: runs of ASCII and of letters take the vectors, any other byte the
// careful path, and the text comes in blocks of any length.
TEST(UnicodeConversion, LongSingleByteTextsInBlocksGiveWhatEachByteGivesAlone) {
    std::mt19937 random(13);
    for (TextEncoding from : kCodePages) {
        std::string alone[256];
        std::uint64_t aloneReplaced[256] = {};
        std::vector<char> letters;
        for (int b = 0; b < 256; ++b) {
            alone[b] = ConvertText(std::string(1, static_cast<char>(b)), from, TextEncoding::Utf8, &aloneReplaced[b]);
            const char16_t c = CharacterOf(static_cast<ConversionCodePage>(from), static_cast<std::uint8_t>(b));
            if (c >= u'А' && c <= u'я') letters.push_back(static_cast<char>(b));
        }
        ASSERT_EQ(letters.size(), 64u);
        for (int round = 0; round < 12; ++round) {
            std::string text, expected;
            std::uint64_t expectedReplaced = 0;
            const int otherOneIn = 1 + round * round * 8;
            while (text.size() < 4000) {
                // Runs of ASCII, of letters, and now and then of any bytes from 0x80 (three-byte
                // characters and unassigned bytes among them).
                const int run = static_cast<int>(random() % 40);
                const unsigned kind = random() % (round % 2 ? 3 : 2);
                for (int i = 0; i < run; ++i)
                    text += kind == 0   ? static_cast<char>(random() % 128)
                            : kind == 1 ? letters[random() % letters.size()]
                                        : static_cast<char>(0x80 + random() % 128);
                if (random() % otherOneIn == 0) text += static_cast<char>(random() % 256);
            }
            for (char c : text) {
                expected += alone[static_cast<std::uint8_t>(c)];
                expectedReplaced += aloneReplaced[static_cast<std::uint8_t>(c)];
            }
            // Forth in blocks of up to 100 bytes, and back again in other blocks, characters cut.
            UnicodeConversion forth(from, TextEncoding::Utf8), back(TextEncoding::Utf8, from);
            std::string utf8, again, pending;
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t n = std::min<std::size_t>(random() % 101, text.size() - at);
                EXPECT_EQ(forth.Append(std::string_view(text).substr(at, n), false, utf8), n);
                at += n;
            }
            forth.Append({}, true, utf8);
            ASSERT_EQ(utf8, expected) << static_cast<int>(from) << " " << round;
            ASSERT_EQ(forth.Replaced(), expectedReplaced);
            for (std::size_t at = 0; at < utf8.size();) {
                const std::size_t n = std::min<std::size_t>(random() % 101, utf8.size() - at);
                pending.append(utf8, at, n);
                at += n;
                pending.erase(0, back.Append(pending, false, again));
            }
            back.Append(pending, true, again);
            ASSERT_EQ(again, ConvertText(utf8, TextEncoding::Utf8, from));
        }
    }
}

// Sets the vector path for the conversions made while it lives, and lets go of it however the test ends.
class ForcingPath {
public:
    explicit ForcingPath(VectorPath path) { ForcedVectorPath::path = path; }
    ~ForcingPath() { ForcedVectorPath::path.reset(); }
};

struct Converted {
    std::string text;
    std::uint64_t replaced;
    bool operator==(const Converted&) const = default;
};

// `text` in blocks of random lengths, characters cut between them.
Converted InBlocks(const std::string& text, TextEncoding from, TextEncoding to, std::mt19937& random) {
    UnicodeConversion conversion(from, to);
    std::string pending, out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min<std::size_t>(random() % 300, text.size() - at);
        pending.append(text, at, n);
        at += n;
        pending.erase(0, conversion.Append(pending, false, out));
    }
    conversion.Append(pending, true, out);
    return {out, conversion.Replaced()};
}

// Prose as the vectors see it: runs, long enough for them, of ASCII, of Cyrillic letters, of the
// punctuation the widest paths take, and now and then of anything else (characters of three and four
// bytes, malformed and cut sequences).
std::string RandomUtf8Prose(std::mt19937& random, int otherOneIn) {
    const std::vector<std::vector<const char*>> kinds = {
        {"a", "Z", " ", "0", "9", ",", ".", "\r\n", "\t", "(", "-"},
        {"а", "я", "А", "Я", "ё", "Ё", "ж", "Щ", "ъ", "п", "р", "ю"},
        {"«", "»", "—", "–", "…", "“", "”", "„", "\xC2\xA0", "°", "‰", "§", "№"},
        {"€", "😀", "і", "Ґ", "\xD0", "\xC2x", "\x80", "\xE2\x80", "\xE2\x81\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
         "\xC0\xAF", "\xFF", "\xEF\xBB\xBF"},
    };
    std::string text;
    while (text.size() < 6000) {
        const std::size_t kind = random() % otherOneIn == 0 ? 3 : random() % 3;
        const int run = static_cast<int>(random() % (kind == 3 ? 4 : 120));
        for (int i = 0; i < run; ++i) text += kinds[kind][random() % kinds[kind].size()];
    }
    return text;
}

// The same from a code page: runs of ASCII, of its letters and of any bytes from 0x80.
std::string RandomSingleByteProse(std::mt19937& random, TextEncoding from, int otherOneIn) {
    std::vector<char> letters;
    for (int b = 0x80; b < 256; ++b) {
        const char16_t c = CharacterOf(static_cast<ConversionCodePage>(from), static_cast<std::uint8_t>(b));
        if ((c >= u'А' && c <= u'я') || c == u'Ё' || c == u'ё') letters.push_back(static_cast<char>(b));
    }
    std::string text;
    while (text.size() < 6000) {
        const unsigned kind = random() % otherOneIn == 0 ? 2 : random() % 2;
        const int run = static_cast<int>(random() % 120);
        for (int i = 0; i < run; ++i)
            text += kind == 0 ? static_cast<char>(random() % 128)
                    : kind == 1 ? letters[random() % letters.size()]
                                : static_cast<char>(0x80 + random() % 128);
    }
    return text;
}

// Whatever the processor runs is held to the scalar codec, so that no path ships untested on it.
TEST(UnicodeConversion, EveryVectorPathGivesWhatTheScalarCodecGives) {
    const std::vector<VectorPath>& paths = AvailableVectorPaths();
    ASSERT_EQ(paths.front(), VectorPath::None);
    RecordProperty("vector paths besides the scalar codec", static_cast<int>(paths.size() - 1));
    std::mt19937 random(17);
    for (int round = 0; round < 24; ++round) {
        const int otherOneIn = 1 + round * round;
        const std::string utf8 = RandomUtf8Prose(random, otherOneIn);
        for (TextEncoding codePage : kCodePages) {
            const std::string single = RandomSingleByteProse(random, codePage, otherOneIn);
            Converted fromUtf8, toUtf8;
            {
                ForcingPath scalar(VectorPath::None);
                fromUtf8.text = ConvertText(utf8, TextEncoding::Utf8, codePage, &(fromUtf8.replaced = 0));
                toUtf8.text = ConvertText(single, codePage, TextEncoding::Utf8, &(toUtf8.replaced = 0));
            }
            for (VectorPath path : paths) {
                ForcingPath forced(path);
                const std::string where = "path " + std::to_string(static_cast<int>(path)) + ", code page " +
                                          std::to_string(static_cast<int>(codePage)) + ", round " + std::to_string(round);
                ASSERT_EQ(InBlocks(utf8, TextEncoding::Utf8, codePage, random), fromUtf8) << where;
                ASSERT_EQ(InBlocks(single, codePage, TextEncoding::Utf8, random), toUtf8) << where;
                ASSERT_EQ(InBlocks(toUtf8.text, TextEncoding::Utf8, codePage, random).text,
                          ConvertText(single, codePage, codePage)) << where;
            }
        }
    }
}

}  // namespace
