#include "control/rtf_reader.h"

#include <gtest/gtest.h>

#include <random>

TEST(RtfReader, CyrillicThroughHexBytesWithTheTablesDropped) {
    const char* rtf =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
        "{\\fonttbl{\\f0\\fswiss\\fcharset204{\\*\\fname Arial;}Arial CYR;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\stylesheet{\\s0 \\'ce\\'e1\\'fb\\'f7\\'ed\\'fb\\'e9;}}\r\n"
        "{\\info{\\title \\'c7\\'e0\\'e3\\'ee\\'eb\\'ee\\'e2\\'ee\\'ea}{\\author X}}\r\n"
        "\\viewkind4\\uc1\\pard\\cf1\\lang1049\\f0\\fs20 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, \\'ec\\'e8\\'f0!\\par\r\n"
        "\\'b8\\'a8\\tab end\\par\r\n"
        "}\r\n";
    EXPECT_EQ(RtfToPlainText(rtf), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!\r\n\xB8\xA8\tend\r\n");
}

TEST(RtfReader, UnicodeCharactersAndTheirFallbacks) {
    // Characters 1251 has: their byte, the fallback skipped.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\uc1 \\u1055?\\u1088?\\u8364?\\u8212 -}"), "\xCF\xF0\x88\x97");
    // A two-character fallback, and fallbacks given as hexadecimal bytes.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\uc2\\u1071\\'3f\\'3fx}"), "\xDFx");
    // A character 1251 lacks: the fallback is the text; with \uc0 there is none and '?' stands in.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\u9731 S\\u20013?}"), "S?");
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\uc0\\u9731 x}"), "?x");
    // Negative parameters count from 65536; \uc holds inside its group only; a brace ends a fallback.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\u-1?a{\\uc0\\u1040}\\u1041?b}"), "?a\xC0\xC1" "b");
    EXPECT_EQ(RtfToPlainText("{\\rtf1{\\u1040}?}"), "\xC0?");
    // The fallback of a character 1251 has is skipped even when it is a control word.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\u1040\\'c0\\u1041\\emdash x}"), "\xC0\xC1x");
}

TEST(RtfReader, NestedGroupsAndEscapes) {
    EXPECT_EQ(RtfToPlainText("{\\rtf1 a{\\b b{\\i c}d}e}"), "abcde");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 \\{x\\}\\\\ y\\~z\\-w\\_v}"), "{x}\\ y\xA0zw-v");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 a\\line b\\\r\nc\td\\cell e\\row}"), "a\r\nb\r\nc\td\te\r\n");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 \\ldblquote q\\rdblquote \\endash \\bullet}"), "\x93q\x94\x96\x95");
    // A control word ends at its space, which is not text; other spaces are.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\b  two\\b0   three}"), " two  three");
}

TEST(RtfReader, DestinationsAreDropped) {
    EXPECT_EQ(RtfToPlainText("{\\rtf1{\\*\\generator Riched20 10.0;}{\\*\\unknown {deep} text}kept}"), "kept");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}} now}"),
              "see link now");
    EXPECT_EQ(RtfToPlainText("{\\rtf1{\\header page}{\\footer foot}{\\footnote note}body}"), "body");
    // Picture data, and binary data that holds braces and backslashes.
    EXPECT_EQ(RtfToPlainText("{\\rtf1{\\pict\\wmetafile8 0100ff}{\\object\\bin3 {\\}}after}"), "after");
    EXPECT_EQ(RtfToPlainText(std::string("{\\rtf1 a\\bin3 {}\\b}", 18) + "}"), "ab");
    // A dropped destination stays dropped whatever words it holds.
    EXPECT_EQ(RtfToPlainText("{\\rtf1{\\info\\fonttbl\\par x}y}"), "y");
}

TEST(RtfReader, HexBytesFollowTheDocumentAndFontCodePages) {
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansi\\ansicpg866 \\'8f\\'e0\\'a8\\'a2\\'a5\\'e2}"), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansi\\ansicpg20866 \\'f0\\'d2\\'c9}"), "\xCF\xF0\xE8");
    // 866 pseudo-graphics come out as the program's own conversion gives them.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansicpg866 \\'c4\\'c5}"), "-+");
    // A Latin document with a Cyrillic font: the font's runs are 1251, the rest 1252.
    const char* mixed =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Times;}{\\f1\\fcharset204 Times CYR;}}"
        "caf\\'e9 \\'93q\\'94 {\\f1 \\'cf\\'f0\\'e8}\\f1\\'e2}";
    EXPECT_EQ(RtfToPlainText(mixed), "caf? \x93q\x94 \xCF\xF0\xE8\xE2");
    // A Latin charset on a font of a 1251 document does not turn its Russian into accents.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0\\'cf}"), "\xCF");
    // A font's \cpg wins; a code page without a chart keeps its bytes.
    EXPECT_EQ(RtfToPlainText("{\\rtf1{\\fonttbl{\\f3\\cpg866 Terminal;}}\\f3\\'8f}"), "\xCF");
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansicpg1250 \\'b9}"), "\xB9");
    // Raw bytes above 0x7F are read in the same code page.
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\ansicpg866 \x8f}"), "\xCF");
}

TEST(RtfReader, MalformedInputGivesWhatCanBeRead) {
    EXPECT_EQ(RtfToPlainText("{\\rtf1 a}}b"), "a");               // text ends with the outer group
    EXPECT_EQ(RtfToPlainText("{\\rtf1 {\\b x{\\i y"), "xy");      // missing closing braces
    EXPECT_EQ(RtfToPlainText("{\\rtf1 x\\'4"), "x\x04");           // truncated hexadecimal byte
    EXPECT_EQ(RtfToPlainText("{\\rtf1 x\\'zz}"), "xzz");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 x\\"), "x");
    EXPECT_EQ(RtfToPlainText("{\\rtf1 x\\u"), "x");
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\u99999999999999999999999 ?\\bin99999999999999 abc}"), "?");
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\uc99999999 \\u1040 ?x}"), "\xC0x");  // an absurd \uc counts as 1
    EXPECT_EQ(RtfToPlainText("{\\rtf1\\bin-5 x}"), "x");
    std::string deep = "{\\rtf1 " + std::string(200000, '{') + "z";
    EXPECT_EQ(RtfToPlainText(deep), "z");
    // Not RTF at all: the text stays as it is.
    EXPECT_EQ(RtfToPlainText("plain {\\b text}"), "plain {\\b text}");
    EXPECT_EQ(RtfToPlainText(""), "");
    // Random bytes after the header never crash nor hang.
    std::mt19937 random(7);
    const char pieces[] = "{}\\'*uc0123456789abf -\r\n\x80\xff";
    for (int round = 0; round < 3000; ++round) {
        std::string text = "{\\rtf1";
        int length = static_cast<int>(random() % 80);
        for (int i = 0; i < length; ++i) text += pieces[random() % (sizeof(pieces) - 1)];
        std::string plain = RtfToPlainText(text);
        EXPECT_LE(plain.size(), 2 * text.size());
    }
}
