#include "tools/date_time_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/core/memory_text.h"

namespace {

struct Recorded {
    UndoKind kind;
    std::int32_t count;
    std::string textBefore;
};

class DateTimeText : public testing::Test {
protected:
    MemoryText text{"Dated: XXX here"};
    UndoJournal journal;
    std::vector<Recorded> recorded;
    UndoRecorder record = [this](UndoKind kind, std::int32_t count) {
        recorded.push_back({kind, count, text.text});
        journal.Record(text, kind, count);
    };
};

}  // namespace

TEST_F(DateTimeText, DateAndTimeReplaceTheSelectionAsTwoUndoSteps) {
    text.SetSelection(7, 10);
    InsertDateTimeText(text, record, "08.12.2026", "0:07:33");
    EXPECT_EQ(text.text, "Dated: 08.12.2026 0:07:33 here");
    EXPECT_EQ(text.selStart, 25);
    EXPECT_EQ(text.selEnd, 25);
    // Each step is announced before its text goes in, with the length of that text.
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].kind, UndoKind::ReplaceRange);
    EXPECT_EQ(recorded[0].count, 11);
    EXPECT_EQ(recorded[0].textBefore, "Dated: XXX here");
    EXPECT_EQ(recorded[1].kind, UndoKind::ReplaceRange);
    EXPECT_EQ(recorded[1].count, 7);
    EXPECT_EQ(recorded[1].textBefore, "Dated: 08.12.2026  here");

    journal.UndoLast(text);
    EXPECT_EQ(text.text, "Dated: 08.12.2026  here");
    journal.UndoLast(text);
    EXPECT_EQ(text.text, "Dated: XXX here");
    EXPECT_TRUE(journal.Empty());
}

// Both pieces go in or neither: a time the text cannot take after the date takes the date out again.
TEST_F(DateTimeText, ATimeThatCannotFollowTheDateTakesTheDateOutAgain) {
    const UndoMark mark = journal.Mark();
    text.SetSelection(7, 10);
    text.editsToFail = 1;
    EXPECT_FALSE(InsertDateTimeText(text, record, "08.12.2026", "0:07:33"));
    EXPECT_EQ(text.text, "Dated: XXX here");
    journal.ForgetSince(mark);
    EXPECT_TRUE(journal.Empty());
    text.SetSelection(7, 10);
    // The date goes in, the time fails, the date's removal succeeds.
    int call = 0;
    UndoRecorder failingTime = [&](UndoKind kind, std::int32_t count) {
        record(kind, count);
        if (++call == 2) text.editsToFail = 1;
    };
    EXPECT_FALSE(InsertDateTimeText(text, failingTime, "08.12.2026", "0:07:33"));
    EXPECT_EQ(text.text, "Dated: XXX here");
    EXPECT_EQ(text.selStart, 7);
    EXPECT_EQ(text.selEnd, 10);
    journal.ForgetSince(mark);
    EXPECT_TRUE(journal.Empty());
}

TEST_F(DateTimeText, APieceTheSystemCouldNotGiveIsLeftOut) {
    EXPECT_EQ(DateTimePiecesOf("1.2.3", "4:5").date, "1.2.3 ");
    EXPECT_EQ(DateTimePiecesOf("", "4:5").date, "") << "no stray space";
    EXPECT_EQ(DateTimePiecesOf("1.2.3", "").time, "");

    text.SetSelection(7, 10);
    InsertDateTimeText(text, record, "", "12:00");
    EXPECT_EQ(text.text, "Dated: 12:00 here");
    ASSERT_EQ(recorded.size(), 1u);
    journal.UndoLast(text);
    EXPECT_EQ(text.text, "Dated: XXX here");

    recorded.clear();
    InsertDateTimeText(text, record, "", "");
    EXPECT_TRUE(recorded.empty());
    EXPECT_EQ(text.text, "Dated: XXX here");
}

TEST_F(DateTimeText, TheTextsGoInAsTheirBytes) {
    // A locale's date may hold letters of the system's ANSI code page (1251 "дек."): nothing is
    // converted on the way, whatever the view.
    text.codePage = 2;
    text.SetSelection(0, 0);
    InsertDateTimeText(text, record, "8 \xE4\xE5\xEA. 2026", "0:07");
    EXPECT_EQ(text.text, "8 \xE4\xE5\xEA. 2026 0:07Dated: XXX here");
}
