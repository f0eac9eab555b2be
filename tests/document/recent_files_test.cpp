#include "document/recent_files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <vector>

#include "base/settings.h"
#include "support/core/recording_store.h"
#include "base/ui_text.h"

namespace {

class FakeHost final : public RecentFilesHost {
public:
    std::string fixedDrives = "CD";
    std::map<std::string, std::string> shortNames;  // an existing file's every name -> its short form
    std::vector<std::int32_t> caretsPut;
    std::int32_t selectionStart = 0;
    int redeclared = 0;

    bool IsFixedDrive(std::string_view root) override {
        return root.size() == 3 && root.substr(1) == ":\\" && fixedDrives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])))) != std::string::npos;
    }
    std::string ShortPathName(std::string_view path) override {
        auto it = shortNames.find(std::string(path));
        return it == shortNames.end() ? std::string() : it->second;
    }
    void PutCaret(std::int32_t position) override { caretsPut.push_back(position); }
    std::int32_t SelectionStart() override { return selectionStart; }
    void RedeclareRecentMenuItems() override { ++redeclared; }
    std::string FileStamp(std::string_view path) override {
        auto it = stamps.find(std::string(path));
        return it == stamps.end() ? std::string() : it->second;
    }
    std::map<std::string, std::string> stamps;  // an existing file's size and time

    // A file that exists, with its own name as its short form.
    std::string File(std::string path) {
        shortNames[path] = path;
        return path;
    }
};

class RecentFiles : public ::testing::Test {
protected:
    void SetUp() override { InstallSettingsStore(&store); }
    void TearDown() override { InstallSettingsStore(nullptr); }

    std::string List() { return ReadSettingString("LIST", 11); }
    std::string Path(char digit) { return ReadSettingString(std::string{digit, 'F'}, 260); }
    std::uint32_t Caret(char digit) { return ReadSettingDword(std::string{digit, 'F', 'C'}, 0xFFFFFFFF); }
    std::string Nth(int n) { return host.File("C:\\texts\\file" + std::to_string(n) + ".txt"); }

    RecordingStore store;
    FakeHost host;
};

TEST_F(RecentFiles, FirstUseListsTheFileWithCaretZero) {
    AddRecentFile(Nth(1), true, host);
    EXPECT_EQ(List(), "0");
    EXPECT_EQ(Path('0'), "C:\\texts\\file1.txt");
    EXPECT_EQ(Caret('0'), 0u);
    EXPECT_EQ(host.redeclared, 1);
    EXPECT_TRUE(host.caretsPut.empty());
    EXPECT_EQ(RecentFilePath(0), "C:\\texts\\file1.txt");
    EXPECT_EQ(RecentFilePath(1), "");
    EXPECT_EQ(RecentFilePath(-1), "");
}

TEST_F(RecentFiles, NewFilesGoFirstAndTheEleventhTakesTheOldestDigit) {
    for (int n = 1; n <= 10; ++n) AddRecentFile(Nth(n), true, host);
    EXPECT_EQ(List(), "9876543210");
    for (int k = 0; k < 10; ++k) EXPECT_EQ(RecentFilePath(k), Nth(10 - k));
    WriteSettingDword("0FC", 77);
    AddRecentFile(Nth(11), true, host);
    EXPECT_EQ(List(), "0987654321");
    EXPECT_EQ(Path('0'), Nth(11));
    EXPECT_EQ(Caret('0'), 0u);
    AddRecentFile(Nth(12), true, host);
    EXPECT_EQ(List(), "1098765432");
    EXPECT_EQ(RecentFilePath(9), Nth(3));
}

