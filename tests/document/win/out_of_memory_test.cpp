// Memory that runs out in the middle of a command: the editor control fails the change whole, and
// each command leaves the document as it was (text, name, title, modified flag, view, undo journal)
// and tells the user once, with the system's text for "not enough memory". The failure is injected
// into the real control through its growth budget: each command is run again and again, its first,
// second, third ... growth failing, until it has room enough to succeed.
#include "control/gap_buffer.h"
#include "document/win/clipboard.h"
#include "document/win/editor_window.h"
#include "support/win/document_fixture.h"
#include "document/win/transform_commands.h"
#include "support/win/modal_answers.h"
#include "tools/win/find_replace.h"
#include "tools/win/word_wrap.h"

#include <functional>

namespace {

std::string SystemText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = text ? text : "";
    if (text) LocalFree(text);
    return result;
}

// No growth of the text succeeds for the command run in this scope.
class ShortOfMemory {
public:
    ShortOfMemory() { GrowthBudget::allocations = 0; }
    ~ShortOfMemory() { GrowthBudget::allocations = GrowthBudget::kUnlimited; }
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
        // A loaded, edited document with a journal.
        WriteBytes(path_, "the document\r\nsecond line of it\r\n");
        ASSERT_TRUE(LoadFile(path_.c_str()));
        Select(EditorControl, 4, 12);
        ProgramDocument().ReplaceSelection("DOC", UndoKind::ReplaceRange);
        before_ = DocumentState::Now();
        ASSERT_TRUE(before_.modified);
        ASSERT_EQ(before_.records, 1u);
    }
    void TearDown() override {
        GrowthBudget::remaining = GrowthBudget::allocations = GrowthBudget::kUnlimited;
        DocumentTest::TearDown();
    }

    // The command ran into the shortage: nothing changed and one box told the user why.
    // dialogs: the windows the command showed before it ran short (the file dialog).
    void ExpectUnchangedAndToldOnce(const ModalAnswers& answers, std::size_t dialogs = 0) {
        EXPECT_EQ(DocumentState::Now(), before_);
        ASSERT_EQ(answers.Seen().size(), dialogs + 1);
        EXPECT_EQ(answers.Seen().back().text, SystemText(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_EQ(answers.Seen().back().title, "VEMKO");
    }

    // Runs the command with its first growth failing, then its second, and so on, until it succeeds:
    // every failed attempt must leave the document as it was and tell the user once. `prepare` answers
    // the dialogs the command shows before it changes the text; `dialogs` counts them. A growth the
    // control can do without (laying out for the caret as it takes the focus) may fail while the
    // command still goes through whole: `takeBack` then undoes the command for the next attempt.
    // Returns how many attempts ran short.
    std::size_t FailEachGrowthInTurn(const std::function<void()>& command, std::size_t dialogs = 0,
                                     const std::function<void(ModalAnswers&)>& prepare = {},
                                     const std::function<void()>& takeBack = {}) {
        for (std::size_t budget = 0; budget < 5000; ++budget) {
            SCOPED_TRACE("growth " + std::to_string(budget + 1) + " fails");
            ModalAnswers answers;
            if (prepare) prepare(answers);
            answers.PressButton(IDOK);
            GrowthBudget::allocations = budget;
            command();
            const bool ranShort = GrowthBudget::allocations == GrowthBudget::kUnlimited;
            GrowthBudget::allocations = GrowthBudget::kUnlimited;
            if (!ranShort) {
                EXPECT_EQ(answers.Seen().size(), dialogs) << "a command that succeeded told of a failure";
                return budget;
            }
            if (takeBack && answers.Seen().size() == dialogs) {
                takeBack();
                EXPECT_EQ(DocumentState::Now(), before_);
            } else {
                ExpectUnchangedAndToldOnce(answers, dialogs);
            }
            if (HasFailure()) return budget;
        }
        ADD_FAILURE() << "the command never had room enough";
        return 0;
    }

    const std::string path_ = TestPath("document.txt");
    DocumentState before_;
};

}  // namespace

