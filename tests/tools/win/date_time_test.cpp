// The date and time command on the real window, with the system's formats of the Russian locale the
// tests run in.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/application_fixture.h"
#include "support/win/editor_text.h"
#include "support/win/settings_key.h"
#include "tools/win/date_time.h"

namespace {

// The command reads the clock once; the test reads it just before and just after, and the text
// must be that of one of the two moments.
struct Inserted {
    std::string before;  // date, space and time of the moment before the command
    std::string after;
};

Inserted RunDateTimeCommand() {
    SYSTEMTIME moment{};
    GetLocalTime(&moment);
    Inserted inserted;
    inserted.before = LocaleDateText(moment) + " " + LocaleTimeText(moment);
    SendMessageA(MainWindow, WM_COMMAND, IDM_DATE_TIME, 0);
    GetLocalTime(&moment);
    inserted.after = LocaleDateText(moment) + " " + LocaleTimeText(moment);
    return inserted;
}

std::string LocaleValue(LCTYPE type) {
    char value[128] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, value, sizeof value);
    return value;
}

// The user's own short date format, put back when the test ends.
class ShortDateFormat {
public:
    explicit ShortDateFormat(const char* format) : saved_(LocaleValue(LOCALE_SSHORTDATE)) {
        set_ = SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format) != FALSE;
    }
    ~ShortDateFormat() { SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved_.c_str()); }
    bool Set() const { return set_; }

private:
    std::string saved_;
    bool set_ = false;
};

class DateTimeTest : public ApplicationTest {
protected:

    // The text with the inserted date and time in place of [at, at + replaced).
    static void ExpectInserted(const std::string& original, std::size_t at, std::size_t replaced, const Inserted& inserted) {
        const std::string text = ControlText();
        const std::string withBefore = std::string(original).replace(at, replaced, inserted.before);
        const std::string withAfter = std::string(original).replace(at, replaced, inserted.after);
        EXPECT_TRUE(text == withBefore || text == withAfter) << text << "\nexpected " << withBefore;
    }
};

}  // namespace

TEST_F(DateTimeTest, DateAndTimeReplaceTheSelectionAndTwoUndoStepsTakeThemBack) {
    const std::string original = "Сегодня: XXX, вот.\r\n"_ui;
    SetControlText(original);
    Select(9, 12);
    const Inserted inserted = RunDateTimeCommand();
    ExpectInserted(original, 9, 3, inserted);
    // The default short date of the locale: day, month and year in digits.
    ASSERT_GE(inserted.before.size(), 10u + 1 + 7);
    EXPECT_EQ(inserted.before[2], '.');
    CHARRANGE caret{};
    SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(caret.cpMin, caret.cpMax);
    EXPECT_EQ(static_cast<std::size_t>(caret.cpMin), 9 + inserted.before.size()) << "the caret after the time";
    EXPECT_NE(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);

    const std::size_t dateLength = inserted.before.find(' ') + 1;
    UndoLast();
    const std::string afterOneUndo = ControlText();
    EXPECT_EQ(afterOneUndo.substr(0, 9 + dateLength), original.substr(0, 9) + inserted.before.substr(0, dateLength));
    EXPECT_EQ(afterOneUndo.substr(9 + dateLength), original.substr(12)) << "the time is gone, the date and space stay";
    UndoLast();
    EXPECT_EQ(ControlText(), original);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

TEST_F(DateTimeTest, TheTextIsInTheSystemsAnsiCodePageInEveryView) {
    // A format with the month's name, longer than the 32 characters a fixed buffer would hold.
    ShortDateFormat format("dddd, d MMMM yyyy 'года от Рождества Христова'"_ui);
    if (!format.Set()) GTEST_SKIP() << "the user's date format cannot be set here";
    for (std::uint8_t view : {std::uint8_t{1}, std::uint8_t{2}}) {
        CodePageIndex = view;
        ApplyViewCodePage();
        SetControlText("");
        const Inserted inserted = RunDateTimeCommand();
        ExpectInserted("", 0, 0, inserted);
        EXPECT_GT(inserted.before.rfind(' '), 32u) << "the whole date: " << inserted.before;
        EXPECT_NE(inserted.before.find("года от Рождества Христова "_ui), std::string::npos) << inserted.before;
        ClearUndo();
    }
}

TEST_F(DateTimeTest, WithTheJournalOffTheDateStillGoesIn) {
    SetJournalOff(true);
    SetControlText("ab");
    Select(1, 1);
    const Inserted inserted = RunDateTimeCommand();
    SetJournalOff(false);
    ExpectInserted("ab", 1, 0, inserted);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}
