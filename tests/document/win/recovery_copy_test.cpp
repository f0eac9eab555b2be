// The recovery copy inside the program: written after the typing pauses, gone when the text is
// saved, thrown away or the program ends normally; copies left by instances that no longer run
// offered at start, a damaged one told of; the switch; a write that keeps failing.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/shell_messages.h"
#include "document/recovery_copy.h"
#include "document/win/recovery_keeper.h"
#include "support/win/editing_fixture.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"

namespace {

constexpr RecoveryTimings kShortTimings{200, 5000, 300, 3};
const std::string kLetter = "\xc7\xe4\xf0\xe0\xe2\xf1\xf2\xe2\xf3\xe9, \xcc\xe0\xf8\xe0!\r\n";  // "Здравствуй, Маша!" in 1251
const std::string kBeetle = "\xe6\xf3\xea";  // "жук" in 1251

std::wstring CopiesFolder() {
    wchar_t temporary[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temporary);
    return std::wstring(temporary) + L"vemko-recovery-copies-" + std::to_wstring(GetCurrentProcessId());
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void EmptyFolder(const std::wstring& folder) {
    for (const std::wstring& name : FilesIn(folder)) {
        const std::wstring path = folder + L"\\" + name;
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    }
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Pumps the program's messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 5000) {
    const DWORD until = GetTickCount() + milliseconds;
    while (!condition()) {
        if (static_cast<LONG>(until - GetTickCount()) <= 0) return false;
        PumpMessages(20);
    }
    return true;
}

bool ReadCopy(const std::wstring& path, RecoveryCopy& copy, std::string& text) {
    const std::string file = ReadBytes(path);
    std::string_view body;
    if (!ReadRecoveryCopy(file, copy, body)) return false;
    text = body;
    return true;
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

class RecoveryCopyTest : public testing::Test {
protected:
    void SetUp() override {
        ClearSettingsKey();
        EmptyTestFolder();
        CreateDirectoryW(folder_.c_str(), nullptr);
        EmptyFolder(folder_);
        UseRecoveryFolder(folder_);
    }
    void TearDown() override {
        CloseTestApplication();
        EmptyFolder(folder_);
        RemoveDirectoryW(folder_.c_str());
        UseRecoveryFolder(L"");
    }

    void Start() {
        ASSERT_NE(StartTestApplication(), nullptr);
        ASSERT_NE(EditorControl, nullptr);
        SetRecoveryTimings(kShortTimings);
        SetForegroundWindow(MainWindow);
        SetFocus(EditorControl);
        Settle();
    }
    std::wstring OwnCopy() const { return OwnRecoveryFiles().CopyPath(); }
    bool CopyWritten() { return PumpUntil([&] { return Exists(OwnCopy()); }); }
    // Under load a pause between two typed keys may be long enough for a copy of its own: the copy
    // waited for is the one of the whole text.
    bool CopyHolds(const std::string& expected, RecoveryCopy& copy) {
        std::string text;
        return PumpUntil([&] { return ReadCopy(OwnCopy(), copy, text) && text == expected; });
    }

    // A copy as an instance that no longer runs left it, written at the given minute of a day.
    std::wstring Plant(const std::string& name, const RecoveryCopy& copy, const std::string& text, int minute,
                       std::size_t cut = 0) {
        const std::wstring path = folder_ + L"\\vemko-" + WideText(name) + L".copy";
        std::string file = RecoveryCopyHeader(copy, text) + text;
        WriteBytes(path, file.substr(0, file.size() - cut));
        HANDLE handle = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SYSTEMTIME time{2026, 12, 3, 9, 3, static_cast<WORD>(minute), 0, 0};
        FILETIME written{};
        SystemTimeToFileTime(&time, &written);
        SetFileTime(handle, nullptr, nullptr, &written);
        CloseHandle(handle);
        return path;
    }

    SettingsKeySnapshot snapshot_;
    const std::wstring folder_ = CopiesFolder();
};

TEST_F(RecoveryCopyTest, ACopyFollowsTheUnsavedTextUntilItIsSavedThrownAwayOrTheProgramEnds) {
    WriteBytes(TestPath("letter.txt"), kLetter);
    Start();
    ASSERT_TRUE(LoadFile(TestPath("letter.txt").c_str()));
    PumpMessages(400);
    EXPECT_FALSE(Exists(OwnCopy())) << "an unmodified text needs no copy";
    Press(VK_END, kCtrl);
    Type(L"жук");
    RecoveryCopy copy;
    ASSERT_TRUE(CopyHolds(kLetter + kBeetle, copy));
    EXPECT_EQ(Wide(copy.path), WideText(TestPath("letter.txt")));
    EXPECT_EQ(copy.view, 0u);
    EXPECT_EQ(copy.selectionStart, (kLetter + kBeetle).size());
    EXPECT_EQ(ReadBytes(TestPath("letter.txt")), kLetter) << "the file itself is left alone";

    Command(IDM_SAVE);
    EXPECT_FALSE(Exists(OwnCopy())) << "gone as soon as the text is saved";
    EXPECT_EQ(ReadBytes(TestPath("letter.txt")), kLetter + kBeetle);
    PumpMessages(600);
    EXPECT_FALSE(Exists(OwnCopy()));

    Type(L"!");
    ASSERT_TRUE(CopyWritten());
    {
        ModalAnswers answers;
        answers.PressButton(IDNO);
        Command(IDM_NEW);
        EXPECT_EQ(answers.Unplanned(), "");
    }
    EXPECT_FALSE(Exists(OwnCopy())) << "gone when the user throws the text away";
    PumpMessages(600);
    EXPECT_FALSE(Exists(OwnCopy()));

    Type(L"ещё");
    ASSERT_TRUE(CopyWritten());
    CloseTestApplication();
    EXPECT_EQ(FilesIn(folder_), std::vector<std::wstring>{}) << "a normal end leaves nothing behind";
}

TEST_F(RecoveryCopyTest, LeftCopiesAreOfferedOldestFirstAndTheOneTakenComesBackAsItWas) {
    RecoveryCopy untitled;
    untitled.writtenAt = 1;
    RecoveryCopy letter;
    letter.path = u"C:\\vemko-tests\\documents\\letter.txt";
    letter.view = 1;
    letter.selectionStart = 3;
    letter.selectionEnd = 5;
    const std::string letterText = "\x8f\xe0\xad\xa0\r\nOEM text\r\n";
    WriteBytes(TestPath("letter.txt"), "as saved");
    Plant("1-damaged", untitled, "cut short", 10, 4);
    Plant("2-untitled", untitled, "\xef\xe5\xf0\xe2\xfb\xe9", 11);
    Plant("3-letter", letter, letterText, 12);
    // Left by an instance that ended before it wrote any copy, and one killed while writing.
    WriteBytes(folder_ + L"\\vemko-4-nothing.lock", "");
    WriteBytes(folder_ + L"\\vemko-1-damaged.new", "half");

    ModalAnswers answers;
    answers.PressButton(IDOK);
    answers.PressButton(IDNO);
    answers.PressButton(IDYES);
    Start();
    EXPECT_EQ(answers.Unplanned(), "");
    ASSERT_EQ(answers.Seen().size(), 3u);
    for (const SeenModal& seen : answers.Seen()) EXPECT_EQ(seen.title, "VEMKO");
    EXPECT_NE(answers.Seen()[0].text.find("повреждена"_ui), std::string::npos) << answers.Seen()[0].text;
    EXPECT_NE(answers.Seen()[1].text.find("Вернуть несохранённый текст «БезИмени», записанный "_ui), std::string::npos)
        << answers.Seen()[1].text;
    EXPECT_NE(answers.Seen()[2].text.find("«C:\\vemko-tests\\documents\\letter.txt», записанный "_ui),
              std::string::npos)
        << answers.Seen()[2].text;

    EXPECT_EQ(WindowText(EditorControl), letterText);
    EXPECT_NE(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0) << "a modified document";
    EXPECT_STREQ(CurrentFileName, TestPath("letter.txt").c_str());
    EXPECT_EQ(CodePageIndex, 1);
    CHARRANGE selection{};
    SendMessageA(EditorControl, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(selection.cpMin, 3);
    EXPECT_EQ(selection.cpMax, 5);
    EXPECT_EQ(ReadBytes(TestPath("letter.txt")), "as saved");
    // The copy taken is this instance's own now; the rest is gone.
    std::vector<std::wstring> left = FilesIn(folder_);
    EXPECT_EQ(left.size(), 2u);
    EXPECT_TRUE(Exists(OwnCopy()));

    Command(IDM_SAVE);
    EXPECT_EQ(ReadBytes(TestPath("letter.txt")), letterText) << "saved in the view it had, byte for byte";
    EXPECT_FALSE(Exists(OwnCopy()));
}

TEST_F(RecoveryCopyTest, ACopyOfAnInstanceStillRunningIsNotOffered) {
    const std::wstring copy = Plant("5-running", RecoveryCopy{}, "text", 20);
    HANDLE running = CreateFileW((folder_ + L"\\vemko-5-running.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    {
        ModalAnswers answers;
        Start();
        EXPECT_EQ(answers.Unplanned(), "");
        EXPECT_TRUE(Exists(copy));
        CloseTestApplication();
    }
    CloseHandle(running);
    ModalAnswers answers;
    answers.PressButton(IDNO);
    Start();
    EXPECT_EQ(answers.Unplanned(), "");
    EXPECT_FALSE(Exists(copy));
}

TEST_F(RecoveryCopyTest, WithTheSwitchOffNoCopyIsKept) {
    Start();
    WriteSettingDword("RC", 0);
    Type(L"abc");
    PumpMessages(800);
    EXPECT_FALSE(Exists(OwnCopy()));
    WriteSettingDword("RC", 1);
    Type(L"d");
    ASSERT_TRUE(CopyWritten());
    WriteSettingDword("RC", 0);
    EXPECT_TRUE(PumpUntil([&] { return !Exists(OwnCopy()); })) << "turned off, the copy goes";
}

TEST_F(RecoveryCopyTest, AFailedWriteLeavesEditingAloneIsToldOnceAndIsTriedAgain) {
    Start();
    // Where the next copy is written stands a folder: every write fails as on a read-only disk.
    const std::wstring blocker = OwnRecoveryFiles().NextCopyPath();
    ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
    Type(L"ab");
    const std::string told = "Копия для восстановления не записывается"_ui;
    EXPECT_TRUE(PumpUntil([&] { return StatusBarPart(kEditModePart) == told; }));
    Type(L"c");
    EXPECT_EQ(WindowText(EditorControl), "abc");
    // Told once: the failures that follow leave the status bar as it is.
    ShowStatusText(kEditModePart, "Вставка"_ui);
    PumpMessages(1500);
    EXPECT_EQ(StatusBarPart(kEditModePart), "Вставка"_ui);
    EXPECT_FALSE(Exists(OwnCopy()));

    ASSERT_TRUE(RemoveDirectoryW(blocker.c_str()));
    RecoveryCopy copy;
    ASSERT_TRUE(CopyHolds("abc", copy));
    EXPECT_TRUE(copy.path.empty());
}

}  // namespace
