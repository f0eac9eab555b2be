#include "app/win/options_command.h"

#include "app/win/status_bar.h"
#include "app/win/toolbar.h"
#include "appearance/win/options_dialog.h"
#include "base/win/program.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/recovery_keeper.h"

void RebuildToolBar(bool shown) {
    // Destroyed even when it stays, so that a change of the button size takes effect.
    if (ToolBar) DestroyToolBar();
    if (shown) CreateToolBar();
}

void RebuildStatusBar(bool shown) {
    if (shown && !StatusBar) {
        CreateStatusBar();
        ShowEditMode();
        Program().lastShownSelection.cpMin = -1;
        ShowCaretPosition();
    } else if (!shown && StatusBar) {
        DestroyStatusBar();
    }
}

void ShowOptionsDialog() {
    OptionChoices choices;
    choices.toolBar = ToolBar != nullptr;
    choices.statusBar = StatusBar != nullptr;
    choices.bigButtons = Program().switches.bigButtons;
    choices.journalOn = !JournalOff();
    choices.rememberWindowSize = Program().switches.rememberWindowSize;
    choices.restoreCaret = Program().switches.restoreCaretPosition;
    choices.recoveryCopy = RecoveryCopyWanted();
    if (RunOptionsDialog(MainWindow, choices) != IDOK) return;

    // Ticking "Запоминать размер окна" is meant for this session's window too, and unticking it
    // keeps this session's window from being saved; left alone, the start's decision stands.
    if (choices.rememberWindowSize != Program().switches.rememberWindowSize) Program().switches.restorePlacement = choices.rememberWindowSize;
    Program().switches.rememberWindowSize = choices.rememberWindowSize;
    Program().switches.restoreCaretPosition = choices.restoreCaret;
    Program().switches.bigButtons = choices.bigButtons;
    // Switching the journal off empties it, and is remembered.
    SetJournalOff(!choices.journalOn);
    WriteOptionChoices(choices);

    RebuildToolBar(choices.toolBar);
    RebuildStatusBar(choices.statusBar);
    RECT client;
    GetClientRect(MainWindow, &client);
    PostMessageA(MainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}
