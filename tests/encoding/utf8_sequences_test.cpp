#include "encoding/utf8_sequences.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "control/text_search.h"
#include "base/charts.h"
#include "encoding/unicode_conversion.h"

namespace {

TEST(Utf8Characters, CharacterStartsAreWhereAWalkFromTheStartStops) {
    // Random bytes weighted towards lead and continuation bytes, so that well-formed, cut and
    // malformed sequences all occur; the walk must agree with the published decoding.
    std::mt19937 random(8);
    const unsigned char kinds[] = {'a', 0x80, 0xBF, 0x9F, 0xC2, 0xD0, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xC0, 0xFF, 0xA0};
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i) text += static_cast<char>(kinds[random() % std::size(kinds)] + (random() % 2 && i % 3 ? 1 : 0));
        std::vector<bool> starts(text.size() + 1, false);
        std::u32string characters;
        for (std::size_t i = 0; i < text.size();) {
            starts[i] = true;
            const Utf8Character c = ReadUtf8Character(text, i);
            ASSERT_GE(c.length, 1u);
            if (!c.WellFormed()) ASSERT_EQ(c.length, 1u);
            std::string again;
            if (c.WellFormed()) {
                AppendUtf8(c.code, again);
                ASSERT_EQ(again, text.substr(i, c.length));
            }
            i += c.length;
        }
        for (std::size_t i = 0; i < text.size(); ++i)
            ASSERT_EQ(StartsUtf8Character(text, i), starts[i]) << "round " << round << " at " << i;
        // Each malformed byte is one '?' of the chart conversion, each character one character.
        std::uint64_t replaced = 0;
        const std::string utf16 = ConvertText(text, TextEncoding::Utf8, TextEncoding::Utf16LE, &replaced);
        std::uint64_t malformed = 0;
        for (std::size_t i = 0; i < text.size();) {
            const Utf8Character c = ReadUtf8Character(text, i);
            if (!c.WellFormed()) ++malformed;
            i += c.length;
        }
        ASSERT_EQ(replaced, malformed) << "round " << round;
    }
}

TEST(Utf8Characters, SmallLettersAgreeWithEveryCodePagesOwnPairs) {
    // Wherever a view folds a capital byte to a small one, the characters fold the same way.
    const charts::HighHalf* views[] = {&charts::kWindows1251, &charts::kCp866, &charts::kKoi8R};
    for (int view = 0; view < 3; ++view) {
        const ViewLetters& letters = LettersOfView(view);
        for (int b = 0x80; b < 256; ++b) {
            const char16_t c = (*views[view])[b - 0x80];
            const char16_t small = (*views[view])[letters.lower[b] - 0x80];
            EXPECT_EQ(SmallLetterOf(c), char32_t{small}) << "view " << view << " byte " << b;
        }
    }
    // ISO 8859-5 and Mac Cyrillic too: every capital has its small letter in the same chart, and a
    // letter and its small letter take the same bytes in UTF-8.
    for (const charts::HighHalf* chart : {&charts::kIso8859_5, &charts::kMacCyrillic, &charts::kWindows1251}) {
        for (char16_t c : *chart) {
            const char32_t small = SmallLetterOf(c);
            std::string a, b;
            AppendUtf8(c, a);
            AppendUtf8(small, b);
            EXPECT_EQ(a.size(), b.size());
            if (small != c) EXPECT_GE(charts::PositionOf(*chart, static_cast<char16_t>(small)), 0) << int{c};
        }
    }
    for (char32_t c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(SmallLetterOf(c), c + 0x20);
    // Beyond the charts: Greek and Latin Extended-A, folded once for all and never changing a length.
    for (char32_t c = 0; c < 0x3000; ++c) {
        const char32_t small = SmallLetterOf(c);
        std::string a, b;
        AppendUtf8(c, a);
        AppendUtf8(small, b);
        EXPECT_EQ(a.size(), b.size()) << static_cast<int>(c);
        EXPECT_EQ(SmallLetterOf(small), small) << static_cast<int>(c);
    }
    EXPECT_EQ(SmallLetterOf(U'Ω'), U'ω');
    EXPECT_EQ(SmallLetterOf(U'Ά'), U'ά');
    EXPECT_EQ(SmallLetterOf(U'Ώ'), U'ώ');
    EXPECT_EQ(SmallLetterOf(U'Ž'), U'ž');
    EXPECT_EQ(SmallLetterOf(U'Ł'), U'ł');
    EXPECT_EQ(SmallLetterOf(U'ω'), U'ω');
}

TEST(Utf8Characters, Utf16RoundTripsEveryCharacterAndMarksWhatIsNone) {
    const std::string text = "a\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBB\xBF";  // a Ж € 😀 and a byte order mark
    EXPECT_EQ(Utf16OfUtf8(text), u"aЖ€😀\uFEFF");
    EXPECT_EQ(Utf8OfUtf16(Utf16OfUtf8(text)), text);
    EXPECT_EQ(Utf16OfUtf8("\xFFz\xE2\x82"), u"\uFFFDz\uFFFD\uFFFD");
    EXPECT_EQ(Utf8OfUtf16(u"\xD83Dx\xDE00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

}  // namespace
