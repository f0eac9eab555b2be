#pragma once
// A modal dialog whose answer is one line of a list box: a double click on a line or OK takes the
// line picked, Cancel or Esc takes none. The dialog is a Unicode one, so that its lines show their
// characters whatever the system's code page.
#include <windows.h>

#include <functional>

struct ListChoice {
    int dialog = 0;  // the dialog's template
    int list = 0;    // its list box
    // Fills the list and the rest of the dialog as it opens, and picks a line.
    std::function<void(HWND dialog, HWND list)> fill;
    // Told of the line picked (-1 for none) as the dialog opens and whenever the pick changes.
    std::function<void(HWND dialog, int picked)> picked;
};

// The line taken, or -1.
int ChooseFromList(HWND owner, const ListChoice& choice);
