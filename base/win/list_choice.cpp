#include "base/win/list_choice.h"

#include "base/win/program.h"

namespace {

struct ChoiceState {
    const ListChoice* choice;
    int taken = -1;
};

int Picked(HWND dialog, const ListChoice& choice) {
    const LRESULT picked = SendDlgItemMessageW(dialog, choice.list, LB_GETCURSEL, 0, 0);
    const LRESULT count = SendDlgItemMessageW(dialog, choice.list, LB_GETCOUNT, 0, 0);
    return picked >= 0 && picked < count ? static_cast<int>(picked) : -1;
}

void Take(HWND dialog, ChoiceState& state) {
    const int picked = Picked(dialog, *state.choice);
    if (picked < 0) return;
    state.taken = picked;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ListChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ChoiceState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<ChoiceState*>(lParam);
        HWND list = GetDlgItem(dialog, state->choice->list);
        if (state->choice->fill) state->choice->fill(dialog, list);
        if (state->choice->picked) state->choice->picked(dialog, Picked(dialog, *state->choice));
        SetFocus(list);
        return FALSE;  // the focus is on the list
    }
    case WM_COMMAND:
        if (!state) return FALSE;
        if (LOWORD(wParam) == state->choice->list) {
            if (HIWORD(wParam) == LBN_SELCHANGE && state->choice->picked)
                state->choice->picked(dialog, Picked(dialog, *state->choice));
            if (HIWORD(wParam) == LBN_DBLCLK) Take(dialog, *state);
            return TRUE;
        }
        switch (LOWORD(wParam)) {
        case IDOK:
            Take(dialog, *state);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

int ChooseFromList(HWND owner, const ListChoice& choice) {
    ChoiceState state{&choice};
    DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(choice.dialog), owner, ListChoiceProc,
                    reinterpret_cast<LPARAM>(&state));
    return state.taken;
}
