#pragma once
// Answers the modal windows (message boxes, file dialogs) that the code under test opens on this
// thread, from a thread timer that runs inside their modal loops. Answers are queued and used in the
// order the windows appear; a window that finds no answer left is cancelled and recorded, so a test
// that goes wrong fails instead of hanging.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SeenModal {
    std::string title;
    std::string text;  // a message box's text; empty for other dialogs
    bool unexpected = false;
};

class ModalAnswers {
public:
    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    // Presses the button (IDYES, IDNO, IDCANCEL, IDOK) of the next message box.
    void PressButton(int button);
    // Types the path into the next file dialog and confirms it; with a filter index (1-based) the
    // user first picks that file type.
    void ChooseFile(std::string path, int filterIndex = 0);
    void ChooseFile(std::wstring path, int filterIndex = 0);
    // Cancels the next file dialog.
    void CancelDialog();
    // Runs a check on the next dialog (while it is open), then cancels it.
    void InspectAndCancel(std::function<void(HWND)> inspect);
    // Hands the next dialog to `answer`, which fills it in and ends it.
    void AnswerWith(std::function<void(HWND)> answer);

    const std::vector<SeenModal>& Seen() const { return seen_; }
    std::size_t Unanswered() const { return answers_.size(); }
    // What went other than planned: answers left unused and windows that found none; empty when
    // every window that opened was answered as planned.
    std::string Unplanned() const;

private:
    using Answer = std::function<void(HWND)>;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void AnswerOpenWindows();

    std::vector<Answer> answers_;
    std::vector<SeenModal> seen_;
    std::vector<HWND> answered_;
    UINT_PTR timer_ = 0;
};
