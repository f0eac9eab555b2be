// Printing, page counting and page setup through the main window's commands, with the system's
// dialogs answered from a timer. Without a printer only the page count's question can be seen;
// with the test printer the jobs are read back from its PostScript, page by page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/document_files.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/modal_answers.h"
#include "support/win/printing_fixture.h"
#include "support/win/test_printer.h"
#include "tools/win/printing.h"

namespace {

bool PageNumbersChecked() {
    return (GetMenuState(GetMenu(MainWindow), IDM_PAGE_NUMBERS, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// Lines "Строка 1" ... in 1251: enough of them give several pages.
std::string Lines(int count, const char* word = "Строка"_ui) { return NumberedLines(count, word); }

// The number a page shows at its top ("-12-"), or 0.
unsigned NumberOnPage(const std::u16string& page) {
    if (page.size() < 3 || page[0] != u'-') return 0;
    unsigned number = 0;
    std::size_t i = 1;
    for (; i < page.size() && page[i] >= u'0' && page[i] <= u'9'; ++i) number = number * 10 + (page[i] - u'0');
    return i > 1 && i < page.size() && page[i] == u'-' ? number : 0;
}

std::vector<unsigned> NumbersOnPages(const std::vector<std::u16string>& pages) {
    std::vector<unsigned> numbers;
    for (const auto& page : pages) numbers.push_back(NumberOnPage(page));
    return numbers;
}

// What the user does in the print dialog before pressing OK.
struct PrintChoices {
    int copies = 1;
    bool collate = false;
    int fromPage = 0;  // a page range when not 0
    int toPage = 0;
    bool selection = false;
};

void AnswerPrintDialog(ModalAnswers& answers, PrintChoices choices, bool* selectionOffered = nullptr) {
    answers.AnswerWith([choices, selectionOffered](HWND dialog) {
        if (selectionOffered) *selectionOffered = IsWindowEnabled(GetDlgItem(dialog, rad2)) != 0;
        SetDlgItemInt(dialog, edt3, static_cast<UINT>(choices.copies), FALSE);
        CheckDlgButton(dialog, chx2, choices.collate ? BST_CHECKED : BST_UNCHECKED);
        int radio = choices.selection ? rad2 : (choices.fromPage ? rad3 : rad1);
        CheckRadioButton(dialog, rad1, rad3, radio);
        if (choices.fromPage) {
            SetDlgItemInt(dialog, edt1, static_cast<UINT>(choices.fromPage), FALSE);
            SetDlgItemInt(dialog, edt2, static_cast<UINT>(choices.toPage), FALSE);
        }
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
}

class PrintingTest : public PrintingFixture {};
class WithTestPrinter : public PrinterFixture {};

}  // namespace

TEST_F(PrintingTest, WithoutAPrinterTheCountFailsButTheQuestionIsStillAsked) {
    TestPrinter::RemoveLeftover();
    ReleasePrinterChoice();
    SetControlText(Lines(10));
    ModalAnswers answers;
    answers.PressButton(IDYES);
    Command(IDM_PAGE_NUMBERS);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].title, "EnumPage() failed");
    EXPECT_EQ(answers.Seen()[0].text, std::string("Включить номера страниц?"_ui));
    EXPECT_TRUE(Program().printing.pageNumbers);
    EXPECT_TRUE(PageNumbersChecked());
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
    EXPECT_EQ(Program().printing.choice.devMode, nullptr);
}

TEST_F(WithTestPrinter, CountingPagesNamesWhatPrintingSendsAndNoTurnsNumbersOff) {
    SetControlText(Lines(150));
    Program().printing.pageNumbers = true;
    CheckMenuItem(GetMenu(MainWindow), IDM_PAGE_NUMBERS, MF_BYCOMMAND | MF_CHECKED);
    ModalAnswers answers;
    answers.PressButton(IDNO);
    Command(IDM_PAGE_NUMBERS);
    ASSERT_EQ(answers.Seen().size(), 1u);
    std::string caption = answers.Seen()[0].title;
    EXPECT_EQ(caption.rfind("Страниц: "_ui, 0), 0u) << caption;
    EXPECT_FALSE(Program().printing.pageNumbers);
    EXPECT_FALSE(PageNumbersChecked());
    // The default printer became the choice.
    EXPECT_NE(Program().printing.choice.devMode, nullptr);
    EXPECT_NE(Program().printing.choice.devNames, nullptr);

    AnswerPrintDialog(answers, {});
    Command(IDM_PRINT);
    std::vector<std::u16string> pages = printer.Pages();
    EXPECT_EQ(caption, PageCountCaption(static_cast<unsigned>(pages.size())));
    ASSERT_GE(pages.size(), 2u);
    // Every line is on paper, in order, Cyrillic decoded; no numbers.
    std::u16string all;
    for (const auto& page : pages) all += page;
    EXPECT_EQ(all.find(u"Строка1"), 0u);
    EXPECT_NE(all.find(u"Строка150"), std::u16string::npos);
    EXPECT_EQ(NumberOnPage(pages[0]), 0u);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
    EXPECT_TRUE(answers.Seen().size() == 2 && !answers.Seen()[1].unexpected);
}

TEST_F(WithTestPrinter, NumberedPagesCopiesAndPageRanges) {
    SetControlText(Lines(400));
    Program().printing.pageNumbers = true;
    ModalAnswers answers;
    AnswerPrintDialog(answers, {});
    Command(IDM_PRINT);
    std::vector<unsigned> numbers = NumbersOnPages(printer.Pages());
    ASSERT_GE(numbers.size(), 5u);
    for (std::size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], i + 1);

    printer.Clear();
    AnswerPrintDialog(answers, {1, false, 3, 4});
    Command(IDM_PRINT);
    EXPECT_EQ(NumbersOnPages(printer.Pages()), (std::vector<unsigned>{3, 4}));

    printer.Clear();
    AnswerPrintDialog(answers, {3, true, 1, 2});
    Command(IDM_PRINT);
    EXPECT_EQ(NumbersOnPages(printer.Pages()), (std::vector<unsigned>{1, 2, 1, 2, 1, 2}));

    printer.Clear();
    AnswerPrintDialog(answers, {3, false, 1, 2});
    Command(IDM_PRINT);
    EXPECT_EQ(NumbersOnPages(printer.Pages()), (std::vector<unsigned>{1, 1, 1, 2, 2, 2}));
    for (const SeenModal& seen : answers.Seen()) EXPECT_FALSE(seen.unexpected) << seen.title;
}

TEST_F(WithTestPrinter, TheSelectionIsOfferedFromTwoCharactersAndPrintedNumberedFromOne) {
    std::string text = Lines(100, "Alpha") + Lines(3, "Omega");
    SetControlText(text);
    Program().printing.pageNumbers = true;
    ModalAnswers answers;
    bool offered = true;
    Select(0, 1);
    answers.InspectAndCancel([&](HWND dialog) { offered = IsWindowEnabled(GetDlgItem(dialog, rad2)) != 0; });
    Command(IDM_PRINT);
    EXPECT_FALSE(offered);
    EXPECT_TRUE(printer.Pages().empty());  // cancelled: nothing sent

    LONG omega = static_cast<LONG>(text.find("Omega"));
    Select(omega, static_cast<LONG>(text.size()));
    AnswerPrintDialog(answers, {1, false, 0, 0, true}, &offered);
    Command(IDM_PRINT);
    EXPECT_TRUE(offered);
    std::vector<std::u16string> pages = printer.Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], u"-1-Omega1Omega2Omega3");
}

