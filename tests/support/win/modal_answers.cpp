#include "support/win/modal_answers.h"

#include "base/win/shown_text.h"
#include "support/win/app_harness.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

namespace {

ModalAnswers* active = nullptr;

constexpr int kMessageBoxText = 0xFFFF;

std::string TextOf(HWND window) { return WindowText(window); }

struct DialogSearch {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM lParam) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window))
        reinterpret_cast<DialogSearch*>(lParam)->found.push_back(window);
    return TRUE;
}

}  // namespace

ModalAnswers::ModalAnswers() {
    active = this;
    timer_ = SetTimer(nullptr, 0, 40, Tick);
}

ModalAnswers::~ModalAnswers() {
    KillTimer(nullptr, timer_);
    active = nullptr;
}

void ModalAnswers::PressButton(int button) {
    answers_.push_back([button](HWND box) { PostMessageA(box, WM_COMMAND, button, 0); });
}

void ModalAnswers::ChooseFile(std::string path, int filterIndex) { ChooseFile(WideText(path), filterIndex); }

void ModalAnswers::ChooseFile(std::wstring path, int filterIndex) {
    answers_.push_back([path, filterIndex](HWND dialog) {
        if (filterIndex > 0) {
            HWND types = GetDlgItem(dialog, cmb1);
            SendMessageA(types, CB_SETCURSEL, filterIndex - 1, 0);
            // As a pick with the mouse ends: Wine's dialog acts on the second.
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
        }
        HWND name = GetDlgItem(dialog, cmb13);
        if (!name) name = GetDlgItem(dialog, edt1);
        SetWindowTextW(name, path.c_str());
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
}

void ModalAnswers::CancelDialog() {
    answers_.push_back([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
}

void ModalAnswers::InspectAndCancel(std::function<void(HWND)> inspect) {
    answers_.push_back([inspect](HWND dialog) {
        inspect(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

void ModalAnswers::AnswerWith(std::function<void(HWND)> answer) { answers_.push_back(std::move(answer)); }

void CALLBACK ModalAnswers::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (active) active->AnswerOpenWindows();
}

void ModalAnswers::AnswerOpenWindows() {
    DialogSearch search;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&search));
    for (HWND dialog : search.found) {
        if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) continue;
        // Only the window that has the modal loop (no enabled dialog above it) is answered.
        HWND popup = GetWindow(dialog, GW_ENABLEDPOPUP);
        if (popup && popup != dialog) continue;
        answered_.push_back(dialog);
        HWND textControl = GetDlgItem(dialog, kMessageBoxText);
        seen_.push_back({TextOf(dialog), textControl ? TextOf(textControl) : std::string(), answers_.empty()});
        if (answers_.empty()) {
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            // A Yes/No box has no Cancel: "No" is the answer that changes nothing.
            if (GetDlgItem(dialog, IDNO)) PostMessageA(dialog, WM_COMMAND, IDNO, 0);
            continue;
        }
        Answer answer = std::move(answers_.front());
        answers_.erase(answers_.begin());
        answer(dialog);
    }
}

std::string ModalAnswers::Unplanned() const {
    std::string report;
    if (!answers_.empty()) report += std::to_string(answers_.size()) + " answers unused; ";
    for (const SeenModal& seen : seen_)
        if (seen.unexpected) report += "unexpected \"" + seen.title + "\": " + seen.text + "; ";
    return report;
}
