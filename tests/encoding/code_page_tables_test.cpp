#include "encoding/code_page_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/charts.h"

namespace {

const charts::HighHalf* ChartOf(int codePage) {
    static const charts::HighHalf* const kCharts[] = {&charts::kWindows1251, &charts::kCp866, &charts::kKoi8R,
                                                      &charts::kIso8859_5, &charts::kMacCyrillic};
    return kCharts[codePage];
}

// The character a chart gives to a byte; 0 for an unassigned byte.
char16_t CharacterOf(const charts::HighHalf& chart, int byte) {
    return byte < 0x80 ? static_cast<char16_t>(byte) : chart[byte - 0x80];
}

bool Has(const charts::HighHalf& chart, char16_t character) {
    return character != 0 && charts::PositionOf(chart, character) >= 0;
}

std::string Convert(ConversionCodePage source, ConversionCodePage target, std::string text) {
    ApplyConversion(ConversionBetween(source, target), reinterpret_cast<std::uint8_t*>(text.data()), text.size());
    return text;
}

int Entry(int table, int byte) { return MapHigh(table, static_cast<std::uint8_t>(byte)); }

// А-Я, а-я, Ё, ё as each code page writes them (ConversionCodePage order: 1251, 866, KOI8-R, ISO, Mac).
std::string Letters(int codePage) {
    std::string letters;
    auto run = [&](int first, int count) {
        for (int b = first; b < first + count; ++b) letters += static_cast<char>(b);
    };
    switch (codePage) {
    case kAnsi1251: run(0xC0, 64); return letters + "\xA8\xB8";
    case kOem866: run(0x80, 48); run(0xE0, 16); return letters + "\xF0\xF1";
    case kKoi8R: {
        const std::string capitals = "\xE1\xE2\xF7\xE7\xE4\xE5\xF6\xFA\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0"
                                     "\xF2\xF3\xF4\xF5\xE6\xE8\xE3\xFE\xFB\xFD\xFF\xF9\xF8\xFC\xE0\xF1";
        letters = capitals;
        for (char c : capitals) letters += static_cast<char>(c - 0x20);
        return letters + "\xB3\xA3";
    }
    case kIso8859_5: run(0xB0, 64); return letters + "\xA1\xF1";
    default: run(0x80, 32); run(0xE0, 31); return letters + "\xDF\xDD\xDE";  // я stands apart
    }
}

TEST(CodePageTables, EveryRussianLetterBecomesItselfBetweenEveryTwoCodePages) {
    for (int s = 0; s < kConversionCodePageCount; ++s)
        for (int t = 0; t < kConversionCodePageCount; ++t)
            EXPECT_EQ(Convert(ConversionCodePage(s), ConversionCodePage(t), Letters(s)), Letters(t)) << s << " to " << t;
}

TEST(CodePageTables, SignsAndBoxDrawingGoToTheirPlaces) {
    // № ° · √ ¤ and the no-break space from 866; Є є Ї ї Ў ў, which 1251 has too.
    EXPECT_EQ(Convert(kOem866, kAnsi1251, "\xFC\xF8\xFA\xFD\xFF\xF2\xF3\xF4\xF5\xF6\xF7"),
              "\xB9\xB0\xB7\xA4\xA0\xAA\xBA\xAF\xBF\xA1\xA2");
    EXPECT_EQ(Convert(kAnsi1251, kOem866, "\xB9\xB0\xB7\xA4\xA0\xAA\xBA\xAF\xBF\xA1\xA2"),
              "\xFC\xF8\xFA\xFD\xFF\xF2\xF3\xF4\xF5\xF6\xF7");
    // ─ │ ┌ ┐ └ ┘ ├ ┤ ┬ ┴ ┼ ▀ ▄ █ ▌ ▐ ░ ▒ ▓ ■ ∙ √ ═ ║ ° · and the no-break space, 866 and KOI8-R.
    const std::string oem = "\xC4\xB3\xDA\xBF\xC0\xD9\xC3\xB4\xC2\xC1\xC5\xDF\xDC\xDB\xDD\xDE\xB0\xB1\xB2"
                            "\xFE\xF9\xFB\xCD\xBA\xF8\xFA\xFF";
    const std::string koi8 = "\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92"
                             "\x94\x95\x96\xA0\xA1\x9C\x9E\x9A";
    EXPECT_EQ(Convert(kOem866, kKoi8R, oem), koi8);
    EXPECT_EQ(Convert(kKoi8R, kOem866, koi8), oem);
}

TEST(CodePageTables, BytesBelow0x80PassEveryTableUnchanged) {
    for (int table = 0; table < kByteTableCount; ++table)
        for (int b = 0; b < 0x80; ++b) EXPECT_EQ(Entry(table, b), b);
    std::string ascii;
    for (int b = 0; b < 0x80; ++b) ascii += static_cast<char>(b);
    for (int s = 0; s < kConversionCodePageCount; ++s)
        for (int t = 0; t < kConversionCodePageCount; ++t)
            EXPECT_EQ(Convert(ConversionCodePage(s), ConversionCodePage(t), ascii), ascii);
}

TEST(CodePageTables, NamesAndPivotIndices) {
    EXPECT_STREQ(CodePageNames[0], "ANSI (1251)");
    EXPECT_STREQ(CodePageNames[1], "OEM (866)");
    EXPECT_STREQ(CodePageNames[2], "KOI8 R");
    EXPECT_STREQ(CodePageNames[3], "ISO");
    EXPECT_STREQ(CodePageNames[4], "MAC");
    const std::int32_t from[] = {1, -1, 3, 7, 5};
    const std::int32_t to[] = {0, -1, 2, 6, 4};
    for (int i = 0; i < kConversionCodePageCount; ++i) {
        EXPECT_EQ(FromTable[i], from[i]);
        EXPECT_EQ(ToTable[i], to[i]);
    }
}

TEST(CodePageTables, PseudoGraphicsBecomeLookAlikesIn1251) {
    EXPECT_EQ(Entry(kOemToAnsi, 0xC5), '+');   // ┼
    EXPECT_EQ(Entry(kOemToAnsi, 0xC4), '-');   // ─
    EXPECT_EQ(Entry(kOemToAnsi, 0xCD), '=');   // ═
    EXPECT_EQ(Entry(kOemToAnsi, 0xC0), 'L');   // └
    EXPECT_EQ(Entry(kOemToAnsi, 0xC2), 'T');   // ┬
    EXPECT_EQ(Entry(kOemToAnsi, 0xFB), 'v');   // √
    EXPECT_EQ(Entry(kOemToAnsi, 0xF9), 0x95);  // ∙ as •
    EXPECT_EQ(Entry(kOemToAnsi, 0xB3), 0xA6);  // │ as ¦
    EXPECT_EQ(Entry(kOemToAnsi, 0xFE), 0xA6);  // ■ as ¦
    EXPECT_EQ(Entry(kOemToAnsi, 0xBF), 0xAC);  // ┐ as ¬
    EXPECT_EQ(Entry(kOemToAnsi, 0xC9), 0xE3);  // ╔ as г
    EXPECT_EQ(Entry(kOemToAnsi, 0xD6), 0xE3);  // ╓ as г
    // Every box-drawing and shade character becomes ASCII or one of the three 1251 look-alikes.
    for (int b = 0xB0; b < 0xE0; ++b) {
        int r = Entry(kOemToAnsi, b);
        EXPECT_TRUE(r < 0x80 || r == 0xA6 || r == 0xAC || r == 0xE3) << std::hex << b;
    }
}

TEST(CodePageTables, KoiAndOemTablesReplaceWhatTheOtherLacks) {
    const std::pair<int, int> oemToKoi[] = {{0xF2, 'E'}, {0xF3, 'e'}, {0xF4, 'I'}, {0xF5, 'i'},
                                            {0xF6, 'Y'}, {0xF7, 'y'}, {0xFC, 'N'}, {0xFD, 0xBF}};
    for (auto [b, r] : oemToKoi) EXPECT_EQ(Entry(kOemToKoi8, b), r) << std::hex << b;
    const std::pair<int, int> koiToOem[] = {{0x93, 0xB3}, {0x97, 0xCD}, {0x98, '<'}, {0x99, '>'},
                                            {0x9B, 0xB3}, {0x9D, 0xF8}, {0x9F, ':'}, {0xBF, 0xFD}};
    for (auto [b, r] : koiToOem) EXPECT_EQ(Entry(kKoi8ToOem, b), r) << std::hex << b;
}

TEST(CodePageTables, AnsiToAnsiGoesThroughOemAndIsNotTheIdentity) {
    std::string all;
    for (int b = 0x80; b < 0x100; ++b) all += static_cast<char>(b);
    std::string back = Convert(kAnsi1251, kAnsi1251, all);
    for (int b = 0x80; b < 0x100; ++b) {
        unsigned char r = static_cast<unsigned char>(back[b - 0x80]);
        if (Has(charts::kCp866, CharacterOf(charts::kWindows1251, b))) {
            EXPECT_EQ(r, b) << std::hex << b;
        }
    }
    auto at = [&](int b) { return static_cast<unsigned char>(back[b - 0x80]); };
    EXPECT_EQ(at(0xAB), '<');   // «
    EXPECT_EQ(at(0xBB), '>');   // »
    EXPECT_EQ(at(0x97), '-');   // —
    EXPECT_EQ(at(0x88), '?');   // €
    EXPECT_EQ(at(0xB5), 0xF7);  // µ through 866 ч comes back as ч
    EXPECT_EQ(at(0x95), 0x07);  // • as the byte where OEM fonts draw it
    EXPECT_EQ(at(0xB6), 0x14);  // ¶
    EXPECT_EQ(at(0xA7), 0x15);  // §
    EXPECT_EQ(at(0x86), '+');   // † through ┼
    EXPECT_EQ(at(0x87), '+');   // ‡ through ╪
    EXPECT_EQ(at(0xA6), 0xA6);  // ¦ through │
    EXPECT_EQ(at(0xAC), 0xAC);  // ¬ through ┐
    EXPECT_EQ(at(0x99), 'T');   // ™
    EXPECT_EQ(at(0xB2), 'I');   // І
    EXPECT_EQ(at(0xB3), 'i');   // і
    EXPECT_EQ(at(0xA9), 'c');   // ©
    EXPECT_EQ(at(0xAE), 'R');   // ®
    EXPECT_EQ(at(0xB1), '+');   // ±
    EXPECT_EQ(at(0x85), ':');   // …
    EXPECT_EQ(at(0x84), '"');   // „
    EXPECT_EQ(at(0x91), '\'');  // ‘
    EXPECT_EQ(at(0x89), '%');   // ‰
    EXPECT_EQ(at(0x98), '?');   // unassigned
    // OEM to OEM needs no table at all.
    EXPECT_EQ(Convert(kOem866, kOem866, all), all);
}

TEST(CodePageTables, RoundTripsThroughKoi8) {
    std::string russian;  // А-я, Ё, ё in 1251
    for (int b = 0xC0; b < 0x100; ++b) russian += static_cast<char>(b);
    russian += "\xA8\xB8";
    EXPECT_EQ(Convert(kKoi8R, kAnsi1251, Convert(kAnsi1251, kKoi8R, russian)), russian);

    for (int b = 0x80; b < 0x100; ++b) {
        std::string one(1, static_cast<char>(b));
        std::string back = Convert(kKoi8R, kOem866, Convert(kOem866, kKoi8R, one));
        bool lost = (b >= 0xF2 && b <= 0xF7) || b == 0xFC;  // Є є Ї ї Ў ў № became ASCII letters
        if (lost) {
            EXPECT_LT(static_cast<unsigned char>(back[0]), 0x80) << std::hex << b;
        } else {
            EXPECT_EQ(back, one) << std::hex << b;  // box drawing included
        }
    }
    // ¤ goes to KOI8-R as © and comes back as ¤.
    EXPECT_EQ(Convert(kKoi8R, kOem866, Convert(kOem866, kKoi8R, "\xFD")), "\xFD");
}

TEST(CodePageTables, BoxDrawingDoesNotComeBackFrom1251OrIso) {
    const std::string box = "\xC9\xCD\xBB\xBA\xC5\xC4\xB3";  // ╔═╗║┼─│
    EXPECT_EQ(Convert(kOem866, kAnsi1251, box), "\xE3=\xAC\xA6+-\xA6");
    EXPECT_NE(Convert(kAnsi1251, kOem866, Convert(kOem866, kAnsi1251, box)), box);

    // To ISO box drawing passes unchanged, and reads as ISO letters; on the way back B0-CF become
    // the 866 capitals.
    for (int b = 0xB0; b < 0xE0; ++b) EXPECT_EQ(Entry(kOemToIso, b), b) << std::hex << b;
    for (int b = 0xB0; b < 0xD0; ++b) EXPECT_EQ(Entry(kIsoToOem, b), b - 0x30) << std::hex << b;
    EXPECT_EQ(Convert(kIso8859_5, kOem866, Convert(kOem866, kIso8859_5, box)), "\x99\x9D\x8B\x8A\x95\x94\x83");
}

TEST(CodePageTables, IsoAndMacMoveLettersAndSigns) {
    EXPECT_EQ(Entry(kOemToIso, 0x80), 0xB0);  // А
    EXPECT_EQ(Entry(kOemToIso, 0xA0), 0xD0);  // а
    EXPECT_EQ(Entry(kOemToIso, 0xE0), 0xE0);  // р stands at the same place
    EXPECT_EQ(Entry(kOemToIso, 0xF0), 0xA1);  // Ё
    EXPECT_EQ(Entry(kOemToIso, 0xF1), 0xF1);  // ё
    EXPECT_EQ(Entry(kOemToIso, 0xFC), 0xF0);  // №
    EXPECT_EQ(Entry(kOemToIso, 0xFF), 0xA0);  // no-break space
    EXPECT_EQ(Entry(kOemToMac, 0x80), 0x80);  // А
    EXPECT_EQ(Entry(kOemToMac, 0xA0), 0xE0);  // а
    EXPECT_EQ(Entry(kOemToMac, 0xE0), 0xF0);  // р
    EXPECT_EQ(Entry(kOemToMac, 0xEF), 0xDF);  // я
    EXPECT_EQ(Entry(kOemToMac, 0xF0), 0xDD);  // Ё
    EXPECT_EQ(Entry(kOemToMac, 0xF1), 0xDE);  // ё
    EXPECT_EQ(Entry(kOemToMac, 0xFC), 0xDC);  // №
    EXPECT_EQ(Entry(kOemToMac, 0xFF), 0xCA);  // no-break space
    // Mac quotes and dashes arrive in 866 as ASCII.
    EXPECT_EQ(Convert(kMacCyrillic, kOem866, "\xC7\xC8\xD0\xD1"), "<>--");
    EXPECT_EQ(Convert(kMacCyrillic, kAnsi1251, "\xC7\xE0\xC8"), "<\xE0>");
}

TEST(CodePageTables, MacAndIsoTablesSendSharedCharactersToTheirPlaces) {
    // 866 Є є Ї ї Ў ў stay those letters in Mac Cyrillic and ISO, and come back.
    EXPECT_EQ(Convert(kOem866, kMacCyrillic, "\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xFB"), "\xB8\xB9\xBA\xBB\xD8\xD9\xA1\xC3");
    EXPECT_EQ(Convert(kOem866, kIso8859_5, "\xF2\xF3\xF4\xF5\xF6\xF7"), "\xA4\xF4\xA7\xF7\xAE\xFE");
    EXPECT_EQ(Convert(kIso8859_5, kOem866, "\xA4"), "\xF2");  // Є, not д
    EXPECT_EQ(Convert(kMacCyrillic, kOem866, "\xB8\xB9\xBA\xBB\xD8\xD9\xA1\xC3"), "\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xFB");
    EXPECT_EQ(Convert(kIso8859_5, kOem866, "\xA4\xF4\xA7\xF7\xAE\xFE"), "\xF2\xF3\xF4\xF5\xF6\xF7");
    // What the target lacks keeps its byte.
    EXPECT_EQ(Entry(kOemToMac, 0xFD), 0xFD);  // ¤
    EXPECT_EQ(Entry(kOemToIso, 0xF8), 0xF8);  // °
    EXPECT_EQ(Entry(kIsoToOem, 0xFD), 0xFD);  // §
    EXPECT_EQ(Entry(kMacToOem, 0xFF), 0xFF);  // €
}

TEST(CodePageTables, SharedCharactersRoundTripBetweenOemAndEveryCodePage) {
    for (int cp : {kAnsi1251, kKoi8R, kIso8859_5, kMacCyrillic}) {
        const charts::HighHalf& chart = *ChartOf(cp);
        for (int b = 0x80; b < 0x100; ++b) {
            if (Has(chart, CharacterOf(charts::kCp866, b))) {
                EXPECT_EQ(Entry(FromTable[cp], Entry(ToTable[cp], b)), b) << cp << " oem " << std::hex << b;
            }
            if (Has(charts::kCp866, CharacterOf(chart, b))) {
                EXPECT_EQ(Entry(ToTable[cp], Entry(FromTable[cp], b)), b) << cp << " byte " << std::hex << b;
            }
        }
    }
}

TEST(CodePageTables, TranslitTableGivesTheFirstLatinLetter) {
    const std::string capitals = "ABVGDEZZIYKLMNOPRSTUFHCCSS'I'EII";
    const std::string small = "abvgdezziyklmnoprstufhccss'y'eii";
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(Entry(TranslitTable, 0x80 + i), static_cast<unsigned char>(capitals[i]));
        EXPECT_EQ(Entry(TranslitTable, i < 16 ? 0xA0 + i : 0xE0 + i - 16), static_cast<unsigned char>(small[i]));
    }
    EXPECT_EQ(Entry(TranslitTable, 0x99), 'S');  // Щ
    EXPECT_EQ(Entry(TranslitTable, 0x9B), 'I');  // Ы
    EXPECT_EQ(Entry(TranslitTable, 0xEB), 'y');  // ы
    EXPECT_EQ(Entry(TranslitTable, 0xF0), 'E');  // Ё
    EXPECT_EQ(Entry(TranslitTable, 0xF1), 'e');  // ё
    for (int b = 0xB0; b < 0xE0; ++b) EXPECT_EQ(Entry(TranslitTable, b), b);
    for (int b = 0xF2; b < 0x100; ++b) EXPECT_EQ(Entry(TranslitTable, b), b);
}

TEST(CodePageTables, ComposedConversionEqualsTheTwoSteps) {
    for (int from : {-1, 1, 3, 5, 7}) {
        for (int to : {-1, 0, 2, 4, 6, FidoTarget}) {
            std::vector<std::uint8_t> bytes;
            for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 37 + (i >> 8)));
            std::vector<std::uint8_t> expected = bytes;
            if (from >= 0) MapHighInPlace(from, expected.data(), expected.size());
            if (to >= 0 && to < kByteTableCount) MapHighInPlace(to, expected.data(), expected.size());
            if (to == FidoTarget)
                for (auto& b : expected) b = b == 0x8D ? 'H' : b == 0xE0 ? 'p' : b;
            ApplyConversion(ComposeConversion(from, to), bytes.data(), bytes.size());
            EXPECT_EQ(bytes, expected) << from << " " << to;
        }
    }
    // Fido from 1251: Н and р become Latin, the rest is 866.
    std::string text = "\xCD\xE0\xF0\xED";  // Нарн... in 1251
    ApplyConversion(ComposeConversion(kAnsiToOem, FidoTarget), reinterpret_cast<std::uint8_t*>(text.data()), text.size());
    EXPECT_EQ(text, "H\xA0p\xAD");
}

}  // namespace
