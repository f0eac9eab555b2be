#pragma once
// The date and time command without the system: the texts come from the system's formats for the
// user's locale (the program has no picture of its own); this puts them into the text as two undo
// steps, the date with a space after it first, then the time.
#include <string>
#include <string_view>

#include "document/document.h"

// The two pieces as they go in: the date followed by one space, and the time. A piece whose text the
// system could not give is empty and is left out, rather than leaving a stray space behind.
struct DateTimePieces {
    std::string date;
    std::string time;
};
// `blank` is the space in the view's bytes (two of them in the UTF-16 views).
DateTimePieces DateTimePiecesOf(std::string_view date, std::string_view time, std::string_view blank = " ");

// The date replaces the selection and the time follows it, each a ReplaceRange of the document's
// journal: undoing once removes the time, undoing again puts the selection's text back in place of
// the date. Both go in or neither: false when the text could not take them (memory ran out), and
// then it is as it was, the selection too (unless taking the date out failed as well).
bool InsertDateTimeText(Document& document, std::string_view date, std::string_view time, std::string_view blank = " ");
