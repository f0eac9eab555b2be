#pragma once
// The choice between readings when the repair of mojibake cannot tell which undoes the damage: each
// reading stands in a list by the first line of the doubtful text as it would read, the likeliest
// first and picked, with what would have happened to the text under it; the user takes one or cancels.
#include <windows.h>

#include <string>
#include <vector>

struct ShownReading {
    std::string line;   // UTF-8: the line may hold characters that 1251 lacks
    std::string chain;  // 1251, the program's words for what happened to the text
};

// The index of the reading taken, or -1 when the dialog was cancelled (or could not be shown).
int AskForReading(HWND owner, const std::vector<ShownReading>& readings);
