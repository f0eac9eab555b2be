#include <gtest/gtest.h>

#include <vector>

#include "base/win/program.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/command_recorder.h"

namespace {

enum Modifiers { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

struct Key {
    UINT virtualKey;
    int modifiers;
};

class Accelerators : public testing::Test {
protected:
    static void SetUpTestSuite() {
        window = StartTestApplication();
        table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
    }
    static void TearDownTestSuite() { CloseTestApplication(); }

    // The key pressed as the subclass of the editor control sees it, offered to accelerator table 1
    // with the MainWindow as the target; true when the table took it.
    static bool Press(Key key) {
        BYTE state[256] = {};
        if (key.modifiers & kCtrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
        if (key.modifiers & kShift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
        if (key.modifiers & kAlt) state[VK_MENU] = state[VK_LMENU] = 0x80;
        SetKeyboardState(state);
        MSG message{};
        message.hwnd = window;
        message.message = (key.modifiers & kAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN;
        message.wParam = key.virtualKey;
        message.lParam = 1;
        bool taken = TranslateAcceleratorA(window, table, &message) != 0;
        BYTE released[256] = {};
        SetKeyboardState(released);
        return taken;
    }

    // Each key in turn produces the command beside it, and nothing else.
    static void ExpectCommands(const std::vector<std::pair<Key, UINT>>& keys) {
        CommandRecorder recorder(window, {.passSystemCommands = true, .holdMenuInitialisation = true});
        for (const auto& [key, command] : keys) {
            SCOPED_TRACE("key " + std::to_string(key.virtualKey) + " modifiers " + std::to_string(key.modifiers));
            EXPECT_TRUE(Press(key));
            EXPECT_EQ(recorder.Take(), (std::vector<RecordedCommand>{{WM_COMMAND, command}}));
        }
    }

    static HWND window;
    static HACCEL table;
};
HWND Accelerators::window = nullptr;
HACCEL Accelerators::table = nullptr;

}  // namespace

TEST_F(Accelerators, FileAndClipboardKeys) {
    ASSERT_TRUE(window && table);
    ExpectCommands({{{'O', kCtrl}, IDM_OPEN},
                    {{'S', kCtrl}, IDM_SAVE},
                    {{'X', kCtrl}, IDM_CUT},
                    {{VK_DELETE, kShift}, IDM_CUT},
                    {{'C', kCtrl}, IDM_COPY},
                    {{VK_INSERT, kCtrl}, IDM_COPY},
                    {{'V', kCtrl}, IDM_PASTE},
                    {{VK_INSERT, kShift}, IDM_PASTE},
                    {{'Z', kCtrl}, IDM_UNDO},
                    {{VK_BACK, kAlt}, IDM_UNDO}});
}

TEST_F(Accelerators, SearchHelpAndViewKeys) {
    ASSERT_TRUE(window && table);
    ExpectCommands({{{'F', kCtrl}, IDM_FIND},
                    {{VK_F7, kNone}, IDM_FIND},
                    {{VK_F7, kCtrl}, IDM_REPLACE},
                    {{VK_F3, kNone}, IDM_FIND_NEXT},
                    {{VK_F1, kNone}, IDM_HELP},
                    {{VK_F2, kNone}, IDM_VIEW_ANSI},
                    {{VK_F2, kCtrl}, IDM_VIEW_OEM},
                    {{VK_F2, kAlt}, IDM_VIEW_KOI8},
                    {{VK_F2, kShift}, IDM_VIEW_UTF8}});
}

TEST_F(Accelerators, SizeAlignmentHtmlAndChordKeys) {
    ASSERT_TRUE(window && table);
    ExpectCommands({{{VK_SUBTRACT, kCtrl}, IDM_SIZE_DOWN},
                    {{VK_OEM_MINUS, kCtrl}, IDM_SIZE_DOWN},
                    {{VK_ADD, kCtrl}, IDM_SIZE_UP},
                    {{VK_OEM_PLUS, kCtrl}, IDM_SIZE_UP},
                    {{'J', kCtrl}, IDM_JUSTIFY},
                    {{'L', kCtrl}, IDM_ALIGN_LEFT},
                    {{'R', kCtrl}, IDM_ALIGN_RIGHT},
                    {{'H', kCtrl}, IDM_HTML_REFRESH},
                    {{'W', kCtrl}, IDM_CHORD_W},
                    {{'D', kCtrl}, IDM_CHORD_D},
                    {{'K', kCtrl}, IDM_CHORD_K}});
}

TEST_F(Accelerators, CtrlAltArrowsAreTakenAsCommandsWithoutHandler) {
    ASSERT_TRUE(window && table);
    ExpectCommands({{{VK_DOWN, kCtrl | kAlt}, 200},
                    {{VK_UP, kCtrl | kAlt}, 201},
                    {{VK_LEFT, kCtrl | kAlt}, 202},
                    {{VK_RIGHT, kCtrl | kAlt}, 203},
                    {{VK_DOWN, kCtrl | kShift | kAlt}, 204},
                    {{VK_UP, kCtrl | kShift | kAlt}, 205},
                    {{VK_LEFT, kCtrl | kShift | kAlt}, 206},
                    {{VK_RIGHT, kCtrl | kShift | kAlt}, 207}});
}

TEST_F(Accelerators, F4MaximisesF5RestoresEscapeCloses) {
    ASSERT_TRUE(window && table);
    CommandRecorder recorder(window);
    EXPECT_TRUE(Press({VK_F4, kNone}));
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_TRUE(Press({VK_F5, kNone}));
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_TRUE(Press({VK_ESCAPE, kNone}));  // kept from closing by the recorder
    EXPECT_EQ(recorder.Take(), (std::vector<RecordedCommand>{
                                   {WM_SYSCOMMAND, SC_MAXIMIZE}, {WM_SYSCOMMAND, SC_RESTORE}, {WM_SYSCOMMAND, SC_CLOSE}}));
}

TEST_F(Accelerators, OtherKeysAndOtherModifiersAreLeftToTheText) {
    ASSERT_TRUE(window && table);
    CommandRecorder recorder(window, {.passSystemCommands = false, .holdMenuInitialisation = true});
    for (Key key : std::vector<Key>{{'O', kNone}, {'O', kShift}, {'O', kCtrl | kShift}, {'Q', kCtrl},
                                    {VK_DELETE, kNone}, {VK_INSERT, kNone}, {VK_F2, kCtrl | kShift}, {VK_DOWN, kCtrl},
                                    {VK_BACK, kNone}, {'Z', kCtrl | kAlt}})
        EXPECT_FALSE(Press(key)) << key.virtualKey << " " << key.modifiers;
    EXPECT_TRUE(recorder.Take().empty());
}