TEST_F(WithTestPrinter, MarginsTooLargeForTheNumberLeaveItOut) {
    SetControlText(Lines(5));
    Program().printing.pageNumbers = true;
    // Twelve inches top and bottom do not fit on A4: neither is applied, and no number is printed.
    Program().printing.margins = RECT{2500, 30000, 2500, 30000};
    ModalAnswers answers;
    AnswerPrintDialog(answers, {});
    Command(IDM_PRINT);
    std::vector<std::u16string> pages = printer.Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].find(u"-1-"), std::u16string::npos);
    EXPECT_EQ(pages[0].find(u"Строка1"), 0u);
}

TEST_F(WithTestPrinter, PageSetupKeepsTheConfirmedMarginsAndCancelChangesNothing) {
    ModalAnswers answers;
    answers.AnswerWith([](HWND dialog) {
        SetDlgItemTextA(dialog, edt4, "5");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_PAGE_SETUP);
    EXPECT_EQ(Program().printing.margins.left, 2500);
    EXPECT_EQ(Program().printing.margins.bottom, 2500);
    std::string shownLeft;
    answers.AnswerWith([&](HWND dialog) {
        char text[32] = {};
        GetDlgItemTextA(dialog, edt4, text, sizeof text);
        shownLeft = text;
        SetDlgItemTextA(dialog, edt4, "10");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_PAGE_SETUP);
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_FALSE(answers.Seen()[1].unexpected);
    // The dialog works in hundredths of a millimetre: the default 2500 shows as 25 mm, and 10 mm
    // typed comes back as 1000.
    EXPECT_EQ(shownLeft, "25");
    EXPECT_EQ(Program().printing.margins.left, 1000);
    EXPECT_EQ(Program().printing.margins.top, 2500);
    EXPECT_EQ(Program().printing.margins.right, 2500);
    // The dialog hands the printer it worked with over as the choice.
    EXPECT_NE(Program().printing.choice.devMode, nullptr);
}
