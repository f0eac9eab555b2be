// Memory that runs out in the middle of a command: the editor control fails the change whole, and
// each command leaves the document as it was (text, name, title, modified flag, view, undo journal)
// and tells the user once, with the system's text for "not enough memory". The failure is injected
// into the real control through its growth budget.
#include "control/gap_buffer.h"
#include "document/win/clipboard.h"
#include "document/win/editor_window.h"
#include "document/win/control_text_access.h"
#include "document/win/document_fixture.h"
#include "encoding/win/run_transform.h"
#include "support/win/modal_answers.h"
#include "tools/win/find_replace.h"
#include "tools/win/word_wrap.h"

namespace {

std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = text ? text : "";
    if (text) LocalFree(text);
    return result;
}

// Growth of the text beyond `bytes` fails once, for the command run in this scope.
class ShortOfMemory {
public:
    explicit ShortOfMemory(std::size_t bytes = 0) { GrowthBudget::remaining = bytes; }
    ~ShortOfMemory() { GrowthBudget::remaining = GrowthBudget::kUnlimited; }
    ShortOfMemory(const ShortOfMemory&) = delete;
    ShortOfMemory& operator=(const ShortOfMemory&) = delete;
};

// What the user sees of the document, compared before and after a failed command.
struct DocumentState {
    std::string text;
    std::string name;
    std::string title;
    bool modified;
    std::uint8_t view;
    std::size_t records;
    std::string newestRecordText;

    static DocumentState Now() {
        const UndoRecord* newest = DocumentUndoJournal().Newest();
        return {ControlText(), CurrentFileName, WindowText(MainWindow), Modified(), CodePageIndex,
                DocumentUndoJournal().RecordCount(), newest ? newest->text : "<none>"};
    }
    bool operator==(const DocumentState&) const = default;
};

void PrintTo(const DocumentState& s, std::ostream* out) {
    *out << "{text " << testing::PrintToString(s.text) << ", name " << s.name << ", modified " << s.modified
         << ", view " << int{s.view} << ", records " << s.records << "}";
}

class OutOfMemory : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        InstallControlTextAccess();
        // A loaded, edited document with a journal.
        WriteBytes(path_, "the document\r\nsecond line of it\r\n");
        ASSERT_TRUE(LoadFile(path_.c_str()));
        Select(EditorControl, 4, 12);
        RecordUndo(UndoKind::ReplaceRange, 3);
        SendMessageA(EditorControl, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("DOC"));
        before_ = DocumentState::Now();
        ASSERT_TRUE(before_.modified);
        ASSERT_EQ(before_.records, 1u);
    }
    void TearDown() override {
        GrowthBudget::remaining = GrowthBudget::kUnlimited;
        DocumentTest::TearDown();
    }

    static void Select(HWND control, LONG first, LONG last) {
        CHARRANGE range{first, last};
        SendMessageA(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }

    // The command ran into the shortage: nothing changed and one box told the user why.
    // dialogs: the windows the command showed before it ran short (the file dialog).
    void ExpectUnchangedAndToldOnce(const ModalAnswers& answers, std::size_t dialogs = 0) {
        EXPECT_EQ(DocumentState::Now(), before_);
        ASSERT_EQ(answers.Seen().size(), dialogs + 1);
        EXPECT_EQ(answers.Seen().back().text, SystemText(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_EQ(answers.Seen().back().title, "VEMKO");
    }

    const std::string path_ = TestPath("document.txt");
    DocumentState before_;
};

}  // namespace

TEST_F(OutOfMemory, LoadFileKeepsTheDocumentItHad) {
    WriteBytes(TestPath("other.txt"), "\xF0\xD2\xC9\xD7\xC5\xD4 koi8\r\n");
    {
        ModalAnswers answers;
        answers.PressButton(IDOK);
        ShortOfMemory shortage;
        EXPECT_FALSE(LoadFile(TestPath("other.txt").c_str()));
        ExpectUnchangedAndToldOnce(answers);
    }
    // A read error mid-file leaves it as well (the process's memory image from address 0 cannot be
    // read), and the document can still be saved under its own name.
    ModalAnswers answers;
    answers.PressButton(IDOK);
    EXPECT_FALSE(LoadFile("Z:\\proc\\self\\mem"));
    EXPECT_EQ(DocumentState::Now(), before_);
    EXPECT_EQ(answers.Seen().size(), 1u);
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(path_), before_.text);
}

