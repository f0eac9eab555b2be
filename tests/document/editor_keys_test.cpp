#include "document/editor_keys.h"

#include <gtest/gtest.h>

#include "support/core/loaded_document.h"

namespace {

struct Selected {
    std::size_t start;
    std::size_t end;
    bool operator==(const Selected&) const = default;
};

}  // namespace

TEST(EditorKeys, TypedCharactersAreTheTextCharactersOfTheKeyboard) {
    EXPECT_TRUE(IsPrintableTyped('\t'));
    EXPECT_TRUE(IsPrintableTyped(' '));
    EXPECT_TRUE(IsPrintableTyped('~'));
    EXPECT_TRUE(IsPrintableTyped(0x80));
    EXPECT_TRUE(IsPrintableTyped(0xFF));
    EXPECT_FALSE(IsPrintableTyped('\r'));
    EXPECT_FALSE(IsPrintableTyped('\b'));
    EXPECT_FALSE(IsPrintableTyped(0x7F));  // Ctrl+Backspace
    EXPECT_FALSE(IsPrintableTyped(0x13));  // Ctrl+S
}

TEST(EditorKeys, TypedCharacterBecomesTheViewsByte) {
    // А, я, Ё and а as typed on a Russian layout (1251).
    EXPECT_EQ(ViewByteOfTyped(0xC0, 0), 0xC0);
    EXPECT_EQ(ViewByteOfTyped(0xC0, 1), 0x80);
    EXPECT_EQ(ViewByteOfTyped(0xC0, 2), 0xE1);
    EXPECT_EQ(ViewByteOfTyped(0xFF, 1), 0xEF);
    EXPECT_EQ(ViewByteOfTyped(0xFF, 2), 0xD1);
    EXPECT_EQ(ViewByteOfTyped(0xA8, 1), 0xF0);
    EXPECT_EQ(ViewByteOfTyped(0xA8, 2), 0xB3);
    EXPECT_EQ(ViewByteOfTyped(0xE0, 1), 0xA0);
    // Typographic quotes and dashes have ASCII 866 forms, which stay ASCII in the KOI8-R view.
    for (std::uint8_t punctuation : {0x93, 0x94, 0x96, 0x97, 0xAB, 0xBB}) {
        const std::uint8_t oem = ViewByteOfTyped(punctuation, 1);
        EXPECT_LT(oem, 0x80) << int{punctuation};
        EXPECT_EQ(ViewByteOfTyped(punctuation, 2), oem) << int{punctuation};
    }
    for (int ascii = 0; ascii < 0x80; ++ascii)
        for (std::uint8_t view : {0, 1, 2}) ASSERT_EQ(ViewByteOfTyped(static_cast<std::uint8_t>(ascii), view), ascii);
}

TEST(EditorKeys, TypingOverWholeLinesKeepsTheLastLineBreak) {
    LoadedDocument text("ab\r\ncd\r\nef");
    text.Select(0, 8);
    text.TypeAnsi('X');
    EXPECT_EQ(text.Bytes(), "X\r\nef");

    // A selection of the line break alone, or one not ending with a line break, goes whole.
    for (Selected whole : {Selected{2, 4}, Selected{1, 5}}) {
        LoadedDocument other("ab\r\ncd\r\nef");
        other.Select(whole.start, whole.end);
        other.TypeAnsi('X');
        EXPECT_EQ(other.Length(), 10 - (whole.end - whole.start) + 1);
    }
    // Lines that end with a lone LF or CR keep theirs as well.
    for (const char* lineBreak : {"\n", "\r"}) {
        LoadedDocument lone(std::string("ab") + lineBreak + "cd" + lineBreak);
        lone.Select(0, 6);
        lone.TypeAnsi('X');
        EXPECT_EQ(lone.Bytes(), std::string("X") + lineBreak);
    }
    EXPECT_EQ(EndKeptWhenTyping(0, 0, [](std::size_t) { return 'x'; }), 0u);
}

TEST(EditorKeys, DeletingFromInsideALineKeepsTheLineBreakAndFromALineStartDoesNot) {
    const std::pair<Selected, std::string> cases[] = {
        {{1, 5}, "a\r\ndef\r\n"},  // "bc\r\n" from inside the line: the break stays
        {{0, 10}, ""},             // whole lines from a line start
        {{5, 10}, "abc\r\n"},
        {{3, 5}, "abcdef\r\n"},  // two characters: the break alone goes
    };
    for (const auto& [selected, left] : cases) {
        LoadedDocument text("abc\r\ndef\r\n");
        text.Select(selected.start, selected.end);
        text.DeleteForward();
        EXPECT_EQ(text.Bytes(), left) << selected.start << "-" << selected.end;
    }
}

TEST(EditorKeys, DeletingUpToALoneLineFeedKeepsOnlyTheLineFeed) {
    // Lines of a file that ends them with LF alone: the last character of the line is deleted too.
    LoadedDocument text("abc\ndef\n");
    text.Select(1, 4);  // "bc\n"
    text.DeleteForward();
    EXPECT_EQ(text.Bytes(), "a\ndef\n");
}

TEST(EditorKeys, OvertypingTakesTheCharacterUnderTheCaretButNoLineBreak) {
    const std::pair<std::size_t, bool> cases[] = {{0, true}, {1, false}, {3, true}, {4, false}, {5, true}, {6, false}};
    for (auto [caret, takes] : cases) {
        LoadedDocument text("a\r\nb\nc");
        text.SetOverwrite(true);
        text.Caret(caret);
        text.TypeAnsi('X');
        EXPECT_EQ(text.Length(), takes ? 6u : 7u) << caret;
        EXPECT_EQ(text.Text().At(caret), 'X') << caret;
    }
}

// Every view takes what the keyboard types as its own byte; the UTF-8 view as the character's bytes.
TEST(EditorKeys, TypedCharactersGoInAsTheViewsBytes) {
    for (std::uint8_t view : {0, 1, 2}) {
        LoadedDocument text({}, view);
        text.TypeAnsi(0xC0);  // А
        EXPECT_EQ(text.Text().At(0), ViewByteOfTyped(0xC0, view));
        EXPECT_TRUE(text.TypeCharacter(U'я'));
        EXPECT_EQ(text.Text().At(1), ViewByteOfTyped(0xFF, view));
        EXPECT_FALSE(text.TypeCharacter(U'ß')) << "1251 has no ß";
        EXPECT_EQ(text.Length(), 2u);
    }
    LoadedDocument utf8({}, Document::kUtf8View);
    utf8.TypeAnsi(0xC0);
    EXPECT_TRUE(utf8.TypeCharacter(U'ß'));
    EXPECT_TRUE(utf8.TypeCharacter(U'😀'));
    EXPECT_FALSE(utf8.TypeCharacter(0xD800));
    EXPECT_EQ(utf8.Bytes(), "\xD0\x90\xC3\x9F\xF0\x9F\x98\x80");
    // Delete and Backspace take a whole character.
    utf8.Caret(2);
    utf8.DeleteForward();
    EXPECT_EQ(utf8.Bytes(), "\xD0\x90\xF0\x9F\x98\x80");
    utf8.Caret(6);
    utf8.DeleteBackward();
    EXPECT_EQ(utf8.Bytes(), "\xD0\x90");
}
