#include "encoding/line_ends.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr LineEndKind kKinds[] = {LineEndKind::CrLf, LineEndKind::Lf, LineEndKind::Cr};

// Line breaks of all three kinds among bytes of every sort, so pairs are split and joined often.
std::string RandomMix(std::mt19937& random, std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned pick = random() % 8;
        s += pick < 2 ? '\r' : pick < 4 ? '\n' : static_cast<char>(random() % 256);
    }
    return s;
}

std::string WithoutLineBreakBytes(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

// The breaks one by one: a CR LF pair, or a CR or LF of its own.
std::size_t BreakCount(const std::string& s) {
    std::size_t breaks = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        if (s[i] == '\r' || s[i] == '\n') ++breaks;
    }
    return breaks;
}

// Each byte as a UTF-16 code unit of that value.
std::string Widened(const std::string& bytes, LineBreakUnits units) {
    std::string out;
    for (char c : bytes) {
        if (units == LineBreakUnits::Utf16BE) out += '\0';
        out += c;
        if (units == LineBreakUnits::Utf16LE) out += '\0';
    }
    return out;
}

}  // namespace

TEST(LineEnds, ConvertingGivesTheKindsTextWhateverWasConvertedBeforeAndKeepsEveryOtherByte) {
    std::mt19937 random(32);
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomMix(random, random() % 200);
        const std::size_t breaks = BreakCount(text);
        for (LineEndKind kind : kKinds) {
            const std::string converted = WithLineEnds(text, kind);
            ASSERT_EQ(WithoutLineBreakBytes(converted), WithoutLineBreakBytes(text));
            ASSERT_EQ(BreakCount(converted), breaks);
            const LineEndCensus census = CountLineEnds(converted.data(), converted.size());
            ASSERT_EQ(census.Count(kind), breaks);
            ASSERT_FALSE(census.Mixed());
            ASSERT_EQ(LengthWithLineEnds(text, kind), converted.size());
            if (breaks > 0) ASSERT_EQ(FirstLineEnd(converted), kind);
            for (LineEndKind back : kKinds) ASSERT_EQ(WithLineEnds(WithLineEnds(converted, back), kind), converted);
        }
    }
}

TEST(LineEnds, ConvertingInBlocksIsConvertingTheWholeText) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const std::string text = RandomMix(random, random() % 300);
        for (LineEndKind kind : kKinds) {
            std::string out, carried;
            std::size_t at = 0;
            while (at < text.size()) {
                const std::size_t block = 1 + random() % 17;
                carried += text.substr(at, block);
                at += block;
                carried.erase(0, AppendWithLineEnds(carried, kind, at >= text.size(), out));
            }
            AppendWithLineEnds(carried, kind, true, out);
            ASSERT_EQ(out, WithLineEnds(text, kind));
        }
    }
}

TEST(LineEnds, TheDocumentsKindIsItsFirstBreaksAndTheCensusTellsAMix) {
    EXPECT_EQ(FirstLineEnd(""), LineEndKind::CrLf);
    EXPECT_EQ(FirstLineEnd("no break at all"), LineEndKind::CrLf);
    EXPECT_EQ(FirstLineEnd("one\ntwo\r\n"), LineEndKind::Lf);
    EXPECT_EQ(FirstLineEnd("one\rtwo\n"), LineEndKind::Cr);
    EXPECT_EQ(FirstLineEnd("one\r\ntwo\n"), LineEndKind::CrLf);
    EXPECT_EQ(FirstLineEnd("ends in a CR\r"), LineEndKind::Cr);
    EXPECT_EQ(LineEndOfBreak("\n"), LineEndKind::Lf);
    EXPECT_EQ(LineEndOfBreak("\r"), LineEndKind::Cr);
    EXPECT_EQ(LineEndOfBreak("\r\n"), LineEndKind::CrLf);

    const std::string mixed = "a\r\nb\nc\rd\r";
    LineEndCensus census = CountLineEnds(mixed.data(), mixed.size());
    EXPECT_EQ(census.Count(LineEndKind::CrLf), 1u);
    EXPECT_EQ(census.Count(LineEndKind::Lf), 1u);
    EXPECT_EQ(census.Count(LineEndKind::Cr), 2u);
    EXPECT_TRUE(census.Mixed());
    // A CR at the end pairs with the byte that follows it (counted with the range it stands in).
    census = CountLineEnds("x\r", 2, '\n');
    EXPECT_EQ(census.crs, 1u);
    EXPECT_EQ(census.pairs, 1u);
}

TEST(LineEnds, Utf16TextHasItsLineBreaksConvertedByCodeUnitsInBlocksOfAnySize) {
    std::mt19937 random(16);
    for (LineBreakUnits units : {LineBreakUnits::Utf16LE, LineBreakUnits::Utf16BE}) {
        for (int round = 0; round < 150; ++round) {
            const std::string bytes = RandomMix(random, random() % 120);
            const std::string text = Widened(bytes, units);
            for (LineEndKind kind : kKinds) {
                const std::string expected = Widened(WithLineEnds(bytes, kind), units);
                std::string out, carried;
                std::size_t at = 0;
                while (at < text.size()) {
                    const std::size_t block = 1 + random() % 9;
                    carried += text.substr(at, block);
                    at += block;
                    carried.erase(0, AppendWithLineEnds(carried, kind, at >= text.size(), out, units));
                }
                AppendWithLineEnds(carried, kind, true, out, units);
                ASSERT_EQ(out, expected);
            }
        }
    }
    // A CR whose high byte is not zero is no CR: U+0D0D and U+0A0D stay.
    std::string out;
    AppendWithLineEnds(std::string("\x0D\x0D\x0D\x0A", 4), LineEndKind::Lf, true, out, LineBreakUnits::Utf16LE);
    EXPECT_EQ(out, std::string("\x0D\x0D\x0D\x0A", 4));
}
