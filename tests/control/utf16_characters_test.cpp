#include "control/utf16_characters.h"
#include "control/view_characters.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/core/plain_utf16.h"

namespace {

// Random bytes of UTF-16 in either order: letters, line breaks, pairs, lone surrogates and now and
// then a single byte.
std::string RandomUnits(std::mt19937& random, bool bigEndian) {
    static const char16_t* const pieces[] = {u"a", u"\r\n", u"\u0416", u"\U0001F600", u"\xD800", u"\xDFFF", u"\uFEFF", u" "};
    std::string bytes;
    for (int i = static_cast<int>(random() % 30); i > 0; --i) {
        if (random() % 10 == 0) bytes += static_cast<char>(random() % 256);
        else bytes += PlainUtf16Bytes(pieces[random() % std::size(pieces)], bigEndian);
    }
    return bytes;
}

}  // namespace

// A transform by UTF-8 that changes nothing gives back every byte, units of no character and a byte
// left over at the end included; one that changes letters changes only them.
TEST(Utf16Characters, TransformsByUtf8KeepEveryUnitOfNoCharacter) {
    std::mt19937 random(16);
    for (bool bigEndian : {false, true}) {
        for (int round = 0; round < 300; ++round) {
            const std::string bytes = RandomUnits(random, bigEndian);
            ASSERT_EQ(TransformedByUtf8(bytes, bigEndian, [](std::string_view text) { return std::string(text); }), bytes);
        }
        const std::string text = PlainUtf16Bytes(u"a\xD800\u0416", bigEndian) + "\x01";
        const std::string upper = TransformedByUtf8(text, bigEndian, [](std::string_view utf8) {
            std::string s(utf8);
            for (char& c : s) c = c == 'a' ? 'A' : c;
            return s;
        });
        EXPECT_EQ(upper, PlainUtf16Bytes(u"A\xD800\u0416", bigEndian) + "\x01");
    }
}

// Across the clipboard a character goes as itself and a unit of no character as U+FFFD, both ways.
TEST(Utf16Characters, TheClipboardCarriesCharactersAndReplacesLoneUnits) {
    for (bool bigEndian : {false, true}) {
        const std::u16string characters = u"Ж\r\n\U0001F600 ";
        EXPECT_EQ(Utf16OfView(PlainUtf16Bytes(characters, bigEndian), bigEndian), characters);
        EXPECT_EQ(ViewOfUtf16(characters, bigEndian), PlainUtf16Bytes(characters, bigEndian));
        EXPECT_EQ(Utf16OfView(PlainUtf16Bytes(u"a\xDC00", bigEndian) + "z", bigEndian), u"a\uFFFD\uFFFD");
        EXPECT_EQ(ViewOfUtf16(u"\xD800x", bigEndian), PlainUtf16Bytes(u"\uFFFDx", bigEndian));
    }
}

// Delete and Backspace take a whole character, a CR LF pair, or the byte left over at the end.
TEST(Utf16Characters, DeletingKeysTakeWholeCharactersAndBreaks) {
    const auto le = [](const std::u16string& units) { return PlainUtf16Bytes(units, false); };
    EXPECT_EQ(Utf16DeletedAfter(le(u"\r\nx"), false), 4u);
    EXPECT_EQ(Utf16DeletedAfter(le(u"\U0001F600"), false), 4u);
    EXPECT_EQ(Utf16DeletedAfter(le(u"\xD800x"), false), 2u);
    EXPECT_EQ(Utf16DeletedAfter("\x41", false), 1u);
    EXPECT_EQ(Utf16DeletedAfter("", false), 0u);
    EXPECT_EQ(Utf16DeletedBefore(le(u"x\r\n"), false), 4u);
    EXPECT_EQ(Utf16DeletedBefore(le(u"\U0001F600"), false), 4u);
    EXPECT_EQ(Utf16DeletedBefore(le(u"\xDC00\xD800"), false), 2u);
    EXPECT_EQ(Utf16DeletedBefore(le(u"\n") + "\x41", false), 1u);
    EXPECT_EQ(Utf16DeletedBefore(PlainUtf16Bytes(u"a\U0001F600", true), true), 4u);
}

// What puts in a line break puts in the text's own: its first break's kind, in the units of the view,
// whatever the form; a text without a break (new, empty) takes CR LF. The same text read as bytes and
// as UTF-16 has other kinds: a unit 0A00 is no LF.
TEST(Utf16Characters, TheTextsOwnLineBreakIsItsKindInTheUnitsOfItsForm) {
    const std::string lf = PlainUtf16Bytes(u"один\nдва\r\n", false);
    TextModel text;
    text.Insert(0, lf, false);
    EXPECT_EQ(LineBreakOfText(text), "\n") << "as bytes the first break is the LF unit's byte 0A";
    text.SetForm(CharacterForm::Utf16Le);
    EXPECT_EQ(LineBreakOfText(text), std::string_view("\n\0", 2));
    EXPECT_TRUE(text.LineEnds().Mixed());
    EXPECT_EQ(WithLineEndsIn(CharacterForm::Utf16Le, lf, LineEndKind::Lf), PlainUtf16Bytes(u"один\nдва\n", false));
    text.SetForm(CharacterForm::Utf16Be);
    EXPECT_EQ(LineBreakOfText(text), std::string_view("\0\r\0\n", 4)) << "read big-endian the units have no break";
    EXPECT_EQ(text.LineEnds(), LineEndCensus{});
    text.Erase(0, text.Length(), false);
    EXPECT_EQ(LineBreakOfText(text), std::string_view("\0\r\0\n", 4));
    text.SetForm(CharacterForm::Bytes);
    EXPECT_EQ(LineBreakOfText(text), "\r\n");
    EXPECT_EQ(WithLineEndsIn(CharacterForm::Bytes, "a\rb\r\nc\n", LineEndKind::Cr), "a\rb\rc\r");
}
