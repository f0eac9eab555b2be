#include "encoding/text_encoding.h"

#include <gtest/gtest.h>

#include "encoding/code_page_tables.h"

namespace {

TEST(TextEncoding, EveryViewShowsItsEncodingAndOnlyIsoAndMacHaveNoView) {
    for (int view = 0; view <= kUtf16BeView; ++view) EXPECT_EQ(ViewOf(EncodingOfView(view)), view);
    EXPECT_EQ(EncodingOfView(kUtf8View), TextEncoding::Utf8);
    EXPECT_EQ(EncodingOfView(kUtf16BeView), TextEncoding::Utf16BE);
    EXPECT_FALSE(ViewOf(TextEncoding::Iso8859_5));
    EXPECT_FALSE(ViewOf(TextEncoding::MacCyrillic));
    for (int codePage = 0; codePage < kConversionCodePageCount; ++codePage)
        EXPECT_EQ(CodePageOf(EncodingOf(static_cast<ConversionCodePage>(codePage))), codePage);
}

TEST(TextEncoding, SingleByteConversionsGoThroughThe866TablesAndUnicodeOnASideByTheCharts) {
    for (int source = 0; source < kTextEncodingCount; ++source) {
        for (int target = 0; target < kTextEncodingCount; ++target) {
            const TextConversion conversion{static_cast<TextEncoding>(source), static_cast<TextEncoding>(target)};
            const bool singleByte = source < kConversionCodePageCount && target < kConversionCodePageCount;
            EXPECT_EQ(conversion.ByCharts(), !singleByte) << source << " " << target;
            if (singleByte)
                EXPECT_EQ(PivotMapOf(conversion).byteFor, ComposeConversion(FromTable[source], ToTable[target]).byteFor);
        }
        if (source < kConversionCodePageCount)
            EXPECT_EQ(PivotMapOf({static_cast<TextEncoding>(source), TextEncoding::Cp866, true}).byteFor,
                      ComposeConversion(FromTable[source], FidoTarget).byteFor);
    }
}

}  // namespace