TEST_F(RecentFiles, ListedFileMovesToTheFrontKeepingTheOthersInOrder) {
    for (int n = 1; n <= 5; ++n) AddRecentFile(Nth(n), true, host);
    ASSERT_EQ(List(), "43210");
    WriteSettingDword("2FC", 1234);
    host.caretsPut.clear();
    AddRecentFile(Nth(3), true, host);  // third in the list
    EXPECT_EQ(List(), "24310");
    EXPECT_EQ(host.caretsPut, std::vector<std::int32_t>{1234});
    EXPECT_EQ(Path('2'), Nth(3));
    EXPECT_EQ(Caret('2'), 1234u);

    // Already first: nothing written, but the caret still goes back.
    int writes = static_cast<int>(store.written.size()), redeclared = host.redeclared;
    AddRecentFile(Nth(3), true, host);
    EXPECT_EQ(static_cast<int>(store.written.size()), writes);
    EXPECT_EQ(host.redeclared, redeclared);
    EXPECT_EQ(host.caretsPut, (std::vector<std::int32_t>{1234, 1234}));

    // Restoring off, or an unreadable position: the caret stays.
    AddRecentFile(Nth(1), false, host);
    EXPECT_EQ(List(), "02431");
    store.values.WriteRaw("4FC", "toolong");
    AddRecentFile(Nth(5), true, host);
    EXPECT_EQ(List(), "40231");
    EXPECT_EQ(host.caretsPut.size(), 2u);
}

TEST_F(RecentFiles, FreedEntryDigitIsReusedBeforeAnyIsOverwritten) {
    for (int n = 1; n <= 10; ++n) AddRecentFile(Nth(n), true, host);
    ForgetRecentFile(6, host);  // "9876543210"[6] = '3'
    EXPECT_EQ(Path('3'), "");
    EXPECT_EQ(RecentFilePath(6), "");
    EXPECT_EQ(List(), "9876543210");
    ForgetRecentFile(8, host);  // '1'
    AddRecentFile(Nth(20), true, host);
    EXPECT_EQ(List(), "1987654320");
    EXPECT_EQ(Path('1'), Nth(20));
    AddRecentFile(Nth(21), true, host);
    EXPECT_EQ(List(), "3198765420");
    AddRecentFile(Nth(22), true, host);  // none free: the oldest, '0'
    EXPECT_EQ(List(), "0319876542");
    ForgetRecentFile(10, host);  // beyond the list: nothing
    EXPECT_EQ(List(), "0319876542");
}

TEST_F(RecentFiles, OnlyFixedDrivesAndNoDollarSign) {
    for (std::string path : {"A:\\floppy.txt", "Z:\\share\\net.txt", "\\\\server\\share\\unc.txt", "C:\\admin$\\x.txt",
                             "D:\\a\\b$c.txt", "C:\\??????.txt", ""}) {
        // "C:\??????.txt": a name in letters that 1251 lacks, as the program has it.
        AddRecentFile(host.File(path), true, host);
    }
    EXPECT_EQ(List(), "");
    EXPECT_EQ(static_cast<int>(store.written.size()), 0);
    EXPECT_EQ(host.redeclared, 0);
    AddRecentFile(host.File("D:\\fine.txt"), true, host);
    EXPECT_EQ(List(), "0");
    AddRecentFile(host.File("C:\\" + std::string(258, 'x')), true, host);  // could not be read back
    EXPECT_EQ(List(), "0");
}

