// The byte patcher over the running application and real files of the prefix: the dialogs are filled
// in from a timer inside their modal loops, the message boxes answered as a user would, and the file
// read back after every step.
// The fixture brings <windows.h>, which <dlgs.h> needs before it.
#include "support/win/document_fixture.h"

#include <dlgs.h>

#include <functional>
#include <string>

#include "base/ui_text.h"
#include "support/win/modal_answers.h"
#include "tools/byte_patch.h"
#include "tools/win/byte_patcher.h"

namespace {

std::string SixteenBytes() {
    std::string bytes;
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<char>(0x30 + i * 11));
    return bytes;
}

std::string ByteField(HWND dialog) { return ItemText(dialog, IDC_PATCH_BYTE); }
bool WriteEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDC_WRITE_BYTE)) != FALSE; }

// The user's steps move the focus as they go: into a field to type, onto the button to press it.
// The offset field taking the focus looks at the byte again, as it does for the user.
void FocusOn(HWND dialog, int id) {
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

void TypeOffset(HWND dialog, const char* text) {
    FocusOn(dialog, IDC_PATCH_OFFSET);
    SetDlgItemTextA(dialog, IDC_PATCH_OFFSET, text);
}

void TypeByte(HWND dialog, const char* text) {
    FocusOn(dialog, IDC_PATCH_BYTE);
    SetDlgItemTextA(dialog, IDC_PATCH_BYTE, text);
}

// "ОК" as the mouse presses it: nothing happens while it is greyed.
void PressWrite(HWND dialog) {
    HWND button = GetDlgItem(dialog, IDC_WRITE_BYTE);
    if (!IsWindowEnabled(button)) return;
    FocusOn(dialog, IDC_WRITE_BYTE);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_WRITE_BYTE, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void Close(HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); }

class BytePatcherTest : public DocumentTest {
protected:
    void TearDown() override {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        EmptyTestFolder();
        DocumentTest::TearDown();
    }

    // The dialog on `path`, driven by `steps`, which end it.
    void Patch(const std::string& path, std::function<void(HWND)> steps) {
        answers_.AnswerWith(std::move(steps));
        ShowBytePatcher(MainWindow, path.c_str());
    }
    ModalAnswers answers_;
    HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(BytePatcherTest, TheCommandOpensTheChosenFileAndShowsEachByteInsideIt) {
    const std::string path = TestPath("sixteen.bin");
    const std::string bytes = SixteenBytes();
    WriteBytes(path, bytes);
    answers_.ChooseFile(path, 2);
    answers_.AnswerWith([&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), std::string("Изменить байт: "_ui) + "sixteen.bin");
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PATCH_OFFSET));
        EXPECT_EQ(ByteField(dialog), FormatByte(static_cast<std::uint8_t>(bytes[0])));  // offset 0 at once
        EXPECT_TRUE(WriteEnabled(dialog));
        for (int offset = 0; offset < 16; ++offset) {
            std::string text = FormatByte(static_cast<std::uint8_t>(offset));
            TypeOffset(dialog, text.c_str());
            EXPECT_EQ(ByteField(dialog), FormatByte(static_cast<std::uint8_t>(bytes[offset]))) << text;
            EXPECT_TRUE(WriteEnabled(dialog));
        }
        TypeOffset(dialog, "f");
        EXPECT_EQ(ByteField(dialog), FormatByte(static_cast<std::uint8_t>(bytes[15])));
        for (const char* wrong : {"10", "0x1", "123456789", "ffffffff"}) {
            TypeOffset(dialog, wrong);
            EXPECT_EQ(ByteField(dialog), "Error") << wrong;
            EXPECT_FALSE(WriteEnabled(dialog)) << wrong;
        }
        TypeOffset(dialog, "");
        EXPECT_EQ(ByteField(dialog), FormatByte(static_cast<std::uint8_t>(bytes[0])));
        EXPECT_TRUE(WriteEnabled(dialog));
        Close(dialog);
    });
    SendMessageA(MainWindow, WM_COMMAND, IDM_REPLACE_BYTE, 0);
    EXPECT_EQ(answers_.Unplanned(), "");
    ASSERT_EQ(answers_.Seen().size(), 2u);
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(WindowText(MainWindow).find("sixteen"), std::string::npos) << "the document is not involved";
}

TEST_F(BytePatcherTest, CancellingTheFileDialogOpensNothing) {
    answers_.CancelDialog();
    SendMessageA(MainWindow, WM_COMMAND, IDM_REPLACE_BYTE, 0);
    EXPECT_EQ(answers_.Unplanned(), "");
    EXPECT_EQ(answers_.Seen().size(), 1u);
}

