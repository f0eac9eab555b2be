#include "encoding/transforms.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "base/settings.h"
#include "encoding/code_page_tables.h"
#include "encoding/conversion_chord.h"
#include "encoding/unicode_conversion.h"

using namespace std::string_literals;

namespace {

ParagraphSettings Paragraph(int ig, int li, int fi, int ri) {
    ParagraphSettings s;
    s.ignoreLineBreaks = ig;
    s.leftIndent = li;
    s.firstLineIndent = fi;
    s.rightMargin = ri;
    return s;
}

std::string Align(std::string_view text, Alignment a, int ig, int li, int fi, int ri) {
    return AlignParagraphs(text, a, Paragraph(ig, li, fi, ri));
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "output does not end in CR LF";
    return lines;
}

TEST(CodePageConversion, ConvertsEveryHighByteAndKeepsLengthAndControls) {
    std::string text = "\xEB\xCF\xD4\r\n\0\xE1"s;  // Кот CR LF NUL А in KOI8-R
    ConvertCodePage(text, FromTable[kKoi8R], ToTable[kAnsi1251]);
    EXPECT_EQ(text, "\xCA\xEE\xF2\r\n\0\xC0"s);
    std::string oem = "\x8D\xA0\xE0\xAE\xA4";  // Народ in 866
    std::string same = oem;
    ConvertCodePage(same, kNoTable, kNoTable);  // "-> OEM" in the OEM view
    EXPECT_EQ(same, oem);
}

TEST(CodePageConversion, FidoWritesLatinHAndPInto866) {
    std::string text = "\xCD\xE0\xF0\xEE\xE4 \xED\xE0 \xF0\xE5\xEA\xE5";  // Народ на реке in 1251
    ConvertCodePage(text, FromTable[kAnsi1251], FidoTarget);
    EXPECT_EQ(text, "H\xA0p\xAE\xA4 \xAD\xA0 p\xA5\xAA\xA5");
    std::string oem = "\x8D\xE0";
    ConvertCodePage(oem, FromTable[kOem866], FidoTarget);
    EXPECT_EQ(oem, "Hp");
}

TEST(Transliteration, LettersBecomeLatinWithTheSecondLetterForTen) {
    // ЖЧШЩЮЯ жчшщюя in 866.
    EXPECT_EQ(Transliterate("\x86\x97\x98\x99\x9E\x9F \xA6\xE7\xE8\xE9\xEE\xEF", kOem866), "ZHCHSHSHIUIA zhchshshiuia");
    // Щука, Ы and ы, Ъ and ь, Ёж.
    EXPECT_EQ(Transliterate("\x99\xE3\xAA\xA0 \x9B\xEB \x9A\xEC \xF0\xA6", kOem866), "SHuka Iy '' Ezh");
    // The same words in 1251 and KOI8-R give the same Latin text.
    EXPECT_EQ(Transliterate("\xD9\xF3\xEA\xE0", kAnsi1251), "SHuka");
    EXPECT_EQ(Transliterate("\xFD\xD5\xCB\xC1", kKoi8R), "SHuka");
}

TEST(Transliteration, BytesWithoutLatinLettersComeOutAs866) {
    // KOI8-R ─ and ═ are 866 C4 and CD; 1251 « is 866 '<'; ASCII, NUL and line breaks stay.
    EXPECT_EQ(Transliterate("\x80\xA0", kKoi8R), "\xC4\xCD");
    EXPECT_EQ(Transliterate("\xAB" "a\0\r\n"s, kAnsi1251), "<a\0\r\n"s);
    EXPECT_EQ(Transliterate("\xC4\xF2", kOem866), "\xC4\xF2");  // ─ Є: no Latin letters
    EXPECT_EQ(Transliterate("", kOem866), "");
}

TEST(Transliteration, TheUtf8ViewTransliteratesCharactersAndKeepsEveryOtherByte) {
    // "Щука Ёж ЯЮ" in UTF-8, then ∞ (no letter of 866), ─ (866 has it, but not as a letter), a stray
    // byte and a cut sequence.
    EXPECT_EQ(Transliterate("\xD0\xA9\xD1\x83\xD0\xBA\xD0\xB0 \xD0\x81\xD0\xB6 \xD0\xAF\xD0\xAE", kUtf8View),
              "SHuka Ezh IAIU");
    EXPECT_EQ(Transliterate("\xE2\x88\x9E\xE2\x94\x80\x80" "a\xD0", kUtf8View), "\xE2\x88\x9E\xE2\x94\x80\x80" "a\xD0");
}

TEST(QuotedPrintable, DecodesOnlyUpperCaseHexPairs) {
    EXPECT_EQ(DecodeQuotedPrintable("=D8=E0"), "\xD8\xE0");
    EXPECT_EQ(DecodeQuotedPrintable("=d8=e0"), "=d8=e0");
    EXPECT_EQ(DecodeQuotedPrintable("x=4"), "x=4");
    EXPECT_EQ(DecodeQuotedPrintable("a="), "a=");
    EXPECT_EQ(DecodeQuotedPrintable("soft=\r\nbreak"), "soft=\r\nbreak");
    EXPECT_EQ(DecodeQuotedPrintable("==41=3D41"), "=A=41");
    EXPECT_EQ(DecodeQuotedPrintable("=00"), std::string(1, '\0'));
    EXPECT_EQ(DecodeQuotedPrintable("=4G=G4"), "=4G=G4");
}

TEST(BareCrRepair, GivesEveryBareCrItsLineFeed) {
    EXPECT_EQ(RepairBareCr("one\rtwo\rthree"), "one\r\ntwo\r\nthree");
    EXPECT_EQ(RepairBareCr("one\r\ntwo\r\n"), "one\r\ntwo\r\n");
    EXPECT_EQ(RepairBareCr("one\ntwo"), "one\ntwo");
    EXPECT_EQ(RepairBareCr("\r\r\n\r"), "\r\n\r\n\r\n");
    // In a document of LF line ends the bare CR becomes the document's line break.
    EXPECT_EQ(RepairBareCr("one\ntwo\rthree\r\r\n", LineEndKind::Lf), "one\ntwo\nthree\n\r\n");
}

// A text fed in blocks of every size gives what the whole text gives.
template <typename Append, typename Whole>
void ExpectSameInBlocks(const std::string& text, Append append, Whole whole) {
    const std::string expected = whole(text);
    for (std::size_t block = 1; block <= 7; ++block) {
        std::string out, pending;
        for (std::size_t at = 0; at < text.size(); at += block) {
            pending += text.substr(at, block);
            pending.erase(0, append(pending, false, out));
        }
        std::size_t used = append(pending, true, out);
        EXPECT_EQ(used, pending.size());
        EXPECT_EQ(out, expected) << "block " << block;
    }
}

TEST(StreamedTransforms, GiveTheSameBytesWhateverTheBlocks) {
    std::mt19937 random(7);
    const char alphabet[] = {'=', 'A', 'F', '0', '9', 'd', '\r', '\n', 'x', '\xE0'};
    for (int round = 0; round < 200; ++round) {
        std::string text;
        int n = random() % 40;
        for (int i = 0; i < n; ++i) text += alphabet[random() % sizeof alphabet];
        ExpectSameInBlocks(text, AppendQuotedPrintableDecoded, DecodeQuotedPrintable);
        ExpectSameInBlocks(text, AppendBareCrRepaired, [](std::string_view t) { return RepairBareCr(t); });
    }
}

TEST(Alignment, JustifyStretchesEveryLineButTheLastOfTheRange) {
    const std::string text = "the quick brown fox jumps over the lazy dog\r\nand more text here\r\n";
    EXPECT_EQ(Align(text, Alignment::Justify, 0, 0, 2, 20),
              "  the   quick  brown\r\n"
              "fox  jumps  over the\r\n"
              "lazy             dog\r\n"
              "and more text here\r\n");
}

TEST(Alignment, CentreLeftAndRightUseSingleGaps) {
    const std::string text = "aa bb\r\ncc\r\n";
    EXPECT_EQ(Align(text, Alignment::Left, 0, 2, 2, 20), "  aa bb\r\n  cc\r\n");
    EXPECT_EQ(Align(text, Alignment::Right, 0, 0, 0, 10), "     aa bb\r\n        cc\r\n");
    EXPECT_EQ(Align(text, Alignment::Centre, 0, 0, 0, 10), "  aa bb\r\n    cc\r\n");
    // Centre takes the first-line indent from the left indent.
    EXPECT_EQ(Align("ab\r\n", Alignment::Centre, 0, 2, 0, 12), "      ab\r\n");
}

TEST(Alignment, TheLastByteOfTheRangeIsCopiedButNotCounted) {
    EXPECT_EQ(Align("abc", Alignment::Right, 0, 0, 0, 10), "        abc\r\n");  // ends at column 11
    EXPECT_EQ(Align("abc\r\n", Alignment::Right, 0, 0, 0, 10), "       abc\r\n");
    EXPECT_EQ(Align("abcd", Alignment::Centre, 0, 0, 0, 10), "   abcd\r\n");
    EXPECT_EQ(Align("abcd\r\n", Alignment::Centre, 0, 0, 0, 10), "   abcd\r\n");
    EXPECT_EQ(Align("abc", Alignment::Centre, 0, 0, 0, 10), "    abc\r\n");
    EXPECT_EQ(Align("abc\r\n", Alignment::Centre, 0, 0, 0, 10), "   abc\r\n");
    // So a range that ends in a word may take one character more on its last line.
    EXPECT_EQ(Align("aaaa bbbbb", Alignment::Left, 0, 0, 0, 9), "aaaa bbbbb\r\n");
    EXPECT_EQ(Align("aaaa bbbbb\r\n", Alignment::Left, 0, 0, 0, 9), "aaaa\r\nbbbbb\r\n");
}

TEST(Alignment, AOneLetterWordAtTheEndKeepsItsGap) {
    EXPECT_EQ(Align("aaa b", Alignment::Left, 0, 0, 0, 80), "aaa b\r\n");
    EXPECT_EQ(Align("aaa b", Alignment::Right, 0, 0, 0, 10), "      aaa b\r\n");  // one beyond, as any range
    // ending in a word
    EXPECT_EQ(Align("x y z", Alignment::Justify, 0, 0, 0, 80), "x y z\r\n");
    EXPECT_EQ(Align("aaaa b", Alignment::Left, 0, 0, 0, 4), "aaaa\r\nb\r\n");
}

TEST(Alignment, AWordThatEndsTheRangeAndOverflowsMovesDownWithoutWideningTheLine) {
    EXPECT_EQ(Align("aaaa bbbbbbb", Alignment::Right, 0, 0, 0, 10), "      aaaa\r\n    bbbbbbb\r\n");
    EXPECT_EQ(Align("aa bb ccccccc", Alignment::Justify, 0, 0, 0, 10), "aa      bb\r\nccccccc\r\n");
}

TEST(Alignment, LineBreaksEndLinesOnlyAfterABlank) {
    EXPECT_EQ(Align("ab\ncd\r\n", Alignment::Left, 0, 0, 0, 80), "ab cd\r\n");
    EXPECT_EQ(Align("ab \ncd\r\n", Alignment::Left, 0, 0, 0, 80), "ab\r\ncd\r\n");
    // A blank line keeps its place: for centre half the room plus one, for right all of it plus one.
    EXPECT_EQ(Align("a\r\n\r\nb\r\n", Alignment::Left, 0, 0, 0, 10), "a\r\n\r\nb\r\n");
    EXPECT_EQ(Lines(Align("a\r\n\r\nb\r\n", Alignment::Right, 0, 2, 0, 12))[1], std::string(2 + 11, ' '));
    EXPECT_EQ(Lines(Align("a\r\n\r\nb\r\n", Alignment::Centre, 0, 2, 0, 12))[1], std::string(2 + 5, ' '));
}

TEST(Alignment, IgnoringLineBreaksMakesOneParagraph) {
    EXPECT_EQ(Align("a b\r\n\r\nc\r\nd\r\n", Alignment::Left, 1, 0, 0, 80), "a b c d\r\n");
    EXPECT_EQ(Align("a b\r\n\r\nc\r\nd\r\n", Alignment::Left, 0, 0, 0, 80), "a b\r\n\r\nc\r\nd\r\n");
}

TEST(Alignment, FirstLineIndentOnlyOnceAndIndentsResetNearTheMargin) {
    EXPECT_EQ(Align("aa\r\n\r\nbb\r\n", Alignment::Left, 0, 4, 2, 80), "  aa\r\n    \r\n    bb\r\n");
    EXPECT_EQ(Lines(Align("a\r\nb\r\n", Alignment::Left, 0, 75, 75, 80)), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Lines(Align("a\r\nb\r\n", Alignment::Left, 0, 75, 0, 84))[1], std::string(75, ' ') + "b");
    EXPECT_EQ(Lines(Align("a\r\n", Alignment::Left, 0, 0, 75, 84))[0], std::string(75, ' ') + "a");
    EXPECT_EQ(Lines(Align("a\r\n", Alignment::Left, 0, 0, 76, 84))[0], "a");
    EXPECT_EQ(Lines(Align("a\r\n", Alignment::Left, 0, 0, 76, 80))[0], "a");
}

TEST(Alignment, AWordLongerThanTheLineStaysWhole) {
    EXPECT_EQ(Align("abcdefghijklmno pq\r\n", Alignment::Left, 0, 0, 0, 10), "abcdefghijklmno\r\npq\r\n");
    EXPECT_EQ(Align("abcdefghijklmno\r\nxy\r\n", Alignment::Right, 0, 0, 0, 10), "abcdefghijklmno\r\n        xy\r\n");
    // The line of a long word ends right after it, so at the end of the range the LF after its CR
    // makes one more, empty, line.
    EXPECT_EQ(Align("x abcdefghijklmno\r\n", Alignment::Justify, 0, 0, 0, 10), "x\r\nabcdefghijklmno\r\n\r\n");
}

TEST(Alignment, EmptyRangeGivesNothing) { EXPECT_EQ(Align("", Alignment::Justify, 0, 4, 4, 80), ""); }

TEST(Alignment, SettingsAreReadWithTheirDefaults) {
    MemorySettingsStore store;
    InstallSettingsStore(&store);
    ParagraphSettings missing = ReadParagraphSettings();
    EXPECT_EQ(missing.ignoreLineBreaks, 0);
    EXPECT_EQ(missing.leftIndent, 0);
    EXPECT_EQ(missing.firstLineIndent, 0);
    EXPECT_EQ(missing.rightMargin, 80);
    WriteSettingDword("IG", 1);
    WriteSettingDword("LI", 3);
    WriteSettingDword("FI", 5);
    WriteSettingDword("RI", 60);
    ParagraphSettings stored = ReadParagraphSettings();
    EXPECT_EQ(stored.ignoreLineBreaks, 1);
    EXPECT_EQ(stored.leftIndent, 3);
    EXPECT_EQ(stored.firstLineIndent, 5);
    EXPECT_EQ(stored.rightMargin, 60);
    // Values the options dialog would not store read as the defaults, and text aligns by them.
    const std::uint32_t outside[][2] = {{9, 81}, {129, 0xFFFFFFFF}, {0x7FFFFFF0, 0x7FFFFFF0}, {0xFFFFFFFF, 200}};
    for (auto [margin, indent] : outside) {
        WriteSettingDword("RI", margin);
        WriteSettingDword("LI", indent);
        WriteSettingDword("FI", indent);
        ParagraphSettings odd = ReadParagraphSettings();
        EXPECT_EQ(odd.leftIndent, 0) << margin;
        EXPECT_EQ(odd.firstLineIndent, 0) << margin;
        EXPECT_EQ(odd.rightMargin, 80) << margin;
        const std::string text = "one two three four five six seven eight nine ten eleven twelve thirteen\r\n";
        EXPECT_EQ(AlignParagraphs(text, Alignment::Right, odd), AlignParagraphs(text, Alignment::Right, {})) << margin;
    }
    WriteSettingDword("RI", 128);
    WriteSettingDword("LI", 80);
    WriteSettingDword("FI", 80);
    stored = ReadParagraphSettings();
    EXPECT_EQ(stored.rightMargin, 128);
    EXPECT_EQ(stored.leftIndent, 80);
    EXPECT_EQ(stored.firstLineIndent, 80);
    InstallSettingsStore(nullptr);
}

std::string RandomText(std::mt19937& random) {
    static const char* const pieces[] = {" ", "  ", "\t", "\r\n", "\r\n\r\n", "\n", "\r", "\0"};
    std::string text;
    int count = random() % 60;
    for (int i = 0; i < count; ++i) {
        if (random() % 2) {
            int length = 1 + random() % (random() % 8 == 0 ? 30 : 7);
            for (int c = 0; c < length; ++c) text += static_cast<char>(random() % 3 ? 'a' + random() % 26 : 0x80 + random() % 128);
        } else {
            int which = random() % 8;
            text.append(pieces[which], which == 7 ? 1 : std::char_traits<char>::length(pieces[which]));
        }
    }
    return text;
}

TEST(Alignment, RandomTextsKeepTheirWordsAndStayWithinTheMargin) {
    std::mt19937 random(2024);
    const Alignment kinds[] = {Alignment::Justify, Alignment::Centre, Alignment::Left, Alignment::Right};
    for (int round = 0; round < 3000; ++round) {
        const std::string text = RandomText(random);
        const int ri = random() % 4 == 0 ? static_cast<int>(random() % 12) : 10 + static_cast<int>(random() % 70);
        const int li = static_cast<int>(random() % 90), fi = static_cast<int>(random() % 90);
        const int ig = random() % 3 == 0;
        const Alignment kind = kinds[random() % 4];
        const std::string out = AlignParagraphs(text, kind, Paragraph(ig, li, fi, ri));
        SCOPED_TRACE(testing::Message() << "round " << round << " kind " << int(kind) << " ig " << ig << " li " << li
                                        << " fi " << fi << " ri " << ri);
        ASSERT_EQ(Words(out), Words(text));
        if (text.empty()) continue;
        const std::vector<std::string> lines = Lines(out);
        const bool endsInWord = !Words(std::string(1, text.back())).empty();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i];
            std::size_t end = line.find_last_not_of(' ');
            line.erase(end == std::string::npos ? 0 : end + 1);  // a blank line may reach one beyond
            const std::size_t allowed = static_cast<std::size_t>(ri) + (endsInWord && i + 1 == lines.size() ? 1 : 0);
            if (line.size() > allowed) {
                EXPECT_EQ(Words(line).size(), 1u) << "line " << i << ": " << line;
            }
        }
    }
}

