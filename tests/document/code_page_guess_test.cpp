#include "document/code_page_guess.h"

#include <gtest/gtest.h>

#include <string>

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
