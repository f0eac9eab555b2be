#pragma once
// The one place for the commands the main window dispatches whose owners have not landed yet. Each
// entry is a stand-in under the name its owner is to give it: when the real one lands, delete the
// stand-in from pending_commands.cpp and its declaration here, and include the owner's header in
// main_window.cpp. A stand-in never pretends: it says in a message box that the command is not
// there yet, and changes nothing.
#include <windows.h>

void ShowCharacterTable();      // 11
void ToggleWordWrap();          // 25
void InsertDateTime();          // 39