TEST_F(BytePatcherTest, WritesOnlyTheOneByteAskedAndOnlyAfterYes) {
    const std::string path = TestPath("program.exe");
    const std::string original = SixteenBytes();
    WriteBytes(path, original);
    std::string expected = original;
    Patch(path, [&](HWND dialog) {
        TypeOffset(dialog, "7");
        TypeByte(dialog, "5a");
        answers_.PressButton(IDNO);
        PressWrite(dialog);
        EXPECT_EQ(answers_.Seen().back().text, "Вы уверены?"_ui);
        EXPECT_EQ(answers_.Seen().back().title, "VEMKO");
        EXPECT_EQ(ReadBytes(path), original);

        answers_.PressButton(IDYES);
        PressWrite(dialog);
        expected[7] = 0x5A;
        EXPECT_EQ(ReadBytes(path), expected);
        EXPECT_EQ(ByteField(dialog), "5a");  // the fields keep their text

        // The last byte, typed in upper case.
        TypeOffset(dialog, "F");
        TypeByte(dialog, "C3");
        answers_.PressButton(IDYES);
        PressWrite(dialog);
        expected[15] = static_cast<char>(0xC3);
        EXPECT_EQ(ReadBytes(path), expected);

        // Looking again shows the byte written.
        TypeOffset(dialog, "7");
        EXPECT_EQ(ByteField(dialog), "5A");
        Close(dialog);
    });
    EXPECT_EQ(answers_.Unplanned(), "");
    EXPECT_EQ(answers_.Seen().size(), 4u);
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST_F(BytePatcherTest, NothingToChangeOrNoByteTypedGreysTheButtonWithoutAsking) {
    const std::string path = TestPath("same.bin");
    const std::string original = SixteenBytes();
    WriteBytes(path, original);
    Patch(path, [&](HWND dialog) {
        TypeOffset(dialog, "3");
        TypeByte(dialog, FormatByte(static_cast<std::uint8_t>(original[3])).c_str());
        PressWrite(dialog);
        EXPECT_FALSE(WriteEnabled(dialog));
        // A new offset enables it again; a value that is no byte greys it, and so does an empty one.
        for (const char* noByte : {"1ff", "", "zz", "Error"}) {
            TypeOffset(dialog, "4");
            EXPECT_TRUE(WriteEnabled(dialog));
            TypeByte(dialog, noByte);
            PressWrite(dialog);
            EXPECT_FALSE(WriteEnabled(dialog)) << noByte;
            EXPECT_EQ(ByteField(dialog), noByte);
        }
        // The focus left the greyed button for the value.
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_PATCH_BYTE));
        Close(dialog);
    });
    EXPECT_EQ(answers_.Unplanned(), "");
    EXPECT_EQ(answers_.Seen().size(), 1u) << "no question was asked";
    EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(BytePatcherTest, AFileThatCannotBeWrittenIsLookedAtButNeverReportedWritten) {
    const std::string readOnly = TestPath("read-only.exe");
    const std::string inUse = TestPath("in-use.exe");
    const std::string original = SixteenBytes();
    WriteBytes(readOnly, original);
    WriteBytes(inUse, original);
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    // Another program writing the file, letting others only read it.
    held_ = CreateFileA(inUse.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE);

    for (const std::string& path : {readOnly, inUse}) {
        Patch(path, [&](HWND dialog) {
            TypeOffset(dialog, "2");
            EXPECT_EQ(ByteField(dialog), FormatByte(static_cast<std::uint8_t>(original[2]))) << path;
            EXPECT_TRUE(WriteEnabled(dialog));
            TypeByte(dialog, "00");
            PressWrite(dialog);
            EXPECT_EQ(ByteField(dialog), "Error") << path;
            Close(dialog);
        });
        EXPECT_EQ(ReadBytes(path), original) << path;
    }
    EXPECT_EQ(answers_.Unplanned(), "");
    EXPECT_EQ(answers_.Seen().size(), 2u) << "the two patcher dialogs: \"Error\" alone, no box and no question";
}

TEST_F(BytePatcherTest, AnEmptyFileOrOneGoneSinceItWasChosenShowsErrorAtOnce) {
    const std::string empty = TestPath("empty.exe");
    WriteBytes(empty, "");
    Patch(empty, [](HWND dialog) {
        EXPECT_EQ(ByteField(dialog), "Error");
        EXPECT_FALSE(WriteEnabled(dialog));
        Close(dialog);
    });
    EXPECT_EQ(ReadBytes(empty), "");

    const std::string gone = TestPath("gone.exe");
    WriteBytes(gone, SixteenBytes());
    Patch(gone, [&](HWND dialog) {
        EXPECT_EQ(ByteField(dialog), FormatByte(static_cast<std::uint8_t>(SixteenBytes()[0])));
        DeleteFileA(gone.c_str());
        TypeOffset(dialog, "1");
        EXPECT_EQ(ByteField(dialog), "Error");
        EXPECT_FALSE(WriteEnabled(dialog));
        Close(dialog);
    });
    EXPECT_EQ(ReadBytes(gone), "<missing>");
    EXPECT_EQ(answers_.Unplanned(), "");
}

// The flags ask the file dialog to refuse a read-only file; Wine's hands it over all the same, and
// then the patcher itself refuses to write it.
TEST_F(BytePatcherTest, AReadOnlyFileChosenThroughTheCommandIsNeverWritten) {
    const std::string path = TestPath("locked.exe");
    const std::string original = SixteenBytes();
    WriteBytes(path, original);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    answers_.ChooseFile(path);
    answers_.AnswerWith([&](HWND window) {
        if (WindowText(window).find("Изменить байт"_ui) != 0) {
            // The file dialog's own refusal: answered, and the file dialog given up.
            PostMessageA(window, WM_COMMAND, IDOK, 0);
            PostMessageA(GetWindow(window, GW_OWNER), WM_COMMAND, IDCANCEL, 0);
            return;
        }
        TypeByte(window, "00");
        PressWrite(window);
        EXPECT_EQ(ByteField(window), "Error");
        Close(window);
    });
    SendMessageA(MainWindow, WM_COMMAND, IDM_REPLACE_BYTE, 0);
    for (const SeenModal& seen : answers_.Seen()) EXPECT_NE(seen.text, "Вы уверены?"_ui);
    EXPECT_EQ(answers_.Unplanned(), "");
    EXPECT_EQ(ReadBytes(path), original);
}

}  // namespace
