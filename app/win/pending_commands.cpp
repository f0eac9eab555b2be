#include "app/win/pending_commands.h"

namespace {

// Only a beep: a box would stop a start with "/p" (which posts the print command) until answered.
void NotBuiltYet() { MessageBeep(MB_ICONINFORMATION); }

}  // namespace

void ShowCharacterTable() { NotBuiltYet(); }
void ToggleWordWrap() { NotBuiltYet(); }
void InsertDateTime() { NotBuiltYet(); }
