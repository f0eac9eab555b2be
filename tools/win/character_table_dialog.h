#pragma once
// Command 11 "&Символ...": the character table, a modal dialog owned by the main window from which
// bytes go into the text ("Копировать напрямую", the table staying open for the next) or onto the
// clipboard and into the text ("Копировать", which closes it).
#include <windows.h>

void ShowCharacterTable();
