#include "document/code_page_guess.h"

#include <gtest/gtest.h>

#include "support/core/plain_utf16.h"

#include <string>

#include "encoding/code_page_tables.h"

namespace {

int Guess(const std::string& text) {
    return GuessCodePage(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

TEST(CodePageGuess, RussianTextInEachCodePage) {
    // "Привет, это тестовая строка" in each code page.
    EXPECT_EQ(Guess("\xCF\xF0\xE8\xE2\xE5\xF2, \xFD\xF2\xEE \xF2\xE5\xF1\xF2\xEE\xE2\xE0\xFF "
                    "\xF1\xF2\xF0\xEE\xEA\xE0"), 0);
    EXPECT_EQ(Guess("\x8F\xE0\xA8\xA2\xA5\xE2, \xED\xE2\xAE \xE2\xA5\xE1\xE2\xAE\xA2\xA0\xEF "
                    "\xE1\xE2\xE0\xAE\xAA\xA0"), 1);
    EXPECT_EQ(Guess("\r\n\xF0\xD2\xC9\xD7\xC5\xD4, \xDC\xD4\xCF \xD4\xC5\xD3\xD4\xCF\xD7\xC1\xD1 "
                    "\xD3\xD4\xD2\xCF\xCB\xC1"), 2);
    EXPECT_EQ(Guess("plain ASCII text\r\n"), 0);
    EXPECT_EQ(Guess(""), 0);
    // A capital at the very start has no byte before it, so it is no word start.
    EXPECT_EQ(Guess("\xF0\xD2\xC9\xD7\xC5\xD4"), 0);
}

TEST(CodePageGuess, TiesAndCountersFollowTheRules) {
    EXPECT_EQ(Guess("\xF2\x80"), 0);          // one ANSI and one OEM marker: a tie is not OEM
    EXPECT_EQ(Guess("\xF2\x80\x85"), 1);      // more OEM markers
    EXPECT_EQ(Guess("\xF2\x80\x85 \xF0\xD2"), 1);  // OEM beats a KOI8-R capital
    EXPECT_EQ(Guess("\xF2\xF3 \xF0\xD2"), 2);      // KOI8-R beats ANSI as soon as it counts
    EXPECT_EQ(Guess("a\xF0\xD2"), 0);         // 'a' (0x61) is a letter, so no word starts there
    EXPECT_EQ(Guess("`\xF0\xD2"), 2);         // 0x60 is below it
    EXPECT_EQ(Guess(" \xF0\xE0"), 0);         // capital then capital
    EXPECT_EQ(Guess(" \xDF\xD2"), 0);         // a small letter first
}

TEST(CodePageGuess, LooksOnlyAtTheWindowAndReadsZeroBeyondIt) {
    // A KOI8-R capital and small letter that end the window count; one whose small letter lies just
    // beyond it does not.
    std::string text(kCodePageGuessWindow - 2, ' ');
    text += "\xF0\xD2";
    EXPECT_EQ(Guess(text), 2);
    std::string cut(kCodePageGuessWindow - 2, ' ');
    cut += " \xF0\xD2";
    EXPECT_EQ(Guess(cut), 0);
    // The same when the sample itself ends there: the byte after it reads as 0.
    EXPECT_EQ(GuessCodePage(reinterpret_cast<const unsigned char*>(cut.data()), kCodePageGuessWindow), 0);
    EXPECT_EQ(GuessCodePage(reinterpret_cast<const unsigned char*>(" \xF0\xD2"), 2), 0);
    // Markers past the window are not counted.
    std::string late(kCodePageGuessWindow, ' ');
    late += "\x80\x85\x88";
    EXPECT_EQ(Guess(late), 0);
    late[kCodePageGuessWindow - 1] = '\x80';
    EXPECT_EQ(Guess(late), 1);
}

}  // namespace

namespace {

int ViewGuess(const std::string& text) {
    return GuessViewCodePage(reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

TEST(ViewCodePageGuess, Utf8OpensInTheUtf8ViewAndEverythingElseAsBefore) {
    const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // "Привет" in UTF-8
    EXPECT_EQ(ViewGuess(privet + ", \xD0\xBC\xD0\xB8\xD1\x80\r\n"), kUtf8View);
    // The byte order mark alone decides, even before bytes that are no UTF-8.
    EXPECT_EQ(ViewGuess("\xEF\xBB\xBF" "abc"), kUtf8View);
    EXPECT_EQ(ViewGuess("\xEF\xBB\xBF\xCF\xF0\xE8"), kUtf8View);
    // Well-formed but nothing above U+007F: plain ASCII stays ANSI.
    EXPECT_EQ(ViewGuess("plain ASCII text\r\n"), 0);
    EXPECT_EQ(ViewGuess(""), 0);

    // A sequence cut by the 4092nd byte: the file goes on, so it counts as well-formed.
    std::string cut = privet + std::string(kCodePageGuessWindow - privet.size() - 1, ' ') + "\xD0\x9F";
    EXPECT_EQ(ViewGuess(cut), kUtf8View);
    EXPECT_EQ(GuessViewCodePage(reinterpret_cast<const unsigned char*>(cut.data()), kCodePageGuessWindow), kUtf8View);
    // A text that ends inside a sequence is not UTF-8.
    EXPECT_NE(ViewGuess(privet + "\xD0"), kUtf8View);
    // Malformed bytes past the window are not looked at; inside it they decide.
    EXPECT_EQ(ViewGuess(cut + "\xFF\xFF"), kUtf8View);
    std::string late = privet + std::string(kCodePageGuessWindow - privet.size() - 1, ' ') + "\xFF";
    EXPECT_NE(ViewGuess(late), kUtf8View);
    // Overlong forms and surrogates are no UTF-8.
    EXPECT_NE(ViewGuess("\xC0\xAF text"), kUtf8View);
    EXPECT_NE(ViewGuess("\xED\xA0\x80 text"), kUtf8View);
}

// UTF-16 opens in its view by its byte order mark, or without one by the zero bytes of its units,
// whichever byte order; a pair cut by the end of the window does not stop it.
TEST(ViewCodePageGuess, Utf16OpensInTheViewOfItsByteOrder) {
    for (bool bigEndian : {false, true}) {
        const int view = bigEndian ? kUtf16BeView : kUtf16LeView;
        const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        EXPECT_EQ(ViewGuess(mark), view);
        EXPECT_EQ(ViewGuess(mark + PlainUtf16Bytes(u"Привет, мир\r\n", bigEndian)), view);
        const std::string unmarked = PlainUtf16Bytes(u"Привет, мир 2026\r\nвторая строка\r\n", bigEndian);
        EXPECT_EQ(ViewGuess(unmarked), view);
        std::string cut;
        while (cut.size() < kCodePageGuessWindow + 8) cut += PlainUtf16Bytes(u"слово 😊 ", bigEndian);
        EXPECT_EQ(GuessViewCodePage(reinterpret_cast<const unsigned char*>(cut.data()), kCodePageGuessWindow), view);
        // Cyrillic letters alone have no zero byte: such UTF-16 is not told from other bytes.
        EXPECT_NE(ViewGuess(PlainUtf16Bytes(u"ПриветМир", bigEndian)), view);
    }
    EXPECT_EQ(ViewGuess("plain ASCII\r\n"), 0);
}

TEST(ViewCodePageGuess, SingleByteRussianTextIsGuessedAsBefore) {
    // Russian text in 1251, 866 and KOI8-R is never well-formed UTF-8 (a small letter follows a
    // capital or a lead byte in none of them by chance for long), so it keeps its old guess.
    const std::string texts[] = {
        "\xCF\xF0\xE8\xE2\xE5\xF2, \xFD\xF2\xEE \xF2\xE5\xF1\xF2\xEE\xE2\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0",
        "\x8F\xE0\xA8\xA2\xA5\xE2, \xED\xE2\xAE \xE2\xA5\xE1\xE2\xAE\xA2\xA0\xEF \xE1\xE2\xE0\xAE\xAA\xA0",
        "\r\n\xF0\xD2\xC9\xD7\xC5\xD4, \xDC\xD4\xCF \xD4\xC5\xD3\xD4\xCF\xD7\xC1\xD1 \xD3\xD4\xD2\xCF\xCB\xC1",
        "\xD0\xEE\xF1\xF1\xE8\xFF",  // "Россия" in 1251: D0 EE is no sequence
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(ViewGuess(text), Guess(text));
        EXPECT_NE(ViewGuess(text), kUtf8View);
    }
}

}  // namespace
