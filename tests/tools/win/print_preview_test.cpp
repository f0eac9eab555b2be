// The print preview through the main window's command, driven from inside its modal loop: the
// buttons, the labels that name the page, the picture's proportions and the zoom by clicks.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "document/win/document_files.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/modal_answers.h"
#include "support/win/printing_fixture.h"
#include "support/win/test_printer.h"
#include "tools/win/print_preview.h"
#include "tools/win/printing.h"

namespace {

std::string Lines(int count) { return NumberedLines(count, "Строка"_ui); }

// Presses a button of the preview and lets the picture repaint.
void Press(HWND dialog, int id) {
    Click(dialog, id);
    UpdateWindow(GetDlgItem(dialog, IDC_PREVIEW_PICTURE));
}

struct Label {
    std::string text;
    bool enabled;
    bool operator==(const Label&) const = default;
};

Label NextButton(HWND dialog) {
    HWND next = GetDlgItem(dialog, IDC_PREVIEW_NEXT_PAGE);
    return {WindowText(next), IsWindowEnabled(next) != 0};
}

// The picture as it stands on the screen, pixel by pixel.
std::vector<COLORREF> Snapshot(HWND picture) {
    UpdateWindow(picture);
    RECT r{};
    GetClientRect(picture, &r);
    HDC dc = GetDC(picture);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<COLORREF> pixels(static_cast<std::size_t>(r.right) * r.bottom);
    GetDIBits(memory, bitmap, 0, r.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    for (COLORREF& p : pixels) p &= 0xFFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(picture, dc);
    return pixels;
}

std::size_t WhitePixels(const std::vector<COLORREF>& pixels) {
    std::size_t white = 0;
    for (COLORREF c : pixels) white += c == 0xFFFFFF;
    return white;
}

void ClickInDialog(HWND dialog, POINT clientPoint, UINT message = WM_LBUTTONDOWN) {
    SendMessageA(dialog, message, 0, MAKELPARAM(clientPoint.x, clientPoint.y));
}

POINT PointOnTheLines(HWND dialog) {
    RECT r{};
    HWND picture = GetDlgItem(dialog, IDC_PREVIEW_PICTURE);
    GetWindowRect(picture, &r);
    // A point among the lines, near the top left of the text.
    POINT p{r.left + (r.right - r.left) / 5, r.top + (r.bottom - r.top) * 3 / 20};
    ScreenToClient(dialog, &p);
    return p;
}

// Sees a dialog being maximised. On the test display, which has no window manager, Wine at times
// gives a window maximised while it is created its first size back when it is mapped, so the
// maximise is watched as it happens rather than looked for afterwards.
struct MaximiseWatch {
    static inline bool* seen = nullptr;
    bool maximised = false;
    HHOOK hook;
    MaximiseWatch() {
        seen = &maximised;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Watch, nullptr, GetCurrentThreadId());
    }
    ~MaximiseWatch() {
        UnhookWindowsHookEx(hook);
        seen = nullptr;
    }
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
        auto* message = reinterpret_cast<CWPSTRUCT*>(lParam);
        char name[16] = {};
        if (code == HC_ACTION && message->message == WM_SIZE && message->wParam == SIZE_MAXIMIZED && seen &&
            GetClassNameA(message->hwnd, name, sizeof name) && std::string(name) == "#32770")
            *seen = true;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

class PreviewTest : public PrintingFixture {};
class PreviewWithPrinter : public PrinterFixture {};

}  // namespace

TEST_F(PreviewTest, WithoutAPrinterTheCommandDoesNothing) {
    TestPrinter::RemoveLeftover();
    ReleasePrinterChoice();
    ModalAnswers answers;
    Command(IDM_PREVIEW);
    EXPECT_TRUE(answers.Seen().empty());
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
}

TEST_F(PreviewWithPrinter, StepsThroughThePagesAndBackToPageOne) {
    SetControlText(Lines(150));
    MaximiseWatch watch;
    ModalAnswers answers;
    std::string caption;
    std::vector<Label> labels;
    HWND focusAfterLastPage = nullptr, firstPageButton = nullptr;
    answers.AnswerWith([&](HWND dialog) {
        caption = WindowText(dialog);
        UpdateWindow(GetDlgItem(dialog, IDC_PREVIEW_PICTURE));
        labels.push_back(NextButton(dialog));
        SetFocus(GetDlgItem(dialog, IDC_PREVIEW_NEXT_PAGE));
        for (int i = 0; i < 20 && NextButton(dialog).enabled; ++i) {
            Press(dialog, IDC_PREVIEW_NEXT_PAGE);
            labels.push_back(NextButton(dialog));
        }
        PumpMessages();
        focusAfterLastPage = GetFocus();
        firstPageButton = GetDlgItem(dialog, IDC_PREVIEW_FIRST_PAGE);
        Press(dialog, IDC_PREVIEW_FIRST_PAGE);
        labels.push_back(NextButton(dialog));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_PREVIEW);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(caption, std::string("Просмотр: "_ui) + WindowText(MainWindow));
    EXPECT_TRUE(watch.maximised);
    // The label names the page shown; on the last one the button stops; "&1" goes back.
    ASSERT_GE(labels.size(), 4u);
    std::size_t last = labels.size() - 2;
    for (std::size_t i = 0; i < last; ++i) EXPECT_EQ(labels[i], (Label{std::to_string(i + 1) + "&.>>", true}));
    EXPECT_EQ(labels[last], (Label{std::to_string(last + 1) + " ||", false}));
    EXPECT_EQ(labels.back(), (Label{"1&.>>", true}));
    // The keyboard stays with the dialog when the button that had the focus stops on the last page.
    EXPECT_EQ(focusAfterLastPage, firstPageButton);
    EXPECT_TRUE(IsWindowEnabled(MainWindow));
}

TEST_F(PreviewWithPrinter, AnEmptyTextIsOneEmptyPage) {
    SetControlText("");
    ModalAnswers answers;
    Label label;
    std::vector<COLORREF> picture;
    answers.AnswerWith([&](HWND dialog) {
        picture = Snapshot(GetDlgItem(dialog, IDC_PREVIEW_PICTURE));
        label = NextButton(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_PREVIEW);
    EXPECT_EQ(label, (Label{"1 ||", false}));
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(WhitePixels(picture), picture.size());
}

TEST_F(PreviewWithPrinter, ThePictureKeepsThePaperProportionsPortraitAndLandscape) {
    SetControlText(Lines(3));
    auto pictureShape = [&]() {
        ModalAnswers answers;
        RECT picture{}, client{};
        answers.AnswerWith([&](HWND dialog) {
            GetClientRect(dialog, &client);
            HWND item = GetDlgItem(dialog, IDC_PREVIEW_PICTURE);
            GetWindowRect(item, &picture);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&picture), 2);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(IDM_PREVIEW);
        return std::pair<RECT, RECT>{picture, client};
    };
    auto [portrait, client] = pictureShape();
    int width = portrait.right - portrait.left, height = portrait.bottom - portrait.top;
    EXPECT_NEAR(static_cast<double>(width) / height, 210.0 / 297.0, 0.01);
    EXPECT_EQ(portrait.bottom, client.bottom - 2);
    EXPECT_NEAR((portrait.left + portrait.right) / 2, client.right / 2, 1);

    // Landscape paper: the dialog's width decides.
    ASSERT_NE(Program().printing.choice.devMode, nullptr);
    auto* mode = static_cast<DEVMODEA*>(GlobalLock(Program().printing.choice.devMode));
    mode->dmOrientation = DMORIENT_LANDSCAPE;
    mode->dmFields |= DM_ORIENTATION;
    GlobalUnlock(Program().printing.choice.devMode);
    auto [landscape, sameClient] = pictureShape();
    width = landscape.right - landscape.left;
    height = landscape.bottom - landscape.top;
    EXPECT_NEAR(static_cast<double>(width) / height, 297.0 / 210.0, 0.01);
    EXPECT_EQ(width, sameClient.right - landscape.top);
}

TEST_F(PreviewWithPrinter, AClickOnThePageZoomsAroundItAndASecondOneShowsTheWholePage) {
    SetControlText(Lines(60));
    ModalAnswers answers;
    std::vector<COLORREF> whole, zoomed, again, outside;
    std::vector<HCURSOR> cursors;
    auto cursorAt = [&](HWND dialog, POINT clientPoint) {
        ClientToScreen(dialog, &clientPoint);
        SetCursorPos(clientPoint.x, clientPoint.y);
        SetCursor(nullptr);
        SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        cursors.push_back(GetCursor());
    };
    answers.AnswerWith([&](HWND dialog) {
        HWND picture = GetDlgItem(dialog, IDC_PREVIEW_PICTURE);
        whole = Snapshot(picture);
        cursorAt(dialog, PointOnTheLines(dialog));
        ClickInDialog(dialog, PointOnTheLines(dialog));
        zoomed = Snapshot(picture);
        cursorAt(dialog, PointOnTheLines(dialog));
        cursorAt(dialog, POINT{2, 2});
        ClickInDialog(dialog, PointOnTheLines(dialog), WM_RBUTTONDOWN);
        again = Snapshot(picture);
        ClickInDialog(dialog, POINT{2, 2});  // beside the page, by the buttons
        outside = Snapshot(picture);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_PREVIEW);
    ASSERT_FALSE(whole.empty());
    // The lines are on the page, and three times larger there is more ink.
    EXPECT_LT(WhitePixels(whole), whole.size());
    EXPECT_LT(WhitePixels(zoomed), WhitePixels(whole));
    EXPECT_NE(zoomed, whole);
    EXPECT_EQ(again, whole);
    EXPECT_EQ(outside, whole);
    // Over the page the magnifier says what a click does; elsewhere the cursor is not one of them.
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HCURSOR zoomIn = LoadCursorA(instance, MAKEINTRESOURCEA(IDCUR_ZOOM_IN));
    HCURSOR zoomOut = LoadCursorA(instance, MAKEINTRESOURCEA(IDCUR_ZOOM_OUT));
    ASSERT_EQ(cursors.size(), 3u);
    EXPECT_NE(zoomIn, nullptr);
    EXPECT_NE(zoomIn, zoomOut);
    EXPECT_EQ(cursors[0], zoomIn);
    EXPECT_EQ(cursors[1], zoomOut);
    EXPECT_NE(cursors[2], zoomIn);
    EXPECT_NE(cursors[2], zoomOut);
}

TEST_F(PreviewWithPrinter, ThePageNumberShowsOnlyWhenTheTopAndBottomMarginsApply) {
    SetControlText(Lines(10));
    std::vector<COLORREF> picture;
    auto numberText = [&](bool pageNumbers) {
        Program().printing.pageNumbers = pageNumbers;
        ModalAnswers answers;
        std::string number;
        answers.AnswerWith([&](HWND dialog) {
            // One size for every opening, so the pictures compare pixel by pixel.
            ShowWindow(dialog, SW_RESTORE);
            SetWindowPos(dialog, nullptr, 0, 0, 700, 560, SWP_NOZORDER | SWP_NOACTIVATE);
            picture = Snapshot(GetDlgItem(dialog, IDC_PREVIEW_PICTURE));
            number = ItemText(dialog, IDC_PREVIEW_PAGE_NUMBER);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(IDM_PREVIEW);
        return number;
    };
    // The number is drawn on the page, not only set as the text of its control.
    EXPECT_EQ(numberText(false), "");
    const std::vector<COLORREF> withoutNumber = picture;
    EXPECT_EQ(numberText(true), "-1-");
    ASSERT_EQ(picture.size(), withoutNumber.size());
    EXPECT_LT(WhitePixels(picture), WhitePixels(withoutNumber));

    Program().printing.margins = RECT{2500, 30000, 2500, 30000};
    EXPECT_EQ(numberText(false), "");
    const std::vector<COLORREF> marginsIgnored = picture;
    EXPECT_EQ(numberText(true), "");
    EXPECT_EQ(picture, marginsIgnored);
}