TEST_F(OutOfMemory, LoadFileKeepsTheDocumentItHad) {
    // A read error mid-file leaves it (the process's memory image from address 0 cannot be read),
    // and the document can still be saved under its own name.
    {
        ModalAnswers answers;
        answers.PressButton(IDOK);
        EXPECT_FALSE(LoadFile("Z:\\proc\\self\\mem"));
        EXPECT_EQ(DocumentState::Now(), before_);
        EXPECT_EQ(answers.Seen().size(), 1u);
        ASSERT_TRUE(SaveDocument());
        EXPECT_EQ(ReadBytes(path_), before_.text);
        before_ = DocumentState::Now();
    }
    const std::string other = "\xF0\xD2\xC9\xD7\xC5\xD4 koi8\r\n";
    WriteBytes(TestPath("other.txt"), other);
    EXPECT_GT(FailEachGrowthInTurn([] { LoadFile(TestPath("other.txt").c_str()); }), 0u);
    EXPECT_EQ(ControlText(), other);
    EXPECT_FALSE(Modified());
}

TEST_F(OutOfMemory, InsertFileInsertsNothingAndRecordsNothing) {
    WriteBytes(TestPath("insert.txt"), "inserted\r\n");
    EXPECT_GT(FailEachGrowthInTurn(InsertFile, 1,
                                   [](ModalAnswers& answers) { answers.ChooseFile(TestPath("insert.txt")); }),
              0u);
    EXPECT_EQ(ControlText(), "the DOCinserted\r\n\r\nsecond line of it\r\n");
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 2u);
}

TEST_F(OutOfMemory, PasteAndTypingChangeNothing) {
    Select(EditorControl, 0, 3);
    before_ = DocumentState::Now();
    PutViewBytesOnClipboard("pasted text");
    EXPECT_GT(FailEachGrowthInTurn(PasteClipboard), 0u);
    EXPECT_EQ(ControlText(), "pasted text DOC\r\nsecond line of it\r\n");
    before_ = DocumentState::Now();
    EXPECT_GT(FailEachGrowthInTurn([] { SendMessageA(EditorControl, WM_CHAR, 'x', 1); }), 0u);
    EXPECT_EQ(ControlText(), "pasted textx DOC\r\nsecond line of it\r\n");
}

TEST_F(OutOfMemory, AWholeTextTransformKeepsTextAndView) {
    Select(EditorControl, 5, 5);
    before_ = DocumentState::Now();
    EXPECT_GT(FailEachGrowthInTurn([] { RunTransformCommand(IDM_TRANSLIT); }), 0u);
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
    const DWORD style = Program().switches.wordWrapStyle;
    // A failed attempt keeps the control and its style, and the document laid out as the control
    // shows it (the new one may have begun to lay it out for itself); with memory the text moves
    // into the new control whole, and the old control goes.
    const bool wraps = ProgramDocument().Layout().Wraps();
    const int wrapWidth = ProgramDocument().Layout().WrapWidth();
    const auto toggle = [&] {
        ToggleWordWrap();
        if (EditorControl != control) return;
        EXPECT_EQ(Program().switches.wordWrapStyle, style);
        EXPECT_EQ(ProgramDocument().Layout().Wraps(), wraps);
        EXPECT_EQ(ProgramDocument().Layout().WrapWidth(), wrapWidth);
    };
    const auto toggleBack = [&] {
        ToggleWordWrap();
        EXPECT_EQ(Program().switches.wordWrapStyle, style);
    };
    EXPECT_GT(FailEachGrowthInTurn(toggle, 0, {}, toggleBack), 0u);
    EXPECT_NE(EditorControl, control);
    EXPECT_FALSE(IsWindow(control));
    ToggleWordWrap();
    EXPECT_EQ(Program().switches.wordWrapStyle, style);
    EXPECT_EQ(DocumentState::Now(), before_);
}

TEST_F(OutOfMemory, AReplaceRunThatFailsIsTakenBackWhole) {
    SetControlText(std::string(100, 'a') + "\r\n", true);
    ClearUndo();
    Select(EditorControl, 0, 0);
    ProgramDocument().Replace(0, 1, "a", UndoKind::ReplaceRange);  // an entry of the user's own before the run
    before_ = DocumentState::Now();
    // Some replacements go in, then one fails.
    EXPECT_GT(FailEachGrowthInTurn([] {
        Program().search = SearchState{};
        Program().search.pattern = "a";
        Program().search.replaceText = "bb";
        Program().search.replaceMode = true;
        Program().search.replaceAll = true;
        Program().search.promptReplace = false;
        Program().search.wholeText = true;
        FindNextCommand();
    }), 1u);
    EXPECT_EQ(ControlText(), std::string(200, 'b') + "\r\n");
}
