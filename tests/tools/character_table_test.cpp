#include "tools/character_table.h"

#include <gtest/gtest.h>

#include <string>

TEST(CharacterTable, EveryByteFromSpaceUpOnceInSevenRowsOf32) {
    const std::string text = CharacterTableText();
    ASSERT_EQ(text.size(), 236u);
    EXPECT_EQ(text.size(), kCharacterTableLength);
    EXPECT_EQ(text.substr(0, 3), " !\"");
    EXPECT_EQ(text.substr(32, 2), "\r\n");
    EXPECT_EQ(text[34], '@');
    EXPECT_EQ(static_cast<unsigned char>(text.back()), 0xFF) << "nothing after the last row";
    int breaks = 0;
    for (std::size_t row = 0; row < 7; ++row) {
        for (std::size_t column = 0; column < 32; ++column)
            EXPECT_EQ(static_cast<unsigned char>(text[row * 34 + column]), 0x20 + row * 32 + column);
        if (row < 6 && text.compare(row * 34 + 32, 2, "\r\n") == 0) ++breaks;
    }
    EXPECT_EQ(breaks, 6);
}

TEST(CharacterTable, EachByteHasItsCellAndControlBytesHaveNone) {
    const std::string text = CharacterTableText();
    for (int byte = 0; byte < 256; ++byte) {
        const std::int32_t at = CharacterTablePosition(static_cast<std::uint8_t>(byte));
        if (byte < 0x20) {
            EXPECT_EQ(at, -1) << byte;
            continue;
        }
        ASSERT_GE(at, 0);
        ASSERT_LT(static_cast<std::size_t>(at), text.size());
        EXPECT_EQ(static_cast<unsigned char>(text[static_cast<std::size_t>(at)]), byte);
    }
    // The first and last cells of a row lie on either side of its line break.
    EXPECT_EQ(CharacterTablePosition(0x3F), 31);
    EXPECT_EQ(CharacterTablePosition(0x40), 34);
    EXPECT_EQ(CharacterTablePosition(0xC1), 0xC1 - 0x20 + 2 * 5);
}