TEST_F(RecentFiles, LongAndShortNameOfOneFileAreOneEntry) {
    const std::string longName = "C:\\Program Files\\Long Name Document.txt";
    const std::string shortName = "C:\\PROGRA~1\\LONGNA~1.TXT";
    host.shortNames[longName] = shortName;
    host.shortNames[shortName] = shortName;
    host.shortNames["c:\\progra~1\\longna~1.txt"] = shortName;
    AddRecentFile(longName, true, host);
    AddRecentFile(Nth(1), true, host);
    AddRecentFile(shortName, true, host);
    EXPECT_EQ(List(), "01");
    EXPECT_EQ(Path('0'), longName);  // the name it was first listed by stays
    AddRecentFile("c:\\progra~1\\longna~1.txt", true, host);
    EXPECT_EQ(List(), "01");

    // Without a short form (the file is gone) the names themselves are compared, case aside; two
    // vanished files never count as one.
    AddRecentFile("C:\\Старое\\Письмо.txt"_ui, true, host);
    AddRecentFile("C:\\другое.txt"_ui, true, host);
    EXPECT_EQ(List(), "3201");
    AddRecentFile("c:\\СТАРОЕ\\пИСЬМО.TXT"_ui, true, host);
    EXPECT_EQ(List(), "2301");
    EXPECT_TRUE(SamePathText("C:\\ЁЖ\\Ґ.TXT"_ui, "c:\\ёж\\ґ.txt"_ui));
    EXPECT_FALSE(SamePathText("C:\\a.txt", "C:\\b.txt"));
}

TEST_F(RecentFiles, LeavingAListedFileStoresItsCaret) {
    AddRecentFile(Nth(1), true, host);
    AddRecentFile(Nth(2), true, host);
    host.selectionStart = 512;
    RememberCaret(Nth(1), host);
    EXPECT_EQ(Caret('0'), 512u);
    EXPECT_EQ(Caret('1'), 0u);
    int writes = static_cast<int>(store.written.size());
    RememberCaret(host.File("C:\\unlisted.txt"), host);
    RememberCaret("C:\\vanished.txt", host);  // no short form, not listed, free entries never match
    EXPECT_EQ(static_cast<int>(store.written.size()), writes);

    // Opened again with restoring on the caret goes there; Save As (restoring off) never moves it.
    AddRecentFile(Nth(1), true, host);
    EXPECT_EQ(host.caretsPut, std::vector<std::int32_t>{512});
    AddRecentFile(Nth(1), false, host);
    AddRecentFile(Nth(7), false, host);
    EXPECT_EQ(host.caretsPut.size(), 1u);
    EXPECT_EQ(List(), "201");
    EXPECT_EQ(Caret('2'), 0u);
}

}  // namespace

TEST_F(RecentFiles, AViewChosenByHandIsUsedAgainUntilAnotherHandChangesTheFile) {
    const std::string letter = Nth(1);
    host.stamps[letter] = "100:1";
    AddRecentFile(letter, true, host);
    // The guess alone is never stored.
    EXPECT_EQ(ChosenViewOf(letter, host), std::nullopt);
    RememberViewOfSavedFile(letter, 0, host);
    EXPECT_EQ(ChosenViewOf(letter, host), std::nullopt);

    RememberChosenView(letter, 1, host);
    EXPECT_EQ(ChosenViewOf(letter, host), 1);
    // The program's own save keeps the choice, as the view the file was written in.
    host.stamps[letter] = "120:2";
    RememberViewOfSavedFile(letter, 2, host);
    EXPECT_EQ(ChosenViewOf(letter, host), 2);
    // Changed by someone else: guessed again, and the choice is gone for good.
    host.stamps[letter] = "120:3";
    EXPECT_EQ(ChosenViewOf(letter, host), std::nullopt);
    host.stamps[letter] = "120:2";
    EXPECT_EQ(ChosenViewOf(letter, host), std::nullopt);

    // A file that is not listed remembers nothing; one that takes over a digit gets no old choice.
    RememberChosenView(Nth(99), 1, host);
    EXPECT_EQ(ChosenViewOf(Nth(99), host), std::nullopt);
    RememberChosenView(letter, 3, host);
    for (int n = 2; n <= 11; ++n) {
        host.stamps[Nth(n)] = "5:5";
        AddRecentFile(Nth(n), true, host);
    }
    EXPECT_EQ(Path('0'), Nth(11));
    EXPECT_EQ(ChosenViewOf(Nth(11), host), std::nullopt);
    // The old values stay readable as they were.
    EXPECT_EQ(Caret('0'), 0u);
}