TEST(Alignment, InTheUtf8ViewEachCharacterIsOneColumn) {
    // A UTF-8 text lays out exactly as the same text in 1251, where each character is one byte.
    std::mt19937 random(2026);
    const Alignment kinds[] = {Alignment::Justify, Alignment::Centre, Alignment::Left, Alignment::Right};
    for (int round = 0; round < 1000; ++round) {
        const std::string ansi =
            ConvertText(ConvertText(RandomText(random), TextEncoding::Cp1251, TextEncoding::Utf8), TextEncoding::Utf8,
                        TextEncoding::Cp1251);
        const std::string utf8 = ConvertText(ansi, TextEncoding::Cp1251, TextEncoding::Utf8);
        const ParagraphSettings settings = Paragraph(random() % 3 == 0, static_cast<int>(random() % 20),
                                                     static_cast<int>(random() % 20), 10 + static_cast<int>(random() % 50));
        const Alignment kind = kinds[random() % 4];
        ASSERT_EQ(ConvertText(AlignParagraphs(utf8, kind, settings, true), TextEncoding::Utf8, TextEncoding::Cp1251),
                  AlignParagraphs(ansi, kind, settings))
            << "round " << round;
    }
}

TEST(Alignment, ExtremeIndentsAndMarginsNeverOverrun) {
    const std::string text = "one two three four five six seven eight nine ten\r\n\r\neleven\r\n";
    const std::string out = Align(text, Alignment::Right, 0, 99990, 99991, 100000);
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(Words(out), Words(text));
    for (const std::string& line : lines) EXPECT_LE(line.size(), 100001u);
    EXPECT_EQ(lines[0].substr(0, 99991), std::string(99991, ' '));
    // Indents beyond the margin count as none; with a margin no line reaches, one paragraph is one line.
    const std::vector<std::string> oneLine = Lines(Align(text, Alignment::Justify, 1, INT_MAX, INT_MAX, INT_MAX));
    ASSERT_EQ(oneLine.size(), 1u);
    EXPECT_EQ(Words(oneLine[0]), Words(text));
    EXPECT_EQ(oneLine[0].substr(0, 4), "one ");
    for (int ri : {INT_MIN, -1, 0, 1, 8, 9}) {
        for (Alignment a : {Alignment::Justify, Alignment::Centre, Alignment::Left, Alignment::Right}) {
            std::string narrow = Align(text, a, 0, INT_MIN, INT_MAX, ri);
            EXPECT_EQ(Words(narrow), Words(text)) << ri;
            if (ri > 1) continue;
            for (const std::string& line : Lines(narrow)) EXPECT_LE(Words(line).size(), 1u) << ri;
        }
    }
    // Large indents with a narrow line: more output than any fixed bound on the input size.
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "ab ";
    const std::string wide = Align(many, Alignment::Left, 0, 5000, 5000, 5009);
    EXPECT_GT(wide.size(), 8 * many.size() + 65535);
    const std::vector<std::string> wideLines = Lines(wide);
    EXPECT_EQ(wideLines.size(), 667u);  // three words in the nine columns right of the indent
    EXPECT_EQ(wideLines[0], std::string(5000, ' ') + "ab ab ab");
}

