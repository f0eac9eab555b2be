#include "app/win/status_bar.h"

#include <commctrl.h>

#include <string>
#include <utility>

#include "app/status_texts.h"
#include "base/win/screen_scale.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "document/win/document_line_ends.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "base/win/shown_text.h"
#include "document/win/view_code_page.h"

void CreateStatusBar() {
    Program().statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 0, 0, MainWindow,
                                reinterpret_cast<HMENU>(1), Program().instance, nullptr);
    if (!StatusBar) return;
    int edges[kStatusBarPartCount];
    const int dpi = WindowDpi(MainWindow);
    for (int i = 0; i < kStatusBarPartCount; ++i)
        edges[i] = kStatusBarPartEdges[i] < 0 ? -1 : ScaledForDpi(kStatusBarPartEdges[i], dpi);
    SendMessageA(StatusBar, SB_SETPARTS, kStatusBarPartCount, reinterpret_cast<LPARAM>(edges));
    ShowViewCodePage();
    ShowKeyboardLayout();
    ShowLineEnds(true);
}

void DestroyStatusBar() {
    if (StatusBar) DestroyWindow(StatusBar);
    Program().statusBar = nullptr;
}

void ShowCaretPosition() {
    if (!StatusBar) return;
    if (!EditorControl) return;
    Document& document = ProgramDocument();
    const CHARRANGE selection{static_cast<LONG>(document.SelectionStart()), static_cast<LONG>(document.SelectionEnd())};
    if (selection.cpMin == Program().lastShownSelection.cpMin && selection.cpMax == Program().lastShownSelection.cpMax) return;
    Program().lastShownSelection = selection;
    // The display line, as the control counts lines.
    const std::size_t line = document.Layout().DisplayLineFromPosition(document.SelectionStart());
    const std::size_t lineStart = document.Layout().DisplayLineStart(line);
    const std::string text = CaretPositionText(static_cast<std::uint32_t>(document.SelectionStart() - lineStart + 1),
                                               static_cast<std::uint32_t>(line + 1));
    SetStatusText(StatusBar, kCaretPositionPart, text);
}

void ShowEditMode() {
    if (!StatusBar) return;
    SetStatusText(StatusBar, kEditModePart, ProgramDocument().Overwrite() ? "Замена"_ui : "Вставка"_ui);
}

void ShowLineEnds(bool anew) {
    static std::string shown;
    if (!StatusBar) return;
    const DocumentLineEnds lineEnds = LineEndsOfDocument();
    std::string text = LineEndsText(lineEnds.kind, lineEnds.mixed);
    if (!anew && text == shown) return;
    SetStatusText(StatusBar, kLineEndsPart, text);
    shown = std::move(text);
}

bool ShowStatusBarText(WPARAM partAndStyle, const StatusBarText& text) {
    if (!StatusBar) return false;
    SetStatusText(StatusBar, partAndStyle, text.text);
    if (text.paintNow) UpdateWindow(StatusBar);
    return true;
}
