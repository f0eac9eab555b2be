#include <gtest/gtest.h>

#include "app/status_texts.h"
#include "base/ui_text.h"
#include "base/text_limit.h"

namespace {

TEST(TextLimit, HalfThePhysicalMemoryWithTheLowTwentyBitsSet) {
    EXPECT_EQ(TextLimitFor(512ull << 20), 269484031u);
    EXPECT_EQ(TextLimitFor(0), 0xFFFFFu);
    EXPECT_EQ(TextLimitFor(3), 0xFFFFFu);
    EXPECT_EQ(TextLimitFor((64ull << 20) + 6), (32u << 20) + 0xFFFFFu);
}

TEST(TextLimit, MemoryIsCappedBelowTwoGibibytes) {
    EXPECT_EQ(TextLimitFor(0x7FFFFFFFull), 0x3FFFFFFFu);
    EXPECT_EQ(TextLimitFor(0x80000000ull), 0x3FFFFFFFu);
    EXPECT_EQ(TextLimitFor(16ull << 30), 0x3FFFFFFFu);
    EXPECT_EQ(TextLimitFor(~0ull), 0x3FFFFFFFu);
}

TEST(StatusTexts, CaretPositionColumnRightAlignedThenLine) {
    EXPECT_EQ(CaretPositionText(1, 1), "   1:1");
    EXPECT_EQ(CaretPositionText(1, 12), "   1:12");
    EXPECT_EQ(CaretPositionText(1234, 5), "1234:5");
    EXPECT_EQ(CaretPositionText(123456, 4294967295u), "123456:4294967295");
}

TEST(StatusTexts, LineEndsNameTheKindAndAMixedTextSaysSo) {
    EXPECT_EQ(LineEndsText(LineEndKind::CrLf, false), "CR LF");
    EXPECT_EQ(LineEndsText(LineEndKind::Lf, false), "LF");
    EXPECT_EQ(LineEndsText(LineEndKind::Cr, false), "CR");
    EXPECT_EQ(LineEndsText(LineEndKind::Lf, true), "LF (смешанные)"_ui);
}

TEST(StatusTexts, TitleFramesTheName) {
    EXPECT_EQ(WindowTitleFor("a.txt"), "[a.txt]-VEMKO");
    EXPECT_EQ(WindowTitleFor(""), "[]-VEMKO");
}

}  // namespace