TEST(ConversionChord, SameKeyTwiceSwitchesTheViewAndTwoKeysConvert) {
    ChordState chord;
    EXPECT_EQ(chord.PendingChord(), -1);
    EXPECT_EQ(chord.Strike(kChordKoi8Command).kind, ChordStep::Kind::Wait);
    EXPECT_EQ(chord.PendingChord(), kKoi8R);
    ChordStep convert = chord.Strike(kChordAnsiCommand);
    EXPECT_EQ(convert.kind, ChordStep::Kind::Convert);
    EXPECT_EQ(convert.conversion.source, TextEncoding::Koi8R);
    EXPECT_EQ(convert.conversion.target, TextEncoding::Cp1251);
    EXPECT_FALSE(convert.conversion.fido);
    EXPECT_EQ(chord.PendingChord(), -1);

    chord.Strike(kChordAnsiCommand);
    ChordStep toOem = chord.Strike(kChordOemCommand);
    EXPECT_EQ(toOem.conversion.source, TextEncoding::Cp1251);
    EXPECT_EQ(toOem.conversion.target, TextEncoding::Cp866);

    chord.Strike(kChordOemCommand);
    ChordStep view = chord.Strike(kChordOemCommand);
    EXPECT_EQ(view.kind, ChordStep::Kind::SwitchView);
    EXPECT_EQ(view.view, TextEncoding::Cp866);
    EXPECT_EQ(chord.PendingChord(), -1);
}

TEST(ConversionChord, CtrlPressedAgainAbandonsTheChord) {
    ChordState chord;
    chord.Strike(kChordKoi8Command);
    chord.CtrlWentDown();
    EXPECT_EQ(chord.PendingChord(), -1);
    EXPECT_EQ(chord.Strike(kChordAnsiCommand).kind, ChordStep::Kind::Wait);
    EXPECT_EQ(chord.PendingChord(), kAnsi1251);
    EXPECT_EQ(chord.Strike(99).kind, ChordStep::Kind::Wait);
    EXPECT_EQ(chord.PendingChord(), kAnsi1251);
}

}  // namespace