TEST_F(OutOfMemory, InsertFileInsertsNothingAndRecordsNothing) {
    WriteBytes(TestPath("insert.txt"), "inserted\r\n");
    ModalAnswers answers;
    answers.ChooseFile(TestPath("insert.txt"));
    answers.PressButton(IDOK);
    ShortOfMemory shortage;
    InsertFile();
    ExpectUnchangedAndToldOnce(answers, 1);
}

TEST_F(OutOfMemory, PasteAndTypingChangeNothing) {
    Select(EditorControl, 0, 3);
    before_ = DocumentState::Now();
    {
        PutViewBytesOnClipboard("pasted text");
        ModalAnswers answers;
        answers.PressButton(IDOK);
        ShortOfMemory shortage;
        PasteClipboard();
        ExpectUnchangedAndToldOnce(answers);
    }
    ModalAnswers answers;
    answers.PressButton(IDOK);
    ShortOfMemory shortage;
    SendMessageA(EditorControl, WM_CHAR, 'x', 1);
    ExpectUnchangedAndToldOnce(answers);
}

TEST_F(OutOfMemory, AWholeTextTransformKeepsTextAndView) {
    Select(EditorControl, 5, 5);
    before_ = DocumentState::Now();
    ModalAnswers answers;
    answers.PressButton(IDOK);
    ShortOfMemory shortage;
    RunTransformCommand(IDM_TRANSLIT);
    ExpectUnchangedAndToldOnce(answers);
    // A code page conversion changes the bytes where they are and needs no memory for the text.
    SendMessageA(EditorControl, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("\xEF\xF0\xE8"));
    before_ = DocumentState::Now();
    Select(EditorControl, 0, 0);
    {
        ShortOfMemory shortage;
        RunTransformCommand(IDM_TO_OEM);
    }
    EXPECT_EQ(ControlText().substr(0, 8), "the D\xAF\xE0\xA8");
    EXPECT_EQ(CodePageIndex, 1);
    UndoLast();
    EXPECT_EQ(DocumentState::Now(), before_);
}

TEST_F(OutOfMemory, WordWrapKeepsTheControlItHadWithItsText) {
    const HWND control = EditorControl;
    const DWORD style = WordWrapStyle;
    {
        ModalAnswers answers;
        answers.PressButton(IDOK);
        ShortOfMemory shortage;
        ToggleWordWrap();
        EXPECT_EQ(EditorControl, control);
        EXPECT_EQ(WordWrapStyle, style);
        ExpectUnchangedAndToldOnce(answers);
    }
    // With memory the text moves into the new control whole, and the old control goes.
    ToggleWordWrap();
    EXPECT_NE(EditorControl, control);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(DocumentState::Now(), before_);
    ToggleWordWrap();
    EXPECT_EQ(WordWrapStyle, style);
}

TEST_F(OutOfMemory, AReplaceRunThatFailsIsTakenBackWhole) {
    SetControlText(std::string(100, 'a') + "\r\n", true);
    ClearUndo();
    Select(EditorControl, 0, 0);
    RecordUndo(UndoKind::ReplaceRange, 0);  // an entry of the user's own before the run
    before_ = DocumentState::Now();
    Search = SearchState{};
    Search.pattern = "a";
    Search.replaceText = "bb";
    Search.replaceMode = true;
    Search.replaceAll = true;
    Search.promptReplace = false;
    Search.wholeText = true;
    ModalAnswers answers;
    answers.PressButton(IDOK);
    {
        // Some replacements go in, then one fails.
        ShortOfMemory shortage(400);
        FindNextCommand();
    }
    ExpectUnchangedAndToldOnce(answers);
}
