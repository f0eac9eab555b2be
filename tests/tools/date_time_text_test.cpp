#include "tools/date_time_text.h"

#include <gtest/gtest.h>

#include <string>

#include "control/gap_buffer.h"
#include "support/core/loaded_document.h"

namespace {

struct DateTimeText : testing::Test {
    LoadedDocument document{"Dated: XXX here"};
};

}  // namespace

TEST_F(DateTimeText, DateAndTimeReplaceTheSelectionAsTwoUndoSteps) {
    document.Select(7, 10);
    InsertDateTimeText(document, "08.12.2026", "0:07:33");
    EXPECT_EQ(document.Bytes(), "Dated: 08.12.2026 0:07:33 here");
    EXPECT_EQ(document.SelectionStart(), 25u);
    EXPECT_EQ(document.SelectionEnd(), 25u);
    ASSERT_EQ(document.Journal().RecordCount(), 2u);
    EXPECT_EQ(document.Journal().Newest()->kind, UndoKind::ReplaceRange);

    document.Undo();
    EXPECT_EQ(document.Bytes(), "Dated: 08.12.2026  here");
    document.Undo();
    EXPECT_EQ(document.Bytes(), "Dated: XXX here");
    EXPECT_TRUE(document.Journal().Empty());
}

// Both pieces go in or neither: whichever growth of the text or the journal runs short, a command
// that fails leaves the text, the selection and the journal as they were.
TEST_F(DateTimeText, BothPiecesGoInOrNeither) {
    document.Select(7, 10);
    for (std::size_t growths = 0;; ++growths) {
        ASSERT_LT(growths, 100u) << "never had room enough";
        GrowthBudget::allocations = growths;
        const bool done = InsertDateTimeText(document, "08.12.2026", "0:07:33");
        GrowthBudget::allocations = GrowthBudget::kUnlimited;
        if (done) break;
        EXPECT_EQ(document.Bytes(), "Dated: XXX here") << growths;
        EXPECT_EQ(document.SelectionStart(), 7u);
        EXPECT_EQ(document.SelectionEnd(), 10u);
        EXPECT_TRUE(document.Journal().Empty());
    }
    EXPECT_EQ(document.Bytes(), "Dated: 08.12.2026 0:07:33 here");
}

TEST_F(DateTimeText, APieceTheSystemCouldNotGiveIsLeftOut) {
    EXPECT_EQ(DateTimePiecesOf("1.2.3", "4:5").date, "1.2.3 ");
    EXPECT_EQ(DateTimePiecesOf("", "4:5").date, "") << "no stray space";
    EXPECT_EQ(DateTimePiecesOf("1.2.3", "").time, "");

    document.Select(7, 10);
    InsertDateTimeText(document, "", "12:00");
    EXPECT_EQ(document.Bytes(), "Dated: 12:00 here");
    ASSERT_EQ(document.Journal().RecordCount(), 1u);
    document.Undo();
    EXPECT_EQ(document.Bytes(), "Dated: XXX here");

    InsertDateTimeText(document, "", "");
    EXPECT_TRUE(document.Journal().Empty());
    EXPECT_EQ(document.Bytes(), "Dated: XXX here");
}

TEST_F(DateTimeText, TheTextsGoInAsTheirBytes) {
    // A locale's date may hold letters of the system's ANSI code page (1251 "дек."): nothing is
    // converted on the way, whatever the view.
    document.SetViewCodePage(2);
    document.Select(0, 0);
    InsertDateTimeText(document, "8 \xE4\xE5\xEA. 2026", "0:07");
    EXPECT_EQ(document.Bytes(), "8 \xE4\xE5\xEA. 2026 0:07Dated: XXX here");
}
