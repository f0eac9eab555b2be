#include "encoding/chart_conversion.h"

#include <gtest/gtest.h>

#include <string>

#include "encoding/code_page_tables.h"
#include "support/core/every_byte.h"

namespace {

std::string Convert(std::string_view text, TextEncoding source, TextEncoding target, std::uint64_t& replaced,
                    bool fido = false) {
    return ConvertByCharts(text, {source, target, fido}, replaced);
}

TEST(ChartConversion, EveryViewGoesToUtf8AndBackAndLackingCharactersAreCounted) {
    std::uint64_t replaced = 99;
    // Every byte of each view's chart goes to UTF-8 and back unchanged; 1251's one unassigned byte
    // (0x98) comes back as '?', counted once.
    for (TextEncoding view : {TextEncoding::Cp1251, TextEncoding::Cp866, TextEncoding::Koi8R}) {
        const std::string all = EveryByte();
        const std::string utf8 = Convert(all, view, TextEncoding::Utf8, replaced);
        EXPECT_EQ(replaced, view == TextEncoding::Cp1251 ? 1u : 0u) << static_cast<int>(view);
        std::string expected = all;
        if (view == TextEncoding::Cp1251) expected[0x98] = '?';
        EXPECT_EQ(Convert(utf8, TextEncoding::Utf8, view, replaced), expected) << static_cast<int>(view);
        EXPECT_EQ(replaced, 0u) << static_cast<int>(view);
    }
    // "Привет ∞ ♥" from UTF-8: 1251 and KOI8-R lack the two signs.
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x88\x9E \xE2\x99\xA5";
    EXPECT_EQ(Convert(utf8, TextEncoding::Utf8, TextEncoding::Cp1251, replaced), "\xCF\xF0\xE8\xE2\xE5\xF2 ? ?");
    EXPECT_EQ(replaced, 2u);
    EXPECT_EQ(Convert(utf8, TextEncoding::Utf8, TextEncoding::Koi8R, replaced), "\xF0\xD2\xC9\xD7\xC5\xD4 ? ?");
    EXPECT_EQ(replaced, 2u);
    // A malformed byte is counted too; the byte order mark at the start goes.
    EXPECT_EQ(Convert("\xEF\xBB\xBF" "a\xFF", TextEncoding::Utf8, TextEncoding::Cp866, replaced), "a?");
    EXPECT_EQ(replaced, 1u);
    // Fido from UTF-8: 866 with Н and р written as Latin H and p.
    EXPECT_EQ(Convert("\xD0\x9D\xD1\x80", TextEncoding::Utf8, TextEncoding::Cp866, replaced, true), "Hp");
    // ISO 8859-5 and Mac Cyrillic convert too.
    EXPECT_EQ(Convert("\xD0\xAF", TextEncoding::Utf8, TextEncoding::Iso8859_5, replaced), "\xCF");
}

}  // namespace
