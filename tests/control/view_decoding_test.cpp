#include "control/view_decoding.h"

#include <gtest/gtest.h>

#include <set>

#include "base/charts.h"

namespace {

constexpr int kAnsi = 0, kOem = 1, kKoi8 = 2;

const charts::HighHalf& ChartOf(int view) {
    switch (view) {
    case kOem: return charts::kCp866;
    case kKoi8: return charts::kKoi8R;
    default: return charts::kWindows1251;
    }
}

bool IsControlCharacter(char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

TEST(ViewDecoding, EveryViewShowsEachByteAsItsOwnVisibleGlyph) {
    for (int view : {kAnsi, kOem, kKoi8}) {
        std::set<char16_t> seen;
        for (int b = 0; b < 256; ++b) {
            char16_t glyph = ViewGlyph(view, static_cast<unsigned char>(b));
            EXPECT_FALSE(IsControlCharacter(glyph)) << "view " << view << " byte " << b;
            EXPECT_FALSE(glyph >= 0xD800 && glyph < 0xE000) << "view " << view << " byte " << b;
            seen.insert(glyph);
        }
        EXPECT_EQ(seen.size(), 256u) << "view " << view;
    }
}

TEST(ViewDecoding, AssignedBytesShowTheCharacterOfThePublishedChart) {
    for (int view : {kAnsi, kOem, kKoi8}) {
        for (int b = 0x20; b < 0x7F; ++b) EXPECT_EQ(ViewGlyph(view, static_cast<unsigned char>(b)), b);
        for (int b = 0x80; b < 0x100; ++b) {
            char16_t charted = ChartOf(view)[b - 0x80];
            if (charted != 0) {
                EXPECT_EQ(ViewGlyph(view, static_cast<unsigned char>(b)), charted) << view << ' ' << b;
            }
        }
    }
    // The letters that tell the three apart: А is 0xC0, 0x80 and 0xE1.
    EXPECT_EQ(ViewGlyph(kAnsi, 0xC0), u'А');
    EXPECT_EQ(ViewGlyph(kOem, 0x80), u'А');
    EXPECT_EQ(ViewGlyph(kKoi8, 0xE1), u'А');
}

TEST(ViewDecoding, ControlBytesShowAsDosGlyphsAndTheAnsiViewAvoidsItsOwnCharacters) {
    EXPECT_EQ(ViewGlyph(kOem, 0x01), u'☺');
    EXPECT_EQ(ViewGlyph(kOem, 0x07), u'•');  // where 1251 -> 866 puts the bullet
    EXPECT_EQ(ViewGlyph(kOem, 0x14), u'¶');
    EXPECT_EQ(ViewGlyph(kOem, 0x15), u'§');
    EXPECT_EQ(ViewGlyph(kKoi8, 0x0D), u'♪');
    EXPECT_EQ(ViewGlyph(kKoi8, 0x0A), u'◙');
    EXPECT_EQ(ViewGlyph(kKoi8, 0x7F), u'⌂');
    EXPECT_NE(ViewGlyph(kAnsi, 0x07), ViewGlyph(kAnsi, 0x95));
    EXPECT_NE(ViewGlyph(kAnsi, 0x14), ViewGlyph(kAnsi, 0xB6));
    EXPECT_NE(ViewGlyph(kAnsi, 0x15), ViewGlyph(kAnsi, 0xA7));
    EXPECT_EQ(ViewGlyph(kAnsi, 0x98), 0xFFFD);
    EXPECT_EQ(ViewGlyph(kAnsi, 0x00), ViewGlyph(kOem, 0x00));
    // An index outside the three views falls back to ANSI rather than reading past a table.
    EXPECT_EQ(&ViewGlyphs(7), &ViewGlyphs(kAnsi));
}

TEST(ViewDecoding, TypedCharacterMapsBackToItsByteOrToNothing) {
    for (int view : {kAnsi, kOem, kKoi8}) {
        for (int b = 0; b < 256; ++b) {
            auto back = ViewByteFor(view, ViewGlyph(view, static_cast<unsigned char>(b)));
            ASSERT_TRUE(back.has_value()) << view << ' ' << b;
            EXPECT_EQ(*back, b);
        }
        // Raw control characters (a pasted tab or line break) keep their byte.
        for (int c : {0x00, 0x09, 0x0A, 0x0D, 0x1F, 0x7F}) {
            auto back = ViewByteFor(view, static_cast<char16_t>(c));
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(*back, c);
        }
        // Every other character has no byte in the view.
        int mapped = 0;
        for (int c = 0; c < 0x10000; ++c)
            if (ViewByteFor(view, static_cast<char16_t>(c))) ++mapped;
        EXPECT_EQ(mapped, 256 + 33) << view;
    }
    EXPECT_EQ(ViewByteFor(kKoi8, u'я'), 0xD1);
    EXPECT_EQ(ViewByteFor(kOem, u'я'), 0xEF);
    EXPECT_EQ(ViewByteFor(kAnsi, u'я'), 0xFF);
    EXPECT_FALSE(ViewByteFor(kOem, u'€'));
    EXPECT_FALSE(ViewByteFor(kKoi8, u'Ґ'));
    EXPECT_FALSE(ViewByteFor(kAnsi, u'╬'));
    EXPECT_FALSE(ViewByteFor(kAnsi, 0x0098));
}
