#pragma once
// Command 39 "&Дата и время": the current date and time in place of the selection, in the user's
// locale's default short date and time formats, as bytes of the system's ANSI code page whatever the
// view code page. Two undo steps take it back.
#include <windows.h>

#include <string>

void InsertDateTime();

// The texts of one moment as the command inserts them, for the command and for tests.
std::string LocaleDateText(const SYSTEMTIME& moment);
std::string LocaleTimeText(const SYSTEMTIME& moment);
