#include "document/editor_keys.h"

#include <gtest/gtest.h>

#include "support/core/memory_text.h"

namespace {

struct Selected {
    std::int32_t start;
    std::int32_t end;
    bool operator==(const Selected&) const = default;
};

Selected SelectionOf(MemoryText& text) { return {text.selStart, text.selEnd}; }

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
    MemoryText text("ab\r\ncd\r\nef");
    text.SetSelection(0, 8);
    EXPECT_TRUE(KeepLineBreakWhenTyping(text));
    EXPECT_EQ(SelectionOf(text), (Selected{0, 6}));

    // A selection of the line break alone, one not ending with CR LF, or a lone LF stays.
    for (Selected kept : {Selected{2, 4}, Selected{1, 5}, Selected{0, 0}}) {
        text.SetSelection(kept.start, kept.end);
        EXPECT_FALSE(KeepLineBreakWhenTyping(text));
        EXPECT_EQ(SelectionOf(text), kept);
    }
    MemoryText unix("ab\ncd\n");
    unix.SetSelection(0, 6);
    EXPECT_FALSE(KeepLineBreakWhenTyping(unix));
    EXPECT_EQ(SelectionOf(unix), (Selected{0, 6}));
}

TEST(EditorKeys, DeletingFromInsideALineKeepsTheLineBreakAndFromALineStartDoesNot) {
    MemoryText text("abc\r\ndef\r\n");
    text.SetSelection(1, 5);  // "bc\r\n"
    KeepLineBreakWhenDeleting(text, 0);
    EXPECT_EQ(SelectionOf(text), (Selected{1, 3}));

    text.SetSelection(0, 10);  // whole lines from a line start
    KeepLineBreakWhenDeleting(text, 0);
    EXPECT_EQ(SelectionOf(text), (Selected{0, 10}));

    text.SetSelection(5, 10);
    KeepLineBreakWhenDeleting(text, 5);
    EXPECT_EQ(SelectionOf(text), (Selected{5, 10}));

    text.SetSelection(3, 5);  // two characters: the break alone goes
    KeepLineBreakWhenDeleting(text, 0);
    EXPECT_EQ(SelectionOf(text), (Selected{3, 5}));
}

TEST(EditorKeys, DeletingUpToALoneLineFeedKeepsOnlyTheLineFeed) {
    // Lines of a file that ends them with LF alone: the last character of the line is deleted too.
    MemoryText text("abc\ndef\n");
    text.SetSelection(1, 4);  // "bc\n"
    KeepLineBreakWhenDeleting(text, 0);
    EXPECT_EQ(SelectionOf(text), (Selected{1, 3}));
}

TEST(EditorKeys, OvertypingTakesTheCharacterUnderTheCaretButNoLineBreak) {
    MemoryText text("a\r\nb\nc");
    const std::pair<std::int32_t, bool> cases[] = {{0, true}, {1, false}, {2, false}, {3, true}, {4, false}, {5, true}, {6, false}};
    for (auto [caret, selects] : cases) {
        text.SetSelection(caret, caret);
        EXPECT_EQ(OvertypeSelectsNextCharacter(text), selects) << caret;
    }
}
