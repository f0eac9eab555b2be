#include "encoding/chart_conversion.h"

#include <gtest/gtest.h>

#include <string>

#include "encoding/code_page_tables.h"
#include "support/core/every_byte.h"

namespace {

std::string Convert(std::string_view text, int source, int target, std::uint64_t& replaced, bool fido = false) {
    return ConvertByCharts(text, source, target, replaced, fido);
}

TEST(ChartConversion, EveryViewGoesToUtf8AndBackAndLackingCharactersAreCounted) {
    std::uint64_t replaced = 99;
    // Every byte of each view's chart goes to UTF-8 and back unchanged; 1251's one unassigned byte
    // (0x98) comes back as '?', counted once.
    for (int view : {kAnsi1251, kOem866, kKoi8R}) {
        const std::string all = EveryByte();
        const std::string utf8 = Convert(all, view, kUtf8Conversion, replaced);
        EXPECT_EQ(replaced, view == kAnsi1251 ? 1u : 0u) << view;
        std::string expected = all;
        if (view == kAnsi1251) expected[0x98] = '?';
        EXPECT_EQ(Convert(utf8, kUtf8Conversion, view, replaced), expected) << view;
        EXPECT_EQ(replaced, 0u) << view;
    }
    // "Привет ∞ ♥" from UTF-8: 1251 and KOI8-R lack the two signs.
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x88\x9E \xE2\x99\xA5";
    EXPECT_EQ(Convert(utf8, kUtf8Conversion, kAnsi1251, replaced), "\xCF\xF0\xE8\xE2\xE5\xF2 ? ?");
    EXPECT_EQ(replaced, 2u);
    EXPECT_EQ(Convert(utf8, kUtf8Conversion, kKoi8R, replaced), "\xF0\xD2\xC9\xD7\xC5\xD4 ? ?");
    EXPECT_EQ(replaced, 2u);
    // A malformed byte is counted too; the byte order mark at the start goes.
    EXPECT_EQ(Convert("\xEF\xBB\xBF" "a\xFF", kUtf8Conversion, kOem866, replaced), "a?");
    EXPECT_EQ(replaced, 1u);
    // Fido from UTF-8: 866 with Н and р written as Latin H and p.
    EXPECT_EQ(Convert("\xD0\x9D\xD1\x80", kUtf8Conversion, kOem866, replaced, true), "Hp");
    // ISO 8859-5 and Mac Cyrillic convert too, and no view shows them.
    EXPECT_EQ(Convert("\xD0\xAF", kUtf8Conversion, kIso8859_5, replaced), "\xCF");
    EXPECT_EQ(ViewOfConversionCodePage(kIso8859_5), -1);
    EXPECT_EQ(ViewOfConversionCodePage(kMacCyrillic), -1);
    EXPECT_EQ(ViewOfConversionCodePage(kUtf8Conversion), kUtf8View);
    EXPECT_EQ(ViewOfConversionCodePage(kKoi8R), kKoi8R);
    EXPECT_EQ(ConversionCodePageOfView(kUtf8View), kUtf8Conversion);
    EXPECT_TRUE(IsChartConversion(kAnsi1251, kUtf8Conversion));
    EXPECT_FALSE(IsChartConversion(kAnsi1251, kMacCyrillic));
}

}  // namespace
